#pragma once

#include "base/AppInfo.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

// Where desktop notifications go. The desktop's notification server is one such place; tests of
// the windows put a recorder here instead.
class NotificationService : public QObject
{
    Q_OBJECT

public:
    // Every notice is the program's own, by its name and icon, and of normal urgency.
    struct Message
    {
        QString appName = AppInfo::productName();
        QString appIcon = AppInfo::appId();
        QString summary = AppInfo::productName();
        QString body;        // plain text; the service escapes it when the server reads markup
        QStringList actions; // key, label, key, label, ...
        QVariantMap hints{{QStringLiteral("desktop-entry"), AppInfo::appId()},
                          {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    };

    using QObject::QObject;

    // Hands the message on. False when there is nobody to show it; otherwise `delivered` is called
    // with the notification's id once the server has taken it, which may be later or never.
    virtual bool send(const Message& message, std::function<void(uint id)> delivered) = 0;

signals:
    void actionInvoked(uint id, const QString& actionKey);
    void closed(uint id);
};
