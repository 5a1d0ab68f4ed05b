#include "store/AtomicSave.h"

#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace AtomicSave {

namespace {

// The system's reason for the step that just failed; Qt's own text when the system gave none.
QString reasonFor(int error, const QSaveFile& file)
{
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    const QString qtReason = file.errorString();
    if (!qtReason.isEmpty() && qtReason != QLatin1String("Unknown error"))
        return qtReason;
    return QStringLiteral("not every byte could be written.");
}

} // namespace

std::optional<QString> write(const QString& path, const QByteArray& contents)
{
    return write(path, [&contents](const Put& put) { return put(contents); });
}

std::optional<QString> write(const QString& path, const std::function<bool(const Put&)>& fill)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return reasonFor(errno, file);
    std::optional<QString> failure;
    const Put put = [&file, &failure](QByteArrayView bytes) {
        if (failure)
            return false;
        if (bytes.isEmpty())
            return true;
        errno = 0;
        if (file.write(bytes.data(), bytes.size()) != bytes.size())
            failure = reasonFor(errno, file);
        return !failure;
    };
    const bool filled = fill(put);
    if (failure)
        return failure;
    if (!filled)
        return QStringLiteral("the contents could not be made.");
    // commit() of Qt 6.4 takes a short last write of its buffer for success and renames a cut-off
    // file over the old one; a flush of our own sees the short write first.
    errno = 0;
    if (!file.flush())
        return reasonFor(errno, file);
    errno = 0;
    if (!file.commit())
        return reasonFor(errno, file);
    return std::nullopt;
}

} // namespace AtomicSave
