#pragma once

#include <QString>
#include <functional>

namespace QueryProtocol {
struct StatFields;
}

// What a question about a file brought back, asked on a local disk or through a share's helper.
struct FileAnswer
{
    enum class State
    {
        Found,
        Missing,    // nothing there (ENOENT, ENOTDIR)
        Unreachable // there may be something, but it could not be asked
    };
    State state = State::Missing;
    bool regular = false; // found, and a file rather than a folder or a device
    qint64 mtimeSec = 0;
    qint64 mtimeNsec = 0;
    qint64 size = 0;
    QString why; // the system's words when unreachable

    bool isFile() const { return state == State::Found && regular; }

    // Each name of a folder with what it names.
    using Each = std::function<void(const char* name, const FileAnswer& answer)>;

    static FileAnswer fromErrno(int error);
    static FileAnswer fromFields(const QueryProtocol::StatFields& fields);
    static FileAnswer unreachable(const QString& why);
    // A listing or a read that went through to its end.
    static FileAnswer complete(bool regular, qint64 size);

    // Why a share that was given `timeoutSecs` for an answer counts as not answering, after
    // `waitedMsecs`: a run's own deadline may have left it less than its timeout.
    static QString noAnswer(qint64 waitedMsecs, int timeoutSecs);
    static QString checkStopped();
};
