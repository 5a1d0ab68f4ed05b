#include "background/FolderWatch.h"

#include <QDir>
#include <QFileInfo>

FolderWatch::FolderWatch(std::chrono::milliseconds debounce, QObject* parent) : QObject(parent)
{
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(debounce);
    connect(&m_debounce, &QTimer::timeout, this, &FolderWatch::changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::onFolderChanged);
}

void FolderWatch::setFiles(const QStringList& paths)
{
    m_wanted.clear();
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        m_wanted.insert(QFileInfo(QDir::cleanPath(path)).absolutePath());
    }
    rewatch();
}

void FolderWatch::rewatch()
{
    // Two names for one folder (a link, a trailing "/..") must not cost two watches.
    QSet<QString> target;
    for (const QString& folder : std::as_const(m_wanted)) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty() && QFileInfo(real).isDir())
            target.insert(real);
    }
    const QStringList watchedNow = m_watcher.directories();
    const QSet<QString> watched(watchedNow.begin(), watchedNow.end());
    QStringList gone;
    for (const QString& folder : watchedNow) {
        if (!target.contains(folder))
            gone << folder;
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString& folder : std::as_const(target)) {
        if (!watched.contains(folder))
            added << folder;
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

QStringList FolderWatch::watchedFolders() const
{
    return m_watcher.directories();
}

void FolderWatch::onFolderChanged()
{
    // The first change opens the window and later ones fall into it, so a folder that changes
    // all the time still gives one signal per interval rather than none.
    if (!m_debounce.isActive())
        m_debounce.start();
}
