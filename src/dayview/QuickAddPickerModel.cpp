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

void QuickAddPickerModel::addTaskFromTemplate(TaskTemplate *taskTemplate)
{
    if (!canAdd() || !taskTemplate || taskTemplate->store() != m_dayView->services()->store())
        return;
    AppServices *services = m_dayView->services();
    TaskFactory::insertFromTemplate(*services->store(), *taskTemplate, services->timerManager()->selectedDateSeconds());
    closePicker();
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
