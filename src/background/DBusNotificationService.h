#pragma once

#include "background/NotificationService.h"

#include <QDBusConnection>
#include <optional>

// Notifications through the desktop's org.freedesktop.Notifications server. Nothing here waits
// for the server, so a hung server cannot hold up the caller; only the bus itself is asked
// whether a server is there, or can be started.
class DBusNotificationService : public NotificationService
{
    Q_OBJECT

public:
    explicit DBusNotificationService(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                     QObject* parent = nullptr);

    bool send(const Message& message, std::function<void(uint id)> delivered) override;

    static QString serviceName();

private:
    bool serverAvailable() const;
    void askCapabilities();

    QDBusConnection m_bus;
    // Unknown until the server answers; most servers read markup, so escaping is the safer guess.
    std::optional<bool> m_markup;
};
