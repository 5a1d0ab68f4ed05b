#include "engine/FileQuery.h"

#include "engine/LeadingNumber.h"
#include "engine/LocalQuery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <mutex>

#ifdef Q_OS_UNIX
#include "engine/HelperClient.h"
#include "engine/PathRouter.h"
#include "engine/PlaceInLine.h"
#include "engine/StuckShares.h"
#include "queryhelper/QueryProtocol.h"
#endif

namespace {

constexpr int kShortestTimeout = 1;
constexpr int kLongestTimeout = 60;

std::mutex g_mutex;

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

int FileQuery::shareTimeoutSeconds(QStringView stored)
{
    if (stored.trimmed().isEmpty())
        return kDefaultShareTimeout;
    // A text, zero or a negative value must never mean "wait for ever".
    return qBound(kShortestTimeout, int(LeadingNumber::toInt16(stored)), kLongestTimeout);
}

void FileQuery::setMountTable(std::optional<MountTable> table)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    mountTableOverride() = std::move(table);
}

FileQuery::FileQuery(int shareTimeoutSecs) : FileQuery(shareTimeoutSecs, currentMounts()) {}

#ifdef Q_OS_UNIX

namespace {

// How often a query waiting in line looks whether it was given up.
constexpr int kSliceMsecs = 50;

bool namesNothing(QStringView path)
{
    // A NUL would end the name early: the system would answer for another file.
    return path.isEmpty() || std::find(path.begin(), path.end(), QChar(0)) != path.end();
}

// The bytes of a file name, as Qt gives them on Unix. The view's own conversion spares
// QFile::encodeName's copy of the text: 6.6 M of 73.5 M instructions in a --check of 10,000 entries.
QByteArray nameBytes(QStringView path)
{
    return path.toUtf8();
}

QByteArray absoluteBytes(QStringView path)
{
    QByteArray bytes = nameBytes(path);
    if (!bytes.startsWith('/'))
        bytes = QFile::encodeName(QDir::currentPath()) + '/' + bytes;
    return bytes;
}

} // namespace

FileQuery::FileQuery(int shareTimeoutSecs, MountTable mounts)
    : m_timeoutSecs(qBound(kShortestTimeout, shareTimeoutSecs, kLongestTimeout)),
      m_router(std::make_unique<PathRouter>(std::move(mounts)))
{}

FileQuery::~FileQuery()
{
    for (auto& [mount, share] : m_shares) {
        if (share.client)
            StuckShares::giveUp(m_router->mounts().mount(mount).point, share.client->release(), false);
    }
}

int FileQuery::stuckHelpers()
{
    return StuckShares::count();
}

FileQuery::Answer FileQuery::stat(QStringView path)
{
    if (namesNothing(path))
        return Answer();
    // With no share mounted at all every path is local, links included: asked directly, as cheaply
    // as a query can be.
    if (!m_router->mounts().hasShares())
        return LocalQuery::stat(nameBytes(path));
    return followed(absoluteBytes(path), 0);
}

FileQuery::Answer FileQuery::followed(const QByteArray& path, int links)
{
    const PathRouter::Route where = m_router->follow(path, links);
    if (where.share >= 0)
        return askShare(where.share, QueryProtocol::Stat, where.path, Each(), nullptr);
    return where.error ? Answer::fromErrno(where.error) : Answer::fromFields(where.named);
}

FileQuery::Answer FileQuery::list(const QString& folder, const Each& each)
{
    if (namesNothing(folder))
        return Answer();
    if (!m_router->mounts().hasShares())
        return LocalQuery::list(nameBytes(folder), each);
    const PathRouter::Route where = m_router->folder(absoluteBytes(folder));
    if (where.share >= 0)
        return askShare(where.share, QueryProtocol::List, where.path, each, nullptr);
    if (where.error)
        return Answer::fromErrno(where.error);
    // A link in the folder may lead onto a share.
    return LocalQuery::list(where.path, each, [this](const QByteArray& link) { return followed(link, 1); });
}

FileQuery::Answer FileQuery::read(const QString& path, QByteArray& bytes)
{
    bytes.clear();
    if (namesNothing(path))
        return Answer();
    const PathRouter::Route where = m_router->place(absoluteBytes(path));
    if (where.share >= 0)
        return askShare(where.share, QueryProtocol::Read, where.path, Each(), &bytes);
    if (where.error)
        return Answer::fromErrno(where.error);
    return LocalQuery::read(where.path, bytes);
}

bool FileQuery::onShare(const QString& path)
{
    if (namesNothing(path) || !m_router->mounts().hasShares())
        return false;
    return m_router->place(absoluteBytes(path)).share >= 0;
}

FileQuery::Answer FileQuery::shareGone(Share& share, const QString& why)
{
    share.dead = true;
    share.why = why;
    return Answer::unreachable(why);
}

std::optional<QString> FileQuery::waitTurn(PlaceInLine& place, bool& waited)
{
    QElapsedTimer waiting;
    waiting.start();
    const PlaceInLine::Wait turn = place.waitTurn(
        qint64(m_timeoutSecs) * 1000, kSliceMsecs, [this] { return stopped() || m_deadline.hasExpired(); }, waited);
    if (turn == PlaceInLine::Wait::Turn)
        return std::nullopt;
    // Silent, the share has had the whole timeout, if not all of it from this query.
    if (turn == PlaceInLine::Wait::Silent)
        return Answer::noAnswer(qint64(m_timeoutSecs) * 1000, m_timeoutSecs);
    return m_deadline.hasExpired() ? Answer::noAnswer(waiting.elapsed(), m_timeoutSecs) : Answer::checkStopped();
}

FileQuery::Answer FileQuery::askShare(int index, char op, const QByteArray& path, const Each& each, QByteArray* bytes)
{
    Share& share = m_shares[index];
    if (share.dead)
        return Answer::unreachable(share.why);
    const QByteArray point = m_router->mounts().mount(index).point;
    PlaceInLine place(point);
    bool waited = false;
    if (const std::optional<QString> why = waitTurn(place, waited))
        return shareGone(share, *why);
    // The one before may have given the share up as stuck.
    if (!share.client || waited) {
        if (StuckShares::stuckOn(point))
            return shareGone(share, Answer::noAnswer(qint64(m_timeoutSecs) * 1000, m_timeoutSecs));
        QString why;
        std::unique_ptr<HelperClient> client = HelperClient::start(why);
        // Never asked here instead: that is the call that may never return.
        if (!client)
            return shareGone(share, QStringLiteral("The share query helper could not be started: %1").arg(why));
        share.client = std::move(client);
    }
    const HelperClient::Bounds bounds{m_timeoutSecs, m_deadline, [this] { return stopped(); },
                                      [&place] { place.heard(); }};
    const HelperClient::Reply reply = share.client->ask(QueryProtocol::Op(op), path, each, bytes, bounds);
    if (!reply.givenUp)
        return reply.answer;
    StuckShares::giveUp(point, share.client->release(), true);
    share.client.reset();
    return shareGone(share, reply.answer.why);
}

#else

// Elsewhere no share is told apart: every path is asked directly.
FileQuery::FileQuery(int shareTimeoutSecs, MountTable)
    : m_timeoutSecs(qBound(kShortestTimeout, shareTimeoutSecs, kLongestTimeout))
{}

FileQuery::~FileQuery() = default;

FileQuery::Answer FileQuery::stat(QStringView path)
{
    return LocalQuery::stat(QFile::encodeName(path.toString()));
}

FileQuery::Answer FileQuery::list(const QString& folder, const Each& each)
{
    return LocalQuery::list(QFile::encodeName(folder), each);
}

FileQuery::Answer FileQuery::read(const QString& path, QByteArray& bytes)
{
    return LocalQuery::read(QFile::encodeName(path), bytes);
}

bool FileQuery::onShare(const QString&)
{
    return false;
}

int FileQuery::stuckHelpers()
{
    return 0;
}

#endif
