#include "engine/FileQuery.h"

#include "engine/HelperChannel.h"
#include "engine/LeadingNumber.h"
#include "engine/PlaceInLine.h"

#include "store/AtomicSave.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <mutex>

#ifdef Q_OS_UNIX
#include "queryhelper/QueryProtocol.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kShortestTimeout = 1;
constexpr int kLongestTimeout = 60;
// Links followed before a path counts as a loop, as the system counts them.
constexpr int kMostLinks = 40;
// How often a waiting query looks whether it was given up.
constexpr int kSliceMsecs = 50;

std::mutex g_mutex;
QString g_helperProgram;
FileQuery::ChannelFactory g_factory;

// Helpers given up on, kept until they end, so that a share that hangs for a day holds one stuck
// helper rather than one per check.
struct Abandoned
{
    QByteArray mountPoint;
    std::unique_ptr<QueryChannel> channel;
    bool stuck = true;
};
std::vector<Abandoned>& abandoned()
{
    static auto* list = new std::vector<Abandoned>(); // outlives every static that could still ask
    return *list;
}

void reapLocked()
{
    auto& list = abandoned();
    for (auto it = list.begin(); it != list.end();) {
        if (it->channel->ended())
            it = list.erase(it);
        else
            ++it;
    }
}

#ifdef Q_OS_UNIX
// A stuck helper outlives a `--check` run, and a monitoring engine starts one every minute: a note
// per share in the user's runtime folder lets the next run see that the share still hangs, rather
// than leave one more helper stuck behind it.
QString stuckNotePath(const QByteArray& mountPoint)
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
    const QString path = stuckNotePath(mountPoint);
    if (pid > 0 && !path.isEmpty())
        AtomicSave::write(path, QByteArray::number(pid) + '\n' + mountPoint + '\n'); // a lost note costs one helper
}

bool notedStuck(const QByteArray& mountPoint)
{
    const QString path = stuckNotePath(mountPoint);
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
#else
void noteStuck(const QByteArray&, qint64) {}
bool notedStuck(const QByteArray&)
{
    return false;
}
#endif

bool stuckOn(const QByteArray& mountPoint)
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        reapLocked();
        for (const Abandoned& a : abandoned()) {
            if (a.stuck && a.mountPoint == mountPoint)
                return true;
        }
    }
    return notedStuck(mountPoint);
}

void giveUp(const QByteArray& mountPoint, std::unique_ptr<QueryChannel> channel, bool stuck)
{
    if (stuck)
        noteStuck(mountPoint, channel->processId());
    channel->abandon();
    const std::lock_guard<std::mutex> lock(g_mutex);
    reapLocked();
    abandoned().push_back(Abandoned{mountPoint, std::move(channel), stuck});
}

#ifdef Q_OS_UNIX

FileQuery::Answer fromErrno(int error)
{
    FileQuery::Answer answer;
    if (error == ENOENT || error == ENOTDIR)
        answer.state = FileQuery::Answer::State::Missing;
    else {
        answer.state = FileQuery::Answer::State::Unreachable;
        answer.why = QString::fromLocal8Bit(std::strerror(error));
    }
    return answer;
}

FileQuery::Answer fromFields(const QueryProtocol::StatFields& fields)
{
    if (fields.error != 0)
        return fromErrno(fields.error);
    FileQuery::Answer answer;
    answer.state = FileQuery::Answer::State::Found;
    answer.regular = S_ISREG(fields.mode);
    answer.mtimeSec = fields.mtimeSec;
    answer.mtimeNsec = fields.mtimeNsec;
    answer.size = fields.size;
    return answer;
}

QueryProtocol::StatFields fieldsOf(const struct stat& st)
{
    QueryProtocol::StatFields fields;
    fields.mode = st.st_mode;
    fields.mtimeSec = st.st_mtim.tv_sec;
    fields.mtimeNsec = st.st_mtim.tv_nsec;
    fields.size = st.st_size;
    return fields;
}

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

#endif

} // namespace

struct FileQuery::Share
{
    std::unique_ptr<QueryChannel> channel;
    bool dead = false;
    QString why;
};

int FileQuery::shareTimeoutSeconds(QStringView stored)
{
    if (stored.trimmed().isEmpty())
        return kDefaultShareTimeout;
    // A text, zero or a negative value must never mean "wait for ever".
    return qBound(kShortestTimeout, int(LeadingNumber::toInt16(stored)), kLongestTimeout);
}

namespace {

std::optional<MountTable>& mountTableOverride()
{
    static std::optional<MountTable> table;
    return table;
}

MountTable currentMounts()
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        if (mountTableOverride())
            return *mountTableOverride();
    }
    return MountTable::read();
}

} // namespace

void FileQuery::setMountTable(std::optional<MountTable> table)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    mountTableOverride() = std::move(table);
}

#ifdef Q_OS_UNIX
// The folder of the file asked last, while queries are asked together. The files of one folder
// most often follow one another in a watch list: from the second of them on, the folder is opened
// and they are asked relative to it, which spares the walk down the whole path for each.
struct FileQuery::HeldFolder
{
    QByteArray path;
    int fd = -1; // -1 not opened yet, -2 could not be opened
    ~HeldFolder() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        path.clear();
    }
    int stat(const char* file, qsizetype size, struct stat* st)
    {
        qsizetype slash = size - 1;
        while (slash >= 0 && file[slash] != '/')
            --slash;
        const char* const name = file + slash + 1;
        if (slash <= 0 || *name == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            return ::stat(file, st);
        const QByteArrayView folder(file, slash);
        if (folder != QByteArrayView(path)) {
            close();
            path = folder.toByteArray();
            return ::stat(file, st);
        }
        if (fd == -1) {
#ifdef O_PATH
            fd = ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
            fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
            fd = fd >= 0 ? fd : -2;
        }
        if (fd < 0)
            return ::stat(file, st);
        return ::fstatat(fd, name, st, 0);
    }
};

#else
struct FileQuery::HeldFolder
{
};
#endif

FileQuery::Together::Together(FileQuery& query) : m_query(query)
{
    if (!m_query.m_held)
        m_query.m_held = std::make_unique<HeldFolder>();
}

FileQuery::Together::~Together()
{
    m_query.m_held.reset();
}

FileQuery::FileQuery(int shareTimeoutSecs) : FileQuery(shareTimeoutSecs, currentMounts()) {}

FileQuery::FileQuery(int shareTimeoutSecs, MountTable mounts)
    : m_timeoutSecs(qBound(kShortestTimeout, shareTimeoutSecs, kLongestTimeout)), m_mounts(std::move(mounts))
{}

FileQuery::~FileQuery()
{
    for (int i = 0; i < int(m_shares.size()); ++i) {
        if (m_shares[i] && m_shares[i]->channel)
            giveUp(m_mounts.mount(i).point, std::move(m_shares[i]->channel), false);
    }
}

void FileQuery::setHelperProgram(const QString& program)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_helperProgram = program;
}

QString FileQuery::helperProgram()
{
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_helperProgram.isEmpty())
            return g_helperProgram;
    }
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const QString beside = dir + QStringLiteral("/staleguard-query");
    const QString installed = dir + QStringLiteral("/../libexec/staleguard/staleguard-query");
    // The program's own folder is on a local disk; looking there never waits on a share.
    if (!QFileInfo(beside).isExecutable() && QFileInfo(installed).isExecutable())
        return QDir::cleanPath(installed);
    return beside;
}

void FileQuery::setChannelFactory(ChannelFactory factory)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_factory = std::move(factory);
}

int FileQuery::stuckHelpers()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    reapLocked();
    int stuck = 0;
    for (const Abandoned& a : abandoned())
        stuck += a.stuck ? 1 : 0;
    return stuck;
}

QString FileQuery::noAnswer() const
{
    return noAnswerAfter(qint64(m_timeoutSecs) * 1000);
}

QString FileQuery::noAnswerAfter(qint64 waitedMsecs) const
{
    // The run's own deadline may have come first: say how long the share really had.
    const qint64 waited = qMax<qint64>(1, (waitedMsecs + 500) / 1000);
    return QStringLiteral("No answer within %1 s").arg(qMin<qint64>(waited, m_timeoutSecs));
}

#ifdef Q_OS_UNIX

namespace {

QByteArray absoluteBytes(QStringView path)
{
    QByteArray bytes = QFile::encodeName(path.toString());
    if (!bytes.startsWith('/'))
        bytes = QFile::encodeName(QDir::currentPath()) + '/' + bytes;
    return bytes;
}

bool namesNothing(QStringView path)
{
    // A NUL would end the name early: the system would answer for another file.
    return path.isEmpty() || std::find(path.begin(), path.end(), QChar(0)) != path.end();
}

} // namespace

FileQuery::Route FileQuery::folderRoute(const QByteArray& folder, int depth)
{
    const auto cached = m_folders.constFind(folder);
    if (cached != m_folders.cend())
        return *cached;
    Route result;
    if (depth > kMostLinks) {
        result.error = ELOOP;
        return result;
    }
    QByteArray real;
    const QList<QByteArray> parts = folder.split('/');
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
        QByteArray rest;
        for (qsizetype j = i + 1; j < parts.size(); ++j)
            rest += '/' + parts.at(j);
        // The mount point of a share is asked of the share itself, even by lstat.
        const int mount = m_mounts.mountOf(candidate);
        if (m_mounts.isShare(mount)) {
            result.path = candidate + rest;
            result.share = mount;
            m_folders.insert(folder, result);
            return result;
        }
        struct stat st
        {
        };
        if (::lstat(candidate.constData(), &st) != 0) {
            result.error = errno;
            result.path = candidate + rest;
            m_folders.insert(folder, result);
            return result;
        }
        if (S_ISLNK(st.st_mode)) {
            QByteArray target;
            if (!readLink(candidate, target)) {
                result.error = errno ? errno : EIO;
                m_folders.insert(folder, result);
                return result;
            }
            if (!target.startsWith('/'))
                target = join(real.isEmpty() ? QByteArray("/") : real, target);
            result = folderRoute(target + rest, depth + 1);
            m_folders.insert(folder, result);
            return result;
        }
        real = candidate;
    }
    result.path = real.isEmpty() ? QByteArray("/") : real;
    m_folders.insert(folder, result);
    return result;
}

FileQuery::Route FileQuery::route(const QByteArray& path, int depth)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray name = path.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..")
        return folderRoute(path, depth);
    const Route folder = folderRoute(slash <= 0 ? QByteArray("/") : path.left(slash), depth);
    if (folder.share >= 0 || folder.error)
        return Route{join(folder.path, name), folder.share, folder.error};
    Route result{join(folder.path, name), -1, 0};
    // The folder is local, so only a share mounted right on the name can take the name elsewhere.
    if (m_mounts.isShareMountPoint(result.path))
        result.share = m_mounts.mountOf(result.path);
    return result;
}

bool FileQuery::onShare(const QString& path)
{
    if (namesNothing(path) || !m_mounts.hasShares())
        return false;
    return route(absoluteBytes(path), 0).share >= 0;
}

std::optional<FileQuery::Answer> FileQuery::statHere(const Route& where)
{
    if (where.share >= 0)
        return std::nullopt;
    if (where.error)
        return fromErrno(where.error);
    struct stat st
    {
    };
    // lstat answers for everything but a link, which may lead onto a share.
    if (::lstat(where.path.constData(), &st) != 0)
        return fromErrno(errno);
    if (S_ISLNK(st.st_mode))
        return std::nullopt;
    return fromFields(fieldsOf(st));
}

FileQuery::Answer FileQuery::statLocal(const QByteArray& path, int depth)
{
    if (depth > kMostLinks)
        return fromErrno(ELOOP);
    const Route where = route(path, depth);
    if (where.share >= 0)
        return ask(where.share, QueryProtocol::Stat, where.path, Each(), nullptr);
    if (const std::optional<Answer> answer = statHere(where))
        return *answer;
    QByteArray target;
    if (!readLink(where.path, target))
        return fromErrno(errno ? errno : EIO);
    if (!target.startsWith('/'))
        target = join(parentOf(where.path), target);
    return statLocal(target, depth + 1);
}

FileQuery::Answer FileQuery::stat(QStringView path)
{
    // With no share mounted at all every path is local, links included: asked directly, as cheaply
    // as a query can be.
    if (!m_mounts.hasShares()) {
        struct stat st
        {
        };
        // An ASCII name has the same bytes in every encoding, so it need not go through the
        // converter: most names of a long watch list are. The same pass finds a NUL, which names
        // nothing (see namesNothing()).
        // Both loops run without an early way out, so that the compiler can make them wide.
        char name[512];
        const qsizetype size = path.size();
        const char16_t* chars = reinterpret_cast<const char16_t*>(path.constData());
        char16_t all = 0;
        char16_t lowest = 0xFFFF;
        for (qsizetype i = 0; i < size; ++i) {
            all |= chars[i];
            lowest = qMin(lowest, chars[i]);
        }
        if (size == 0 || lowest == 0)
            return Answer();
        const bool ascii = all < 0x80 && size < qsizetype(sizeof name);
        if (ascii) {
            for (qsizetype i = 0; i < size; ++i)
                name[i] = char(chars[i]);
            name[size] = '\0';
        }
        const QByteArray encoded = ascii ? QByteArray() : QFile::encodeName(path.toString());
        const char* const bytes = ascii ? name : encoded.constData();
        if ((m_held ? m_held->stat(bytes, ascii ? size : encoded.size(), &st) : ::stat(bytes, &st)) != 0)
            return fromErrno(errno);
        return fromFields(fieldsOf(st));
    }
    if (namesNothing(path))
        return Answer();
    return statLocal(absoluteBytes(path), 0);
}

std::optional<FileQuery::Answer> FileQuery::statAtOnce(QStringView path)
{
    if (!m_mounts.hasShares() || namesNothing(path))
        return stat(path);
    return statHere(route(absoluteBytes(path), 0));
}

FileQuery::Answer FileQuery::list(const QString& folder, const Each& each)
{
    if (namesNothing(folder))
        return Answer();
    const Route where =
        m_mounts.hasShares() ? folderRoute(absoluteBytes(folder), 0) : Route{QFile::encodeName(folder), -1, 0};
    if (where.share >= 0)
        return ask(where.share, QueryProtocol::List, where.path, each, nullptr);
    if (where.error)
        return fromErrno(where.error);
    DIR* dir = ::opendir(where.path.constData());
    if (!dir)
        return fromErrno(errno);
    const int fd = ::dirfd(dir);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat st
        {
        };
        Answer answer;
        if (!m_mounts.hasShares()) {
            answer = ::fstatat(fd, name, &st, 0) != 0 ? fromErrno(errno) : fromFields(fieldsOf(st));
        } else if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            answer = fromErrno(errno);
        else if (S_ISLNK(st.st_mode))
            answer = statLocal(join(where.path, QByteArray(name)), 1);
        else
            answer = fromFields(fieldsOf(st));
        each(name, answer);
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    Answer listed = error ? fromErrno(error) : Answer();
    if (!error) {
        listed.state = Answer::State::Found;
        listed.regular = false;
    }
    return listed;
}

FileQuery::Answer FileQuery::read(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    if (namesNothing(path))
        return Answer();
    const Route where = route(absoluteBytes(path), 0);
    if (where.share >= 0)
        return ask(where.share, QueryProtocol::Read, where.path, Each(), &bytes);
    if (where.error)
        return fromErrno(where.error);
    QFile file(QFile::decodeName(where.path));
    if (!file.open(QIODevice::ReadOnly))
        return fromErrno(errno ? errno : EACCES);
    bytes = file.readAll();
    Answer answer;
    answer.state = Answer::State::Found;
    answer.regular = true;
    answer.size = bytes.size();
    return answer;
}

FileQuery::Share& FileQuery::shareState(int share)
{
    if (share >= int(m_shares.size()))
        m_shares.resize(size_t(share) + 1);
    if (!m_shares[size_t(share)])
        m_shares[size_t(share)] = std::make_unique<Share>();
    return *m_shares[size_t(share)];
}

bool FileQuery::waitReadable(int fd, QDeadlineTimer slice)
{
    pollfd p{fd, POLLIN, 0};
    const int result = ::poll(&p, 1, int(qMax<qint64>(0, slice.remainingTime())));
    return result > 0;
}

FileQuery::Answer FileQuery::ask(int shareIndex, char op, const QByteArray& path, const Each& each, QByteArray* bytes)
{
    Share& share = shareState(shareIndex);
    const QByteArray point = m_mounts.mount(shareIndex).point;
    auto unreachable = [&share] {
        Answer answer;
        answer.state = Answer::State::Unreachable;
        answer.why = share.why;
        return answer;
    };
    if (share.dead)
        return unreachable();
    PlaceInLine place(point);
    QElapsedTimer waiting;
    waiting.start();
    bool waited = false;
    const PlaceInLine::Wait turn = place.waitTurn(
        qint64(m_timeoutSecs) * 1000, kSliceMsecs,
        [this] { return (m_abandon && m_abandon()) || m_deadline.hasExpired(); }, waited);
    if (turn != PlaceInLine::Wait::Turn) {
        share.dead = true;
        // Silent, the share has had the whole timeout, if not all of it from this query.
        share.why = turn == PlaceInLine::Wait::Silent ? noAnswer()
                    : m_deadline.hasExpired()         ? noAnswerAfter(waiting.elapsed())
                                                      : QStringLiteral("The check was stopped");
        return unreachable();
    }
    // The one before may have given the share up as stuck.
    if (!share.channel || waited) {
        if (stuckOn(point)) {
            share.dead = true;
            share.why = noAnswer();
            return unreachable();
        }
        ChannelFactory factory;
        {
            const std::lock_guard<std::mutex> lock(g_mutex);
            factory = g_factory;
        }
        std::unique_ptr<QueryChannel> channel = factory ? factory() : std::make_unique<HelperChannel>();
        QString why;
        if (!channel->open(why)) {
            // Never asked here instead: that is the call that may never return.
            share.dead = true;
            share.why = QStringLiteral("The share query helper could not be started: %1").arg(why);
            return unreachable();
        }
        share.channel = std::move(channel);
    }
    const int fd = share.channel->socket();
    auto abandonShare = [&](const QString& why) {
        giveUp(point, std::move(share.channel), true);
        share.dead = true;
        share.why = why;
        return unreachable();
    };

    std::string request;
    QueryProtocol::appendRequest(request, QueryProtocol::Op(op), path.toStdString());
    QDeadlineTimer progress(qint64(m_timeoutSecs) * 1000);
    waiting.restart();
    std::size_t sent = 0;
    std::string in;
    std::size_t used = 0;
    Answer listed;
    for (;;) {
        if (m_abandon && m_abandon())
            return abandonShare(QStringLiteral("The check was stopped"));
        if (progress.hasExpired() || m_deadline.hasExpired()) {
            return abandonShare(noAnswerAfter(waiting.elapsed()));
        }
        if (sent < request.size()) {
            const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += std::size_t(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return abandonShare(QStringLiteral("The share query helper ended"));
        }
        // Every whole record that came in.
        for (;;) {
            const char* at = in.data() + used;
            const std::size_t left = in.size() - used;
            if (left == 0)
                break;
            std::size_t took = 0;
            if (op == QueryProtocol::Stat) {
                QueryProtocol::StatFields fields;
                took = QueryProtocol::takeStat(at, left, fields);
                if (took)
                    return fromFields(fields);
            } else if (at[0] == QueryProtocol::Name) {
                std::string name;
                took = QueryProtocol::takeLengthPrefixed(at, left, name);
                QueryProtocol::StatFields fields;
                const std::size_t statTook = took ? QueryProtocol::takeStat(at + took, left - took, fields) : 0;
                took = statTook ? took + statTook : 0;
                if (took && each)
                    each(name.c_str(), fromFields(fields));
            } else if (at[0] == QueryProtocol::Data) {
                std::string chunk;
                took = QueryProtocol::takeLengthPrefixed(at, left, chunk);
                if (took && bytes)
                    bytes->append(chunk.data(), qsizetype(chunk.size()));
            } else if (at[0] == QueryProtocol::End) {
                std::int32_t error = 0;
                took = QueryProtocol::takeInt(at, left, error);
                if (took) {
                    if (error)
                        return fromErrno(error);
                    listed.state = Answer::State::Found;
                    listed.regular = op == QueryProtocol::Read;
                    listed.size = bytes ? bytes->size() : 0;
                    return listed;
                }
            } else {
                return abandonShare(QStringLiteral("The share query helper gave a garbled answer"));
            }
            if (!took)
                break;
            used += took;
        }
        if (used > 0 && used == in.size()) {
            in.clear();
            used = 0;
        }
        QDeadlineTimer slice(kSliceMsecs);
        if (progress.deadline() < slice.deadline())
            slice = progress;
        if (m_deadline.deadline() < slice.deadline())
            slice = m_deadline;
        if (!waitReadable(fd, slice))
            continue;
        char buffer[16 * 1024];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return abandonShare(QStringLiteral("The share query helper ended"));
        if (n > 0) {
            in.append(buffer, size_t(n));
            progress = QDeadlineTimer(qint64(m_timeoutSecs) * 1000);
            place.heard();
        }
    }
}

#else

// Elsewhere the file system is asked directly.
FileQuery::Answer FileQuery::stat(QStringView path)
{
    Answer answer;
    const QFileInfo info(path.toString());
    if (path.isEmpty() || !info.exists())
        return answer;
    answer.state = Answer::State::Found;
    answer.regular = info.isFile();
    const qint64 ms = info.lastModified().toMSecsSinceEpoch();
    answer.mtimeSec = ms / 1000;
    answer.mtimeNsec = (ms % 1000) * 1000000;
    answer.size = info.size();
    return answer;
}

FileQuery::Answer FileQuery::list(const QString& folder, const Each& each)
{
    const QDir dir(folder);
    if (!dir.exists())
        return Answer();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted))
        each(QFile::encodeName(name).constData(), stat(dir.filePath(name)));
    Answer listed;
    listed.state = Answer::State::Found;
    return listed;
}

FileQuery::Answer FileQuery::read(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    Answer answer;
    if (!file.open(QIODevice::ReadOnly))
        return answer;
    bytes = file.readAll();
    answer.state = Answer::State::Found;
    answer.regular = true;
    return answer;
}

bool FileQuery::onShare(const QString&)
{
    return false;
}

std::optional<FileQuery::Answer> FileQuery::statAtOnce(QStringView path)
{
    return stat(path);
}

#endif
