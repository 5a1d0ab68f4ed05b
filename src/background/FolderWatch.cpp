#include "background/FolderWatch.h"

#include "engine/FileQuery.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX
constexpr uint32_t kFolderEvents = IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                   IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
#endif

} // namespace

FolderWatch::FolderWatch(std::chrono::milliseconds debounce, QObject* parent) : QObject(parent)
{
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(debounce);
    connect(&m_debounce, &QTimer::timeout, this, &FolderWatch::onWindowEnded);
#ifdef Q_OS_LINUX
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0) {
        m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::onActivity);
        return;
    }
#endif
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString& folder) {
        // A folder that went away is no longer watched; rewatch() takes it up when it returns.
        if (!m_watcher->directories().contains(folder))
            m_watched.remove(folder);
        onActivity();
    });
}

FolderWatch::~FolderWatch()
{
#ifdef Q_OS_LINUX
    if (m_inotify >= 0)
        ::close(m_inotify);
#endif
}

void FolderWatch::setFiles(const QStringList& paths)
{
    m_wanted.clear();
    for (const QString& path : paths) {
        if (!path.isEmpty())
            m_wanted.insert(QFileInfo(QDir::cleanPath(path)).absolutePath());
    }
    rewatch();
}

void FolderWatch::setOwnFiles(const QStringList& paths)
{
    m_ownNames.clear();
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        const QFileInfo file(QDir::cleanPath(path));
        const QString real = QFileInfo(file.absolutePath()).canonicalFilePath();
        m_ownNames[real.isEmpty() ? file.absolutePath() : real].append(file.fileName());
    }
}

bool FolderWatch::isOwnFile(const QString& folder, const QString& name) const
{
    for (const QString& own : m_ownNames.value(folder)) {
        if (name == own || (name.startsWith(own) && name.at(own.size()) == QLatin1Char('.')))
            return true;
    }
    // A file opened unnamed (O_TMPFILE), as every save of ours is, shows up as "#<inode>" until it
    // is linked in under its real name, which is an event of its own.
    if (name.size() > 1 && name.front() == QLatin1Char('#')) {
        bool number = false;
        name.mid(1).toULongLong(&number);
        if (number && !QFileInfo::exists(folder + QLatin1Char('/') + name))
            return true;
    }
    return false;
}

void FolderWatch::rewatch()
{
    // A change that came in since the last look still asks for a check.
    if (drainEvents())
        openWindow();
    // Two names for one folder (a link, a "/.." in a path) must not cost two watches.
    QSet<QString> target;
    // A share is never watched: adding the watch (or resolving its name) can hang on a share that
    // stopped answering, and changes made on another machine never reach inotify anyway. The
    // timed check covers those folders.
    FileQuery shares;
    for (const QString& folder : std::as_const(m_wanted)) {
        if (shares.onShare(folder))
            continue;
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (!real.isEmpty() && QFileInfo(real).isDir())
            target.insert(real);
    }
    const QSet<QString> watched = m_watched;
    for (const QString& folder : watched) {
        if (!target.contains(folder))
            removeFolder(folder);
    }
    for (const QString& folder : std::as_const(target)) {
        if (!m_watched.contains(folder))
            addFolder(folder);
    }
}

QStringList FolderWatch::watchedFolders() const
{
    return QStringList(m_watched.begin(), m_watched.end());
}

void FolderWatch::addFolder(const QString& folder)
{
#ifdef Q_OS_LINUX
    if (m_inotify >= 0) {
        const int wd = inotify_add_watch(m_inotify, QFile::encodeName(folder).constData(), kFolderEvents);
        if (wd < 0)
            return;
        m_folderOfWatch.insert(wd, folder);
        m_watched.insert(folder);
        return;
    }
#endif
    if (m_watcher->addPath(folder))
        m_watched.insert(folder);
}

void FolderWatch::removeFolder(const QString& folder)
{
    m_watched.remove(folder);
#ifdef Q_OS_LINUX
    if (m_inotify >= 0) {
        const int wd = m_folderOfWatch.key(folder, -1);
        if (wd >= 0) {
            inotify_rm_watch(m_inotify, wd);
            m_folderOfWatch.remove(wd);
        }
        return;
    }
#endif
    m_watcher->removePath(folder);
}

bool FolderWatch::drainEvents()
{
    bool changed = false;
#ifdef Q_OS_LINUX
    if (m_inotify < 0)
        return changed;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = ::read(m_inotify, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const QString folder = m_folderOfWatch.value(event->wd);
            // The kernel ends a watch whose folder was deleted or unmounted.
            if (event->mask & IN_IGNORED)
                m_watched.remove(m_folderOfWatch.take(event->wd));
            // The name runs to its first NUL; the kernel pads it with more.
            if (event->len == 0 || !isOwnFile(folder, QFile::decodeName(event->name)))
                changed = true;
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
#endif
    return changed;
}

void FolderWatch::onActivity()
{
    if (m_notifier && !drainEvents())
        return;
    openWindow();
}

void FolderWatch::openWindow()
{
    if (m_debounce.isActive())
        return;
    // The first change opens the window; until it ends, the folders are not listened to, so a
    // folder that changes all the time costs one wake-up per window, and still gives a signal.
    if (m_notifier)
        m_notifier->setEnabled(false);
    m_debounce.start();
}

void FolderWatch::onWindowEnded()
{
    // What happened during the window comes before the check this signal starts.
    drainEvents();
    if (m_notifier)
        m_notifier->setEnabled(true);
    emit changed();
}
