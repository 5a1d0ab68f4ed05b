#include "settings/IniFile.h"

#include "core/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString kSource = QStringLiteral("IniFile");
constexpr int kLockWaitMs = 10000;
constexpr int kStaleLockMs = 30000;

QString lockPathFor(const QString& path)
{
    return path + QStringLiteral(".lock");
}

} // namespace

IniFile& IniFile::instance()
{
    static IniFile ini;
    return ini;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& path, const QString& def)
{
    const auto doc = document(path);
    const auto value = doc->value(section, key);
    return value && !value->isEmpty() ? *value : def;
}

void IniFile::InitForm(QWidget* window)
{
    // Windows are told apart by their object name when their positions are stored.
    if (window && window->objectName().isEmpty())
        window->setObjectName(QString::fromLatin1(window->metaObject()->className()));
}

QString IniFile::LastPiece(const QString& text, int count, const QString& delimiter) const
{
    if (count < 1 || delimiter.isEmpty())
        return QString();
    qsizetype from = text.size();
    for (int i = 0; i < count; ++i) {
        if (from <= 0)
            return text;
        const qsizetype at = text.lastIndexOf(delimiter, from - 1);
        if (at < 0)
            return text;
        from = at;
    }
    return text.mid(from + delimiter.size());
}

bool IniFile::FileExists(const QString& path) const
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value, const QString& path)
{
    WriteStrings(path, {Write{section, key, value}});
}

void IniFile::WriteStrings(const QString& path, const QList<Write>& writes)
{
    QLockFile lock(lockPathFor(path));
    lock.setStaleLockTime(kStaleLockMs);
    if (!lock.tryLock(kLockWaitMs)) {
        throw AppError(AppError::FileWrite, kSource,
                       QStringLiteral("Could not lock \"%1\" to write to it.").arg(QFileInfo(path).absoluteFilePath()));
    }
    // Re-read under the lock: another copy of the program may have written since we last looked.
    if (stampOf(path).exists && !load(path)) {
        // Writing now would replace every other value of the file with nothing.
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("Could not read \"%1\" to change it.").arg(QFileInfo(path).absoluteFilePath()));
    }
    IniDocument doc = *document(path);
    for (const Write& w : writes)
        doc.setValue(w.section, w.key, w.value);
    save(path, doc);
}

void IniFile::clearCache()
{
    m_cache.clear();
}

std::shared_ptr<const IniDocument> IniFile::document(const QString& path)
{
    auto it = m_cache.find(path);
    if (it != m_cache.end() && m_trustDepth > 0)
        return it->doc;
    const Stamp stamp = stampOf(path);
    if (it != m_cache.end() && it->stamp == stamp)
        return it->doc;
    auto loaded = stamp.exists ? load(path) : std::optional<IniDocument>(IniDocument());
    if (!loaded) {
        // A file we may not read answers every read with the default; it is not cached.
        return std::make_shared<const IniDocument>();
    }
    auto doc = std::make_shared<const IniDocument>(std::move(*loaded));
    m_cache.insert(path, Cached{stamp, doc});
    return doc;
}

IniFile::Stamp IniFile::stampOf(const QString& path)
{
    Stamp stamp;
#ifdef Q_OS_UNIX
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.inode = st.st_ino;
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return stamp;
    stamp.exists = true;
    stamp.size = info.size();
    stamp.mtimeNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

std::optional<IniDocument> IniFile::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniDocument::parse(file.readAll());
}

void IniFile::save(const QString& path, const IniDocument& doc)
{
    QSaveFile file(path);
    const QByteArray bytes = doc.serialize();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw AppError(
            AppError::FileWrite, kSource,
            QStringLiteral("Could not write \"%1\": %2").arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
    }
    m_cache.insert(path, Cached{stampOf(path), std::make_shared<const IniDocument>(doc)});
}
