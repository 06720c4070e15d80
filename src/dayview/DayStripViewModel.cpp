#include "dayview/DayStripViewModel.h"

#include "core/TimerManager.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QLocale>
#include <iterator>

using namespace timecalc;

QString DayStripViewModel::dayLabel(int index)
{
    // Matched to the dates by position; the week always starts on Monday, whatever the locale.
    return index >= 0 && index < 7 ? twoLetterWeekday(index + 1) : QString();
}

DayStripViewModel::DayStripViewModel(QObject *parent) : QAbstractListModel(parent)
{
}

TimerManager *DayStripViewModel::timerManager() const
{
    return m_timerManager;
}

void DayStripViewModel::setTimerManager(TimerManager *timerManager)
{
    if (m_timerManager == timerManager)
        return;
    disconnect(m_selectedConnection);
    disconnect(m_tickConnection);
    m_timerManager = timerManager;
    if (timerManager) {
        m_selectedConnection =
            connect(timerManager, &TimerManager::selectedDateChanged, this, &DayStripViewModel::refresh);
        // Today moves on at midnight; the tick (and every wake-up of the popover) notices it.
        m_tickConnection =
            connect(timerManager, &TimerManager::viewTick, this, &DayStripViewModel::refreshToday);
    }
    refresh();
    emit timerManagerChanged();
}

int DayStripViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_dates.size());
}

QVariant DayStripViewModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QDate date = m_dates.at(index.row());
    switch (role) {
    case LabelRole:
        return dayLabel(index.row());
    case NumberRole:
        return date.day();
    case DateRole:
        return date;
    case IsSelectedRole:
        return date == m_selected;
    case IsTodayRole:
        return date == m_today;
    case AccessibleNameRole:
        return longDayText(date);
    default:
        return {};
    }
}

QHash<int, QByteArray> DayStripViewModel::roleNames() const
{
    return {{LabelRole, "label"},
            {NumberRole, "number"},
            {DateRole, "date"},
            {IsSelectedRole, "isSelected"},
            {IsTodayRole, "isToday"},
            {AccessibleNameRole, "accessibleName"}};
}

int DayStripViewModel::selectedIndex() const
{
    return int(m_dates.indexOf(m_selected));
}

int DayStripViewModel::todayIndex() const
{
    return int(m_dates.indexOf(m_today));
}

void DayStripViewModel::selectDay(int index)
{
    if (!m_timerManager || index < 0 || index >= m_dates.size())
        return;
    m_timerManager->setSelectedDateSeconds(startOfDay(m_dates.at(index)));
}

void DayStripViewModel::previousWeek()
{
    if (m_timerManager)
        m_timerManager->previousWeek();
}

void DayStripViewModel::nextWeek()
{
    if (m_timerManager)
        m_timerManager->nextWeek();
}

void DayStripViewModel::goToToday()
{
    if (m_timerManager)
        m_timerManager->setSelectedDateSeconds(startOfToday());
}

void DayStripViewModel::refreshToday()
{
    if (localDate(Clock::nowSeconds()) != m_today)
        refresh();
}

void DayStripViewModel::refresh()
{
    QList<QDate> dates;
    QDate selected;
    if (m_timerManager) {
        for (double day : m_timerManager->weekDates())
            dates.append(localDate(day));
        selected = localDate(m_timerManager->selectedDateSeconds());
    }
    const QDate today = localDate(Clock::nowSeconds());

    if (dates.size() != m_dates.size()) {
        beginResetModel();
        m_dates = dates;
        m_selected = selected;
        m_today = today;
        endResetModel();
    } else if (dates != m_dates || selected != m_selected || today != m_today) {
        m_dates = dates;
        m_selected = selected;
        m_today = today;
        if (!m_dates.isEmpty())
            emit dataChanged(index(0), index(int(m_dates.size()) - 1));
    }

    const bool other = m_timerManager && !isToday(m_timerManager->selectedDateSeconds());
    if (m_isViewingOtherDay != other) {
        m_isViewingOtherDay = other;
        emit isViewingOtherDayChanged();
    }
}
