#include "platform/StatusNotifierItem.h"

#include "platform/AppIdentity.h"
#include "platform/BusLoop.h"
#include "platform/DBusMenuExporter.h"
#include "timecalc/Clock.h"

#include <QCoreApplication>
#include <QImage>
#include <QLoggingCategory>
#include <QMenu>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <systemd/sd-bus.h>

Q_LOGGING_CATEGORY(menuLog, "timeglas.panel.menu")

namespace {
constexpr auto programName = "Timeglas";
constexpr auto noMenu = "/NO_DBUSMENU"; // the protocol's way of saying there is none
// The sizes panels draw status icons at; each picks the one closest to its own.
constexpr int iconSizes[] = {16, 22, 24, 32, 48};

QString nextServiceName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter);
}

int appendPixmaps(sd_bus_message *m, const QList<SniPixmap> &pixmaps)
{
    int r = sd_bus_message_open_container(m, 'a', "(iiay)");
    for (const SniPixmap &pixmap : pixmaps) {
        if (r >= 0)
            r = sd_bus_message_open_container(m, 'r', "iiay");
        if (r >= 0)
            r = sd_bus_message_append(m, "ii", pixmap.width, pixmap.height);
        if (r >= 0)
            r = sd_bus_message_append_array(m, 'y', pixmap.argb.constData(), size_t(pixmap.argb.size()));
        if (r >= 0)
            r = sd_bus_message_close_container(m);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

int appendString(sd_bus_message *m, const QString &text)
{
    return sd_bus_message_append(m, "s", text.toUtf8().constData());
}

int replyEmpty(sd_bus_message *call)
{
    return sd_bus_reply_method_return(call, "");
}
} // namespace

// The protocol's calls, on the bus thread.
struct StatusNotifierCalls
{
    static StatusNotifierItem *item(void *self) { return static_cast<StatusNotifierItem *>(self); }

    static QString label(const StatusNotifierItem::Shown &shown)
    {
        return shown.clock ? shown.clock->textAt(timecalc::Clock::nowSeconds()) : shown.text;
    }

    static int property(sd_bus *, const char *, const char *, const char *property, sd_bus_message *reply, void *self,
                        sd_bus_error *)
    {
        const StatusNotifierItem::Shown &shown = item(self)->m_shown;
        const QByteArray name(property);
        // The label as panels last heard of it.
        if (name == "XAyatanaLabel")
            return sd_bus_message_append(reply, "s", item(self)->m_label.c_str());
        if (name == "XAyatanaLabelGuide")
            return sd_bus_message_append(reply, "s", item(self)->m_guide.c_str());
        if (name == "IconPixmap")
            return appendPixmaps(reply, shown.pixmaps);
        if (name == "OverlayIconPixmap" || name == "AttentionIconPixmap")
            return appendPixmaps(reply, {});
        if (name == "WindowId")
            return sd_bus_message_append(reply, "i", 0);
        // A click is ours to handle (it opens the popover), not the panel's to draw a menu for.
        if (name == "ItemIsMenu")
            return sd_bus_message_append(reply, "b", 0);
        if (name == "Menu")
            return sd_bus_message_append(reply, "o", shown.menuPath.toUtf8().constData());
        if (name == "ToolTip") {
            int r = sd_bus_message_open_container(reply, 'r', "sa(iiay)ss");
            if (r >= 0)
                r = sd_bus_message_append(reply, "s", "");
            if (r >= 0)
                r = appendPixmaps(reply, {});
            if (r >= 0)
                r = sd_bus_message_append(reply, "s", programName);
            if (r >= 0)
                r = appendString(reply, shown.toolTip);
            return r < 0 ? r : sd_bus_message_close_container(reply);
        }
        const QString text = name == "Category"          ? QStringLiteral("ApplicationStatus")
                             : name == "Id"              ? AppIdentity::id()
                             : name == "Title"           ? QString::fromLatin1(programName)
                             : name == "Status"          ? QStringLiteral("Active")
                             : name == "IconThemePath"   ? shown.iconThemePath
                             : name == "IconName"        ? shown.iconName
                                                         : QString();
        return appendString(reply, text);
    }

    // Activate and ContextMenu: what the panel asks for happens on the GUI thread.
    static int click(sd_bus_message *call, void *self, sd_bus_error *)
    {
        int x = 0, y = 0;
        if (const int r = sd_bus_message_read(call, "ii", &x, &y); r < 0)
            return r;
        StatusNotifierItem *it = item(self);
        const bool context = std::string_view(sd_bus_message_get_member(call)) == "ContextMenu";
        return it->m_loop->answerFromGui(call, it, [it, context, at = QPoint(x, y)]() -> BusLoop::Reply {
            if (context)
                it->showContextMenu(at);
            else
                emit it->activated(at);
            return replyEmpty;
        });
    }

    // SecondaryActivate and Scroll: nothing of ours.
    static int ignore(sd_bus_message *call, void *, sd_bus_error *) { return replyEmpty(call); }

    static int registeredReply(sd_bus_message *reply, void *self, sd_bus_error *)
    {
        StatusNotifierItem *it = item(self);
        const sd_bus_error *error = sd_bus_message_get_error(reply);
        const QString message = error ? QString::fromUtf8(error->message ? error->message : error->name) : QString();
        QMetaObject::invokeMethod(
            it,
            [it, failed = error != nullptr, message, attempt = it->m_busAttempt] {
                // A watcher that quit while our call was on its way fails it, after its
                // successor may already have taken us; only the latest answer counts.
                if (attempt != it->m_registrations)
                    return;
                if (failed)
                    emit it->registrationFailed(message);
                else
                    emit it->registered();
            },
            Qt::QueuedConnection);
        return 0;
    }
};

StatusNotifierItem::StatusNotifierItem(BusLoop *loop, QObject *parent)
    : QObject(parent), m_loop(loop), m_serviceName(nextServiceName())
{
    m_posted.menuPath = QString::fromLatin1(noMenu);
}

StatusNotifierItem::~StatusNotifierItem()
{
    delete m_menuExporter;
    if (!m_published)
        return;
    m_loop->run([this](sd_bus *bus) {
        m_loop->removeTickListeners(this);
        sd_bus_slot_unref(std::exchange(m_registration, nullptr));
        sd_bus_slot_unref(std::exchange(m_object, nullptr));
        sd_bus_release_name_async(bus, nullptr, m_serviceName.toUtf8().constData(), nullptr, nullptr);
        return 0;
    });
}

bool StatusNotifierItem::publish()
{
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("Category", "s", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("Id", "s", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("Title", "s", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("Status", "s", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("WindowId", "i", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("IconThemePath", "s", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("IconName", "s", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("IconPixmap", "a(iiay)", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("OverlayIconName", "s", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("AttentionIconName", "s", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("AttentionMovieName", "s", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("ItemIsMenu", "b", &StatusNotifierCalls::property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("Menu", "o", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("XAyatanaLabel", "s", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_PROPERTY("XAyatanaLabelGuide", "s", &StatusNotifierCalls::property, 0, 0),
        SD_BUS_METHOD_WITH_NAMES("Activate", "ii", SD_BUS_PARAM(x) SD_BUS_PARAM(y), "", , &StatusNotifierCalls::click, 0),
        SD_BUS_METHOD_WITH_NAMES("SecondaryActivate", "ii", SD_BUS_PARAM(x) SD_BUS_PARAM(y), "", ,
                                 &StatusNotifierCalls::ignore, 0),
        SD_BUS_METHOD_WITH_NAMES("ContextMenu", "ii", SD_BUS_PARAM(x) SD_BUS_PARAM(y), "", ,
                                 &StatusNotifierCalls::click, 0),
        SD_BUS_METHOD_WITH_NAMES("Scroll", "is", SD_BUS_PARAM(delta) SD_BUS_PARAM(orientation), "", ,
                                 &StatusNotifierCalls::ignore, 0),
        SD_BUS_SIGNAL("NewTitle", "", 0),
        SD_BUS_SIGNAL("NewIcon", "", 0),
        SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
        SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
        SD_BUS_SIGNAL("NewToolTip", "", 0),
        SD_BUS_SIGNAL_WITH_NAMES("NewStatus", "s", SD_BUS_PARAM(status), 0),
        SD_BUS_SIGNAL_WITH_NAMES("XAyatanaNewLabel", "ss", SD_BUS_PARAM(label) SD_BUS_PARAM(guide), 0),
        SD_BUS_VTABLE_END,
    };
    if (m_published)
        return true;
    if (!m_loop->isOpen())
        return false;
    if (m_menuExporter) {
        if (m_menuExporter->publish())
            m_posted.menuPath = QString::fromLatin1(DBusMenuExporter::menuPath);
        else
            qCWarning(menuLog, "Cannot put the status item's menu on the session bus");
    }
    const int r = m_loop->run([this, shown = m_posted](sd_bus *bus) {
        int r = sd_bus_add_object_vtable(bus, &m_object, itemPath, itemInterface, vtable, this);
        if (r >= 0)
            r = sd_bus_request_name(bus, m_serviceName.toUtf8().constData(), 0);
        if (r < 0) {
            m_object = sd_bus_slot_unref(m_object);
            return r;
        }
        m_shown = shown;
        const QString label = StatusNotifierCalls::label(shown);
        m_label = label.toStdString();
        m_guide = guideFor(label).toStdString();
        m_loop->addTickListener(this, [this](sd_bus *bus, const BusLoop::Reading &clock) {
            if (m_shown.clock)
                sendLabel(bus, clock.text, clock.guide);
        });
        return 0;
    });
    if (r < 0)
        return false;
    m_published = true;
    m_loop->setClock(m_posted.clock);
    return true;
}

void StatusNotifierItem::registerWithWatcher()
{
    const int attempt = ++m_registrations;
    // Asynchronous: the watcher calls back into this item before it answers.
    m_loop->post([this, attempt](sd_bus *bus) {
        m_busAttempt = attempt;
        sd_bus_slot_unref(std::exchange(m_registration, nullptr));
        const int r = sd_bus_call_method_async(bus, &m_registration, watcherService, watcherPath, watcherService,
                                               "RegisterStatusNotifierItem", &StatusNotifierCalls::registeredReply,
                                               this, "s", m_serviceName.toUtf8().constData());
        if (r < 0) {
            QMetaObject::invokeMethod(this, [this, attempt, r] {
                if (attempt == m_registrations)
                    emit registrationFailed(QString::fromLocal8Bit(std::strerror(-r)));
            }, Qt::QueuedConnection);
        }
    });
}

void StatusNotifierItem::setMenu(QMenu *menu)
{
    if (menu == m_menu)
        return;
    delete m_menuExporter;
    m_menuExporter = nullptr;
    m_menu = menu;
    m_posted.menuPath = QString::fromLatin1(noMenu);
    if (menu) {
        m_menuExporter = new DBusMenuExporter(menu, m_loop, this);
        if (m_published) {
            if (m_menuExporter->publish())
                m_posted.menuPath = QString::fromLatin1(DBusMenuExporter::menuPath);
            else
                qCWarning(menuLog, "Cannot put the status item's menu on the session bus");
        }
    }
    republish();
}

void StatusNotifierItem::showContextMenu(QPoint at)
{
    // Without a menu, a right click opens the popover rather than doing nothing.
    if (!m_menu) {
        emit activated(at);
        return;
    }
    m_menu->popup(at);
}

void StatusNotifierItem::setIconName(const QString &name, const QString &themePath)
{
    m_posted.iconName = name;
    m_posted.iconThemePath = themePath;
    republish();
}

QString StatusNotifierItem::guideFor(const QString &text)
{
    QString guide = text;
    for (QChar &c : guide) {
        if (c.isDigit())
            c = u'8';
    }
    return guide;
}

QString StatusNotifierItem::toolTipBody(const QString &toolTip, const QString &warning)
{
    QStringList lines;
    for (const QString &part : {toolTip, warning})
        if (!part.isEmpty())
            lines.append(part.toHtmlEscaped().replace(u'\n', QStringLiteral("<br/>")));
    return lines.join(QStringLiteral("<br/>"));
}

void StatusNotifierItem::setText(const QString &text, const QString &toolTip, const QString &warning,
                                 const std::optional<LabelClock> &clock)
{
    m_posted.text = clock ? QString() : text;
    m_posted.clock = clock;
    m_posted.toolTip = toolTipBody(toolTip, warning);
    republish();
}

void StatusNotifierItem::setIcon(const QIcon &icon)
{
    // The label calls this with the same icon on every change; only a new one is drawn.
    if (icon.cacheKey() == m_iconKey)
        return;
    m_iconKey = icon.cacheKey();
    m_posted.pixmaps = toPixmaps(icon);
    republish();
}

void StatusNotifierItem::republish()
{
    if (!m_published || m_posted == m_sentToBus)
        return;
    m_sentToBus = m_posted;
    m_loop->post([this, next = m_posted](sd_bus *bus) { show(bus, next, timecalc::Clock::nowSeconds()); });
    m_loop->setClock(m_posted.clock);
}

void StatusNotifierItem::show(sd_bus *bus, Shown next, double now)
{
    const bool icon = next.pixmaps != m_shown.pixmaps || next.iconName != m_shown.iconName
                      || next.iconThemePath != m_shown.iconThemePath;
    const bool toolTip = next.toolTip != m_shown.toolTip;
    m_shown = std::move(next);
    if (icon)
        sd_bus_emit_signal(bus, itemPath, itemInterface, "NewIcon", "");
    if (toolTip)
        sd_bus_emit_signal(bus, itemPath, itemInterface, "NewToolTip", "");
    const QString label = m_shown.clock ? m_shown.clock->textAt(now) : m_shown.text;
    sendLabel(bus, label.toStdString(), guideFor(label).toStdString());
}

void StatusNotifierItem::sendLabel(sd_bus *bus, const std::string &label, const std::string &guide)
{
    if (label == m_label)
        return;
    m_label = label;
    m_guide = guide;
    sd_bus_emit_signal(bus, itemPath, itemInterface, "XAyatanaNewLabel", "ss", m_label.c_str(), m_guide.c_str());
}

QList<SniPixmap> StatusNotifierItem::toPixmaps(const QIcon &icon)
{
    QList<SniPixmap> result;
    if (icon.isNull())
        return result;
    for (const int size : iconSizes) {
        const QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
        if (pixmap.isNull())
            continue;
        // Straight (not premultiplied) alpha is what the protocol carries.
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        const bool seen = std::any_of(result.cbegin(), result.cend(), [&](const SniPixmap &p) {
            return p.width == image.width() && p.height == image.height();
        });
        if (seen)
            continue;
        SniPixmap converted{image.width(), image.height(), QByteArray()};
        converted.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<uchar *>(converted.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, out += 4)
                qToBigEndian<quint32>(line[x], out);
        }
        result.append(converted);
    }
    return result;
}

