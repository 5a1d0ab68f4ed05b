#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "store/FileVersion.h"
#include "store/IniDocument.h"

class QObject;

// INI values by section and key, and file existence.
// Reads are served from a parse cached per path while the file is unchanged on disk; every write
// takes a lock shared with other running copies, starts from the file as it is on disk then (read
// again when another copy changed it) and replaces it atomically, so two copies lose nothing and a
// crash never leaves a torn file. A write that cannot be made, or into a read-only file, raises AppError.
class IniFile
{
public:
    struct Write
    {
        QString section;
        QString key;
        QString value;
    };

    // The default when the file, section or key is missing or the stored value is empty.
    QString ReadString(const QString& section, const QString& key, const QString& path, const QString& def);
    // The parse of the file as it is now, from the cache while the file is unchanged: empty for a
    // missing file, null when it cannot be read.
    std::shared_ptr<const IniDocument> Document(const QString& path);
    void InitForm(QObject* window);
    // True only for a file (or a link to one); a folder is not a file.
    bool FileExists(const QString& path) const;
    void WriteString(const QString& section, const QString& key, const QString& value, const QString& path);

    // Several values written under one lock and one replace of the file.
    void WriteStrings(const QString& path, const QList<Write>& writes);
    // The same, with the writes chosen under the lock: `plan` reads the file as it is now (through
    // this object) and gives the writes, or nullopt to leave the file alone. What the plan picks,
    // say a free entry number, no other copy can take before the file is written.
    using Plan = std::function<std::optional<QList<Write>>()>;
    void UpdateStrings(const QString& path, const Plan& plan);
    // Replaces the whole file with `text` under the same lock, for a file that is always written
    // whole: nothing of it as it was is kept.
    void ReplaceFile(const QString& path, const QByteArray& text);

    // Forget every cached parse.
    void clearCache();

    static IniFile& instance();

private:
    struct Cached
    {
        std::shared_ptr<const FileVersion> version;
        std::shared_ptr<const IniDocument> doc;
    };

    void save(const QString& path, IniDocument doc);
    void saveText(const QString& path, const QByteArray& text);

    QHash<QString, Cached> m_cache;
};
