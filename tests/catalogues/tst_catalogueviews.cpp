// The catalogue views wired to their view models: keyboard flow through the banners,
// hover-revealed row buttons and chips, driven through a real window.
#include "Accessibility.h"
#include "UiFixture.h"

#include <QQuickItem>
#include <QtTest>

class CatalogueViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { timecalc::Clock::setFixed(1741168800.0); }
    void cleanup() { timecalc::Clock::reset(); }

    void codeBannerByKeyboard_data()
    {
        QTest::addColumn<QString>("typedCode");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<int>("expectedCount");
        QTest::addColumn<QString>("expectedCode");
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("code and name") << " abc " << "Kunde " << 1 << "abc" << "Kunde";
        QTest::newRow("code only") << "X1" << "" << 1 << "X1" << "";
        QTest::newRow("blank code closes without storing") << "  " << "Kunde" << 0 << "" << "";
    }
    void codeBannerByKeyboard()
    {
        QFETCH(QString, typedCode);
        QFETCH(QString, typedName);
        QFETCH(int, expectedCount);
        QFETCH(QString, expectedCode);
        QFETCH(QString, expectedName);

        UiFixture fixture;
        QVERIFY(fixture.show("ProjectCodeListView"));
        QQuickWindow *window = fixture.window();
        QVERIFY(a11y::find(window, "Ingen projektkoder"));
        QVERIFY(a11y::press(window, "Ny projektkode"));
        QVERIFY(!a11y::find(window, "Ingen projektkoder"));

        // The code field takes focus by itself shortly after the banner opens.
        QTRY_VERIFY(a11y::find(window, "Annuller"));
        QQuickItem *codeField = a11y::item(window, "Kode");
        QVERIFY(codeField);
        QTRY_COMPARE(window->activeFocusItem(), codeField);
        a11y::type(window, typedCode);
        QTest::keyClick(window, Qt::Key_Return);
        // Return in the code field only moves on to the name field.
        QCOMPARE(window->activeFocusItem(), a11y::item(window, "Navn (valgfrit)"));
        QCOMPARE(fixture.store()->projectCodes().size(), 0);
        a11y::type(window, typedName);
        QTest::keyClick(window, Qt::Key_Return);

        QCOMPARE(fixture.store()->projectCodes().size(), expectedCount);
        if (expectedCount) {
            QCOMPARE(fixture.store()->projectCodes().constFirst()->code(), expectedCode);
            QCOMPARE(fixture.store()->projectCodes().constFirst()->name(), expectedName);
        }
        QTRY_VERIFY(!a11y::find(window, "Annuller"));
        QVERIFY(fixture.warnings().isEmpty());
    }

    void rowButtonsShowOnHover_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("deleteName");
        QTest::addColumn<QString>("emptyText");
        QTest::newRow("project code") << "ProjectCodeListView" << "Slet projektkode ABC – Kunde" << "Ingen projektkoder";
        QTest::newRow("template") << "TemplateListView" << "Slet skabelon Support" << "Ingen skabeloner";
    }
    void rowButtonsShowOnHover()
    {
        QFETCH(QString, view);
        QFETCH(QString, deleteName);
        QFETCH(QString, emptyText);
        UiFixture fixture;
        fixture.store()->insert(ProjectCode::create("ABC", "Kunde", 0));
        fixture.store()->insert(TaskTemplate::create("Support", QStringLiteral("ABC"), 0));
        QVERIFY(fixture.show(view));
        QQuickWindow *window = fixture.window();
        QQuickItem *remove = a11y::item(window, deleteName);
        QVERIFY(remove);
        QQuickItem *icon = remove->property("contentItem").value<QQuickItem *>();
        QVERIFY(icon);
        QTest::mouseMove(window, QPoint(5, 5));
        QCOMPARE(icon->opacity(), 0.0);

        const QPointF centre = remove->mapToScene(QPointF(remove->width() / 2, remove->height() / 2));
        QTest::mouseMove(window, QPoint(100, centre.toPoint().y()));
        QTRY_COMPARE(icon->opacity(), 1.0);
        QTest::mouseMove(window, QPoint(5, 5));
        QTRY_COMPARE(icon->opacity(), 0.0);
        QTest::mouseMove(window, centre.toPoint());
        QTRY_COMPARE(icon->opacity(), 1.0);
        QTest::mouseClick(window, Qt::LeftButton, {}, centre.toPoint());
        // Deleted at once, with no question asked.
        const bool gone = view == QLatin1String("TemplateListView") ? fixture.store()->templates().isEmpty()
                                                                     : fixture.store()->projectCodes().isEmpty();
        QVERIFY(gone);
        QTRY_VERIFY(a11y::find(window, emptyText));
        QVERIFY(fixture.warnings().isEmpty());
    }

    void templateBannerWithChip()
    {
        UiFixture fixture;
        fixture.store()->insert(ProjectCode::create("ABC", "Kunde", 0));
        fixture.store()->insert(ProjectCode::create("XYZ", "", 1));
        QVERIFY(fixture.show("TemplateListView"));
        QQuickWindow *window = fixture.window();
        QVERIFY(a11y::find(window, "Ingen skabeloner"));
        QVERIFY(a11y::press(window, "Ny skabelon"));

        QTRY_VERIFY(a11y::find(window, "ABC – Kunde"));
        QVERIFY(!a11y::find(window, "ABC – Kunde")->state().checked);
        QVERIFY(a11y::press(window, "ABC – Kunde"));
        QTRY_VERIFY(a11y::find(window, "ABC – Kunde")->state().checked);
        QVERIFY(!a11y::find(window, "XYZ")->state().checked);

        QTRY_COMPARE(window->activeFocusItem(), a11y::item(window, "Skabelonnavn"));
        a11y::type(window, "  Møde ");
        QVERIFY(a11y::press(window, "Tilføj"));

        QCOMPARE(fixture.store()->templates().size(), 1);
        QCOMPARE(fixture.store()->templates().constFirst()->name(), QStringLiteral("Møde"));
        QCOMPARE(fixture.store()->templates().constFirst()->projectCode(), std::optional<QString>("ABC"));

        // Editing shows "Gem" and the stored code as the chosen chip.
        QVERIFY(a11y::press(window, "Rediger skabelon Møde"));
        QVERIFY(a11y::find(window, "Gem"));
        QTRY_VERIFY(a11y::find(window, "ABC – Kunde")->state().checked);
        QVERIFY(fixture.warnings().isEmpty());
    }
};

QTEST_MAIN(CatalogueViewsTest)
#include "tst_catalogueviews.moc"
