#include "engine/FileAnswer.h"

#include "queryhelper/QueryProtocol.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

FileAnswer FileAnswer::fromErrno(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return FileAnswer(); // missing
    return unreachable(QString::fromLocal8Bit(std::strerror(error)));
}

FileAnswer FileAnswer::fromFields(const QueryProtocol::StatFields& fields)
{
    if (fields.error != 0)
        return fromErrno(fields.error);
    FileAnswer answer;
    answer.state = State::Found;
    answer.regular = S_ISREG(fields.mode);
    answer.mtimeSec = fields.mtimeSec;
    answer.mtimeNsec = fields.mtimeNsec;
    answer.size = fields.size;
    return answer;
}

FileAnswer FileAnswer::unreachable(const QString& why)
{
    FileAnswer answer;
    answer.state = State::Unreachable;
    answer.why = why;
    return answer;
}

FileAnswer FileAnswer::complete(bool regular, qint64 size)
{
    FileAnswer answer;
    answer.state = State::Found;
    answer.regular = regular;
    answer.size = size;
    return answer;
}

QString FileAnswer::noAnswer(qint64 waitedMsecs, int timeoutSecs)
{
    const qint64 waited = qMax<qint64>(1, (waitedMsecs + 500) / 1000);
    return QStringLiteral("No answer within %1 s").arg(qMin<qint64>(waited, timeoutSecs));
}

QString FileAnswer::checkStopped()
{
    return QStringLiteral("The check was stopped");
}
