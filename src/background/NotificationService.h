#pragma once

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
    struct Message
    {
        QString appName;
        QString appIcon;
        QString summary;
        QString body;        // plain text; the service escapes it when the server reads markup
        QStringList actions; // key, label, key, label, ...
        QVariantMap hints;
    };

    using QObject::QObject;

    // Hands the message on. False when there is nobody to show it; otherwise `delivered` is called
    // with the notification's id once the server has taken it, which may be later or never.
    virtual bool send(const Message& message, std::function<void(uint id)> delivered) = 0;

signals:
    void actionInvoked(uint id, const QString& actionKey);
    void closed(uint id);
};
