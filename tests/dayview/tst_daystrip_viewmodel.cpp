// The week strip without a window: Monday-first weeks around Sundays, month and year ends and
// daylight-saving changes, moving between weeks, and the notice that follows the selected day.
#include "core/TimerManager.h"
#include "dayview/DayStripViewModel.h"
#include "timecalc/Calendar.h"
#include "timecalc/Clock.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {
double midnight(const QDate &d)
{
    return timecalc::toSeconds(d.startOfDay());
}
double at(const QDate &d, int hour, int minute = 0)
{
    return timecalc::toSeconds(QDateTime(d, QTime(hour, minute)));
}
// Wednesday 5 March 2025.
const QDate Today(2025, 3, 5);
} // namespace

class DayStripViewModelTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<TimerManager> tm;
    std::unique_ptr<DayStripViewModel> strip;

    QVariant role(int row, DayStripViewModel::Roles r) const { return strip->data(strip->index(row), r); }

private slots:
    void init()
    {
        strip.reset(); // before what it uses
        m_clock.emplace(at(Today, 14, 30));
        tm = std::make_unique<TimerManager>(nullptr, [](const QString &) {});
        strip = std::make_unique<DayStripViewModel>();
        strip->setTimerManager(tm.get());
    }

    void isAWellBehavedModel()
    {
        QAbstractItemModelTester tester(strip.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy picked(tm.get(), &TimerManager::selectedDateChanged);
        strip->selectDay(-1); // outside the week: ignored
        strip->selectDay(7);
        QCOMPARE(picked.count(), 0);
        tm->nextWeek();
        strip->selectDay(4);
        strip->setTimerManager(nullptr);
        QCOMPARE(strip->rowCount(), 0);
    }

    void weekAroundSelectedDay_data()
    {
        QTest::addColumn<QDate>("selected");
        QTest::addColumn<QDate>("monday");
        QTest::addColumn<int>("selectedIndex");

        QTest::newRow("Wednesday in mid-week") << QDate(2025, 3, 5) << QDate(2025, 3, 3) << 2;
        QTest::newRow("Sunday shows the Monday six days before") << QDate(2025, 3, 9) << QDate(2025, 3, 3) << 6;
        QTest::newRow("Monday begins its own week") << QDate(2025, 3, 10) << QDate(2025, 3, 10) << 0;
        QTest::newRow("year end inside the week") << QDate(2025, 1, 1) << QDate(2024, 12, 30) << 2;
        QTest::newRow("spring-forward Sunday") << QDate(2025, 3, 30) << QDate(2025, 3, 24) << 6;
        QTest::newRow("fall-back Sunday") << QDate(2025, 10, 26) << QDate(2025, 10, 20) << 6;
    }
    void weekAroundSelectedDay()
    {
        QFETCH(QDate, selected);
        QFETCH(QDate, monday);
        QFETCH(int, selectedIndex);
        // Any moment of the day will do, late evening included.
        tm->setSelectedDateSeconds(at(selected, 23, 30));

        QCOMPARE(strip->rowCount(), 7);
        const QStringList labels = {"Ma", "Ti", "On", "To", "Fr", "Lø", "Sø"};
        for (int i = 0; i < 7; ++i) {
            const QDate expected = monday.addDays(i);
            QCOMPARE(strip->cellDates().at(i), expected);
            QCOMPARE(role(i, DayStripViewModel::LabelRole).toString(), labels.at(i));
            QCOMPARE(role(i, DayStripViewModel::NumberRole).toInt(), expected.day());
            QCOMPARE(role(i, DayStripViewModel::IsSelectedRole).toBool(), i == selectedIndex);
        }
        QCOMPARE(strip->selectedIndex(), selectedIndex);
    }

    void movingAndPicking_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("action"); // "previous", "next", "today" or a cell index
        QTest::addColumn<QDate>("expected");
        QTest::addColumn<bool>("noticeShown");

        QTest::newRow("next week keeps the weekday") << Today << "next" << QDate(2025, 3, 12) << true;
        QTest::newRow("previous week across the year end") << QDate(2025, 1, 2) << "previous" << QDate(2024, 12, 26)
                                                           << true;
        QTest::newRow("a cell picks a day of the shown week") << QDate(2025, 3, 12) << "0" << QDate(2025, 3, 10)
                                                              << true;
        QTest::newRow("picking today's cell hides the notice") << QDate(2025, 3, 3) << "2" << Today << false;
        QTest::newRow("Gå til i dag from another year") << QDate(2024, 6, 1) << "today" << Today << false;
    }
    void movingAndPicking()
    {
        QFETCH(QDate, from);
        QFETCH(QString, action);
        QFETCH(QDate, expected);
        QFETCH(bool, noticeShown);
        tm->setSelectedDateSeconds(midnight(from));

        if (action == "previous")
            strip->previousWeek();
        else if (action == "next")
            strip->nextWeek();
        else if (action == "today")
            strip->goToToday();
        else
            strip->selectDay(action.toInt());

        // Always the start of the day, even across a change of the clocks.
        QCOMPARE(tm->selectedDateSeconds(), midnight(expected));
        QCOMPARE(strip->isViewingOtherDay(), noticeShown);
        QCOMPARE(strip->cellDates().at(strip->selectedIndex()), expected);
    }

    void noticeFollowsSelectedDate()
    {
        QSignalSpy spy(strip.get(), &DayStripViewModel::isViewingOtherDayChanged);
        QVERIFY(!strip->isViewingOtherDay());
        QCOMPARE(strip->todayIndex(), 2);

        // Set by anyone, not only by the strip.
        tm->setSelectedDateSeconds(midnight(Today.addDays(-1)));
        QVERIFY(strip->isViewingOtherDay());
        tm->setSelectedDateSeconds(at(Today, 9));
        QVERIFY(!strip->isViewingOtherDay());
        QCOMPARE(spy.count(), 2);

        // Past midnight the selected Wednesday is no longer today; the next tick shows it.
        m_clock->set(at(Today.addDays(1), 0, 1));
        tm->advanceTick();
        QVERIFY(strip->isViewingOtherDay());
        QCOMPARE(strip->todayIndex(), 3);
        QVERIFY(role(3, DayStripViewModel::IsTodayRole).toBool());
        QVERIFY(!role(2, DayStripViewModel::IsTodayRole).toBool());
    }
};

QTEST_GUILESS_MAIN(DayStripViewModelTest)
#include "tst_daystrip_viewmodel.moc"
