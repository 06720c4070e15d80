pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Timeglas

// The popover's screen: the clock card, the selected day's tasks and the banners over them;
// or, when asked for, the settings in their place.
Item {
    id: root

    required property AppServices services
    readonly property Theme theme: root.services.theme
    readonly property MenuBarContentViewModel viewModel: vm
    // Which banners are open; tests and the screenshot tool open them here too.
    readonly property DayBannerState banners: bannerState
    readonly property bool hasTasks: vm.dayTasks.count > 0
    readonly property bool windowActive: root.Window.active
    readonly property Item focusedItem: root.Window.activeFocusItem
    readonly property bool focusHidden: root.focusedItem !== null && !root.focusedItem.visible
    // Where the window's popups (a row's menu) lie, outside the screen.
    readonly property Item popupLayer: T.Overlay.overlay

    // Ends any text editing: focus moves to an item that takes no text, and the field that
    // lost it commits.
    function clearFocus() {
        focusSink.forceActiveFocus()
    }

    // Where the keyboard starts when the popover opens: the start/stop button, unless a field
    // is being edited; on the settings screen, or while that button is off, the focus waits
    // just before the first control, for Tab.
    function focusStart() {
        const focused = root.Window.activeFocusItem
        if ((focused instanceof TextInput || focused instanceof TextEdit) && focused.visible)
            return
        if (bannerState.settingsOpen || !clockCard.focusHeroButton())
            focusSink.forceActiveFocus()
    }

    function regainFocus() {
        if (root.windowActive && (!root.holds(root.focusedItem) || root.focusHidden))
            root.focusStart()
    }

    // An open popup of ours (a row's menu) lies in the window's overlay, outside the screen,
    // and holds the keyboard until it closes: taking the focus from it would cancel the press
    // on its entry that is under way.
    function holds(item: Item): bool {
        for (let i = item; i; i = i.parent) {
            if (i === root || i === root.popupLayer)
                return true
        }
        return false
    }

    // Escape closes the innermost open layer, one per press: the settings screen, which lies
    // over the day's banners, then the banners from the top down, then the popover. (An open
    // menu takes its own Escape.) What is being typed stays: a field keeps Escape to itself,
    // and the add and code banners close only by "Annuller", so nothing under them closes.
    function closeOnEscape(): bool {
        if (root.focusedItem instanceof TextInput || root.focusedItem instanceof TextEdit)
            return false
        if (bannerState.settingsOpen)
            bannerState.settingsOpen = false
        else if (bannerState.closeDayOpen)
            bannerState.closeDayOpen = false
        else if (bannerState.templatesOpen)
            bannerState.templatesOpen = false
        else if (bannerState.addOpen || bannerState.codeTask !== null)
            return false
        else if (bannerState.taskToDelete !== null)
            bannerState.taskToDelete = null
        else
            root.services.hidePopover()
        return true
    }

    implicitWidth: 420
    implicitHeight: 600
    clip: true
    Keys.onEscapePressed: (event) => event.accepted = root.closeOnEscape()
    onWindowActiveChanged: {
        if (root.windowActive)
            root.focusStart()
    }
    // A banner or editor that closes leaves the keyboard focus on something hidden, or on
    // nothing of ours, where keys would go astray; the focus goes back to the start.
    onFocusedItemChanged: Qt.callLater(root.regainFocus)
    onFocusHiddenChanged: Qt.callLater(root.regainFocus)
    Component.onCompleted: vm.appear()

    MenuBarContentViewModel {
        id: vm

        services: root.services
        onTaskRemoved: (task) => bannerState.forget(task)
    }

    DayBannerState {
        id: bannerState

        viewModel: vm
    }

    // A press that no control takes ends text editing: controls take their own presses first,
    // and what is left reaches the screen behind them.
    TapHandler {
        acceptedButtons: Qt.AllButtons
        onPressedChanged: {
            if (pressed)
                root.clearFocus()
        }
    }

    Item {
        id: focusSink

        focus: true
        Accessible.ignored: true
    }

    Item {
        id: content

        anchors.fill: parent

        Item {
            id: dayScreen

            readonly property bool away: settingsLoader.shown

            width: content.width
            height: content.height
            x: dayScreen.away ? -content.width : 0
            opacity: dayScreen.away ? 0 : 1
            visible: !dayScreen.away || daySlide.running

            Behavior on x { NumberAnimation { id: daySlide; duration: 200; easing.type: Easing.InOutQuad } }
            Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }

            ColumnLayout {
                anchors.fill: parent
                spacing: 0

                DayClockCard {
                    id: clockCard

                    Layout.fillWidth: true
                    Layout.preferredHeight: 110
                    viewModel: vm
                    theme: root.theme
                }

                DayStripView {
                    Layout.fillWidth: true
                    Layout.preferredHeight: implicitHeight
                    services: root.services
                }

                Item {
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    DayEmptyState {
                        anchors.fill: parent
                        viewModel: vm
                        theme: root.theme
                        shown: !root.hasTasks
                        onAddRequested: bannerState.openAdd()
                    }

                    ColumnLayout {
                        anchors.fill: parent
                        spacing: 0
                        visible: root.hasTasks

                        DayColumnHeader {
                            Layout.fillWidth: true
                            theme: root.theme
                            showBillableTime: root.services.timerManager.showBillableTime
                        }

                        ListView {
                            id: taskList

                            objectName: "taskList"
                            Layout.fillWidth: true
                            Layout.fillHeight: true
                            clip: true
                            model: vm.dayTasks
                            boundsBehavior: Flickable.StopAtBounds
                            Accessible.role: Accessible.List
                            Accessible.name: qsTr("Opgaver")
                            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                            // The list takes presses for flicking; one on a row's free part or
                            // below the rows still counts as a press on the screen.
                            TapHandler {
                                acceptedButtons: Qt.AllButtons
                                onPressedChanged: {
                                    if (pressed)
                                        root.clearFocus()
                                }
                            }

                            delegate: TaskRowView {
                                id: rowDelegate

                                width: taskList.width
                                timerManager: root.services.timerManager
                                theme: root.theme
                                isDayClosed: vm.isDayClosed
                                onToggle: vm.rowToggle(rowDelegate.task)
                                onSelect: vm.selectTask(rowDelegate.task)
                                onEditCode: bannerState.editCode(rowDelegate.task)
                                onMoveUp: vm.moveTask(rowDelegate.task, -1)
                                onMoveDown: vm.moveTask(rowDelegate.task, 1)
                                onDeleteRequested: bannerState.askDelete(rowDelegate.task)
                            }

                            add: Transition {
                                NumberAnimation { property: "enterOffset"; from: -42; to: 0; duration: 200; easing.type: Easing.InOutQuad }
                                NumberAnimation { property: "fade"; from: 0; to: 1; duration: 200; easing.type: Easing.InOutQuad }
                            }
                            remove: Transition {
                                NumberAnimation { property: "exitOffset"; to: -taskList.width; duration: 200; easing.type: Easing.InOutQuad }
                                NumberAnimation { property: "fade"; to: 0; duration: 200; easing.type: Easing.InOutQuad }
                            }
                            move: Transition {
                                NumberAnimation { property: "y"; duration: 200; easing.type: Easing.InOutQuad }
                            }
                            displaced: Transition {
                                NumberAnimation { property: "y"; duration: 200; easing.type: Easing.InOutQuad }
                            }
                        }

                        DayFooter {
                            Layout.fillWidth: true
                            Layout.preferredHeight: implicitHeight
                            closing: vm.closing
                            theme: root.theme
                            onCloseRequested: bannerState.askCloseDay()
                        }
                    }
                }

                BottomBar {
                    Layout.fillWidth: true
                    Layout.preferredHeight: implicitHeight
                    services: root.services
                    isDayClosed: vm.isDayClosed
                    onAddEmpty: bannerState.openAdd()
                    onShowTemplates: bannerState.toggleTemplates()
                    onShowSettings: bannerState.settingsOpen = true
                }
            }

            // Banners over the bottom of the day screen; a later one lies above an earlier one.
            Item {
                id: banners

                anchors.fill: parent

                DayDeleteBanner {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    banners: bannerState
                    theme: root.theme
                    onEmptyPressed: root.clearFocus()
                }

                DayAddBanner {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    banners: bannerState
                    theme: root.theme
                    onEmptyPressed: root.clearFocus()
                }

                CodeEditorBanner {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    banners: bannerState
                    projectCodes: root.services.projectCodes
                    theme: root.theme
                    onEmptyPressed: root.clearFocus()
                }

                QuickAddPicker {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    banners: bannerState
                    templates: root.services.templates
                    theme: root.theme
                    onEmptyPressed: root.clearFocus()
                }

                CloseDayBanner {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    banners: bannerState
                    theme: root.theme
                    onEmptyPressed: root.clearFocus()
                }
            }
        }

        // The settings screen, made afresh each time it is opened.
        Loader {
            id: settingsLoader

            objectName: "settingsLoader"
            readonly property bool shown: bannerState.settingsOpen

            width: content.width
            height: content.height
            x: settingsLoader.shown ? 0 : content.width
            opacity: settingsLoader.shown ? 1 : 0
            active: false
            onShownChanged: {
                if (!settingsLoader.shown || settingsLoader.active)
                    return
                settingsLoader.setSource("InlineSettingsView.qml", { services: root.services })
                settingsLoader.active = true
            }

            Behavior on x {
                NumberAnimation {
                    duration: 200
                    easing.type: Easing.InOutQuad
                    // Once out of sight, the screen is dropped; the next opening starts afresh.
                    onRunningChanged: {
                        if (!running && !settingsLoader.shown)
                            settingsLoader.active = false
                    }
                }
            }
            Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }

            Connections {
                target: settingsLoader.item
                ignoreUnknownSignals: true

                function onBack() {
                    bannerState.settingsOpen = false
                }

                function onEmptyPressed() {
                    root.clearFocus()
                }
            }
        }
    }
}
