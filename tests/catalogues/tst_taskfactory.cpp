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

    QTemporaryDir m_dir;
    int m_run = 0;
    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<Store> m_store;

private slots:
    void init()
    {
        m_clock.emplace(timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(15, 42))));
        QString error;
        m_store = Store::open(m_dir.filePath(QString::number(++m_run) + ".sqlite"), &error);
        QVERIFY2(m_store, qPrintable(error));
    }
    void cleanup() { m_store.reset(); }

    // A new task goes after every task of its day, also when deletions have left gaps;
    // other days do not count. Name and code are the template's as they are.
    void insertFromTemplate_data()
    {
        QTest::addColumn<QList<qint64>>("dayOrders");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("name");
        QTest::addColumn<OptionalCode>("code");
        QTest::newRow("empty day") << QList<qint64>{} << qint64(0) << "Support" << OptionalCode("ABC");
        QTest::newRow("gaps after deletions") << QList<qint64>{0, 2, 5} << qint64(6) << "Support" << OptionalCode();
        QTest::newRow("shared values") << QList<qint64>{0, 0, 0} << qint64(3) << "Support" << OptionalCode();
        QTest::newRow("highest first in store order") << QList<qint64>{7, 1} << qint64(8) << "S" << OptionalCode();
        QTest::newRow("name kept with its blanks") << QList<qint64>{0} << qint64(1) << "  Møde \t" << OptionalCode("");
        QTest::newRow("long name not cut") << QList<qint64>{} << qint64(0) << QString(300, u'x') << OptionalCode();
    }
    void insertFromTemplate()
    {
        QFETCH(QList<qint64>, dayOrders);
        QFETCH(qint64, expected);
        QFETCH(QString, name);
        QFETCH(OptionalCode, code);
        const QDate day(2025, 3, 5);
        const double midnight = timecalc::toSeconds(day.startOfDay());
        for (qint64 order : dayOrders)
            m_store->insert(Task::create("opgave", midnight + 3600, order, std::nullopt));
        m_store->insert(Task::create("dagen før", timecalc::toSeconds(day.addDays(-1).startOfDay()), 50, std::nullopt));
        m_store->insert(Task::create("dagen efter", timecalc::toSeconds(day.addDays(1).startOfDay()), 60, std::nullopt));
        QCOMPARE(TaskFactory::sortOrderAfterDay(*m_store, midnight + 3600), expected);
        const TaskTemplate *tpl = m_store->insert(TaskTemplate::create(name, code, 0));
        QCOMPARE(m_store->save(), std::nullopt);
        // Any moment of the selected day will do; the task lands on its midnight.
        Task *task = TaskFactory::insertFromTemplate(*m_store, *tpl, midnight + 12 * 3600);
        QVERIFY(task);
        QCOMPARE(task->store(), m_store.get());
        QCOMPARE(task->name(), name);
        QCOMPARE(task->projectCode(), code);
        QCOMPARE(task->sortOrder(), expected);
        QCOMPARE(task->date(), day.startOfDay());
        QCOMPARE(task->accumulatedSeconds(), 0);
        QVERIFY(!task->isRunning());
        QCOMPARE(m_store->tasksOnDay(midnight).size(), dayOrders.size() + 1);
        // Inserted, not saved: the automatic save writes it later.
        QVERIFY(m_store->hasPendingChanges());
    }
};

QTEST_GUILESS_MAIN(TaskFactoryTest)
#include "tst_taskfactory.moc"
