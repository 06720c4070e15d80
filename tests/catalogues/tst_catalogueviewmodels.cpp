// The project-code and template catalogues' banners, saving and deleting, without a window,
// and tasks made from a template.
// Both follow one rule set; `codes` picks the catalogue, and its main field is the code for
// project codes and the name for templates.
#include "UiFixture.h"
#include "catalogues/ProjectCodeListViewModel.h"
#include "catalogues/TemplateListViewModel.h"
#include "records/TaskFactory.h"

#include <QtTest>

using OptionalCode = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalCode)
struct FromTemplate { QList<qint64> dayOrders; qint64 expected; QString name; OptionalCode code; };
Q_DECLARE_METATYPE(FromTemplate)

namespace {
// One catalogue's model behind the operations both offer, reached by the names QML uses.
class Catalogue
{
public:
    Catalogue(bool codes, UiFixture &fixture) : m_store(fixture.store())
    {
        codes ? void(m_codes = std::make_unique<ProjectCodeListViewModel>())
              : void(m_templates = std::make_unique<TemplateListViewModel>());
        model()->setServices(fixture.services());
    }
    CatalogueBannerModel *model() const
    {
        return m_codes ? static_cast<CatalogueBannerModel *>(m_codes.get()) : m_templates.get();
    }
    const char *pick(const char *code, const char *tpl) const { return m_codes ? code : tpl; }
    Record *add(const QString &text, qint64 order)
    {
        return m_codes ? static_cast<Record *>(m_store->insert(ProjectCode::create(text, "", order)))
                       : m_store->insert(TaskTemplate::create(text, std::nullopt, order));
    }
    QList<Record *> records() const
    {
        return m_codes ? QList<Record *>(m_store->projectCodes().begin(), m_store->projectCodes().end())
                       : QList<Record *>(m_store->templates().begin(), m_store->templates().end());
    }
    QString text(Record *r) const { return r->property(pick("code", "name")).toString(); }
    static qint64 sortOrder(Record *r) { return r->property("sortOrder").toLongLong(); }
    QStringList texts() const
    {
        QStringList out;
        for (Record *r : records())
            out << text(r);
        return out;
    }
    void call(const char *code, const char *tpl) { QVERIFY(QMetaObject::invokeMethod(model(), pick(code, tpl))); }
    void beginNew() { call("beginNewProjectCode", "beginNewTemplate"); }
    void save() { call("saveProjectCode", "saveTemplate"); }
    void beginEdit(Record *r)
    {
        m_codes ? m_codes->beginEditProjectCode(qobject_cast<ProjectCode *>(r))
                : m_templates->beginEditTemplate(qobject_cast<TaskTemplate *>(r));
    }
    void remove(Record *r)
    {
        m_codes ? m_codes->deleteProjectCode(qobject_cast<ProjectCode *>(r))
                : m_templates->deleteTemplate(qobject_cast<TaskTemplate *>(r));
    }
    void type(const QString &t) { model()->setProperty(pick("bannerCode", "bannerName"), t); }
    QString typed() const { return model()->property(pick("bannerCode", "bannerName")).toString(); }
    Record *editing() const
    {
        return qobject_cast<Record *>(qvariant_cast<QObject *>(model()->property(pick("editingCode", "editingTemplate"))));
    }

    std::unique_ptr<ProjectCodeListViewModel> m_codes;
    std::unique_ptr<TemplateListViewModel> m_templates;

private:
    Store *m_store;
};

void bothKinds(const char *row, const std::function<void(QTestData &)> &rest = {})
{
    for (bool codes : {true, false}) {
        QTestData &data = QTest::addRow("%s: %s", codes ? "codes" : "templates", row) << codes;
        if (rest)
            rest(data);
    }
}
} // namespace

class CatalogueViewModelsTest : public QObject
{
    Q_OBJECT

    std::optional<timecalc::TestClock> m_clock;
    std::unique_ptr<UiFixture> m_fixture;

private slots:
    void init()
    {
        m_clock.emplace(1741168800.0); // 2025-03-05 10:00 UTC
        m_fixture = std::make_unique<UiFixture>();
    }
    void cleanup() { m_fixture.reset(); }

    void save_data()
    {
        QTest::addColumn<bool>("codes");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("stored"); // an existing "ABC" is in the catalogue for every row
        auto row = [](const char *name, bool edit, const QString &typed, const QStringList &stored) {
            bothKinds(name, [&](QTestData &d) { d << edit << typed << stored; });
        };
        row("new loses blanks, keeps case", false, " \tabc \t", {"ABC", "abc"});
        row("only blanks stores nothing", false, "  \t ", {"ABC"});
        row("same text again makes a second record", false, "ABC", {"ABC", "ABC"});
        row("edit renames in place", true, "ABD", {"ABD"});
        row("edit with cleared text changes nothing", true, "", {"ABC"});
    }
    void save()
    {
        QFETCH(bool, codes);
        QFETCH(bool, edit);
        QFETCH(QString, typed);
        QFETCH(QStringList, stored);
        Catalogue c(codes, *m_fixture);
        Record *existing = c.add("ABC", 7);
        edit ? c.beginEdit(existing) : c.beginNew();
        c.type(typed);
        c.save();
        QCOMPARE(c.texts(), stored);
        // A new record's sort order is the count; the others are never renumbered.
        QCOMPARE(Catalogue::sortOrder(existing), 7);
        if (stored.size() == 2)
            QCOMPARE(Catalogue::sortOrder(c.records().constLast()), 1);
        // Saving, stored or not, always closes the banner and clears it.
        QVERIFY(!c.model()->showBanner());
        QCOMPARE(c.editing(), nullptr);
        QCOMPARE(c.typed(), QString());
    }

    // Tasks and templates keep the code or name they were made with.
    void deletingLeavesWhatWasMadeFromIt_data() { QTest::addColumn<bool>("codes"); bothKinds("delete"); }
    void deletingLeavesWhatWasMadeFromIt()
    {
        QFETCH(bool, codes);
        Store *store = m_fixture->store();
        Catalogue c(codes, *m_fixture);
        Record *record = c.add("ABC", 0);
        Task *task = m_fixture->addTask("ABC", m_clock->now(), 60, QStringLiteral("ABC"));
        TaskTemplate *tpl = codes ? store->insert(TaskTemplate::create("Support", QStringLiteral("ABC"), 0)) : nullptr;
        c.beginEdit(record);
        c.type("ABD");
        c.save();
        c.beginEdit(record);
        c.remove(record);
        QVERIFY(!c.model()->showBanner()); // the banner was editing it
        QCOMPARE(c.editing(), nullptr);
        c.save(); // a stray save must neither write into the deleted record nor add one
        QVERIFY(c.records().isEmpty());
        c.beginNew();
        c.type("NY");
        c.save();
        QCOMPARE(Catalogue::sortOrder(c.records().constFirst()), 0); // the deleted one no longer counts
        QCOMPARE(store->tasks().size(), 1);
        QCOMPARE(task->name(), "ABC");
        QCOMPARE(task->projectCode(), OptionalCode("ABC"));
        if (tpl)
            QCOMPARE(tpl->projectCode(), OptionalCode("ABC"));
        QCOMPARE(store->save(), std::nullopt);
    }

    // Project codes only: the second field, trimmed like the code; Return in the code field
    // moves on to it instead of saving.
    // A click into the name field before the code field's delayed focus arrives keeps the
    // keyboard in the name field.
    void projectCodeName()
    {
        Catalogue c(true, *m_fixture);
        c.beginNew();
        QVERIFY(c.model()->isFocusPending());
        c.m_codes->setNameFocused(true);
        QTRY_VERIFY(!c.model()->isFocusPending()); // the delayed focus has come and gone
        QVERIFY(c.m_codes->isNameFocused());
        c.type("XY-1");
        c.m_codes->submitCodeField();
        QVERIFY(c.model()->showBanner());
        QVERIFY(c.records().isEmpty());
        c.m_codes->setBannerName("  Intern\t");
        c.save();
        QCOMPARE(qobject_cast<ProjectCode *>(c.records().constLast())->name(), "Intern");
        c.beginEdit(c.records().constLast());
        QCOMPARE(c.m_codes->bannerName(), "Intern");
    }

    // Templates only: the code chips.
    void templateCode_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<OptionalCode>("expected");
        QTest::newRow("one chip") << false << QStringList{"ABC"} << OptionalCode("ABC");
        QTest::newRow("same chip twice deselects") << false << QStringList{"ABC", "ABC"} << OptionalCode();
        QTest::newRow("edit keeps a code outside the catalogue") << true << QStringList{} << OptionalCode("OLD");
        QTest::newRow("edit with another chip") << true << QStringList{"XYZ"} << OptionalCode("XYZ");
    }
    void templateCode()
    {
        QFETCH(bool, edit);
        QFETCH(QStringList, clicks);
        QFETCH(OptionalCode, expected);
        Store *store = m_fixture->store();
        store->insert(ProjectCode::create("ABC", "Kunde", 0));
        store->insert(ProjectCode::create("XYZ", "", 1));
        TaskTemplate *existing = store->insert(TaskTemplate::create("Support", QStringLiteral("OLD"), 0));
        Catalogue c(false, *m_fixture);
        edit ? c.beginEdit(existing) : c.beginNew();
        c.type("Møde");
        QSignalSpy chipsFollow(c.m_templates.get(), &TemplateListViewModel::selectedCodeChanged);
        for (const QString &code : clicks)
            c.m_templates->toggleTemplateCode(code);
        QCOMPARE(c.m_templates->selectedCode(), expected);
        QCOMPARE(chipsFollow.count(), clicks.size());
        // QML sees no code as undefined, so no chip compares equal to it.
        QCOMPARE(c.m_templates->selectedCodeVariant().isValid(), expected.has_value());
        c.save();
        QCOMPARE(store->templates().constLast()->projectCode(), expected);
        QCOMPARE(c.m_templates->selectedCode(), OptionalCode());
    }

    // Making a task from a template, the rule the template list and the quick-add picker
    // share: it goes after every task of its day, also when deletions have left gaps;
    // other days do not count. Name and code are the template's as they are.
    void insertFromTemplate_data()
    {
        QTest::addColumn<FromTemplate>("f");
        QTest::newRow("empty day") << FromTemplate{{}, 0, "Support", OptionalCode("ABC")};
        QTest::newRow("gaps after deletions") << FromTemplate{{0, 2, 5}, 6, "Support", OptionalCode()};
        QTest::newRow("highest first in store order") << FromTemplate{{7, 1}, 8, "S", OptionalCode()};
        QTest::newRow("name kept with its blanks") << FromTemplate{{0}, 1, "  Møde \t", OptionalCode("")};
    }
    void insertFromTemplate()
    {
        QFETCH(FromTemplate, f);
        const auto &[dayOrders, expected, name, code] = f;
        Store *store = m_fixture->store();
        const QDate day(2025, 3, 5);
        const double midnight = timecalc::toSeconds(day.startOfDay());
        for (qint64 order : dayOrders)
            store->insert(Task::create("opgave", midnight + 3600, order, std::nullopt));
        store->insert(Task::create("dagen før", timecalc::toSeconds(day.addDays(-1).startOfDay()), 50, std::nullopt));
        store->insert(Task::create("dagen efter", timecalc::toSeconds(day.addDays(1).startOfDay()), 60, std::nullopt));
        const TaskTemplate *tpl = store->insert(TaskTemplate::create(name, code, 0));
        QCOMPARE(store->save(), std::nullopt);
        // Any moment of the selected day will do; the task lands on its midnight.
        Task *task = TaskFactory::insertFromTemplate(*store, *tpl, midnight + 12 * 3600);
        QVERIFY(task);
        QCOMPARE(task->name(), name);
        QCOMPARE(task->projectCode(), code);
        QCOMPARE(task->sortOrder(), expected);
        QCOMPARE(task->date(), day.startOfDay());
        QCOMPARE(store->tasksOnDay(midnight).size(), dayOrders.size() + 1);
        // Inserted, not saved: the automatic save writes it later.
        QVERIFY(store->hasPendingChanges());
    }
};

QTEST_MAIN(CatalogueViewModelsTest)
#include "tst_catalogueviewmodels.moc"
