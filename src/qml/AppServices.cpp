#include "qml/AppServices.h"

#include "core/MenuBarLabel.h"
#include "platform/AppContext.h"
#include "qml/AccessibleItems.h"
#include "records/Store.h"

AppServices::AppServices(AppContext *context, QObject *parent)
    : QObject(parent)
    , m_store(context->store())
    , m_timerManager(context->timerManager())
    , m_preferences(context->preferences())
    , m_theme(context->theme())
    , m_away(context->awayTracker())
    , m_allTasks(new RecordListModel(m_store, Record::Kind::Task, RecordListModel::Order::Store, this))
    , m_projectCodes(new RecordListModel(m_store, Record::Kind::ProjectCode, RecordListModel::Order::SortOrder, this))
    , m_templates(new RecordListModel(m_store, Record::Kind::TaskTemplate, RecordListModel::Order::SortOrder, this))
    , m_closedDays(new RecordListModel(m_store, Record::Kind::ClosedDay, RecordListModel::Order::Store, this))
{
    connect(m_store, &Store::saveErrorChanged, this, &AppServices::saveWarningChanged);
    // Every screen is shown with these services, so their states reach assistive technology true.
    accessibility::installItemInterface();
}

QString AppServices::saveWarning() const
{
    return MenuBarLabel::saveWarning(m_store->saveError());
}

void AppServices::setPopoverPinned(bool pinned)
{
    m_pinned = qMax(0, m_pinned + (pinned ? 1 : -1));
}
