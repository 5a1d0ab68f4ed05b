#include "engine/PathRouter.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed before a path counts as a loop, as the system counts them.
constexpr int kMostLinks = 40;

QByteArray join(const QByteArray& folder, const QByteArray& name)
{
    if (name.isEmpty())
        return folder;
    return folder == "/" ? "/" + name : folder + '/' + name;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool readLink(const QByteArray& path, QByteArray& target)
{
    QByteArray buffer(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(path.constData(), buffer.data(), size_t(buffer.size()));
    if (n < 0 || n >= buffer.size())
        return false;
    buffer.resize(n);
    target = buffer;
    return true;
}

QByteArray restOf(const QList<QByteArray>& parts, qsizetype from)
{
    return from < parts.size() ? '/' + parts.mid(from).join('/') : QByteArray();
}

} // namespace

PathRouter::Route PathRouter::folder(const QByteArray& path, int links)
{
    const auto cached = m_folders.constFind(path);
    if (cached != m_folders.cend())
        return *cached;
    if (links > kMostLinks)
        return Route{QByteArray(), -1, ELOOP, {}};
    const Route result = resolve(path, links);
    m_folders.insert(path, result);
    return result;
}

PathRouter::Route PathRouter::resolve(const QByteArray& path, int links)
{
    QByteArray real;
    const QList<QByteArray> parts = path.split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts.at(i);
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            real = parentOf(real.isEmpty() ? QByteArray("/") : real);
            if (real == "/")
                real.clear();
            continue;
        }
        const QByteArray candidate = real + '/' + part;
        // The mount point of a share is asked of the share itself, even by lstat.
        const int mount = m_mounts.mountOf(candidate);
        if (m_mounts.isShare(mount))
            return Route{candidate + restOf(parts, i + 1), mount, 0, {}};
        struct stat st
        {
        };
        if (::lstat(candidate.constData(), &st) != 0) {
            const int error = errno;
            return Route{candidate + restOf(parts, i + 1), -1, error, {}};
        }
        if (S_ISLNK(st.st_mode)) {
            QByteArray target;
            if (!readLink(candidate, target))
                return Route{QByteArray(), -1, errno ? errno : EIO, {}};
            if (!target.startsWith('/'))
                target = join(real.isEmpty() ? QByteArray("/") : real, target);
            return folder(target + restOf(parts, i + 1), links + 1);
        }
        real = candidate;
    }
    return Route{real.isEmpty() ? QByteArray("/") : real, -1, 0, {}};
}

PathRouter::Route PathRouter::place(const QByteArray& path, int links)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray name = path.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return folder(path, links);
    const Route parent = folder(slash <= 0 ? QByteArray("/") : path.left(slash), links);
    Route result{join(parent.path, name), parent.share, parent.error, {}};
    // The folder is local, so only a share mounted right on the name can take the name elsewhere.
    if (result.share < 0 && !result.error && m_mounts.isShareMountPoint(result.path))
        result.share = m_mounts.mountOf(result.path);
    return result;
}

PathRouter::Route PathRouter::follow(QByteArray path, int links)
{
    for (;; ++links) {
        if (links > kMostLinks)
            return Route{QByteArray(), -1, ELOOP, {}};
        Route where = place(path, links);
        if (where.share >= 0 || where.error)
            return where;
        struct stat st
        {
        };
        // lstat answers for everything but a link, which may lead onto a share.
        const int result = ::lstat(where.path.constData(), &st);
        if (result != 0 || !S_ISLNK(st.st_mode)) {
            where.named = QueryProtocol::fieldsOf(result, st);
            return where;
        }
        QByteArray target;
        if (!readLink(where.path, target)) {
            where.error = errno ? errno : EIO;
            return where;
        }
        path = target.startsWith('/') ? target : join(parentOf(where.path), target);
    }
}
#endif
