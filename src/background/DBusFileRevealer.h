#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QUrl>
#include <functional>

// Shows a file to the user in their file manager. The place is one the program already knows (a
// row's, from its check): it is handed on as it is and never asked about again, so that showing a
// file on a share that stopped answering cannot hang the program.
//
// It asks the file manager's org.freedesktop.FileManager1 service on the session bus. When no file
// manager answers there (none registered or startable, or the call fails) the folder goes to the
// desktop's default handler instead, so the user still gets to the file.
class DBusFileRevealer : public QObject
{
    Q_OBJECT

public:
    // Opens a folder URL the way the desktop does; QDesktopServices::openUrl unless a test says otherwise.
    using FolderOpener = std::function<bool(const QUrl& folder)>;

    explicit DBusFileRevealer(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                              FolderOpener openFolder = FolderOpener(), QObject* parent = nullptr);

    // Shows `place` selected in its folder; a place that ends with a separator is a folder, shown
    // for a file that could not be found or reached. Returns at once, whatever the file manager does.
    void reveal(const QString& place);

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
