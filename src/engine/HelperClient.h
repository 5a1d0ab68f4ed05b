#pragma once

#include "engine/FileAnswer.h"
#include "engine/QueryChannel.h"

#ifdef Q_OS_UNIX
#include "queryhelper/QueryProtocol.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <functional>
#include <memory>
#include <string>

// The program's end of a share query helper: starts the helper and asks it, never waiting past
// the share's timeout without a word from it, past the run's deadline, or once the run is stopped.
class HelperClient
{
public:
    // Where the helper program is; beside the program, or in its libexec folder, when not set.
    static void setProgram(const QString& program);
    // Tests put a channel of their own in place of the helper process.
    using ChannelFactory = std::function<std::unique_ptr<QueryChannel>()>;
    static void setChannelFactory(ChannelFactory factory);

    // A helper of its own; nullptr, with the system's words in `why`, when none could be started.
    static std::unique_ptr<HelperClient> start(QString& why);
    explicit HelperClient(std::unique_ptr<QueryChannel> channel) : m_channel(std::move(channel)) {}

    struct Bounds
    {
        int timeoutSecs = 1;                              // the longest the helper may go without a word
        QDeadlineTimer deadline{QDeadlineTimer::Forever}; // the run's
        std::function<bool()> stop;                       // asked while it waits: true gives the helper up at once
        std::function<void()> heard;                      // told of every word from the helper
    };
    struct Reply
    {
        FileAnswer answer;
        bool givenUp = false; // the helper could not answer in time, or at all: take it with release()
    };
    // A stat answers with one answer, a listing with one per name to `each` and a read with the
    // bytes in `bytes`, then the answer about the whole.
    Reply ask(QueryProtocol::Op op, const QByteArray& path, const FileAnswer::Each& each, QByteArray* bytes,
              const Bounds& bounds);
    std::unique_ptr<QueryChannel> release() { return std::move(m_channel); }

private:
    enum class Took
    {
        More,    // the answer is not complete yet
        Done,    // `answer` holds it
        Garbled, // a record no helper sends
    };
    Took takeRecords(QueryProtocol::Op op, const FileAnswer::Each& each, QByteArray* bytes, FileAnswer& answer);
    // Bytes that came within the slice, 0 for none, -1 when the helper ended.
    qint64 receive(QDeadlineTimer slice);

    std::unique_ptr<QueryChannel> m_channel;
    std::string m_in; // what came from the helper, from m_used on not taken yet
    std::size_t m_used = 0;
};
#endif
