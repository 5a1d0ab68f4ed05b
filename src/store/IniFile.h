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

// INI values by section and key, file existence and path pieces.
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
    // The parse of the file as it is now: empty for a missing file, null when it cannot be read.
    std::shared_ptr<const IniDocument> Document(const QString& path) { return document(path, false); }
    void InitForm(QObject* window);
    // The last `count` pieces of text split by delimiter (the part after the last delimiter for count 1).
    QString LastPiece(const QString& text, int count, const QString& delimiter) const;
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

    // While a scope is open, reads trust the cached parse without asking the disk whether the file
    // changed. Our own writes keep the cache current; use it around a walk that reads many keys.
    class TrustedReads
    {
    public:
        explicit TrustedReads(IniFile& ini) : m_ini(ini) { ++m_ini.m_trustDepth; }
        ~TrustedReads() { --m_ini.m_trustDepth; }
        TrustedReads(const TrustedReads&) = delete;
        TrustedReads& operator=(const TrustedReads&) = delete;

    private:
        IniFile& m_ini;
    };

    // Many keys of one section read from one parse, as ReadString reads them; it looks the file
    // and the section up once. Meant for a TrustedReads scope, and to be read again after a write.
    class SectionValues
    {
    public:
        QString ReadString(const QString& key, const QString& def) const;
        // The stored values of `count` keys at once, which costs about as much as one, each empty
        // when missing. They are added to the end of `text`, which the views point into; views into
        // it from before may be left behind when it grows. The keys are ASCII, without blanks around them.
        void ReadViews(const QLatin1String* keys, QStringView* values, int count, QString& text) const;
        // How many sections the whole file holds, 0 without a file: room to make for what is read from them.
        int sectionCount() const { return m_doc ? m_doc->sectionCount() : 0; }

    private:
        friend class IniFile;
        std::shared_ptr<const IniDocument> m_doc;
        int m_section = -1;
    };
    SectionValues ReadSection(QStringView section, const QString& path);
    SectionValues ReadSection(const QString& section, const QString& path)
    {
        return ReadSection(QStringView(section), path);
    }

    // Forget every cached parse.
    void clearCache();

    static IniFile& instance();

private:
    struct Cached
    {
        std::shared_ptr<const FileVersion> version;
        std::shared_ptr<const IniDocument> doc;
    };

    // The parse of the file as it is now, from the cache when it still matches; null when the file
    // exists but cannot be read.
    std::shared_ptr<const IniDocument> document(const QString& path, bool trustCache);
    void save(const QString& path, IniDocument doc);
    void saveText(const QString& path, const QByteArray& text);

    // Drops the cached parse of a file.
    void forget(const QString& path);

    struct Last
    {
        QString path;
        std::shared_ptr<const IniDocument> doc;
    };

    QHash<QString, Cached> m_cache;
    Last m_last; // the document the last read found; empty after any change to the cache
    int m_trustDepth = 0;
    int m_nextSection = -1; // the section after the one ReadSection found last, tried first next time
};
