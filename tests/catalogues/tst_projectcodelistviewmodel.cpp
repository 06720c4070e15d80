// The project-code catalogue's banner, saving and deleting, without a window.
#include "ProjectCodeListViewModel.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// Whether a spy's signal arrives while the event loop runs; a delayed focus needs the loop.
bool arrives(QSignalSpy &spy)
{
    return !spy.isEmpty() || spy.wait(2000);
}
} // namespace

class ProjectCodeListViewModelTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        timecalc::Clock::setFixed(1741168800.0); // 2025-03-05 10:00 UTC
        m_fixture = std::make_unique<UiFixture>();
        m_model = std::make_unique<ProjectCodeListViewModel>();
        m_model->setServices(m_fixture->services());
    }
    void cleanup()
    {
        m_model.reset();
        m_fixture.reset();
        timecalc::Clock::reset();
    }

    void save_data()
    {
        QTest::addColumn<bool>("editExisting");
        QTest::addColumn<QString>("typedCode");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<int>("expectedCount");
        QTest::addColumn<QString>("expectedCode");
        QTest::addColumn<QString>("expectedName");

        // An existing record "ABC" / "Kunde" is in the store for every row.
        QTest::newRow("new code loses blanks, keeps case") << false << " abc " << "" << 2 << "abc" << "";
        QTest::newRow("tabs trimmed from code and name") << false << "\tXY-1\t" << "  Intern  " << 2 << "XY-1" << "Intern";
        QTest::newRow("line break is not trimmed") << false << "ab\n" << "" << 2 << "ab\n" << "";
        QTest::newRow("no length limit") << false << QString(60, u'K') << "" << 2 << QString(60, u'K') << "";
        QTest::newRow("empty code stores nothing") << false << "  \t " << "Navn" << 1 << "ABC" << "Kunde";
        QTest::newRow("same code again makes a second record") << false << "ABC" << "" << 2 << "ABC" << "";
        QTest::newRow("edit renames in place") << true << "ABD" << "" << 1 << "ABD" << "";
        QTest::newRow("edit with cleared code changes nothing") << true << "" << "Ny" << 1 << "ABC" << "Kunde";
    }
    void save()
    {
        QFETCH(bool, editExisting);
        QFETCH(QString, typedCode);
        QFETCH(QString, typedName);
        QFETCH(int, expectedCount);
        QFETCH(QString, expectedCode);
        QFETCH(QString, expectedName);

        Store *store = m_fixture->store();
        ProjectCode *existing = store->insert(ProjectCode::create(QStringLiteral("ABC"), QStringLiteral("Kunde"), 0));
        if (editExisting)
            m_model->beginEditProjectCode(existing);
        else
            m_model->beginNewProjectCode();
        m_model->setBannerCode(typedCode);
        m_model->setBannerName(typedName);
        m_model->saveProjectCode();

        QCOMPARE(store->projectCodes().size(), expectedCount);
        ProjectCode *last = store->projectCodes().constLast();
        QCOMPARE(last->code(), expectedCode);
        QCOMPARE(last->name(), expectedName);
        QCOMPARE(existing->sortOrder(), 0);
        // Saving, stored or not, always closes the banner and clears it.
        QVERIFY(!m_model->showBanner());
        QCOMPARE(m_model->editingCode(), nullptr);
        QCOMPARE(m_model->bannerCode(), QString());
        QCOMPARE(m_model->bannerName(), QString());
    }

    void bannerModes_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("saveLabel");
        QTest::addColumn<QString>("bannerCode");
        QTest::addColumn<QString>("bannerName");
        QTest::newRow("new") << false << "Tilføj" << "" << "";
        QTest::newRow("edit") << true << "Gem" << "ABC" << "Kunde";
    }
    void bannerModes()
    {
        QFETCH(bool, edit);
        QFETCH(QString, saveLabel);
        QFETCH(QString, bannerCode);
        QFETCH(QString, bannerName);
        ProjectCode *code = m_fixture->store()->insert(ProjectCode::create("ABC", "Kunde", 0));

        QSignalSpy focus(m_model.get(), &CatalogueBannerModel::focusChanged);
        if (edit)
            m_model->beginEditProjectCode(code);
        else
            m_model->beginNewProjectCode();
        QVERIFY(m_model->showBanner());
        QCOMPARE(m_model->saveLabel(), saveLabel);
        QCOMPARE(m_model->editingCode(), edit ? code : nullptr);
        QCOMPARE(m_model->bannerCode(), bannerCode);
        QCOMPARE(m_model->bannerName(), bannerName);
        // The code field takes focus a moment after opening, in both modes.
        QVERIFY(!m_model->isCodeFocused());
        QVERIFY(arrives(focus));
        QVERIFY(m_model->isCodeFocused());
        QVERIFY(!m_model->isNameFocused());
    }

    void reopeningDropsUnsavedInput()
    {
        Store *store = m_fixture->store();
        ProjectCode *a = store->insert(ProjectCode::create("A", "Alfa", 0));
        ProjectCode *b = store->insert(ProjectCode::create("B", "", 1));
        m_model->beginEditProjectCode(a);
        m_model->setBannerCode("A-ændret");
        m_model->setBannerName("halvt skrevet");

        m_model->beginEditProjectCode(b);
        QCOMPARE(m_model->editingCode(), b);
        QCOMPARE(m_model->bannerCode(), QStringLiteral("B"));
        QCOMPARE(m_model->bannerName(), QString());

        m_model->setBannerCode("B2");
        m_model->beginNewProjectCode();
        QCOMPARE(m_model->editingCode(), nullptr);
        QCOMPARE(m_model->saveLabel(), QStringLiteral("Tilføj"));
        QCOMPARE(m_model->bannerCode(), QString());
        QCOMPARE(a->code(), QStringLiteral("A"));
        QCOMPARE(b->code(), QStringLiteral("B"));
    }

    void returnInCodeFieldMovesFocusWithoutSaving()
    {
        m_model->beginNewProjectCode();
        m_model->setCodeFocused(true);
        m_model->setBannerCode("ABC");
        m_model->submitCodeField();
        QVERIFY(m_model->isNameFocused());
        QVERIFY(!m_model->isCodeFocused());
        QVERIFY(m_model->showBanner());
        QCOMPARE(m_fixture->store()->projectCodes().size(), 0);
    }

    void closingCancelsThePendingFocus()
    {
        m_model->beginNewProjectCode();
        QVERIFY(m_model->isFocusPending());
        m_model->closeCodeBanner();
        QVERIFY(!m_model->isFocusPending());
        QVERIFY(!m_model->isCodeFocused());
    }

    void clickIntoFieldBeatsTheDelayedFocus()
    {
        m_model->beginNewProjectCode();
        m_model->setNameFocused(true);
        QVERIFY(!m_model->isFocusPending());
        QVERIFY(m_model->isNameFocused());
    }

    void newCodeSortOrderIsTheCount_data()
    {
        QTest::addColumn<QList<int>>("deleteRows");
        QTest::addColumn<qint64>("expectedSortOrder");
        QTest::newRow("nothing deleted") << QList<int>{} << qint64(3);
        QTest::newRow("first deleted: repeats the last") << QList<int>{0} << qint64(2);
        QTest::newRow("last deleted") << QList<int>{2} << qint64(2);
        QTest::newRow("two deleted") << QList<int>{0, 1} << qint64(1);
    }
    void newCodeSortOrderIsTheCount()
    {
        QFETCH(QList<int>, deleteRows);
        QFETCH(qint64, expectedSortOrder);
        Store *store = m_fixture->store();
        QList<ProjectCode *> codes;
        for (int i = 0; i < 3; ++i)
            codes.append(store->insert(ProjectCode::create(QString::number(i), "", i)));
        for (int row : deleteRows)
            m_model->deleteProjectCode(codes.at(row));

        m_model->beginNewProjectCode();
        m_model->setBannerCode("NY");
        m_model->saveProjectCode();
        QCOMPARE(store->projectCodes().constLast()->code(), QStringLiteral("NY"));
        QCOMPARE(store->projectCodes().constLast()->sortOrder(), expectedSortOrder);
        // The others are never renumbered.
        for (ProjectCode *c : store->projectCodes())
            if (c->code() != QLatin1String("NY"))
                QCOMPARE(c->sortOrder(), c->code().toLongLong());
    }

    void renamingOrDeletingLeavesTasksAndTemplates()
    {
        Store *store = m_fixture->store();
        ProjectCode *code = store->insert(ProjectCode::create("ABC", "", 0));
        Task *task = m_fixture->addTask("Kundemøde", timecalc::Clock::nowSeconds(), 60, QStringLiteral("ABC"));
        TaskTemplate *tpl = store->insert(TaskTemplate::create("Support", QStringLiteral("ABC"), 0));

        m_model->beginEditProjectCode(code);
        m_model->setBannerCode("ABD");
        m_model->saveProjectCode();
        QCOMPARE(code->code(), QStringLiteral("ABD"));
        QCOMPARE(task->projectCode(), std::optional<QString>(QStringLiteral("ABC")));
        QCOMPARE(tpl->projectCode(), std::optional<QString>(QStringLiteral("ABC")));

        m_model->deleteProjectCode(code);
        QVERIFY(store->projectCodes().isEmpty());
        QCOMPARE(store->tasks().size(), 1);
        QCOMPARE(task->projectCode(), std::optional<QString>(QStringLiteral("ABC")));
        QCOMPARE(tpl->projectCode(), std::optional<QString>(QStringLiteral("ABC")));
        QVERIFY(!store->save().has_value());
    }

    void deletingTheEditedCodeClosesTheBanner()
    {
        Store *store = m_fixture->store();
        ProjectCode *code = store->insert(ProjectCode::create("ABC", "", 0));
        m_model->beginEditProjectCode(code);
        m_model->setBannerCode("ABD");
        m_model->deleteProjectCode(code);
        QVERIFY(!m_model->showBanner());
        QCOMPARE(m_model->editingCode(), nullptr);
        // A stray save afterwards must neither write into the deleted record nor add one.
        m_model->saveProjectCode();
        QVERIFY(store->projectCodes().isEmpty());
    }

    void emptyText_data()
    {
        QTest::addColumn<bool>("withCode");
        QTest::addColumn<bool>("openBanner");
        QTest::addColumn<bool>("expected");
        QTest::newRow("no codes, banner closed") << false << false << true;
        QTest::newRow("no codes, banner open") << false << true << false;
        QTest::newRow("a code, banner closed") << true << false << false;
    }
    void emptyText()
    {
        QFETCH(bool, withCode);
        QFETCH(bool, openBanner);
        QFETCH(bool, expected);
        if (withCode)
            m_fixture->store()->insert(ProjectCode::create("ABC", "", 0));
        if (openBanner)
            m_model->beginNewProjectCode();
        QCOMPARE(m_model->showEmptyText(), expected);
    }

private:
    std::unique_ptr<UiFixture> m_fixture;
    std::unique_ptr<ProjectCodeListViewModel> m_model;
};

QTEST_MAIN(ProjectCodeListViewModelTest)
#include "tst_projectcodelistviewmodel.moc"
