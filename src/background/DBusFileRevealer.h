#pragma once

#include "background/FileRevealer.h"

#include <QDBusConnection>
#include <QObject>
#include <QUrl>
#include <functional>

// Shows a file through the file manager's org.freedesktop.FileManager1 service on the session
// bus. When no file manager answers there (none registered or startable, or the call fails) the
// folder goes to the desktop's default handler instead, so the user still gets to the file.
class DBusFileRevealer : public QObject, public FileRevealer
{
    Q_OBJECT

public:
    // Opens a folder URL the way the desktop does; QDesktopServices::openUrl unless a test says otherwise.
    using FolderOpener = std::function<bool(const QUrl& folder)>;

    explicit DBusFileRevealer(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                              FolderOpener openFolder = FolderOpener(), QObject* parent = nullptr);

    void reveal(const QString& place) override;

    static QString serviceName();
    // The file:// URI the file manager is asked to select, fully percent-encoded; a folder is named
    // without its trailing separator, as file managers name it.
    static QString itemUri(const QString& place);
    // The folder that holds the place, or the place itself when it is a folder.
    static QUrl folderUrl(const QString& place);

private:
    QDBusConnection m_bus;
    FolderOpener m_openFolder;
};
