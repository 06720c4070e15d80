// Scratch: composes the new day pieces around a view model for looking at them. Removed later.
#include "Calendar.h"
#include "ClosedDay.h"
#include "Clock.h"
#include "CodeEditorModel.h"
#include "DayClosingModel.h"
#include "MenuBarContentViewModel.h"
#include "QuickAddPickerModel.h"
#include "UiFixture.h"

#include <QQmlComponent>
#include <QQuickItem>
#include <QtTest>

using timecalc::Clock;

static const char *Scene = R"(
import QtQuick
import QtQuick.Layouts
import Timeglas
Rectangle {
    id: root
    required property AppServices services
    required property MenuBarContentViewModel vm
    required property DayClosingModel closing
    required property CodeEditorModel editor
    required property QuickAddPickerModel picker
    width: 420; height: 600
    color: root.services.theme.background
    ColumnLayout {
        anchors.fill: parent
        spacing: 0
        Item { Layout.fillWidth: true; Layout.preferredHeight: 110 }
        DayStripView { Layout.fillWidth: true; Layout.preferredHeight: implicitHeight; services: root.services }
        Item { Layout.fillWidth: true; Layout.fillHeight: true }
        DayFooter { Layout.fillWidth: true; Layout.preferredHeight: implicitHeight; closing: root.closing; theme: root.services.theme }
        BottomBar { Layout.fillWidth: true; Layout.preferredHeight: implicitHeight; services: root.services; isDayClosed: root.vm.isDayClosed
            onShowTemplates: root.picker.togglePicker() }
    }
    Item {
        anchors.fill: parent
        CodeEditorBanner { anchors.left: parent.left; anchors.right: parent.right; anchors.bottom: parent.bottom; viewModel: root.vm; editor: root.editor; projectCodes: root.services.projectCodes; theme: root.services.theme }
        QuickAddPicker { anchors.left: parent.left; anchors.right: parent.right; anchors.bottom: parent.bottom; viewModel: root.vm; picker: root.picker; templates: root.services.templates; theme: root.services.theme }
        CloseDayBanner { anchors.left: parent.left; anchors.right: parent.right; anchors.bottom: parent.bottom; viewModel: root.vm; closing: root.closing; theme: root.services.theme }
    }
}
)";

class Scratch : public QObject
{
    Q_OBJECT
private slots:
    void shot_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("appearance");
        for (QString s : {"plain", "otherday", "close", "closed", "code", "quick"})
            for (QString a : {"light", "dark"})
                QTest::newRow(qPrintable(s + "-" + a)) << s << a;
    }
    void shot()
    {
        QFETCH(QString, state);
        QFETCH(QString, appearance);
        const double now = timecalc::toSeconds(QDateTime(QDate(2025, 3, 5), QTime(14, 30)));
        Clock::setFixed(now);
        UiFixture f;
        f.preferences()->setAppearanceMode(appearance);
        Task *a = f.addTask("Kundemøde", now, 7 * 60, QString("ABC"));
        f.addTask("Kodegennemgang", now, 20 * 60);
        f.store()->insert(ProjectCode::create("ABC", "Kunde A", 0));
        f.store()->insert(ProjectCode::create("INT", "Intern", 1));
        f.store()->insert(ProjectCode::create("SUP-2024", "Support", 2));
        f.store()->insert(TaskTemplate::create("Daglig standup", QString("INT"), 0));
        f.store()->insert(TaskTemplate::create("Support", std::nullopt, 1));
        f.store()->insert(TaskTemplate::create("Kundemøde med en meget lang titel der ikke kan være her", QString("ABC"), 2));
        MenuBarContentViewModel vm;
        vm.setServices(f.services());
        auto *closing = new DayClosingModel(&vm);
        auto *editor = new CodeEditorModel(&vm);
        auto *picker = new QuickAddPickerModel(&vm);
        if (state == "otherday") f.timerManager()->nextWeek();
        if (state == "closed") f.store()->insert(ClosedDay::create(now, 0.5));
        if (state == "close") closing->requestClose();
        if (state == "code") editor->beginEditCode(a);
        if (state == "quick") picker->togglePicker();

        QQmlEngine engine;
        engine.addImportPath("qrc:/");
        QStringList warnings;
        connect(&engine, &QQmlEngine::warnings, this, [&](const QList<QQmlError> &ws) { for (auto &w : ws) warnings << w.toString(); });
        QQmlComponent c(&engine);
        c.setData(Scene, QUrl("qrc:/scratch.qml"));
        QVERIFY2(!c.isError(), qPrintable(c.errorString()));
        QObject *o = c.createWithInitialProperties({{"services", QVariant::fromValue(f.services())}, {"vm", QVariant::fromValue(&vm)},
            {"closing", QVariant::fromValue(closing)}, {"editor", QVariant::fromValue(editor)}, {"picker", QVariant::fromValue(picker)}});
        QVERIFY2(o, qPrintable(c.errorString()));
        QQuickWindow w;
        w.resize(420, 600);
        qobject_cast<QQuickItem *>(o)->setParentItem(w.contentItem());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(500);
        QVERIFY(w.grabWindow().save("/tmp/h6/scratch-" + state + "-" + appearance + ".png"));
        delete o;
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
        Clock::reset();
    }
};
QTEST_MAIN(Scratch)
#include "tst_h6_scratch.moc"
