#include "DayClosingModel.h"

#include "AppServices.h"
#include "Calendar.h"
#include "ClosedDay.h"
#include "MenuBarContentViewModel.h"
#include "Preferences.h"
#include "Store.h"
#include "Task.h"
#include "TimeCalc.h"
#include "TimerManager.h"

#include <QLocale>

using namespace timecalc;

DayClosingModel::DayClosingModel(MenuBarContentViewModel *dayView, LineSink output)
    : QObject(dayView), m_dayView(dayView), m_output(std::move(output))
{
    connect(dayView, &MenuBarContentViewModel::servicesChanged, this, &DayClosingModel::connectServices);
    connectServices();
}

ClosedDay *DayClosingModel::closedDayRecord() const
{
    return m_closedDayRecord;
}

Store *DayClosingModel::store() const
{
    return m_dayView && m_dayView->services() ? m_dayView->services()->store() : nullptr;
}

TimerManager *DayClosingModel::timerManager() const
{
    return m_dayView && m_dayView->services() ? m_dayView->services()->timerManager() : nullptr;
}

void DayClosingModel::connectServices()
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    if (AppServices *services = m_dayView ? m_dayView->services() : nullptr) {
        MenuBarContentViewModel *day = m_dayView;
        DayTaskListModel *tasks = day->dayTasksModel();
        m_connections << connect(services->store(), &Store::recordInserted, this, &DayClosingModel::onRecordEvent)
                      << connect(services->store(), &Store::recordRemoved, this, &DayClosingModel::onRecordEvent)
                      << connect(services->store(), &Store::recordChanged, this, &DayClosingModel::onRecordEvent)
                      << connect(services->timerManager(), &TimerManager::selectedDateChanged, this,
                                 &DayClosingModel::refreshRecord)
                      << connect(services->timerManager(), &TimerManager::viewTick, this,
                                 &DayClosingModel::refreshNumbers)
                      << connect(services->preferences(), &Preferences::workbookAPIKeyChanged, this,
                                 &DayClosingModel::refreshTexts)
                      // The day view brings its list and totals up to date first; these follow it.
                      << connect(day, &MenuBarContentViewModel::dayTotalSecondsChanged, this,
                                 &DayClosingModel::refreshNumbers)
                      << connect(day, &MenuBarContentViewModel::dayTotalHoursChanged, this,
                                 &DayClosingModel::refreshNumbers)
                      << connect(tasks, &DayTaskListModel::countChanged, this, &DayClosingModel::refreshNumbers)
                      << connect(tasks, &QAbstractItemModel::modelReset, this, &DayClosingModel::refreshNumbers);
    }
    refreshRecord();
}

void DayClosingModel::onRecordEvent(Record *record)
{
    if (record->kind() == Record::Kind::ClosedDay)
        refreshRecord();
}

ClosedDay *DayClosingModel::closedDayOn(const Store &store, double day)
{
    for (ClosedDay *c : store.closedDays())
        if (isSameDay(c->dateSeconds(), day))
            return c;
    return nullptr;
}

void DayClosingModel::refreshRecord()
{
    ClosedDay *found = store() ? closedDayOn(*store(), timerManager()->selectedDateSeconds()) : nullptr;
    if (m_closedDayRecord != found) {
        m_closedDayRecord = found;
        emit closedDayRecordChanged();
    }
    refreshTitle();
    refreshNumbers();
}

double DayClosingModel::sumOfBillableHours() const
{
    double hours = 0.0;
    if (m_dayView) {
        // Rounded per task, never on the total.
        for (const Task *t : m_dayView->dayTasks())
            hours += billableHoursFor(t->currentSeconds());
    }
    return hours;
}

void DayClosingModel::refreshNumbers()
{
    const double hours = sumOfBillableHours();
    if (m_closingHours != hours) {
        m_closingHours = hours;
        emit closingHoursChanged();
    }
    const bool canClose = m_dayView && !m_closedDayRecord && !m_dayView->dayTasks().isEmpty();
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
    const Preferences *prefs = m_dayView && m_dayView->services() ? m_dayView->services()->preferences() : nullptr;
    // Any text at all counts as a key, blanks included: only its presence changes the wording.
    const bool hasKey = prefs && !prefs->workbookAPIKey().isEmpty();
    if (m_hasWorkbookKey != hasKey) {
        m_hasWorkbookKey = hasKey;
        emit hasWorkbookKeyChanged();
    }

    const qint64 seconds = m_dayView ? m_dayView->dayTotalSeconds() : 0;
    const double totalHours = m_dayView ? m_dayView->dayTotalHours() : 0.0;
    assign(this, m_totalTimeText, formatElapsed(seconds), &DayClosingModel::totalTimeTextChanged);
    assign(this, m_totalHoursText, formatDecimalHours(totalHours), &DayClosingModel::totalHoursTextChanged);

    QString closed;
    if (m_closedDayRecord) {
        closed = (hasKey ? tr("%1 timer sendt til Workbook") : tr("%1 timer registreret"))
                     .arg(formatDecimalHours(m_closedDayRecord->billableHours()));
    }
    assign(this, m_closedText, closed, &DayClosingModel::closedTextChanged);

    const int count = m_dayView ? int(m_dayView->dayTasks().size()) : 0;
    //: i18n/timeglas_da.ts gives the singular, "1 opgave".
    const QString line = (hasKey ? tr("%n opgaver • %1 timer sendes til Workbook", nullptr, count)
                                 : tr("%n opgaver • %1 timer registreres", nullptr, count))
                             .arg(formatDecimalHours(m_closingHours));
    assign(this, m_confirmLine, line, &DayClosingModel::confirmLineChanged);
}

void DayClosingModel::refreshTitle()
{
    QString title;
    if (const TimerManager *tm = timerManager()) {
        const QDate day = localDate(tm->selectedDateSeconds());
        title = tr("Luk %1?").arg(longDayText(day));
    }
    assign(this, m_confirmTitle, title, &DayClosingModel::confirmTitleChanged);
}

void DayClosingModel::requestClose()
{
    // The footer offers the button only on an open day with tasks.
    if (m_dayView && m_canClose)
        m_dayView->setShowCloseDayConfirm(true);
}

void DayClosingModel::cancelClose()
{
    if (m_dayView)
        m_dayView->setShowCloseDayConfirm(false);
}

void DayClosingModel::closeDay()
{
    if (!m_dayView)
        return;
    Store *s = store();
    // The banner stays open while the user picks other days, so the day may have been closed
    // already or have no tasks by now. A day is closed once: a second record would leave two
    // sets of frozen hours for it.
    if (s && m_canClose) {
        // Stopping changes the list's records, not the list, but it is copied all the same.
        const QList<Task *> tasks = m_dayView->dayTasks();
        for (Task *t : tasks) {
            if (t->isRunning())
                timerManager()->stop(t, s);
        }
        const double hours = sumOfBillableHours();
        s->insert(ClosedDay::create(timerManager()->selectedDateSeconds(), hours));
        // The record stays in the store when the save fails; the automatic save tries again.
        if (const auto error = s->save())
            m_output(saveFailurePrefix() + *error);
    }
    m_dayView->setShowCloseDayConfirm(false);
}
