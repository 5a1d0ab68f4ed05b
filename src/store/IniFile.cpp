#include "store/IniFile.h"

#include "base/AppError.h"
#include "store/AtomicSave.h"
#include "store/FileWriteLock.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <new>

namespace {

const QString kSource = QStringLiteral("IniFile");

// A file nobody may write stays as it is, even for an administrator, as a read-only file does on
// Windows: replacing it by rename would otherwise succeed wherever the folder is writable.
bool isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    const auto writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.exists() && (!info.isWritable() || !(info.permissions() & writeBits));
}

} // namespace

IniFile& IniFile::instance()
{
    static IniFile ini;
    return ini;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& path, const QString& def)
{
    // A file that cannot be read answers every read with the default.
    const auto doc = Document(path);
    const auto value = doc ? doc->value(section, key) : std::nullopt;
    return value && !value->isEmpty() ? *value : def;
}

void IniFile::InitForm(QObject* window)
{
    // Windows are told apart by their object name when their positions are stored.
    if (window && window->objectName().isEmpty())
        window->setObjectName(QString::fromLatin1(window->metaObject()->className()));
}

bool IniFile::FileExists(const QString& path) const
{
    if (path.isEmpty() || path.contains(QChar(0)))
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
    UpdateStrings(path, [&writes] { return std::optional<QList<Write>>(writes); });
}

void IniFile::UpdateStrings(const QString& path, const Plan& plan)
{
    const FileWriteLock lock(path);
    // Under the lock: another copy of the program may have written since we last looked, and its
    // values must survive ours.
    const auto current = Document(path);
    if (!current) {
        // Writing now would replace every other value of the file with nothing.
        throw AppError(AppError::FileRead, kSource,
                       QStringLiteral("Could not read \"%1\" to change it.").arg(QFileInfo(path).absoluteFilePath()));
    }
    const std::optional<QList<Write>> writes = plan();
    if (!writes)
        return;
    IniDocument doc = *current;
    for (const Write& w : *writes)
        doc.setValue(w.section, w.key, w.value);
    save(path, std::move(doc));
}

void IniFile::ReplaceFile(const QString& path, const QByteArray& text)
{
    const FileWriteLock lock(path);
    saveText(path, text);
    // Read again when next asked for, like a file another copy wrote.
    m_cache.remove(path);
}

void IniFile::clearCache()
{
    m_cache.clear();
}

std::shared_ptr<const IniDocument> IniFile::Document(const QString& path)
{
    const auto it = m_cache.constFind(path);
    if (it != m_cache.constEnd() && it->version->isCurrent(path))
        return it->doc;
    // The old parse goes before the new one is made, so the two never need memory together.
    m_cache.remove(path);
    try {
        QByteArray bytes;
        std::shared_ptr<const FileVersion> version = FileVersion::read(path, &bytes);
        if (!version)
            return nullptr;
        if (bytes.size() > IniDocument::kMaxSize) {
            throw AppError(AppError::OutOfMemory, kSource,
                           QStringLiteral("Could not read \"%1\": at %2 bytes it is too large.")
                               .arg(QFileInfo(path).absoluteFilePath())
                               .arg(bytes.size()));
        }
        auto doc = std::make_shared<const IniDocument>(IniDocument::parse(bytes));
        m_cache.insert(path, Cached{version, doc});
        return doc;
    } catch (const std::bad_alloc&) {
        // Answering with defaults instead would let the next write replace the file with them.
        throw AppError(AppError::OutOfMemory, kSource,
                       QStringLiteral("Could not read \"%1\": there is not enough memory for it.")
                           .arg(QFileInfo(path).absoluteFilePath()));
    }
}

void IniFile::save(const QString& path, IniDocument doc)
{
    saveText(path, doc.serialize());
    // We still hold the lock, so the file on disk is the one just written.
    std::shared_ptr<const FileVersion> version = FileVersion::current(path);
    m_cache.remove(path);
    if (version)
        m_cache.insert(path, Cached{version, std::make_shared<const IniDocument>(std::move(doc))});
}

void IniFile::saveText(const QString& path, const QByteArray& text)
{
    if (isReadOnly(path)) {
        throw AppError(
            AppError::FileWrite, kSource,
            QStringLiteral("Could not write \"%1\": the file is read-only.").arg(QFileInfo(path).absoluteFilePath()));
    }
    if (const auto failure = AtomicSave::write(path, text)) {
        m_cache.remove(path);
        throw AppError(AppError::FileWrite, kSource,
                       QStringLiteral("Could not write \"%1\": %2").arg(QFileInfo(path).absoluteFilePath(), *failure));
    }
}
