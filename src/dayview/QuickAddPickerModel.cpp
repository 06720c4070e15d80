#include "QuickAddPickerModel.h"

#include "AppServices.h"
#include "MenuBarContentViewModel.h"
#include "Store.h"
#include "TaskFactory.h"
#include "TaskTemplate.h"
#include "TimerManager.h"

QuickAddPickerModel::QuickAddPickerModel(MenuBarContentViewModel *dayView) : QObject(dayView), m_dayView(dayView)
{
    connect(dayView, &MenuBarContentViewModel::isDayClosedChanged, this, &QuickAddPickerModel::canAddChanged);
}

bool QuickAddPickerModel::canAdd() const
{
    return m_dayView && m_dayView->services() && !m_dayView->isDayClosed();
}

Task *QuickAddPickerModel::addTaskFromTemplate(TaskTemplate *taskTemplate)
{
    if (!canAdd() || !taskTemplate || taskTemplate->store() != m_dayView->services()->store())
        return nullptr;
    AppServices *services = m_dayView->services();
    Task *task = TaskFactory::insertFromTemplate(*services->store(), *taskTemplate,
                                                 services->timerManager()->selectedDateSeconds());
    closePicker();
    return task;
}

void QuickAddPickerModel::togglePicker()
{
    if (m_dayView)
        m_dayView->setShowTemplateBanner(!m_dayView->showTemplateBanner());
}

void QuickAddPickerModel::closePicker()
{
    if (m_dayView)
        m_dayView->setShowTemplateBanner(false);
}
