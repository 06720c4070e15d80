// The status item as a panel sees it: on a private session bus, with a stand-in watcher.
#include "AppIdentity.h"
#include "FakeWatcher.h"
#include "Panel.h"
#include "PrivateBus.h"
#include "StatusItem.h"
#include "StatusNotifierItem.h"
#include "TrayIcon.h"

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

// A tray that may or may not be there, and that remembers what it was given.
class FakeTray : public TrayIcon
{
public:
    using TrayIcon::TrayIcon;
    void setIcon(const QIcon &icon) override { iconKey = icon.cacheKey(); }
    void setToolTip(const QString &text) override { toolTip = text; }
    void setVisible(bool on) override { visible = on; }
    void setContextMenu(QMenu *m) override { menu = m; }
    QRect geometry() const override { return QRect(300, 0, 24, 24); }

    QMenu *menu = nullptr;
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

// The status menu's shape: two entries around a separator.
struct TestMenu
{
    TestMenu()
    {
        open = menu.addAction(QStringLiteral("Åbn"));
        menu.addSeparator();
        quit = menu.addAction(QStringLiteral("Afslut"));
    }
    QMenu menu;
    QAction *open;
    QAction *quit;
};

// A panel's watcher on the bus, and our item shown to it.
struct ItemOnBus
{
    explicit ItemOnBus(const QString &address, QMenu *menu = nullptr) : watcher(address)
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
    void followsTheWatcher_data();
    void followsTheWatcher();
    void presentationReachesPanel_data();
    void presentationReachesPanel();
    void iconChangesOnlyWhenItDoes();
    void clicksFromPanel_data();
    void clicksFromPanel();
    void menuFromPanel_data();
    void menuFromPanel();

private:
    QString m_address;
    Panel m_panel;
};

void TestStatusItem::followsTheWatcher_data()
{
    // Steps: a watcher that "watcher"/"hostless" (no panel behind it)/"refusing" claims the name,
    // or one "replacing" the running one; the last one may "release" it, "reclaim" it or be
    // "gone". "show" puts the item up, "shown"/"unseen" also say what show() answered;
    // "update" gives it a new icon and text.
    // "=sni", "=tray", "=none": the item settles there, and has said so.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("trays"); // 0: no tray module, 1: a module but no tray, 2: a tray
    QTest::addColumn<int>("registrations"); // at the last watcher, at the end
    QTest::newRow("a panel shows items") << "watcher shown =sni" << 0 << 1;
    QTest::newRow("a watcher without a panel") << "hostless unseen =sni" << 0 << 1;
    QTest::newRow("refused, no tray") << "refusing show =none" << 0 << 0;
    QTest::newRow("refused, to the tray") << "refusing show =tray" << 2 << 0;
    QTest::newRow("no watcher, no tray") << "unseen =none" << 1 << 0;
    QTest::newRow("no watcher, a tray") << "shown =tray update =tray" << 2 << 0;
    QTest::newRow("a watcher that starts later") << "unseen watcher =sni" << 0 << 1;
    QTest::newRow("the watcher goes") << "watcher shown =sni release =none" << 0 << 1;
    QTest::newRow("the same watcher takes the name again") << "watcher shown =sni release reclaim =sni" << 0 << 2;
    // One owner change straight from the old watcher to the new, with no gap between.
    QTest::newRow("a new watcher replaces the running one") << "watcher shown =sni replacing =sni" << 0 << 1;
    QTest::newRow("the tray gives way to a watcher and back") << "shown =tray watcher =sni gone =tray" << 2 << 0;
}

void TestStatusItem::followsTheWatcher()
{
    QFETCH(QString, steps);
    QFETCH(int, trays);
    QFETCH(int, registrations);
    using Backend = StatusItem::Backend;
    FakeTrayFactory factory(trays == 2);
    TestMenu menu;
    StatusItem item(trays ? &factory : nullptr);
    QIcon icon = solidIcon(Qt::red);
    QString shown = QStringLiteral("<img src=\"http://127.0.0.1:9/b.png\"> & <b>x</b>\nÆndringer gemmes ikke: fuld disk");
    item.setPresentation(icon, shown.section(u'\n', 0, 0), shown.section(u'\n', 1));
    item.setMenu(&menu.menu);
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
        } else if (step == u"show") {
            item.show();
        } else if (step == u"shown" || step == u"unseen") {
            QCOMPARE(item.show(), step == u"shown");
        } else if (step == u"=sni") {
            QTRY_COMPARE(item.backend(), Backend::StatusNotifier);
            QTRY_VERIFY(!watchers.back()->registrations().isEmpty());
            const FakeWatcher::Registration last = watchers.back()->registrations().constLast();
            QCOMPARE(last.service, item.serviceName());
            QVERIFY(last.service.startsWith(
                QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())));
            // The name it gave must lead back to the connection that registered.
            QCOMPARE(last.sender, QDBusConnection::sessionBus().baseService());
            QCOMPARE(m_panel.bus().interface()->serviceOwner(last.service).value(), last.sender);
            QVERIFY(!factory.icon);
        } else if (step == u"=tray") {
            QTRY_COMPARE(item.backend(), Backend::SystemTray);
            QVERIFY(factory.icon && factory.icon->visible);
            QCOMPARE(factory.icon->iconKey, icon.cacheKey());
            QCOMPARE(shownAsMarkup(factory.icon->toolTip), shown);
            QCOMPARE(factory.icon->menu, &menu.menu);
            QSignalSpy clicks(&item, &StatusItem::activated);
            emit factory.icon->clicked();
            // The middle of the 24-pixel icon at x 300 (QRect counts 300…323), at its bottom row.
            QCOMPARE(clicks.value(0).value(0).toPoint(), QPoint(311, 23));
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

void TestStatusItem::presentationReachesPanel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("guide"); // the widest the label grows to while the clock runs
    const QString markup = QStringLiteral("00:00:01 · <img src=\"http://127.0.0.1:9/b.png\"> & <b>fed</b>");
    const QString hours = QStringLiteral("1.75t");

    QTest::newRow("running task") << "01:02:05 · Møde med kunden" << "01:02:05 · Møde med kunden" << QString()
                                  << "88:88:88 · Møde med kunden";
    QTest::newRow("idle without hours") << QString() << "Timeglas" << QString() << QString();
    QTest::newRow("a name that looks like markup") << markup << markup << QString()
                                                  << "88:88:88 · <img src=\"http://888.8.8.8:8/b.png\"> & <b>fed</b>";
    QTest::newRow("saves failing") << hours << hours << "Ændringer gemmes ikke: <disk full>" << "8.88t";
}

void TestStatusItem::presentationReachesPanel()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, warning);
    QFETCH(QString, guide);
    ItemOnBus on(m_address);
    QVERIFY(on.ready);
    const QString service = on.item.serviceName();
    m_panel.listen(service);

    const QIcon icon = solidIcon(Qt::black);
    on.item.setPresentation(icon, QStringLiteral("00:59:59 · Før"));
    on.item.setPresentation(icon, text, warning);
    on.item.setPresentation(icon, text, warning);

    // Each change once, in order, and nothing for a repeat.
    const QList<QVariantList> expected{{QStringLiteral("00:59:59 · Før"), QStringLiteral("88:88:88 · Før")}, {text, guide}};
    QTRY_COMPARE(m_panel.received(QStringLiteral("XAyatanaNewLabel")), expected);
    QCOMPARE(m_panel.received(QStringLiteral("NewToolTip")).size(), 2);

    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("XAyatanaLabel")).toString(), text);
    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("XAyatanaLabelGuide")).toString(), guide);
    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("Title")).toString(), title);
    // A click is not a menu, and with no menu given there is no menu object.
    const QList<std::pair<QString, QVariant>> fixed{
        {QStringLiteral("Category"), QStringLiteral("ApplicationStatus")},
        {QStringLiteral("Id"), QStringLiteral("dk.timeglas.Timeglas")},
        {QStringLiteral("Status"), QStringLiteral("Active")},
        {QStringLiteral("ItemIsMenu"), false},
        {QStringLiteral("Menu"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")))}};
    for (const auto &[property, value] : fixed)
        QCOMPARE(m_panel.itemProperty(service, property), value);
    const QVariant toolTipValue = m_panel.itemProperty(service, QStringLiteral("ToolTip"));
    QVERIFY(toolTipValue.canConvert<QDBusArgument>());
    const auto toolTip = qdbus_cast<SniToolTip>(toolTipValue.value<QDBusArgument>());
    QCOMPARE(toolTip.title, QStringLiteral("Timeglas"));
    // Panels render the description as markup: it must read as the label, and the warning.
    QCOMPARE(shownAsMarkup(toolTip.description), warning.isEmpty() ? text : text + u'\n' + warning);
}

// Pixmaps and the themed icon name are each sent again only when they change.
void TestStatusItem::iconChangesOnlyWhenItDoes()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    // Given before the item is on the bus, and changed after.
    item.setIconName(AppIdentity::symbolicIconName(false));
    QVERIFY(item.show());
    const QString service = item.serviceName();
    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("IconName")).toString(),
             QStringLiteral("dk.timeglas.Timeglas-symbolic"));
    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("IconThemePath")).toString(), QString());
    m_panel.listen(service);
    const auto newIcons = [&] { return m_panel.received(QStringLiteral("NewIcon")).size(); };

    const QIcon running = solidIcon(Qt::red);
    item.setPresentation(running, QStringLiteral("00:00:01 · A"));
    item.setPresentation(running, QStringLiteral("00:00:02 · A"));
    // A different icon object that draws the same pixels is no change to the panel either.
    item.setPresentation(solidIcon(Qt::red), QStringLiteral("00:00:03 · A"));
    item.setPresentation(solidIcon(QColor(0x12, 0x34, 0x56, 128)), QStringLiteral("0.25t"));
    // Signals arrive in the order sent, so once the last label is here all icons are too.
    QTRY_COMPARE(m_panel.received(QStringLiteral("XAyatanaNewLabel")).size(), 4);
    QCOMPARE(newIcons(), 2);
    // Each size a panel may pick, as alpha, red, green, blue, with alpha not multiplied in.
    const QVariant pixmaps = m_panel.itemProperty(service, QStringLiteral("IconPixmap"));
    QList<int> sizes;
    for (const SniPixmap &pixmap : qdbus_cast<QList<SniPixmap>>(pixmaps.value<QDBusArgument>())) {
        sizes.append(pixmap.width);
        QCOMPARE(pixmap.argb.size(), pixmap.width * pixmap.height * 4);
        QCOMPARE(pixmap.argb.last(4), QByteArray("\x80\x12\x34\x56", 4));
    }
    QCOMPARE(sizes, (QList<int>{16, 22, 24, 32, 48}));

    item.setIconName(AppIdentity::symbolicIconName(true), QStringLiteral("/opt/timeglas/share/icons"));
    item.setIconName(AppIdentity::symbolicIconName(true), QStringLiteral("/opt/timeglas/share/icons"));
    QTRY_COMPARE(newIcons(), 3);
    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("IconName")).toString(),
             QStringLiteral("dk.timeglas.Timeglas-running-symbolic"));
    QCOMPARE(m_panel.itemProperty(service, QStringLiteral("IconThemePath")).toString(),
             QStringLiteral("/opt/timeglas/share/icons"));
    QCOMPARE(newIcons(), 3);
}

void TestStatusItem::clicksFromPanel_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("withMenu");
    QTest::addColumn<bool>("opensPopover");
    QTest::newRow("left click") << "Activate" << QPoint(1210, 28) << true << true;
    QTest::newRow("right click without a menu") << "ContextMenu" << QPoint(640, 0) << false << true;
    // A panel that does not draw menus asks for ours at the point of the click.
    QTest::newRow("right click with a menu") << "ContextMenu" << QPoint(100, 30) << true << false;
    QTest::newRow("middle click") << "SecondaryActivate" << QPoint(5, 5) << false << false;
}

void TestStatusItem::clicksFromPanel()
{
    QFETCH(QString, method);
    QFETCH(QPoint, point);
    QFETCH(bool, withMenu);
    QFETCH(bool, opensPopover);
    TestMenu menu;
    ItemOnBus on(m_address, withMenu ? &menu.menu : nullptr);
    QVERIFY(on.ready);
    QSignalSpy clicks(&on.item, &StatusItem::activated);

    QCOMPARE(m_panel.callItem(on.item.serviceName(), method, {point.x(), point.y()}).type(), QDBusMessage::ReplyMessage);
    // The reply comes after the handler ran, so the count is final here.
    QCOMPARE(clicks.size(), opensPopover ? 1 : 0);
    if (opensPopover)
        QCOMPARE(clicks.constFirst().constFirst().toPoint(), point);
    const bool menuShown = withMenu && method == u"ContextMenu";
    QTRY_COMPARE(menu.menu.isVisible(), menuShown);
    if (menuShown)
        QCOMPARE(menu.menu.pos(), point);
}

void TestStatusItem::menuFromPanel_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("openDisabled");
    QTest::addColumn<QStringList>("triggered");
    QTest::newRow("click on the first entry") << 1 << false << QStringList{"Åbn"};
    QTest::newRow("click on the last entry") << 3 << false << QStringList{"Afslut"};
    QTest::newRow("click on the separator") << 2 << false << QStringList{};
    QTest::newRow("click on an entry disabled while shown") << 1 << true << QStringList{};
    QTest::newRow("unknown entry") << 42 << false << QStringList{};
}

void TestStatusItem::menuFromPanel()
{
    QFETCH(int, id);
    QFETCH(bool, openDisabled);
    QFETCH(QStringList, triggered);
    TestMenu menu;
    QStringList seen;
    connect(&menu.menu, &QMenu::triggered, this, [&](QAction *a) { seen.append(a->text()); });
    ItemOnBus on(m_address, &menu.menu);
    QVERIFY(on.ready);
    const QString service = on.item.serviceName();
    QCOMPARE(m_panel.menuPath(service), QStringLiteral("/MenuBar"));
    uint revision = 0;
    QList<Panel::MenuEntry> entries = m_panel.menuEntries(service, &revision);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries.at(0).properties.value(QStringLiteral("label")).toString(), QStringLiteral("Åbn"));
    QCOMPARE(entries.at(1).properties.value(QStringLiteral("type")).toString(), QStringLiteral("separator"));
    QCOMPARE(entries.at(2).properties.value(QStringLiteral("label")).toString(), QStringLiteral("Afslut"));
    QVERIFY(!entries.at(0).properties.contains(QStringLiteral("enabled")));
    if (openDisabled) {
        // A changed entry comes with a newer revision.
        menu.open->setEnabled(false);
        uint newer = 0;
        entries = m_panel.menuEntries(service, &newer);
        QVERIFY(newer > revision);
        QCOMPARE(entries.value(0).properties.value(QStringLiteral("enabled")), QVariant(false));
    }
    QSignalSpy clicks(&on.item, &StatusItem::activated);

    QCOMPARE(m_panel.menuEvent(service, id).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(seen, triggered);
    QCOMPARE(clicks.size(), 0);
}

int main(int argc, char *argv[])
{
    PrivateBus bus;
    if (!bus.isRunning()) {
        qCritical("%s", qPrintable(bus.error()));
        return 1;
    }
    QApplication app(argc, argv); // the menu is a widget
    TestStatusItem test(bus.address());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_statusitem.moc"
