// The template catalogue's banner, code chips, saving and deleting, without a window.
#include "TemplateListViewModel.h"
#include "UiFixture.h"

#include <QSignalSpy>
#include <QtTest>

using OptionalCode = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalCode)

class TemplateListViewModelTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        timecalc::Clock::setFixed(1741168800.0);
        m_fixture = std::make_unique<UiFixture>();
        m_model = std::make_unique<TemplateListViewModel>();
        m_model->setServices(m_fixture->services());
        Store *store = m_fixture->store();
        store->insert(ProjectCode::create("ABC", "Kunde", 0));
        store->insert(ProjectCode::create("XYZ", "", 1));
    }
    void cleanup()
    {
        m_model.reset();
        m_fixture.reset();
        timecalc::Clock::reset();
    }

    void toggleTemplateCode_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<OptionalCode>("expected");
        QTest::newRow("no click") << QStringList{} << OptionalCode();
        QTest::newRow("one chip") << QStringList{"ABC"} << OptionalCode("ABC");
        QTest::newRow("same chip twice deselects") << QStringList{"ABC", "ABC"} << OptionalCode();
        QTest::newRow("another chip replaces") << QStringList{"ABC", "XYZ"} << OptionalCode("XYZ");
        QTest::newRow("back to the first") << QStringList{"ABC", "XYZ", "ABC"} << OptionalCode("ABC");
    }
    void toggleTemplateCode()
    {
        QFETCH(QStringList, clicks);
        QFETCH(OptionalCode, expected);
        m_model->beginNewTemplate();
        for (const QString &code : clicks)
            m_model->toggleTemplateCode(code);
        QCOMPARE(m_model->selectedCode(), expected);
        // QML sees no code as undefined, so no chip compares equal to it.
        QCOMPARE(m_model->selectedCodeVariant().isValid(), expected.has_value());
    }

    void save_data()
    {
        QTest::addColumn<bool>("editExisting");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("expectedCount");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<OptionalCode>("expectedCode");

        // An existing template "Support" with the code "OLD" (no longer in the catalogue) is in the store.
        QTest::newRow("new name loses blanks") << false << "  Møde\t" << QStringList{} << 2 << "Møde" << OptionalCode();
        QTest::newRow("new with a chip") << false << "Møde" << QStringList{"ABC"} << 2 << "Møde" << OptionalCode("ABC");
        QTest::newRow("chip clicked twice stores no code") << false << "Møde" << QStringList{"ABC", "ABC"} << 2 << "Møde"
                                                            << OptionalCode();
        QTest::newRow("only spaces stores nothing") << false << "   " << QStringList{"ABC"} << 1 << "Support"
                                                    << OptionalCode("OLD");
        QTest::newRow("line break is not trimmed") << false << " Møde\n" << QStringList{} << 2 << "Møde\n" << OptionalCode();
        QTest::newRow("duplicate name allowed") << false << "Support" << QStringList{} << 2 << "Support" << OptionalCode();
        QTest::newRow("edit keeps a code outside the catalogue") << true << "Support 2" << QStringList{} << 1 << "Support 2"
                                                                 << OptionalCode("OLD");
        QTest::newRow("edit with another chip") << true << "Support" << QStringList{"XYZ"} << 1 << "Support"
                                                << OptionalCode("XYZ");
        QTest::newRow("edit with cleared name changes nothing") << true << "" << QStringList{"XYZ"} << 1 << "Support"
                                                                << OptionalCode("OLD");
    }
    void save()
    {
        QFETCH(bool, editExisting);
        QFETCH(QString, typedName);
        QFETCH(QStringList, clicks);
        QFETCH(int, expectedCount);
        QFETCH(QString, expectedName);
        QFETCH(OptionalCode, expectedCode);

        Store *store = m_fixture->store();
        TaskTemplate *existing = store->insert(TaskTemplate::create("Support", QStringLiteral("OLD"), 7));
        if (editExisting) {
            m_model->beginEditTemplate(existing);
            QCOMPARE(m_model->selectedCode(), OptionalCode("OLD"));
        } else {
            m_model->beginNewTemplate();
        }
        m_model->setBannerName(typedName);
        for (const QString &code : clicks)
            m_model->toggleTemplateCode(code);
        m_model->saveTemplate();

        QCOMPARE(store->templates().size(), expectedCount);
        TaskTemplate *last = store->templates().constLast();
        QCOMPARE(last->name(), expectedName);
        QCOMPARE(last->projectCode(), expectedCode);
        QCOMPARE(existing->sortOrder(), 7);
        QVERIFY(!m_model->showBanner());
        QCOMPARE(m_model->editingTemplate(), nullptr);
        QCOMPARE(m_model->bannerName(), QString());
        QCOMPARE(m_model->selectedCode(), OptionalCode());
    }

    void bannerModesAndFocus_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("saveLabel");
        QTest::addColumn<QString>("bannerName");
        QTest::addColumn<OptionalCode>("selectedCode");
        QTest::newRow("new") << false << "Tilføj" << "" << OptionalCode();
        QTest::newRow("edit") << true << "Gem" << "Support" << OptionalCode("ABC");
    }
    void bannerModesAndFocus()
    {
        QFETCH(bool, edit);
        QFETCH(QString, saveLabel);
        QFETCH(QString, bannerName);
        QFETCH(OptionalCode, selectedCode);
        TaskTemplate *tpl = m_fixture->store()->insert(TaskTemplate::create("Support", QStringLiteral("ABC"), 0));
        QSignalSpy focus(m_model.get(), &CatalogueBannerModel::focusChanged);
        if (edit)
            m_model->beginEditTemplate(tpl);
        else
            m_model->beginNewTemplate();
        QVERIFY(m_model->showBanner());
        QCOMPARE(m_model->saveLabel(), saveLabel);
        QCOMPARE(m_model->bannerName(), bannerName);
        QCOMPARE(m_model->selectedCode(), selectedCode);
        QVERIFY(!m_model->isNameFocused());
        QVERIFY(focus.wait(2000));
        QVERIFY(m_model->isNameFocused());
    }

    void reopeningDropsUnsavedInput()
    {
        Store *store = m_fixture->store();
        TaskTemplate *a = store->insert(TaskTemplate::create("Alfa", QStringLiteral("ABC"), 0));
        TaskTemplate *b = store->insert(TaskTemplate::create("Beta", std::nullopt, 1));
        m_model->beginEditTemplate(a);
        m_model->setBannerName("Alfa ændret");
        m_model->toggleTemplateCode("XYZ");
        m_model->beginEditTemplate(b);
        QCOMPARE(m_model->editingTemplate(), b);
        QCOMPARE(m_model->bannerName(), QStringLiteral("Beta"));
        QCOMPARE(m_model->selectedCode(), OptionalCode());
        m_model->closeTemplateBanner();
        QCOMPARE(a->name(), QStringLiteral("Alfa"));
        QCOMPARE(a->projectCode(), OptionalCode("ABC"));
    }

    void newTemplateSortOrderAfterDeletion()
    {
        Store *store = m_fixture->store();
        QList<TaskTemplate *> templates;
        for (int i = 0; i < 3; ++i)
            templates.append(store->insert(TaskTemplate::create(QString::number(i), std::nullopt, i)));
        m_model->deleteTemplate(templates.constFirst());
        m_model->beginNewTemplate();
        m_model->setBannerName("Ny");
        m_model->saveTemplate();
        QCOMPARE(store->templates().constLast()->sortOrder(), 2);
        QCOMPARE(templates.at(2)->sortOrder(), 2);
    }

    void deletingLeavesTasksMadeFromIt()
    {
        Store *store = m_fixture->store();
        TaskTemplate *tpl = store->insert(TaskTemplate::create("Support", QStringLiteral("ABC"), 0));
        Task *task = m_fixture->addTask("Support", timecalc::Clock::nowSeconds(), 0, QStringLiteral("ABC"));
        m_model->beginEditTemplate(tpl);
        m_model->deleteTemplate(tpl);
        QVERIFY(store->templates().isEmpty());
        QVERIFY(!m_model->showBanner()); // the banner was editing it
        QCOMPARE(store->tasks().size(), 1);
        QCOMPARE(task->name(), QStringLiteral("Support"));
        QCOMPARE(task->projectCode(), OptionalCode("ABC"));
    }

private:
    std::unique_ptr<UiFixture> m_fixture;
    std::unique_ptr<TemplateListViewModel> m_model;
};

QTEST_MAIN(TemplateListViewModelTest)
#include "tst_templatelistviewmodel.moc"
