#pragma once

#include <QDBusConnection>
#include <QObject>

// Notices a tray host that starts after the program, as happens at log-in, so that the tray icon
// can be made again and reach it.
class TrayHostWatch : public QObject
{
    Q_OBJECT

public:
    explicit TrayHostWatch(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    static QString hostService();

signals:
    void hostAppeared();
};
