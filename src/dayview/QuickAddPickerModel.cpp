#include "dayview/QuickAddPickerModel.h"

#include "core/TimerManager.h"
#include "records/Store.h"
#include "records/TaskFactory.h"
#include "records/TaskTemplate.h"

QuickAddPickerModel::QuickAddPickerModel(QObject *parent) : QObject(parent) {}

void QuickAddPickerModel::setSources(Store *store, TimerManager *timerManager)
{
    const bool could = canAdd();
    m_store = store;
    m_timerManager = timerManager;
    if (could != canAdd())
        emit canAddChanged();
}

void QuickAddPickerModel::setDayClosed(bool closed)
{
    if (m_isDayClosed == closed)
        return;
    m_isDayClosed = closed;
    emit canAddChanged();
}

bool QuickAddPickerModel::canAdd() const
{
    return m_store && m_timerManager && !m_isDayClosed;
}

bool QuickAddPickerModel::addTaskFromTemplate(TaskTemplate *taskTemplate)
{
    if (!canAdd() || !taskTemplate || taskTemplate->store() != m_store)
        return false;
    TaskFactory::insertFromTemplate(*m_store, *taskTemplate, m_timerManager->selectedDateSeconds());
    return true;
}
