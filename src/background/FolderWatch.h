#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>

class QFileSystemWatcher;
class QSocketNotifier;

// Watches the folders that hold the watched files, one watch per folder however many files it
// holds, and says when something in them changed. A burst of changes gives one signal at most per
// debounce interval, so a folder being filled does not start a check per file.
//
// On Linux it asks inotify itself: QFileSystemWatcher's folder watch there leaves out a file's
// new modification time (a touch, a write in place), which is the one change that matters here.
// Elsewhere QFileSystemWatcher's folder watch reports those.
class FolderWatch : public QObject
{
    Q_OBJECT

public:
    explicit FolderWatch(std::chrono::milliseconds debounce = std::chrono::seconds(2), QObject* parent = nullptr);
    ~FolderWatch() override;

    // The files (or, for a folder entry, the chosen file in it) whose folders are to be watched.
    void setFiles(const QStringList& paths);
    // Watches again the folders that were missing, or disappeared and came back.
    void rewatch();
    // The program's own files, which every check rewrites: a change to one of them (or to the lock
    // and temporary files written beside it) is no change of its folder. Were it one, a watched
    // folder holding them would start a check after every check, for ever. Only inotify names the
    // file that changed, so elsewhere their changes still count.
    void setOwnFiles(const QStringList& paths);

    // The folders being watched now.
    QStringList watchedFolders() const;

signals:
    void changed();

private:
    void onActivity();
    void openWindow();
    void onWindowEnded();
    void addFolder(const QString& folder);
    void removeFolder(const QString& folder);
    // Reads what inotify has queued; forgets the folders whose watch ended. True when something
    // other than the program's own files changed.
    bool drainEvents();
    bool isOwnFile(const QString& folder, const QString& name) const;

    QTimer m_debounce;
    QSet<QString> m_wanted;  // absolute folder paths, as the files name them
    QSet<QString> m_watched; // real paths, links resolved
    QFileSystemWatcher* m_watcher = nullptr;
    int m_inotify = -1;
    QSocketNotifier* m_notifier = nullptr;
    QHash<int, QString> m_folderOfWatch;
    QHash<QString, QStringList> m_ownNames; // by real folder path
};
