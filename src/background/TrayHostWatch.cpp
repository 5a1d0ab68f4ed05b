#include "background/TrayHostWatch.h"

#include <QDBusServiceWatcher>

TrayHostWatch::TrayHostWatch(const QDBusConnection& bus, QObject* parent) : QObject(parent)
{
    if (!bus.isConnected())
        return;
    auto* watcher = new QDBusServiceWatcher(hostService(), bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &TrayHostWatch::hostAppeared);
}

QString TrayHostWatch::hostService()
{
    return QStringLiteral("org.kde.StatusNotifierWatcher");
}
