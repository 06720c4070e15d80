#include "core/MenuBarLabel.h"

#include "core/Preferences.h"
#include "core/TimerManager.h"
#include "records/Store.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"
#include "timecalc/TimeCalc.h"

using namespace timecalc;

MenuBarLabel::MenuBarLabel(Store *store, TimerManager *timerManager, Preferences *preferences, QObject *parent)
    : QObject(parent), m_store(store), m_timerManager(timerManager), m_preferences(preferences)
{
    connect(timerManager, &TimerManager::tickChanged, this, &MenuBarLabel::reevaluate);
    connect(store, &Store::changed, this, [this](Record::Kind kind) {
        if (kind == Record::Kind::Task)
            reevaluate();
    });
    connect(preferences, &Preferences::defaultShowBillableTimeChanged, this, &MenuBarLabel::reevaluate);
    connect(store, &Store::saveErrorChanged, this, &MenuBarLabel::reevaluate);
    m_presentation = evaluate(*store, preferences->defaultShowBillableTime(), today());
}

LabelPresentation MenuBarLabel::running(const Task &task)
{
    const QString middleDot = QStringLiteral("\u00B7");
    const QString name = task.name().isEmpty() ? middleDot : task.name();
    return {QStringLiteral("hourglass"), formatElapsed(task.currentSeconds()) + u' ' + middleDot + u' ' + name, {}, {}, {}};
}

LabelPresentation MenuBarLabel::idle(double totalHours)
{
    const QString text = totalHours > 0.0 ? formatDecimalHours(totalHours) + u't' : QString();
    return {QStringLiteral("hourglass.bottomhalf.filled"), text, {}, {}, {}};
}

double MenuBarLabel::todaysTotal(const Store &store, bool billable, std::optional<double> today)
{
    double total = 0.0;
    for (const Task *task : store.tasksDatedExactly(today.value_or(startOfToday())))
        total += hoursFor(task->currentSeconds(), billable);
    return total;
}

LabelPresentation MenuBarLabel::evaluate(const Store &store, bool billable, std::optional<double> today)
{
    const Task *task = store.firstRunningTask();
    const LabelPresentation idleNow = idle(todaysTotal(store, billable, today));
    LabelPresentation presentation = task ? running(*task) : idleNow;
    presentation.today = idleNow.text;
    QStringList lines;
    if (task)
        lines.append(task->displayName());
    if (!idleNow.text.isEmpty())
        lines.append(tr("I dag %1").arg(idleNow.text));
    presentation.toolTip = lines.join(u'\n');
    presentation.warning = saveWarning(store.saveError());
    return presentation;
}

QString MenuBarLabel::saveWarning(const QString &saveError)
{
    return saveError.isEmpty() ? QString() : tr("Ændringer gemmes ikke: %1").arg(saveError);
}

double MenuBarLabel::today()
{
    const double now = Clock::nowSeconds();
    if (now < m_todayStart || now >= m_todayEnd) {
        m_todayStart = startOfToday();
        m_todayEnd = addDays(m_todayStart, 1).value_or(now + 1);
    }
    return m_todayStart;
}

void MenuBarLabel::reevaluate()
{
    if (!m_store || !m_preferences)
        return;
    const LabelPresentation next = evaluate(*m_store, m_preferences->defaultShowBillableTime(), today());
    if (next == m_presentation)
        return;
    m_presentation = next;
    emit presentationChanged(m_presentation);
}
