#include "AppServices.h"

#include "Store.h"

AppServices::AppServices(Store *store, TimerManager *timerManager, Preferences *preferences, Theme *theme,
                         QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_timerManager(timerManager)
    , m_preferences(preferences)
    , m_theme(theme)
    , m_allTasks(new RecordListModel(store, Record::Kind::Task, RecordListModel::Order::Store, this))
    , m_projectCodes(new RecordListModel(store, Record::Kind::ProjectCode, RecordListModel::Order::SortOrder, this))
    , m_templates(new RecordListModel(store, Record::Kind::TaskTemplate, RecordListModel::Order::SortOrder, this))
    , m_closedDays(new RecordListModel(store, Record::Kind::ClosedDay, RecordListModel::Order::Store, this))
{
}

void AppServices::setPopoverPinned(bool pinned)
{
    m_pinned = qMax(0, m_pinned + (pinned ? 1 : -1));
}
