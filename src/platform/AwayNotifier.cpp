#include "platform/AwayNotifier.h"

#include "core/AwayTime.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

namespace {
constexpr auto service = "org.freedesktop.Notifications";
constexpr auto path = "/org/freedesktop/Notifications";
constexpr auto interface = "org.freedesktop.Notifications";
} // namespace

const QStringList &AwayNotifier::actionKeys()
{
    static const QStringList keys{QStringLiteral("keep"), QStringLiteral("remove"), QStringLiteral("remove-and-stop")};
    return keys;
}

AwayNotifier::AwayNotifier(AwayTracker *tracker, const QDBusConnection &session, QObject *parent)
    : QObject(parent), m_tracker(tracker), m_session(session)
{
    if (!m_session.isConnected())
        return;
    m_session.connect(QLatin1String(service), QLatin1String(path), QLatin1String(interface),
                      QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    m_session.connect(QLatin1String(service), QLatin1String(path), QLatin1String(interface),
                      QStringLiteral("NotificationClosed"), this, SLOT(onNotificationClosed(uint, uint)));
    connect(tracker, &AwayTracker::questionChanged, this, &AwayNotifier::follow);
}

void AwayNotifier::follow()
{
    const QString text = m_tracker->hasQuestion() ? m_tracker->questionText() : QString();
    if (text == m_shownText)
        return;
    if (text.isEmpty()) {
        close();
        return;
    }
    m_shownText = text;
    QDBusMessage notify = QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(path),
                                                         QLatin1String(interface), QStringLiteral("Notify"));
    const QStringList labels{tr("Behold"), tr("Fjern tiden"), tr("Fjern og stop")};
    QStringList actions;
    for (int i = 0; i < labels.size(); ++i)
        actions << actionKeys().at(i) << labels.at(i);
    // The body may be rendered as markup; a task's name is the user's text.
    notify << QStringLiteral("Timeglas") << m_shownId << QStringLiteral("timeglas") << tr("Væk fra opgaven")
           << text.toHtmlEscaped() << actions << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}}
           << int(0); // until the user answers
    auto *pending = new QDBusPendingCallWatcher(m_session.asyncCall(notify), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (!reply.isError())
            m_shownId = reply.value();
    });
}

void AwayNotifier::close()
{
    m_shownText.clear();
    if (m_shownId == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(path),
                                                       QLatin1String(interface), QStringLiteral("CloseNotification"));
    call << m_shownId;
    m_session.asyncCall(call);
    m_shownId = 0;
}

void AwayNotifier::onActionInvoked(uint id, const QString &key)
{
    if (id == 0 || id != m_shownId)
        return;
    const int choice = int(actionKeys().indexOf(key));
    if (choice < 0)
        return;
    m_shownId = 0; // the server closes it
    m_tracker->answer(choice);
}

void AwayNotifier::onNotificationClosed(uint id, uint)
{
    // Dismissed without an answer: the question stays in the day view, and nothing is removed.
    if (id == m_shownId)
        m_shownId = 0;
}
