// The status item as a panel sees it: on a private session bus, with a stand-in watcher.
#include "FakeWatcher.h"
#include "Panel.h"
#include "PrivateBus.h"
#include "platform/AppIdentity.h"
#include "platform/BusLoop.h"
#include "platform/StatusItem.h"
#include "platform/StatusNotifierItem.h"
#include "platform/TrayIcon.h"
#include "timecalc/Clock.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTextDocument>

namespace {
// What a panel shows of a text it renders as markup.
QString shownAsMarkup(const QString &markup)
{
    QTextDocument document;
    document.setHtml(markup);
    return document.toPlainText().replace(QChar::LineSeparator, u'\n');
}

QIcon solidIcon(const QColor &color)
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(color);
    return QIcon(QPixmap::fromImage(image));
}

class FakeTray : public TrayIcon
{
public:
    using TrayIcon::TrayIcon;
    void setIcon(const QIcon &icon) override { iconKey = icon.cacheKey(); }
    void setToolTip(const QString &text) override { toolTip = text; }
    void setVisible(bool on) override { visible = on; }
    void setContextMenu(QMenu *) override {}
    QRect geometry() const override { return QRect(300, 0, 24, 24); }

    qint64 iconKey = 0;
    QString toolTip;
    bool visible = false;
};

class FakeTrayFactory : public TrayFactory
{
public:
    explicit FakeTrayFactory(bool available) : available(available) {}
    bool isTrayAvailable() const override { return available; }
    TrayIcon *createTrayIcon(QObject *parent) override { return icon = new FakeTray(parent); }

    bool available;
    QPointer<FakeTray> icon;
};

struct ItemOnBus
{
    ItemOnBus(BusLoop *loop, const QString &address, QMenu *menu = nullptr) : watcher(address), item(loop)
    {
        item.setMenu(menu);
        ready = watcher.claim() && item.show();
    }
    WatcherOnBus watcher;
    StatusItem item;
    bool ready;
};
} // namespace

class TestStatusItem : public QObject
{
    Q_OBJECT

public:
    explicit TestStatusItem(const QString &address) : m_address(address), m_panel(address) {}

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_loop.open(&error), qPrintable(error));
    }

    void followsTheWatcher_data()
    {
        // Steps: a watcher that "watcher"/"hostless" (no panel behind it)/"refusing" claims the name, or one
        // "replacing" the running one; the last one may "release" it, "reclaim" it or be "gone". "shown"/"unseen"
        // put the item up and say what show() answered; "update" gives it a new icon and text.
        // "=sni", "=tray", "=none": the item settles there, and has said so.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("trays"); // 0: no tray module, 1: a module but no tray, 2: a tray
        QTest::addColumn<int>("registrations"); // at the last watcher, at the end
        QTest::newRow("a watcher without a panel") << "hostless unseen =sni" << 0 << 1;
        QTest::newRow("refused, to the tray") << "refusing shown =tray" << 2 << 0;
        QTest::newRow("no watcher, no tray, then a watcher") << "unseen =none watcher =sni" << 1 << 1;
        QTest::newRow("no watcher, a tray") << "shown =tray update =tray" << 2 << 0;
        QTest::newRow("the watcher goes and takes the name again") << "watcher shown =sni release =none reclaim =sni" << 0 << 2;
        // One owner change straight from the old watcher to the new, with no gap between.
        QTest::newRow("a new watcher replaces the running one") << "watcher shown =sni replacing =sni" << 0 << 1;
        QTest::newRow("the tray gives way to a watcher and back") << "shown =tray watcher =sni gone =tray" << 2 << 0;
    }

    void followsTheWatcher()
    {
        QFETCH(QString, steps);
        QFETCH(int, trays);
        QFETCH(int, registrations);
        using Backend = StatusItem::Backend;
        FakeTrayFactory factory(trays == 2);
        StatusItem item(&m_loop, trays ? &factory : nullptr);
        QIcon icon = solidIcon(Qt::red);
        QString shown = QStringLiteral("<img src=\"http://127.0.0.1:9/b.png\"> & <b>x</b>\nÆndringer gemmes ikke: fuld disk");
        item.setPresentation(icon, shown.section(u'\n', 0, 0), QString(), shown.section(u'\n', 1));
        QSignalSpy backends(&item, &StatusItem::backendChanged);
        std::vector<std::unique_ptr<WatcherOnBus>> watchers;

        for (const QString &step : steps.split(u' ')) {
            if (step == u"watcher" || step == u"hostless" || step == u"refusing" || step == u"replacing") {
                watchers.push_back(std::make_unique<WatcherOnBus>(m_address, step != u"hostless", step == u"refusing"));
                QVERIFY(watchers.back()->claim(step == u"replacing"));
            } else if (step == u"release") {
                watchers.back()->release();
            } else if (step == u"reclaim") {
                QVERIFY(watchers.back()->claim());
            } else if (step == u"gone") {
                watchers.pop_back();
            } else if (step == u"update") {
                icon = solidIcon(Qt::blue);
                shown = QStringLiteral("0:12:05 · Møde");
                item.setPresentation(icon, shown);
            } else if (step == u"shown" || step == u"unseen") {
                QCOMPARE(item.show(), step == u"shown");
            } else if (step == u"=sni") {
                QTRY_COMPARE(item.backend(), Backend::StatusNotifier);
                QTRY_VERIFY(!watchers.back()->registrations().isEmpty());
                const FakeWatcher::Registration last = watchers.back()->registrations().constLast();
                QCOMPARE(last.service, item.serviceName());
                // The name it gave must lead back to the connection that registered.
                QCOMPARE(last.sender, m_loop.uniqueName());
                QCOMPARE(m_panel.bus().interface()->serviceOwner(last.service).value(), last.sender);
                QVERIFY(!factory.icon);
            } else if (step == u"=tray") {
                QTRY_COMPARE(item.backend(), Backend::SystemTray);
                QVERIFY(factory.icon && factory.icon->visible);
                QCOMPARE(factory.icon->iconKey, icon.cacheKey());
                QCOMPARE(shownAsMarkup(factory.icon->toolTip), shown);
            } else if (step == u"=none") {
                QTRY_COMPARE(item.backend(), Backend::None);
                QVERIFY(!factory.icon);
            } else {
                QFAIL(qPrintable(step));
            }
            if (step.startsWith(u'='))
                QCOMPARE(backends.isEmpty() ? Backend::None : backends.constLast().constFirst().value<Backend>(), item.backend());
        }
        if (!watchers.empty())
            QTRY_COMPARE(watchers.back()->registrations().size(), registrations);
    }

    void presentationReachesPanel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("guide"); // the widest the label grows to while the clock runs
        const QString name = QStringLiteral("<img src=\"http://127.0.0.1:9/b.png\"> & <b>fed</b>");
        const QString hours = QStringLiteral("1.75t");

        QTest::newRow("idle without hours") << QString() << QString() << QString() << QString();
        QTest::newRow("a name that looks like markup") << "00:00:01 · " + name << name + "\nI dag 1.75t" << QString()
                                                      << "88:88:88 · <img src=\"http://888.8.8.8:8/b.png\"> & <b>fed</b>";
        QTest::newRow("saves failing") << hours << "I dag " + hours << "Ændringer gemmes ikke: <disk full>" << "8.88t";
    }

    void presentationReachesPanel()
    {
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(QString, warning);
        QFETCH(QString, guide);
        ItemOnBus on(&m_loop, m_address);
        QVERIFY(on.ready);
        const QString service = on.item.serviceName();
        m_panel.listen(service);
        // A different icon object that draws the same pixels is no change to the panel.
        on.item.setPresentation(solidIcon(Qt::red), QStringLiteral("00:59:59 · Før"));
        on.item.setPresentation(solidIcon(Qt::red), text, toolTip, warning);
        on.item.setPresentation(solidIcon(Qt::blue), text, toolTip, warning);
        for (int repeat = 0; repeat < 2; ++repeat)
            on.item.setIconName(AppIdentity::symbolicIconName(true), QStringLiteral("/opt/timeglas/share/icons"));

        // Each change once, in order, and nothing for a repeat: a label that ticks sends
        // the label alone, never the title or the tooltip. Signals arrive in the order
        // sent: the last icon is the last of them.
        const auto newIcons = [&] { return m_panel.received(QStringLiteral("NewIcon")).size(); };
        QTRY_COMPARE(newIcons(), 3);
        const QList<QVariantList> expected{{QStringLiteral("00:59:59 · Før"), QStringLiteral("88:88:88 · Før")}, {text, guide}};
        QCOMPARE(m_panel.received(QStringLiteral("XAyatanaNewLabel")), expected);
        QCOMPARE(m_panel.received(QStringLiteral("NewToolTip")).size(), toolTip.isEmpty() && warning.isEmpty() ? 0 : 1);
        QCOMPARE(m_panel.received(QStringLiteral("NewTitle")).size(), 0);

        QCOMPARE(m_panel.itemProperty(service, QStringLiteral("XAyatanaLabel")).toString(), text);
        QCOMPARE(m_panel.itemProperty(service, QStringLiteral("XAyatanaLabelGuide")).toString(), guide);
        QCOMPARE(m_panel.itemProperty(service, QStringLiteral("Title")).toString(), QStringLiteral("Timeglas"));
        const QStringList sent = m_panel.toolTip(service);
        QCOMPARE(sent.value(0), QStringLiteral("Timeglas"));
        // Panels render the description as markup: it must read as the tooltip, and the warning.
        QCOMPARE(shownAsMarkup(sent.value(1)), QStringList({toolTip, warning}).filter(QRegularExpression(".")).join(u'\n'));
        QCOMPARE(newIcons(), 3);
    }

    // A running clock moves the label on by itself, once a second, and nothing else with it.
    void clockMovesTheLabel()
    {
        ItemOnBus on(&m_loop, m_address);
        QVERIFY(on.ready);
        const QString service = on.item.serviceName();
        m_panel.listen(service);
        const LabelClock clock{59, timecalc::Clock::nowSeconds() - 0.5, QStringLiteral("<b>Møde</b>")};
        on.item.setPresentation(solidIcon(Qt::red), clock.textAt(timecalc::Clock::nowSeconds()),
                                QStringLiteral("<b>Møde</b>"), QString(), clock);
        const auto labels = [&] { return m_panel.received(QStringLiteral("XAyatanaNewLabel")); };
        QTRY_VERIFY_WITH_TIMEOUT(labels().size() >= 3, 4000);
        QCOMPARE(labels().mid(0, 3), (QList<QVariantList>{{"00:00:59 · <b>Møde</b>", "88:88:88 · <b>Møde</b>"},
                                                           {"00:01:00 · <b>Møde</b>", "88:88:88 · <b>Møde</b>"},
                                                           {"00:01:01 · <b>Møde</b>", "88:88:88 · <b>Møde</b>"}}));
        QCOMPARE(m_panel.received(QStringLiteral("NewToolTip")).size(), 1);
        QCOMPARE(m_panel.received(QStringLiteral("NewIcon")).size(), 1);
    }

    void inputFromPanel_data()
    {
        QTest::addColumn<QString>("method"); // of the item at (100, 30), or "Event" on the menu's entry `id`
        QTest::addColumn<int>("id"); // -1: no menu given
        QTest::addColumn<QString>("outcome"); // "popover", "menu", the entry triggered, or nothing
        QTest::newRow("left click") << "Activate" << 1 << "popover";
        QTest::newRow("right click without a menu") << "ContextMenu" << -1 << "popover";
        // A panel that does not draw menus asks for ours at the point of the click.
        QTest::newRow("right click with a menu") << "ContextMenu" << 1 << "menu";
        QTest::newRow("middle click") << "SecondaryActivate" << -1 << "";
        QTest::newRow("click on the first entry") << "Event" << 1 << "Åbn";
        QTest::newRow("click on the last entry") << "Event" << 3 << "Afslut";
        QTest::newRow("unknown entry") << "Event" << 42 << "";
    }

    void inputFromPanel()
    {
        QFETCH(QString, method);
        QFETCH(int, id);
        QFETCH(QString, outcome);
        QMenu menu;
        menu.addAction(QStringLiteral("Åbn"));
        menu.addSeparator();
        menu.addAction(QStringLiteral("Afslut"));
        QString triggered;
        connect(&menu, &QMenu::triggered, this, [&](QAction *a) { triggered += a->text(); });
        ItemOnBus on(&m_loop, m_address, id >= 0 ? &menu : nullptr);
        QVERIFY(on.ready);
        const QString service = on.item.serviceName();
        QSignalSpy clicks(&on.item, &StatusItem::activated);
        const QPoint point(100, 30);

        if (method == u"Event") {
            QCOMPARE(m_panel.menuEvent(service, id).type(), QDBusMessage::ReplyMessage);
        } else {
            QCOMPARE(m_panel.callItem(service, method, {point.x(), point.y()}).type(), QDBusMessage::ReplyMessage);
        }
        // The reply comes after the handler ran, so what it did is done here.
        QCOMPARE(clicks.size(), outcome == u"popover" ? 1 : 0);
        if (!clicks.isEmpty())
            QCOMPARE(clicks.constFirst().constFirst().toPoint(), point);
        QTRY_COMPARE(menu.isVisible(), outcome == u"menu");
        if (outcome == u"menu")
            QCOMPARE(menu.pos(), point);
        QCOMPARE(triggered, outcome == u"popover" || outcome == u"menu" ? QString() : outcome);
    }

private:
    QString m_address;
    Panel m_panel;
    BusLoop m_loop;
};

int main(int argc, char *argv[])
{
    return runOnPrivateBus<QApplication, TestStatusItem>(argc, argv); // the menu is a widget
}

#include "tst_statusitem.moc"
