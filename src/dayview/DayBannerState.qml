import QtQuick
import Timeglas

// Which banners of the day screen are open, for which task, and what their fields hold: the
// screen's own state. The work behind each button goes to the day's model.
QtObject {
    id: state

    required property MenuBarContentViewModel viewModel

    property bool addOpen: false
    property string newTaskName: ""
    property Task codeTask: null
    property string code: ""
    property Task taskToDelete: null
    property bool templatesOpen: false
    property bool closeDayOpen: false
    property bool settingsOpen: false

    // A banner with a field was (re)opened: its field takes the keyboard shortly after.
    signal addOpened()
    signal codeOpened()

    function openAdd() {
        state.newTaskName = ""
        state.addOpen = true
        state.addOpened()
    }
    function cancelAdd() {
        // Closed first, so that the field's loss of focus that follows adds nothing.
        state.addOpen = false
        state.newTaskName = ""
    }
    // Return, "Tilføj" and leaving the field; after the banner closed this does nothing.
    function commitAdd() {
        if (!state.addOpen)
            return
        const name = state.newTaskName
        state.cancelAdd()
        state.viewModel.commitNewTask(name)
    }

    // Opens the editor with the task's code; what was typed for another task is dropped.
    function editCode(task) {
        if (!task)
            return
        state.code = task.projectCode
        state.codeTask = task
        state.codeOpened()
    }
    function chooseChip(chip: string) {
        state.code = state.viewModel.codeEditor.afterChipClick(state.code, chip)
    }
    // "Gem", Return and leaving the field; after the editor closed this does nothing.
    function saveCode() {
        const task = state.codeTask
        const code = state.code
        if (!task)
            return
        state.closeCode()
        state.viewModel.codeEditor.saveCode(task, code)
    }
    function removeCode() {
        const task = state.codeTask
        if (!task)
            return
        state.closeCode()
        state.viewModel.codeEditor.removeCode(task)
    }
    function closeCode() {
        state.codeTask = null
        state.code = ""
    }

    // A task without time goes at once; one with time asks first.
    function askDelete(task) {
        if (state.viewModel.requestDelete(task))
            state.taskToDelete = task
    }
    function confirmDelete() {
        const task = state.taskToDelete
        state.taskToDelete = null
        state.viewModel.deleteTask(task)
    }

    function toggleTemplates() {
        state.templatesOpen = !state.templatesOpen
    }
    function addFromTemplate(template: TaskTemplate) {
        if (state.viewModel.quickAdd.addTaskFromTemplate(template))
            state.templatesOpen = false
    }

    // The footer offers closing only on an open day with tasks.
    function askCloseDay() {
        if (state.viewModel.closing.canClose)
            state.closeDayOpen = true
    }
    function closeDay() {
        state.viewModel.closing.closeDay()
        state.closeDayOpen = false
    }

    // Nothing stays open for a task that is gone.
    function forget(task: Task) {
        if (task === state.taskToDelete)
            state.taskToDelete = null
        if (task === state.codeTask)
            state.closeCode()
    }
}
