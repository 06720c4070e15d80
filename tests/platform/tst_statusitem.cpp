// The status item as a panel sees it: on a private session bus, with a stand-in watcher.
#include "AppIdentity.h"
#include "DBusMenuExporter.h"
#include "FakeWatcher.h"
#include "PrivateBus.h"
#include "StatusItem.h"
#include "StatusNotifierItem.h"
#include "TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QImage>
#include <QMutex>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QXmlStreamReader>

#include <optional>

namespace {
// What a panel shows of a text it renders as markup.
QString shownAsMarkup(const QString &markup)
{
    QTextDocument document;
    document.setHtml(markup);
    return document.toPlainText().replace(QChar::LineSeparator, u'\n');
}
} // namespace

namespace {
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

QIcon solidIcon(const QColor &color)
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(color);
    return QIcon(QPixmap::fromImage(image));
}
} // namespace

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
    TrayIcon *createTrayIcon(QObject *parent) override
    {
        icon = new FakeTray(parent);
        return icon;
    }

    bool available;
    QPointer<FakeTray> icon;
};

// The item's bus signals as a panel receives them.
class PanelSignals : public QObject
{
    Q_OBJECT

public:
    PanelSignals(const QDBusConnection &bus, const QString &service)
        : m_bus(bus), m_service(service)
    {
        connectAll(true);
        // The match rules leave on this connection without waiting for an answer; one
        // round trip to the bus on the same connection makes sure they are in force
        // before the item, on another connection, sends anything.
        m_bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                  QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
    }
    ~PanelSignals() override { connectAll(false); }

    QList<QStringList> labels;
    int newIcon = 0;
    int newToolTip = 0;

public slots:
    void onLabel(const QString &label, const QString &guide) { labels.append({label, guide}); }
    void onNewIcon() { ++newIcon; }
    void onNewToolTip() { ++newToolTip; }

private:
    void connectAll(bool on)
    {
        const auto hook = [&](const char *name, const char *slot) {
            if (on)
                m_bus.connect(m_service, itemPath, itemInterface, QLatin1String(name), this, slot);
            else
                m_bus.disconnect(m_service, itemPath, itemInterface, QLatin1String(name), this, slot);
        };
        hook("XAyatanaNewLabel", SLOT(onLabel(QString, QString)));
        hook("NewIcon", SLOT(onNewIcon()));
        hook("NewToolTip", SLOT(onNewToolTip()));
    }

    QDBusConnection m_bus;
    QString m_service;
};

class TestStatusItem : public QObject
{
    Q_OBJECT

public:
    explicit TestStatusItem(const QString &address)
        : m_address(address), m_panel(QDBusConnection::connectToBus(address, QStringLiteral("panel")))
    {
    }

private slots:
    void initTestCase();
    void registersWithWatcher_data();
    void registersWithWatcher();
    void refusedRegistrationFallsBack();
    void withoutWatcher_data();
    void withoutWatcher();
    void trayGivesWayToWatcher();
    void watcherStartingLaterGetsTheItem();
    void restartedWatcherGetsTheItemAgain_data();
    void restartedWatcherGetsTheItemAgain();
    void vanishedWatcherIsReported();
    void presentationReachesPanel_data();
    void presentationReachesPanel();
    void iconPixelsReachPanel_data();
    void iconPixelsReachPanel();
    void unchangedIconIsNotResent();
    void clicksFromPanel_data();
    void clicksFromPanel();
    void fixedProperties_data();
    void fixedProperties();
    void servedTypesMatchIntrospection();
    void menuLayoutReachesPanel();
    void menuEventsFromPanel_data();
    void menuEventsFromPanel();
    void contextMenuWhereThePanelAsks();
    void themedIconReachesPanel();

private:
    QDBusMessage callFromPanel(const QDBusMessage &message);
    QVariant itemProperty(const QString &service, const QString &name);

    QString m_address;
    QDBusConnection m_panel;
};

QDBusMessage TestStatusItem::callFromPanel(const QDBusMessage &message)
{
    // Asynchronous and waited for with the loop running: our item answers on this
    // thread, so a blocking call from here would wait for itself.
    const QDBusPendingCall call = m_panel.asyncCall(message, 5000);
    if (!QTest::qWaitFor([&] { return call.isFinished(); }, 6000))
        qWarning("No answer to %s within 6 s", qPrintable(message.member()));
    return call.reply();
}

QVariant TestStatusItem::itemProperty(const QString &service, const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << itemInterface << name;
    const QDBusMessage reply = callFromPanel(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QVariant();
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

void TestStatusItem::initTestCase()
{
    QVERIFY2(m_panel.isConnected(), qPrintable(m_panel.lastError().message()));
    QVERIFY(QDBusConnection::sessionBus().isConnected());
}

void TestStatusItem::registersWithWatcher_data()
{
    QTest::addColumn<bool>("hostRegistered");
    QTest::newRow("a panel shows items") << true;
    QTest::newRow("watcher without a panel") << false;
}

void TestStatusItem::registersWithWatcher()
{
    QFETCH(bool, hostRegistered);
    WatcherOnBus watcher(m_address, hostRegistered);
    QVERIFY(watcher.claim());

    StatusItem item;
    QCOMPARE(item.show(), hostRegistered);
    QCOMPARE(item.backend(), StatusItem::Backend::StatusNotifier);

    QTRY_COMPARE(watcher.registrations().size(), 1);
    const FakeWatcher::Registration registration = watcher.registrations().constFirst();
    QCOMPARE(registration.service, item.serviceName());
    QVERIFY(registration.service.startsWith(
        QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())));
    // The name it gave must lead back to the connection that registered.
    QCOMPARE(registration.sender, QDBusConnection::sessionBus().baseService());
    QCOMPARE(m_panel.interface()->serviceOwner(registration.service).value(), registration.sender);
}

void TestStatusItem::refusedRegistrationFallsBack()
{
    WatcherOnBus watcher(m_address, true, /*refuses=*/true);
    QVERIFY(watcher.claim());
    StatusItem item;
    QSignalSpy backends(&item, &StatusItem::backendChanged);
    item.show();
    QTRY_COMPARE(item.backend(), StatusItem::Backend::None);
    QCOMPARE(backends.constLast().constFirst().value<StatusItem::Backend>(), StatusItem::Backend::None);
}

void TestStatusItem::withoutWatcher_data()
{
    QTest::addColumn<bool>("hasTrayModule");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<StatusItem::Backend>("backend");
    QTest::newRow("no tray module") << false << false << StatusItem::Backend::None;
    QTest::newRow("tray module, no tray") << true << false << StatusItem::Backend::None;
    QTest::newRow("tray") << true << true << StatusItem::Backend::SystemTray;
}

void TestStatusItem::withoutWatcher()
{
    QFETCH(bool, hasTrayModule);
    QFETCH(bool, trayAvailable);
    QFETCH(StatusItem::Backend, backend);
    FakeTrayFactory trays(trayAvailable);
    StatusItem item(hasTrayModule ? &trays : nullptr);
    const QIcon icon = solidIcon(Qt::red);
    item.setPresentation(icon, QStringLiteral("0:12:05 · Møde"));
    QCOMPARE(item.show(), backend != StatusItem::Backend::None);
    QCOMPARE(item.backend(), backend);
    if (backend != StatusItem::Backend::SystemTray) {
        QVERIFY(!trays.icon);
        return;
    }
    QVERIFY(trays.icon && trays.icon->visible);
    QCOMPARE(trays.icon->iconKey, icon.cacheKey());
    QCOMPARE(shownAsMarkup(trays.icon->toolTip), QStringLiteral("0:12:05 · Møde"));

    // The label follows; a click opens the popover under the icon.
    const QString markup = QStringLiteral("<img src=\"http://127.0.0.1:9/b.png\"> & <b>x</b>");
    item.setPresentation(icon, markup, QStringLiteral("Ændringer gemmes ikke: fuld disk"));
    QCOMPARE(shownAsMarkup(trays.icon->toolTip), markup + QStringLiteral("\nÆndringer gemmes ikke: fuld disk"));
    QSignalSpy clicks(&item, &StatusItem::activated);
    emit trays.icon->clicked();
    QCOMPARE(clicks.size(), 1);
    // The middle of the 24-pixel icon at x 300 (QRect counts 300…323), at its bottom row.
    QCOMPARE(clicks.constFirst().constFirst().toPoint(), QPoint(311, 23));
}

void TestStatusItem::trayGivesWayToWatcher()
{
    FakeTrayFactory trays(true);
    StatusItem item(&trays);
    item.setPresentation(solidIcon(Qt::red), QStringLiteral("1.75t"));
    QVERIFY(item.show());
    QCOMPARE(item.backend(), StatusItem::Backend::SystemTray);

    // A panel with a watcher starts: the item moves there and the tray icon goes.
    auto watcher = std::make_unique<WatcherOnBus>(m_address);
    QVERIFY(watcher->claim());
    QTRY_COMPARE(item.backend(), StatusItem::Backend::StatusNotifier);
    QVERIFY(!trays.icon);
    QTRY_COMPARE(watcher->registrations().size(), 1);

    // It goes away again: back to the tray, with the same presentation.
    watcher.reset();
    QTRY_COMPARE(item.backend(), StatusItem::Backend::SystemTray);
    QVERIFY(trays.icon && trays.icon->visible);
    QCOMPARE(shownAsMarkup(trays.icon->toolTip), QStringLiteral("1.75t"));
}

void TestStatusItem::watcherStartingLaterGetsTheItem()
{
    StatusItem item;
    QSignalSpy backends(&item, &StatusItem::backendChanged);
    QVERIFY(!item.show());

    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    QTRY_COMPARE(watcher.registrations().size(), 1);
    QCOMPARE(watcher.registrations().constFirst().service, item.serviceName());
    QCOMPARE(item.backend(), StatusItem::Backend::StatusNotifier);
    QCOMPARE(backends.constLast().constFirst().value<StatusItem::Backend>(), StatusItem::Backend::StatusNotifier);
}

enum class Restart { SameTakesNameAgain, NewAfterOldIsGone, NewReplacesOld };

void TestStatusItem::restartedWatcherGetsTheItemAgain_data()
{
    QTest::addColumn<Restart>("restart");
    QTest::newRow("same watcher takes the name again") << Restart::SameTakesNameAgain;
    QTest::newRow("a new watcher after the old is gone") << Restart::NewAfterOldIsGone;
    // One owner change straight from the old watcher to the new, with no gap between.
    QTest::newRow("a new watcher replaces the running one") << Restart::NewReplacesOld;
}

void TestStatusItem::restartedWatcherGetsTheItemAgain()
{
    QFETCH(Restart, restart);
    auto first = std::make_unique<WatcherOnBus>(m_address);
    QVERIFY(first->claim());
    StatusItem item;
    QVERIFY(item.show());
    QTRY_COMPARE(first->registrations().size(), 1);

    if (restart == Restart::SameTakesNameAgain) {
        first->release();
        QVERIFY(first->claim());
        QTRY_COMPARE(first->registrations().size(), 2);
        QCOMPARE(first->registrations().constLast().service, item.serviceName());
    } else {
        if (restart == Restart::NewAfterOldIsGone)
            first.reset();
        WatcherOnBus second(m_address);
        QVERIFY(second.claim(/*replace=*/restart == Restart::NewReplacesOld));
        QTRY_COMPARE(second.registrations().size(), 1);
        QCOMPARE(second.registrations().constFirst().service, item.serviceName());
    }
    QCOMPARE(item.backend(), StatusItem::Backend::StatusNotifier);
}

void TestStatusItem::vanishedWatcherIsReported()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    QVERIFY(item.show());
    QSignalSpy backends(&item, &StatusItem::backendChanged);

    watcher.release();
    QTRY_COMPARE(backends.size(), 1);
    QCOMPARE(backends.constFirst().constFirst().value<StatusItem::Backend>(), StatusItem::Backend::None);
    QCOMPARE(item.backend(), StatusItem::Backend::None);
}

void TestStatusItem::presentationReachesPanel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("guide"); // the widest the label grows to while the clock runs
    const QString markup = QStringLiteral("00:00:01 · <img src=\"http://127.0.0.1:9/b.png\"> & <b>fed</b>");
    const QString markupGuide = QString(markup).replace(QRegularExpression(QStringLiteral("[0-9]")), QStringLiteral("8"));

    QTest::newRow("running task") << QStringLiteral("01:02:05 · Møde med kunden")
                                  << QStringLiteral("01:02:05 · Møde med kunden") << QString()
                                  << QStringLiteral("88:88:88 · Møde med kunden");
    QTest::newRow("running unnamed task") << QStringLiteral("00:00:07 · ·") << QStringLiteral("00:00:07 · ·")
                                          << QString() << QStringLiteral("88:88:88 · ·");
    QTest::newRow("idle with hours") << QStringLiteral("1.75t") << QStringLiteral("1.75t") << QString()
                                     << QStringLiteral("8.88t");
    QTest::newRow("idle without hours") << QString() << QStringLiteral("Timeglas") << QString() << QString();
    QTest::newRow("a name that looks like markup") << markup << markup << QString() << markupGuide;
    QTest::newRow("saves failing") << QStringLiteral("1.75t") << QStringLiteral("1.75t")
                                   << QStringLiteral("Ændringer gemmes ikke: <disk full>") << QStringLiteral("8.88t");
}

void TestStatusItem::presentationReachesPanel()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, warning);
    QFETCH(QString, guide);
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    QVERIFY(item.show());
    const QString service = item.serviceName();
    PanelSignals panel(m_panel, service);

    const QIcon icon = solidIcon(Qt::black);
    item.setPresentation(icon, QStringLiteral("00:59:59 · Før"));
    item.setPresentation(icon, text, warning);
    item.setPresentation(icon, text, warning);

    // Each change once, in order, and nothing for a repeat.
    const QList<QStringList> expected{{QStringLiteral("00:59:59 · Før"), QStringLiteral("88:88:88 · Før")},
                                      {text, guide}};
    QTRY_COMPARE(panel.labels, expected);
    QCOMPARE(panel.newToolTip, 2);

    QCOMPARE(itemProperty(service, QStringLiteral("XAyatanaLabel")).toString(), text);
    QCOMPARE(itemProperty(service, QStringLiteral("XAyatanaLabelGuide")).toString(), guide);
    QCOMPARE(itemProperty(service, QStringLiteral("Title")).toString(), title);
    const QVariant toolTipValue = itemProperty(service, QStringLiteral("ToolTip"));
    QVERIFY(toolTipValue.canConvert<QDBusArgument>());
    const auto toolTip = qdbus_cast<SniToolTip>(toolTipValue.value<QDBusArgument>());
    QCOMPARE(toolTip.title, QStringLiteral("Timeglas"));
    // Panels render the description as markup: it must read as the label, and the warning.
    QCOMPARE(shownAsMarkup(toolTip.description), warning.isEmpty() ? text : text + u'\n' + warning);
}

void TestStatusItem::iconPixelsReachPanel_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QByteArray>("bytes");
    // Alpha first, then red, green, blue, with alpha not multiplied in.
    QTest::newRow("opaque red") << QColor(255, 0, 0) << QByteArray("\xff\xff\x00\x00", 4);
    QTest::newRow("half-transparent green") << QColor(0, 255, 0, 128) << QByteArray("\x80\x00\xff\x00", 4);
    QTest::newRow("opaque blue-grey") << QColor(0x12, 0x34, 0x56) << QByteArray("\xff\x12\x34\x56", 4);
    QTest::newRow("transparent") << QColor(0, 0, 0, 0) << QByteArray("\x00\x00\x00\x00", 4);
}

void TestStatusItem::iconPixelsReachPanel()
{
    QFETCH(QColor, color);
    QFETCH(QByteArray, bytes);
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    item.setPresentation(solidIcon(color), QString());
    QVERIFY(item.show());

    const QVariant value = itemProperty(item.serviceName(), QStringLiteral("IconPixmap"));
    QVERIFY(value.canConvert<QDBusArgument>());
    const auto pixmaps = qdbus_cast<QList<SniPixmap>>(value.value<QDBusArgument>());
    QList<int> sizes;
    for (const SniPixmap &pixmap : pixmaps) {
        sizes.append(pixmap.width);
        QCOMPARE(pixmap.height, pixmap.width);
        QCOMPARE(pixmap.argb.size(), pixmap.width * pixmap.height * 4);
        const qsizetype centre = (qsizetype(pixmap.height / 2) * pixmap.width + pixmap.width / 2) * 4;
        QCOMPARE(pixmap.argb.mid(centre, 4), bytes);
    }
    QCOMPARE(sizes, (QList<int>{16, 22, 24, 32, 48}));
}

void TestStatusItem::unchangedIconIsNotResent()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    QVERIFY(item.show());
    PanelSignals panel(m_panel, item.serviceName());

    const QIcon running = solidIcon(Qt::red);
    item.setPresentation(running, QStringLiteral("00:00:01 · A"));
    item.setPresentation(running, QStringLiteral("00:00:02 · A"));
    // A different icon object that draws the same pixels is no change to the panel either.
    item.setPresentation(solidIcon(Qt::red), QStringLiteral("00:00:03 · A"));
    item.setPresentation(solidIcon(Qt::blue), QStringLiteral("0.25t"));

    // Signals arrive in the order sent, so once the last label is here all icons are too.
    QTRY_COMPARE(panel.labels.size(), 4);
    QCOMPARE(panel.newIcon, 2);
}

void TestStatusItem::clicksFromPanel_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("opensPopover");

    QTest::newRow("left click") << QStringLiteral("Activate") << QPoint(1210, 28) << true;
    QTest::newRow("right click") << QStringLiteral("ContextMenu") << QPoint(640, 0) << true;
    QTest::newRow("left click without position") << QStringLiteral("Activate") << QPoint(0, 0) << true;
    QTest::newRow("middle click") << QStringLiteral("SecondaryActivate") << QPoint(5, 5) << false;
}

void TestStatusItem::clicksFromPanel()
{
    QFETCH(QString, method);
    QFETCH(QPoint, point);
    QFETCH(bool, opensPopover);
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    QVERIFY(item.show());
    QSignalSpy clicks(&item, &StatusItem::activated);

    QDBusMessage call = QDBusMessage::createMethodCall(item.serviceName(), itemPath, itemInterface, method);
    call << point.x() << point.y();
    const QDBusMessage reply = callFromPanel(call);
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);

    // The reply comes after the handler ran, so the count is final here.
    QCOMPARE(clicks.size(), opensPopover ? 1 : 0);
    if (opensPopover)
        QCOMPARE(clicks.constFirst().constFirst().toPoint(), point);
}

void TestStatusItem::fixedProperties_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("category") << QStringLiteral("Category") << QVariant(QStringLiteral("ApplicationStatus"));
    QTest::newRow("id") << QStringLiteral("Id") << QVariant(QStringLiteral("dk.timeglas.Timeglas"));
    QTest::newRow("status") << QStringLiteral("Status") << QVariant(QStringLiteral("Active"));
    QTest::newRow("a click is not a menu") << QStringLiteral("ItemIsMenu") << QVariant(false);
    QTest::newRow("no menu given, no menu object") << QStringLiteral("Menu")
                                    << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")));
}

void TestStatusItem::fixedProperties()
{
    QFETCH(QString, property);
    QFETCH(QVariant, expected);
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    QVERIFY(item.show());
    QCOMPARE(itemProperty(item.serviceName(), property), expected);
}

// Panels build their proxies from the introspection data; every property it declares
// must be served, and with the declared type, or a panel drops the item.
void TestStatusItem::servedTypesMatchIntrospection()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    item.setPresentation(solidIcon(Qt::red), QStringLiteral("1.00t"));
    QVERIFY(item.show());

    const QDBusMessage introspection = callFromPanel(QDBusMessage::createMethodCall(
        item.serviceName(), itemPath, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect")));
    QCOMPARE(introspection.type(), QDBusMessage::ReplyMessage);
    QMap<QString, QString> declared;
    bool inItem = false;
    QXmlStreamReader xml(introspection.arguments().constFirst().toString());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("interface"))
            inItem = xml.attributes().value(QLatin1String("name")) == itemInterface;
        else if (inItem && xml.name() == QLatin1String("property"))
            declared.insert(xml.attributes().value(QLatin1String("name")).toString(),
                            xml.attributes().value(QLatin1String("type")).toString());
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    for (const char *name : {"IconPixmap", "ToolTip", "ItemIsMenu", "WindowId", "XAyatanaLabel", "Menu"})
        QVERIFY2(declared.contains(QLatin1String(name)), name);

    QDBusMessage getAll = QDBusMessage::createMethodCall(item.serviceName(), itemPath,
                                                         QStringLiteral("org.freedesktop.DBus.Properties"),
                                                         QStringLiteral("GetAll"));
    getAll << itemInterface;
    const QDBusMessage all = callFromPanel(getAll);
    QCOMPARE(all.type(), QDBusMessage::ReplyMessage);
    const auto served = qdbus_cast<QVariantMap>(all.arguments().constFirst().value<QDBusArgument>());

    for (auto it = declared.cbegin(); it != declared.cend(); ++it) {
        QVERIFY2(served.contains(it.key()), qPrintable(it.key()));
        const QVariant value = served.value(it.key());
        const QString signature = value.canConvert<QDBusArgument>()
                                      ? value.value<QDBusArgument>().currentSignature()
                                      : QString::fromLatin1(QDBusMetaType::typeToSignature(value.metaType()));
        QCOMPARE(signature, it.value());
    }
}

namespace {
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

QList<DBusMenuLayoutItem> menuEntries(const QDBusMessage &reply, uint *revision = nullptr)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return {};
    if (revision)
        *revision = reply.arguments().at(0).toUInt();
    return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1).value<QDBusArgument>()).children;
}
} // namespace

void TestStatusItem::menuLayoutReachesPanel()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    TestMenu menu;
    StatusItem item;
    item.setMenu(&menu.menu);
    QVERIFY(item.show());
    const QString path = itemProperty(item.serviceName(), QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    QCOMPARE(path, QStringLiteral("/MenuBar"));

    QDBusMessage getLayout = QDBusMessage::createMethodCall(item.serviceName(), path, QStringLiteral("com.canonical.dbusmenu"),
                                                            QStringLiteral("GetLayout"));
    getLayout << 0 << -1 << QStringList();
    uint revision = 0;
    QList<DBusMenuLayoutItem> entries = menuEntries(callFromPanel(getLayout), &revision);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries.at(0).properties.value(QStringLiteral("label")).toString(), QStringLiteral("Åbn"));
    QCOMPARE(entries.at(1).properties.value(QStringLiteral("type")).toString(), QStringLiteral("separator"));
    QCOMPARE(entries.at(2).properties.value(QStringLiteral("label")).toString(), QStringLiteral("Afslut"));
    QVERIFY(!entries.at(0).properties.contains(QStringLiteral("enabled")));

    // A changed entry comes with a newer revision.
    menu.open->setEnabled(false);
    uint newer = 0;
    entries = menuEntries(callFromPanel(getLayout), &newer);
    QVERIFY(newer > revision);
    QCOMPARE(entries.value(0).properties.value(QStringLiteral("enabled")), QVariant(false));
}

void TestStatusItem::menuEventsFromPanel_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("eventId");
    QTest::addColumn<bool>("openDisabled");
    QTest::addColumn<QStringList>("triggered");
    QTest::newRow("click on the first entry") << 1 << "clicked" << false << QStringList{"Åbn"};
    QTest::newRow("click on the last entry") << 3 << "clicked" << false << QStringList{"Afslut"};
    QTest::newRow("hovering is no click") << 1 << "hovered" << false << QStringList{};
    QTest::newRow("click on the separator") << 2 << "clicked" << false << QStringList{};
    QTest::newRow("click on a disabled entry") << 1 << "clicked" << true << QStringList{};
    QTest::newRow("unknown entry") << 42 << "clicked" << false << QStringList{};
}

void TestStatusItem::menuEventsFromPanel()
{
    QFETCH(int, id);
    QFETCH(QString, eventId);
    QFETCH(bool, openDisabled);
    QFETCH(QStringList, triggered);
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    TestMenu menu;
    menu.open->setEnabled(!openDisabled);
    QStringList seen;
    connect(&menu.menu, &QMenu::triggered, this, [&](QAction *a) { seen.append(a->text()); });
    StatusItem item;
    item.setMenu(&menu.menu);
    QVERIFY(item.show());
    QSignalSpy clicks(&item, &StatusItem::activated);

    QDBusMessage event = QDBusMessage::createMethodCall(item.serviceName(), QStringLiteral("/MenuBar"),
                                                        QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"));
    event << id << eventId << QVariant::fromValue(QDBusVariant(0)) << 0u;
    QCOMPARE(callFromPanel(event).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(seen, triggered);
    QCOMPARE(clicks.size(), 0);
}

void TestStatusItem::contextMenuWhereThePanelAsks()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    TestMenu menu;
    FakeTrayFactory trays(true);
    StatusItem item(&trays);
    item.setMenu(&menu.menu);
    QVERIFY(item.show());
    QSignalSpy clicks(&item, &StatusItem::activated);

    // A panel that does not draw menus asks for ours at the point of the click.
    QDBusMessage call = QDBusMessage::createMethodCall(item.serviceName(), itemPath, itemInterface,
                                                       QStringLiteral("ContextMenu"));
    call << 100 << 30;
    QCOMPARE(callFromPanel(call).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(menu.menu.isVisible());
    QCOMPARE(menu.menu.pos(), QPoint(100, 30));
    QCOMPARE(clicks.size(), 0);
    menu.menu.hide();

    // Without the watcher the tray gets the same menu.
    watcher.release();
    QTRY_COMPARE(item.backend(), StatusItem::Backend::SystemTray);
    QVERIFY(trays.icon);
    QCOMPARE(trays.icon->menu, &menu.menu);
}

void TestStatusItem::themedIconReachesPanel()
{
    WatcherOnBus watcher(m_address);
    QVERIFY(watcher.claim());
    StatusItem item;
    // Given before the item is on the bus, and changed after.
    item.setIconName(AppIdentity::symbolicIconName(false));
    QVERIFY(item.show());
    const QString service = item.serviceName();
    QCOMPARE(itemProperty(service, QStringLiteral("IconName")).toString(), QStringLiteral("dk.timeglas.Timeglas-symbolic"));
    QCOMPARE(itemProperty(service, QStringLiteral("IconThemePath")).toString(), QString());

    PanelSignals panel(m_panel, service);
    item.setIconName(AppIdentity::symbolicIconName(true), QStringLiteral("/opt/timeglas/share/icons"));
    item.setIconName(AppIdentity::symbolicIconName(true), QStringLiteral("/opt/timeglas/share/icons"));
    QTRY_COMPARE(panel.newIcon, 1);
    QCOMPARE(itemProperty(service, QStringLiteral("IconName")).toString(),
             QStringLiteral("dk.timeglas.Timeglas-running-symbolic"));
    QCOMPARE(itemProperty(service, QStringLiteral("IconThemePath")).toString(), QStringLiteral("/opt/timeglas/share/icons"));
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
