// The day's list model reaches any new order through row removes, moves and inserts that a
// view can follow, and keeps each task's row instead of rebuilding.
#include "dayview/DayTaskListModel.h"
#include "records/Task.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>
#include <map>
#include <memory>

class DayTaskListModelTest : public QObject
{
    Q_OBJECT

    std::map<QChar, std::unique_ptr<Task>> m_tasks;

    QList<Task *> tasks(const QString &letters)
    {
        QList<Task *> out;
        for (const QChar c : letters) {
            auto &t = m_tasks[c];
            if (!t)
                t = Task::create(QString(c), 0, 0, std::nullopt);
            out << t.get();
        }
        return out;
    }

    static QString letters(const DayTaskListModel &model)
    {
        QString out;
        for (int row = 0; row < model.rowCount(); ++row)
            out += static_cast<Task *>(model.index(row).data(DayTaskListModel::TaskRole).value<QObject *>())->name();
        return out;
    }

private slots:
    void cleanup() { m_tasks.clear(); }

    void reachesTheNewOrder_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");

        QTest::newRow("first rows") << "" << "AB";
        QTest::newRow("add at the end") << "AB" << "ABC";
        QTest::newRow("delete in the middle") << "ABCD" << "ABD";
        QTest::newRow("exchange two neighbours") << "ABCD" << "ACBD";
        QTest::newRow("reverse") << "ABCDE" << "EDCBA";
        QTest::newRow("delete, add and move at once") << "ABCDE" << "EXBD";
        QTest::newRow("all gone") << "ABC" << "";
    }

    void reachesTheNewOrder()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        DayTaskListModel model;
        model.setTasks(tasks(from));
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        QVERIFY(model.setTasks(tasks(to)));

        QCOMPARE(letters(model), to);
        QCOMPARE(model.count(), to.size());
        QCOMPARE(resets.count(), 0); // rows kept, not rebuilt
        for (int row = 0; row < model.rowCount(); ++row) {
            QCOMPARE(model.index(row).data(DayTaskListModel::CanMoveUpRole).toBool(), row > 0);
            QCOMPARE(model.index(row).data(DayTaskListModel::CanMoveDownRole).toBool(), row < model.rowCount() - 1);
        }
    }
};

QTEST_MAIN(DayTaskListModelTest)
#include "tst_daytasklistmodel.moc"
