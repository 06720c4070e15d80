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
        QTest::addColumn<int>("inserted");
        QTest::addColumn<int>("removed");

        QTest::newRow("first rows") << "" << "AB" << 2 << 0;
        QTest::newRow("add at the end") << "AB" << "ABC" << 1 << 0;
        QTest::newRow("delete in the middle") << "ABCD" << "ABD" << 0 << 1;
        QTest::newRow("exchange two neighbours") << "ABCD" << "ACBD" << 0 << 0;
        QTest::newRow("reverse") << "ABCDE" << "EDCBA" << 0 << 0;
        QTest::newRow("delete, add and move at once") << "ABCDE" << "EXBD" << 1 << 2;
        QTest::newRow("all gone") << "ABC" << "" << 0 << 3;
    }

    void reachesTheNewOrder()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, inserted);
        QFETCH(int, removed);
        DayTaskListModel model;
        model.setTasks(tasks(from));
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removes(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        QVERIFY(model.setTasks(tasks(to)));

        QCOMPARE(letters(model), to);
        QCOMPARE(model.count(), to.size());
        int insertedRows = 0;
        for (const auto &args : inserts)
            insertedRows += args.at(2).toInt() - args.at(1).toInt() + 1;
        int removedRows = 0;
        for (const auto &args : removes)
            removedRows += args.at(2).toInt() - args.at(1).toInt() + 1;
        QCOMPARE(insertedRows, inserted);
        QCOMPARE(removedRows, removed);
        QCOMPARE(resets.count(), 0);
        for (int row = 0; row < model.rowCount(); ++row) {
            QCOMPARE(model.index(row).data(DayTaskListModel::CanMoveUpRole).toBool(), row > 0);
            QCOMPARE(model.index(row).data(DayTaskListModel::CanMoveDownRole).toBool(), row < model.rowCount() - 1);
        }
    }

};

QTEST_MAIN(DayTaskListModelTest)
#include "tst_daytasklistmodel.moc"
