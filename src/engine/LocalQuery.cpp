#include "engine/LocalQuery.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include "queryhelper/QueryProtocol.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

FileAnswer LocalQuery::stat(const QByteArray& path)
{
    struct stat st
    {
    };
    return FileAnswer::fromFields(QueryProtocol::fieldsOf(::stat(path.constData(), &st), st));
}

FileAnswer LocalQuery::list(const QByteArray& folder, const FileAnswer::Each& each, const Follow& follow)
{
    const int flags = follow ? AT_SYMLINK_NOFOLLOW : 0;
    const int error =
        QueryProtocol::listFolder(folder.constData(), flags, [&](const char* name, int result, const struct stat& st) {
            if (result == 0 && S_ISLNK(st.st_mode))
                each(name, follow(folder.endsWith('/') ? folder + name : folder + '/' + name));
            else
                each(name, FileAnswer::fromFields(QueryProtocol::fieldsOf(result, st)));
            return true;
        });
    return error ? FileAnswer::fromErrno(error) : FileAnswer::complete(false, 0);
}

FileAnswer LocalQuery::read(const QByteArray& path, QByteArray& bytes)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return FileAnswer::fromErrno(errno ? errno : EACCES);
    bytes = file.readAll();
    return FileAnswer::complete(true, bytes.size());
}

#else
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

// Elsewhere no share is told apart, and Qt asks the file system.
FileAnswer LocalQuery::stat(const QByteArray& path)
{
    FileAnswer answer;
    const QFileInfo info(QFile::decodeName(path));
    if (path.isEmpty() || !info.exists())
        return answer;
    answer.state = FileAnswer::State::Found;
    answer.regular = info.isFile();
    const qint64 ms = info.lastModified().toMSecsSinceEpoch();
    answer.mtimeSec = ms / 1000;
    answer.mtimeNsec = (ms % 1000) * 1000000;
    answer.size = info.size();
    return answer;
}

FileAnswer LocalQuery::list(const QByteArray& folder, const FileAnswer::Each& each, const Follow&)
{
    const QDir dir(QFile::decodeName(folder));
    if (!dir.exists())
        return FileAnswer();
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted))
        each(QFile::encodeName(name).constData(), stat(QFile::encodeName(dir.filePath(name))));
    return FileAnswer::complete(false, 0);
}

FileAnswer LocalQuery::read(const QByteArray& path, QByteArray& bytes)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return FileAnswer();
    bytes = file.readAll();
    return FileAnswer::complete(true, 0);
}
#endif
