#include "engine/HelperClient.h"

#ifdef Q_OS_UNIX
#include "base/AppInfo.h"
#include "engine/HelperChannel.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>

namespace {

// How often a waiting query looks whether it was given up.
constexpr int kSliceMsecs = 50;

std::mutex g_mutex;
QString g_program;
HelperClient::ChannelFactory g_factory;

QString helperEnded()
{
    return QStringLiteral("The share query helper ended");
}

} // namespace

void HelperClient::setProgram(const QString& program)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_program = program;
}

void HelperClient::setChannelFactory(ChannelFactory factory)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_factory = std::move(factory);
}

std::unique_ptr<HelperClient> HelperClient::start(QString& why)
{
    ChannelFactory factory;
    QString program;
    {
        const std::lock_guard<std::mutex> lock(g_mutex);
        factory = g_factory;
        program = g_program;
    }
    if (!factory && program.isEmpty())
        program = AppInfo::helperProgram(QStringLiteral("staleguard-query"));
    std::unique_ptr<QueryChannel> channel = factory ? factory() : std::make_unique<HelperChannel>(program);
    if (!channel->open(why))
        return nullptr;
    return std::make_unique<HelperClient>(std::move(channel));
}

HelperClient::Reply HelperClient::ask(QueryProtocol::Op op, const QByteArray& path, const FileAnswer::Each& each,
                                      QByteArray* bytes, const Bounds& bounds)
{
    const auto givenUp = [](const QString& why) { return Reply{FileAnswer::unreachable(why), true}; };
    std::string request;
    QueryProtocol::appendRequest(request, op, path.toStdString());
    const qint64 timeoutMsecs = qint64(bounds.timeoutSecs) * 1000;
    QDeadlineTimer progress(timeoutMsecs);
    QElapsedTimer waiting;
    waiting.start();
    std::size_t sent = 0;
    m_in.clear();
    m_used = 0;
    for (;;) {
        if (bounds.stop && bounds.stop())
            return givenUp(FileAnswer::checkStopped());
        if (progress.hasExpired() || bounds.deadline.hasExpired())
            return givenUp(FileAnswer::noAnswer(waiting.elapsed(), bounds.timeoutSecs));
        if (sent < request.size()) {
            const ssize_t n = ::send(m_channel->socket(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n > 0)
                sent += std::size_t(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return givenUp(helperEnded());
        }
        FileAnswer answer;
        const Took took = takeRecords(op, each, bytes, answer);
        if (took == Took::Done)
            return Reply{answer, false};
        if (took == Took::Garbled)
            return givenUp(QStringLiteral("The share query helper gave a garbled answer"));
        const qint64 got = receive(std::min({QDeadlineTimer(kSliceMsecs), progress, bounds.deadline}));
        if (got < 0)
            return givenUp(helperEnded());
        if (got > 0) {
            progress = QDeadlineTimer(timeoutMsecs);
            if (bounds.heard)
                bounds.heard();
        }
    }
}

HelperClient::Took HelperClient::takeRecords(QueryProtocol::Op op, const FileAnswer::Each& each, QByteArray* bytes,
                                             FileAnswer& answer)
{
    using namespace QueryProtocol;
    for (std::size_t left; (left = m_in.size() - m_used) > 0;) {
        const char* at = m_in.data() + m_used;
        std::size_t took = 0;
        StatFields fields;
        if (op == Stat) {
            // Only an answer answers a stat: anything else waits for more.
            took = takeStat(at, left, fields);
            if (took)
                answer = FileAnswer::fromFields(fields);
            return took ? Took::Done : Took::More;
        }
        if (at[0] == Name) {
            std::string name;
            took = takeLengthPrefixed(at, left, name);
            const std::size_t statTook = took ? takeStat(at + took, left - took, fields) : 0;
            took = statTook ? took + statTook : 0;
            if (took && each)
                each(name.c_str(), FileAnswer::fromFields(fields));
        } else if (at[0] == Data) {
            std::string chunk;
            took = takeLengthPrefixed(at, left, chunk);
            if (took && bytes)
                bytes->append(chunk.data(), qsizetype(chunk.size()));
        } else if (at[0] == End) {
            std::int32_t error = 0;
            took = takeInt(at, left, error);
            if (took) {
                answer =
                    error ? FileAnswer::fromErrno(error) : FileAnswer::complete(op == Read, bytes ? bytes->size() : 0);
                return Took::Done;
            }
        } else {
            return Took::Garbled;
        }
        if (!took)
            break;
        m_used += took;
    }
    if (m_used > 0 && m_used == m_in.size()) {
        m_in.clear();
        m_used = 0;
    }
    return Took::More;
}

qint64 HelperClient::receive(QDeadlineTimer slice)
{
    const int fd = m_channel->socket();
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, int(qMax<qint64>(0, slice.remainingTime()))) <= 0)
        return 0;
    char buffer[16 * 1024];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
        return -1;
    if (n > 0)
        m_in.append(buffer, size_t(n));
    return qMax<qint64>(0, n);
}
#endif
