#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>

// Watches the folders that hold the watched files, one watch per folder however many files it
// holds, and says when something in them changed. A burst of changes gives one signal at most
// per debounce interval, so a folder being filled does not start a check per file.
class FolderWatch : public QObject
{
    Q_OBJECT

public:
    explicit FolderWatch(std::chrono::milliseconds debounce = std::chrono::seconds(2), QObject* parent = nullptr);

    // The files (or, for a folder entry, the chosen file in it) whose folders are to be watched.
    void setFiles(const QStringList& paths);
    // Watches again the folders that were missing, or disappeared and came back.
    void rewatch();

    // The folders being watched now.
    QStringList watchedFolders() const;

signals:
    void changed();

private:
    void onFolderChanged();

    QFileSystemWatcher m_watcher;
    QTimer m_debounce;
    QSet<QString> m_wanted; // absolute folder paths, as the files name them
};
