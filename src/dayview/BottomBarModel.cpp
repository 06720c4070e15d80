#include "dayview/BottomBarModel.h"

#include "core/TimerManager.h"
#include "records/RecordListModel.h"

BottomBarModel::BottomBarModel(QObject *parent) : QObject(parent)
{
}

RecordListModel *BottomBarModel::templates() const
{
    return m_templates;
}

void BottomBarModel::setTemplates(RecordListModel *templates)
{
    if (m_templates == templates)
        return;
    disconnect(m_templatesConnection);
    m_templates = templates;
    if (templates)
        m_templatesConnection =
            connect(templates, &RecordListModel::changed, this, &BottomBarModel::refreshTemplatesButton);
    refreshTemplatesButton();
    emit templatesChanged();
}

TimerManager *BottomBarModel::timerManager() const
{
    return m_timerManager;
}

void BottomBarModel::setTimerManager(TimerManager *timerManager)
{
    if (m_timerManager == timerManager)
        return;
    disconnect(m_billableConnection);
    m_timerManager = timerManager;
    if (timerManager)
        m_billableConnection = connect(timerManager, &TimerManager::showBillableTimeChanged, this,
                                       &BottomBarModel::showBillableTimeChanged);
    emit timerManagerChanged();
    emit showBillableTimeChanged();
}

void BottomBarModel::setDayClosed(bool closed)
{
    if (m_isDayClosed == closed)
        return;
    m_isDayClosed = closed;
    emit isDayClosedChanged();
}

bool BottomBarModel::showBillableTime() const
{
    return m_timerManager ? m_timerManager->showBillableTime() : true;
}

QString BottomBarModel::hoursSwitchText() const
{
    return showBillableTime() ? tr("Fakturerbar") : tr("Faktisk");
}

QString BottomBarModel::hoursSwitchIcon() const
{
    return showBillableTime() ? QStringLiteral("clock.badge.checkmark") : QStringLiteral("clock");
}

void BottomBarModel::toggleHours()
{
    if (m_timerManager)
        m_timerManager->setShowBillableTime(!m_timerManager->showBillableTime());
}

void BottomBarModel::refreshTemplatesButton()
{
    const bool shows = m_templates && m_templates->count() > 0;
    if (m_showsTemplatesButton == shows)
        return;
    m_showsTemplatesButton = shows;
    emit showsTemplatesButtonChanged();
}
