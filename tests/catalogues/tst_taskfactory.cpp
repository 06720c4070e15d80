// Making a task from a template: the rule the template list and the quick-add picker share.
#include "Calendar.h"
#include "Clock.h"
#include "Store.h"
#include "TaskFactory.h"

#include <QTemporaryDir>
#include <QtTest>

using OptionalCode = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalCode)

class TaskFactoryTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // Wednesday 5 March 2025, 15:42 in Copenhagen.
        timecalc::Clock::setFixed(QDateTime(QDate(2025, 3, 5), QTime(15, 42)).toSecsSinceEpoch());
        QString error;
        m_store = Store::open(m_dir.filePath(QString::number(++m_run) + ".sqlite"), &error);
        QVERIFY2(m_store, qPrintable(error));
    }
    void cleanup()
    {
        m_store.reset();
        timecalc::Clock::reset();
    }

    void insertFromTemplate_data()
    {
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<OptionalCode>("templateCode");
        QTest::addColumn<int>("tasksThatDay");
        QTest::addColumn<int>("tasksOtherDays");
        QTest::addColumn<qint64>("expectedSortOrder");

        QTest::newRow("after four tasks of the day") << "Support" << OptionalCode("ABC") << 4 << 0 << qint64(4);
        QTest::newRow("first of an empty day") << "Support" << OptionalCode("ABC") << 0 << 0 << qint64(0);
        QTest::newRow("other days are not counted") << "Support" << OptionalCode() << 1 << 5 << qint64(1);
        QTest::newRow("name kept with its blanks") << "  Møde \t" << OptionalCode() << 2 << 0 << qint64(2);
        QTest::newRow("long name not cut") << QString(300, u'x') << OptionalCode("") << 0 << 0 << qint64(0);
    }
    void insertFromTemplate()
    {
        QFETCH(QString, templateName);
        QFETCH(OptionalCode, templateCode);
        QFETCH(int, tasksThatDay);
        QFETCH(int, tasksOtherDays);
        QFETCH(qint64, expectedSortOrder);

        const QDate day(2025, 3, 5);
        const double selected = timecalc::toSeconds(day.startOfDay());
        for (int i = 0; i < tasksThatDay; ++i)
            m_store->insert(Task::create("opgave", selected + 3600 * (i + 1), i, std::nullopt));
        for (int i = 0; i < tasksOtherDays; ++i) {
            const QDate other = day.addDays(i % 2 ? 1 : -1);
            m_store->insert(Task::create("anden dag", timecalc::toSeconds(other.startOfDay()), i, std::nullopt));
        }
        const TaskTemplate *tpl = m_store->insert(TaskTemplate::create(templateName, templateCode, 0));

        // Any moment of the selected day will do; the task lands on its midnight.
        Task *task = TaskFactory::insertFromTemplate(*m_store, *tpl, selected + 12 * 3600);
        QVERIFY(task);
        QCOMPARE(task->store(), m_store.get());
        QCOMPARE(task->name(), templateName);
        QCOMPARE(task->projectCode(), templateCode);
        QCOMPARE(task->sortOrder(), expectedSortOrder);
        QCOMPARE(task->date(), day.startOfDay());
        QCOMPARE(task->accumulatedSeconds(), 0);
        QVERIFY(!task->isRunning());
        QCOMPARE(m_store->tasksOnDay(selected).size(), tasksThatDay + 1);
        // Inserted, not saved: the automatic save writes it later.
        QVERIFY(m_store->hasPendingChanges());
    }

    // A new task goes after every task of its day, also when deletions have left gaps.
    void sortOrderAfterDay_data()
    {
        QTest::addColumn<QList<qint64>>("dayOrders");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("empty day") << QList<qint64>{} << qint64(0);
        QTest::newRow("no gaps: the count") << QList<qint64>{0, 1, 2} << qint64(3);
        QTest::newRow("gaps after deletions") << QList<qint64>{0, 2, 5} << qint64(6);
        QTest::newRow("shared values") << QList<qint64>{0, 0, 0} << qint64(3);
        QTest::newRow("highest first in store order") << QList<qint64>{7, 1} << qint64(8);
    }
    void sortOrderAfterDay()
    {
        QFETCH(QList<qint64>, dayOrders);
        QFETCH(qint64, expected);
        const double day = timecalc::toSeconds(QDate(2025, 3, 5).startOfDay());
        for (qint64 order : dayOrders)
            m_store->insert(Task::create("opgave", day, order, std::nullopt));
        m_store->insert(Task::create("anden dag", day + 86400, 50, std::nullopt));

        QCOMPARE(TaskFactory::sortOrderAfterDay(*m_store, day + 3600), expected);
        const TaskTemplate *tpl = m_store->insert(TaskTemplate::create("Support", std::nullopt, 0));
        QCOMPARE(TaskFactory::insertFromTemplate(*m_store, *tpl, day)->sortOrder(), expected);
    }

private:
    QTemporaryDir m_dir;
    int m_run = 0;
    std::unique_ptr<Store> m_store;
};

QTEST_GUILESS_MAIN(TaskFactoryTest)
#include "tst_taskfactory.moc"
