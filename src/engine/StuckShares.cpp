#include "engine/StuckShares.h"

#ifdef Q_OS_UNIX
#include "store/AtomicSave.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

struct Abandoned
{
    QByteArray mountPoint;
    std::unique_ptr<QueryChannel> channel;
    bool stuck = true;
};

std::mutex g_mutex;

std::vector<Abandoned>& abandoned()
{
    static auto* list = new std::vector<Abandoned>(); // outlives every static that could still ask
    return *list;
}

void reapLocked()
{
    auto& list = abandoned();
    list.erase(std::remove_if(list.begin(), list.end(), [](const Abandoned& a) { return a.channel->ended(); }),
               list.end());
}

QString notePath(const QByteArray& mountPoint)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString dir = runtime.isEmpty() ? QDir::tempPath() + QStringLiteral("/staleguard-%1").arg(::getuid())
                                    : QFile::decodeName(runtime) + QStringLiteral("/staleguard");
    if (!QDir().mkpath(dir) || QFileInfo(dir).ownerId() != ::getuid())
        return QString(); // a folder someone else made is no place to take notes from
    return dir + QStringLiteral("/stuck-") +
           QString::fromLatin1(QCryptographicHash::hash(mountPoint, QCryptographicHash::Sha1).toHex().left(16));
}

void noteStuck(const QByteArray& mountPoint, qint64 pid)
{
    const QString path = notePath(mountPoint);
    if (pid > 0 && !path.isEmpty())
        AtomicSave::write(path, QByteArray::number(pid) + '\n' + mountPoint + '\n'); // a lost note costs one helper
}

bool notedStuck(const QByteArray& mountPoint)
{
    const QString path = notePath(mountPoint);
    if (path.isEmpty())
        return false;
    QFile note(path);
    if (!note.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = note.readAll().split('\n');
    const pid_t pid = pid_t(lines.value(0).toLongLong());
    if (pid > 0 && lines.value(1) == mountPoint) {
        // A pid is used again once its process is gone: only a live helper counts.
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains("staleguard-query"))
            return true;
    }
    note.close();
    QFile::remove(path);
    return false;
}

} // namespace

bool StuckShares::stuckOn(const QByteArray& mountPoint)
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        reapLocked();
        const auto& list = abandoned();
        if (std::any_of(list.begin(), list.end(),
                        [&](const Abandoned& a) { return a.stuck && a.mountPoint == mountPoint; }))
            return true;
    }
    return notedStuck(mountPoint);
}

void StuckShares::giveUp(const QByteArray& mountPoint, std::unique_ptr<QueryChannel> channel, bool stuck)
{
    if (stuck)
        noteStuck(mountPoint, channel->processId());
    channel->abandon();
    const std::lock_guard<std::mutex> lock(g_mutex);
    reapLocked();
    abandoned().push_back(Abandoned{mountPoint, std::move(channel), stuck});
}

int StuckShares::count()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    reapLocked();
    const auto& list = abandoned();
    return int(std::count_if(list.begin(), list.end(), [](const Abandoned& a) { return a.stuck; }));
}
#endif
