// Live queries: list models that re-deliver after every change of the store.
#include "RecordListModel.h"
#include "Store.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Templates and tasks are labelled by name, project codes by code.
const char *labelField(const Record *r) { return r->kind() == Record::Kind::ProjectCode ? "code" : "name"; }
QStringList labels(const RecordListModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto *r = qvariant_cast<Record *>(model.data(model.index(row), RecordListModel::RecordRole));
        out << r->property(labelField(r)).toString();
    }
    return out;
}
Record *addCatalogueEntry(Store &store, Record::Kind kind, const QString &label, qint64 sortOrder)
{
    if (kind == Record::Kind::ProjectCode)
        return store.insert(ProjectCode::create(label, "", sortOrder));
    return store.insert(TaskTemplate::create(label, std::nullopt, sortOrder));
}
} // namespace

class TestRecordListModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Store> m_store;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QString error;
        m_store = Store::open(m_dir->filePath("models.sqlite"), &error);
        QVERIFY2(m_store, qPrintable(error));
    }
    void cleanup()
    {
        m_store.reset();
        m_dir.reset();
    }

    void tasksInStoreOrder()
    {
        RecordListModel model(m_store.get(), Record::Kind::Task, RecordListModel::Order::Store);
        QAbstractItemModelTester tester(&model);
        QSignalSpy changed(&model, &RecordListModel::changed);
        QSignalSpy edited(&model, &QAbstractItemModel::dataChanged);

        Task *a = m_store->insert(Task::create("A", 0, 5, std::nullopt));
        Task *b = m_store->insert(Task::create("B", 0, 1, std::nullopt));
        m_store->insert(ProjectCode::create("not a task", "", 0));
        QCOMPARE(labels(model), QStringList({"A", "B"}));
        QCOMPARE(changed.count(), 2);

        b->setName("B2");
        a->setSortOrder(0); // the unsorted query keeps store order
        QCOMPARE(labels(model), QStringList({"A", "B2"}));
        QCOMPARE(edited.count(), 2);
        QCOMPARE(edited.first().first().value<QModelIndex>().row(), 1);
        QCOMPARE(changed.count(), 4);

        m_store->remove(a);
        QCOMPARE(labels(model), QStringList({"B2"}));
        QCOMPARE(model.at(0), b);
        QCOMPARE(model.at(1), nullptr);
        QCOMPARE(changed.count(), 5);
    }

    void cataloguesBySortOrder_data()
    {
        QTest::addColumn<int>("kindValue");
        QTest::newRow("project codes") << int(Record::Kind::ProjectCode);
        QTest::newRow("templates") << int(Record::Kind::TaskTemplate);
    }
    void cataloguesBySortOrder()
    {
        QFETCH(int, kindValue);
        const auto kind = Record::Kind(kindValue);
        RecordListModel model(m_store.get(), kind, RecordListModel::Order::SortOrder);
        QAbstractItemModelTester tester(&model);
        QSignalSpy changed(&model, &RecordListModel::changed);

        Record *x = addCatalogueEntry(*m_store, kind, "X", 2);
        Record *y = addCatalogueEntry(*m_store, kind, "Y", 1);
        addCatalogueEntry(*m_store, kind, "Z", 2);
        addCatalogueEntry(*m_store, kind, "W", 0);
        QCOMPARE(labels(model), QStringList({"W", "Y", "X", "Z"})); // ties keep store order
        QCOMPARE(changed.count(), 4);

        x->setProperty("sortOrder", 0);
        QCOMPARE(labels(model), QStringList({"X", "W", "Y", "Z"}));
        y->setProperty(labelField(y), "Y2");
        QCOMPARE(labels(model), QStringList({"X", "W", "Y2", "Z"}));
        m_store->remove(x);
        QCOMPARE(labels(model), QStringList({"W", "Y2", "Z"}));
        QCOMPARE(changed.count(), 7);
    }
};

QTEST_GUILESS_MAIN(TestRecordListModel)
#include "tst_recordlistmodel.moc"
