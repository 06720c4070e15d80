#include "CodeEditorModel.h"

#include "MenuBarContentViewModel.h"
#include "Task.h"
#include "TextLimit.h"

CodeEditorModel::CodeEditorModel(MenuBarContentViewModel *dayView) : QObject(dayView), m_dayView(dayView)
{
    m_focusTimer.setSingleShot(true);
    m_focusTimer.setInterval(MenuBarContentViewModel::FocusDelayMs);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] {
        // The editor may have closed during the delay; focus then goes nowhere.
        if (m_dayView && m_dayView->codeEditTask())
            m_dayView->setCodeFieldFocused(true);
    });
    connect(dayView, &MenuBarContentViewModel::codeEditTaskChanged, this, &CodeEditorModel::onTaskChanged);
    connect(dayView, &MenuBarContentViewModel::isCodeFieldFocusedChanged, this, &CodeEditorModel::onFocusChanged);
    onTaskChanged();
}

QString CodeEditorModel::taskTitle() const
{
    const Task *task = m_dayView ? m_dayView->codeEditTask() : nullptr;
    if (!task)
        return QString();
    return task->name().isEmpty() ? MenuBarContentViewModel::unnamedTaskText() : task->name();
}

bool CodeEditorModel::canRemove() const
{
    const Task *task = m_dayView ? m_dayView->codeEditTask() : nullptr;
    return task && task->hasProjectCode();
}

void CodeEditorModel::onTaskChanged()
{
    disconnect(m_taskConnection);
    disconnect(m_taskCodeConnection);
    if (Task *task = m_dayView ? m_dayView->codeEditTask() : nullptr) {
        m_taskConnection = connect(task, &Task::nameChanged, this, &CodeEditorModel::taskTitleChanged);
        m_taskCodeConnection = connect(task, &Task::projectCodeChanged, this, &CodeEditorModel::canRemoveChanged);
    }
    emit taskTitleChanged();
    emit canRemoveChanged();
}

void CodeEditorModel::onFocusChanged()
{
    // Leaving the field saves what was typed; after the editor closed this does nothing.
    if (m_dayView && !m_dayView->isCodeFieldFocused())
        saveCode();
}

void CodeEditorModel::beginEditCode(Task *task)
{
    if (!m_dayView || !task || !task->store())
        return;
    m_dayView->setEditedCode(task->projectCodeText());
    m_dayView->setCodeEditTask(task);
    m_focusTimer.start();
}

void CodeEditorModel::chooseChip(const QString &code)
{
    if (!m_dayView)
        return;
    m_dayView->setEditedCode(m_dayView->editedCode() == code ? QString() : code);
}

void CodeEditorModel::saveCode()
{
    Task *task = m_dayView ? m_dayView->codeEditTask() : nullptr;
    if (!task)
        return;
    const QString code = timecalc::trimmedAndCut(m_dayView->editedCode(), CodeLimit);
    task->setProjectCode(code.isEmpty() ? std::nullopt : std::optional<QString>(code));
    closeCodeEditor();
}

void CodeEditorModel::removeCode()
{
    Task *task = m_dayView ? m_dayView->codeEditTask() : nullptr;
    if (!task)
        return;
    task->setProjectCode(std::nullopt);
    closeCodeEditor();
}

void CodeEditorModel::closeCodeEditor()
{
    if (!m_dayView)
        return;
    m_focusTimer.stop();
    // Closed first, so that the field's loss of focus that follows stores nothing.
    m_dayView->setCodeEditTask(nullptr);
    m_dayView->setEditedCode(QString());
    // A closed editor holds no focus, so the next opening hands it to the field again.
    m_dayView->setCodeFieldFocused(false);
}
