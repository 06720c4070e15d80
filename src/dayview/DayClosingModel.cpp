#include "dayview/DayClosingModel.h"

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "dayview/DayTaskListModel.h"
#include "records/ClosedDay.h"
#include "records/Store.h"
#include "records/Task.h"
#include "timecalc/Calendar.h"
#include "timecalc/TimeCalc.h"

#include <QLocale>

using namespace timecalc;

DayClosingModel::DayClosingModel(const DayTaskListModel *tasks, QObject *parent, LineSink output)
    : QObject(parent), m_tasks(tasks), m_output(std::move(output))
{
    // The day's list is brought up to date before these run: its owner hears the store first.
    connect(tasks, &DayTaskListModel::countChanged, this, &DayClosingModel::refreshNumbers);
    connect(tasks, &QAbstractItemModel::modelReset, this, &DayClosingModel::refreshNumbers);
    refreshRecord();
}

ClosedDay *DayClosingModel::closedDayRecord() const
{
    return m_closedDayRecord;
}

void DayClosingModel::setSources(Store *store, TimerManager *timerManager, Preferences *preferences)
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_store = store;
    m_timerManager = timerManager;
    m_preferences = preferences;
    if (store && timerManager && preferences) {
        m_connections << connect(store, &Store::recordInserted, this, &DayClosingModel::onRecordEvent)
                      << connect(store, &Store::recordRemoved, this, &DayClosingModel::onRecordEvent)
                      << connect(store, &Store::recordChanged, this, &DayClosingModel::onRecordEvent)
                      << connect(timerManager, &TimerManager::selectedDateChanged, this, &DayClosingModel::refreshRecord)
                      << connect(timerManager, &TimerManager::viewTick, this, &DayClosingModel::refreshNumbers)
                      << connect(timerManager, &TimerManager::showBillableTimeChanged, this,
                                 &DayClosingModel::refreshNumbers)
                      << connect(preferences, &Preferences::workbookAPIKeyChanged, this, &DayClosingModel::refreshTexts);
    }
    refreshRecord();
}

void DayClosingModel::onRecordEvent(Record *record)
{
    if (record->kind() == Record::Kind::ClosedDay)
        refreshRecord();
    else if (record->kind() == Record::Kind::Task)
        refreshNumbers();
}

void DayClosingModel::refreshRecord()
{
    ClosedDay *found = m_store && m_timerManager ? m_store->closedDayOn(m_timerManager->selectedDateSeconds()) : nullptr;
    if (m_closedDayRecord != found) {
        m_closedDayRecord = found;
        emit closedDayRecordChanged();
    }
    refreshTitle();
    refreshNumbers();
}

void DayClosingModel::refreshNumbers()
{
    // What closing freezes is billable whatever the screen shows.
    const double hours = m_tasks->totalHours(true);
    if (m_closingHours != hours) {
        m_closingHours = hours;
        emit closingHoursChanged();
    }
    const bool canClose = m_store && !m_closedDayRecord && m_tasks->count() > 0;
    if (m_canClose != canClose) {
        m_canClose = canClose;
        emit canCloseChanged();
    }
    refreshTexts();
}

namespace {
template<class Signal>
void assign(DayClosingModel *model, QString &field, const QString &value, Signal signal)
{
    if (field == value)
        return;
    field = value;
    emit(model->*signal)();
}
} // namespace

void DayClosingModel::refreshTexts()
{
    // Any text at all counts as a key, blanks included: only its presence changes the wording.
    const bool hasKey = m_preferences && !m_preferences->workbookAPIKey().isEmpty();
    const qint64 seconds = m_tasks->totalSeconds();
    const double totalHours = m_tasks->totalHours(m_timerManager ? m_timerManager->showBillableTime() : true);
    assign(this, m_totalTimeText, formatElapsed(seconds), &DayClosingModel::totalTimeTextChanged);
    assign(this, m_totalHoursText, formatDecimalHours(totalHours), &DayClosingModel::totalHoursTextChanged);

    QString closed;
    if (m_closedDayRecord) {
        closed = (hasKey ? tr("%1 timer sendt til Workbook") : tr("%1 timer registreret"))
                     .arg(formatDecimalHours(m_closedDayRecord->billableHours()));
    }
    assign(this, m_closedText, closed, &DayClosingModel::closedTextChanged);

    const int count = m_tasks->count();
    //: i18n/timeglas_da.ts gives the singular, "1 opgave".
    const QString line = (hasKey ? tr("%n opgaver • %1 timer sendes til Workbook", nullptr, count)
                                 : tr("%n opgaver • %1 timer registreres", nullptr, count))
                             .arg(formatDecimalHours(m_closingHours));
    assign(this, m_confirmLine, line, &DayClosingModel::confirmLineChanged);
}

void DayClosingModel::refreshTitle()
{
    QString title;
    if (const TimerManager *tm = m_timerManager) {
        const QDate day = localDate(tm->selectedDateSeconds());
        title = tr("Luk %1?").arg(longDayText(day));
    }
    assign(this, m_confirmTitle, title, &DayClosingModel::confirmTitleChanged);
}

void DayClosingModel::closeDay()
{
    Store *s = m_store;
    // The banner stays open while the user picks other days, so the day may have been closed
    // already or have no tasks by now. A day is closed once: a second record would leave two
    // sets of frozen hours for it.
    if (s && m_canClose) {
        // Stopping changes the list's records, not the list, but it is copied all the same.
        const QList<Task *> tasks = m_tasks->tasks();
        for (Task *t : tasks) {
            if (t->isRunning())
                m_timerManager->stop(t, s);
        }
        const double hours = m_tasks->totalHours(true);
        s->insert(ClosedDay::create(m_timerManager->selectedDateSeconds(), hours));
        // The record stays in the store when the save fails; the automatic save tries again.
        if (const auto error = s->save())
            m_output(saveFailurePrefix() + *error);
    }
}
