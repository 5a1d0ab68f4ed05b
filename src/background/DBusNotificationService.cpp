#include "background/DBusNotificationService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DBusNotificationService::DBusNotificationService(const QDBusConnection& bus, QObject* parent)
    : NotificationService(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    // Qt D-Bus reaches bus signals only through methods named by text; these pass straight on.
    m_bus.connect(serviceName(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SIGNAL(actionInvoked(uint, QString)));
    m_bus.connect(serviceName(), kPath, kInterface, QStringLiteral("NotificationClosed"), this, SIGNAL(closed(uint)));
    // A server that is replaced may read markup differently from the one before.
    auto* watcher = new QDBusServiceWatcher(serviceName(), m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                m_markup.reset();
                if (!newOwner.isEmpty())
                    askCapabilities();
            });
    if (m_bus.interface() && m_bus.interface()->isServiceRegistered(serviceName()))
        askCapabilities();
}

QString DBusNotificationService::serviceName()
{
    return QStringLiteral("org.freedesktop.Notifications");
}

bool DBusNotificationService::serverAvailable() const
{
    QDBusConnectionInterface* bus = m_bus.isConnected() ? m_bus.interface() : nullptr;
    if (!bus)
        return false;
    if (bus->isServiceRegistered(serviceName()))
        return true;
    // Many desktops start their server on the first call.
    const QDBusReply<QStringList> activatable = bus->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(serviceName());
}

void DBusNotificationService::askCapabilities()
{
    const QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName(), kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<QStringList> reply = *finished;
        if (reply.isValid())
            m_markup = reply.value().contains(QStringLiteral("body-markup"));
        finished->deleteLater();
    });
}

bool DBusNotificationService::send(const Message& message, std::function<void(uint id)> delivered)
{
    if (!serverAvailable())
        return false;
    const QString body = m_markup.value_or(true) ? message.body.toHtmlEscaped() : message.body;
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName(), kPath, kInterface, QStringLiteral("Notify"));
    call << message.appName << uint(0) << message.appIcon << message.summary << body << message.actions << message.hints
         << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [delivered = std::move(delivered)](QDBusPendingCallWatcher* finished) {
                // A server that went away in the meantime just leaves the message unshown.
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isValid() && delivered)
                    delivered(reply.value());
                finished->deleteLater();
            });
    return true;
}
