#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "settings/IniFile.h"

// What the editor holds when OK is pressed.
struct EntryInput
{
    QString fileName;
    QString description;
    qint16 days = 0;
    bool directoryMode = false;
    int typeIndex = -1; // 0 oldest, 1 newest, -1 when no list item is selected
    bool reportChanges = false;
};

// Writes one entry of the watch list file from the editor's values. Every key goes in one
// replace of the file, so a failure leaves the entry as it was.
class EntryWriter
{
public:
    enum class Result
    {
        Saved,
        NoDescription,
        NoFileName,
        ListFull,
        NoEntry
    };

    // "File n", as the save has always named the section (names match without regard to case).
    static QString sectionName(qint16 entry);
    // Why the values cannot be saved; nullopt when they can.
    static std::optional<Result> refusal(const EntryInput& input);
    // The text that tells the user why nothing was saved.
    static QString message(Result result);
    // The keys of the entry in the order they are written. `fileChanged` is the file's
    // last-modified time, when known, for a new entry that reports changes.
    static QList<IniFile::Write> writes(const EntryInput& input, qint16 entry, bool isNew,
                                        const std::optional<QDateTime>& fileChanged);
    // Saves into `entry`, which is -1 when the list is full.
    static Result save(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16 entry, bool isNew);
};
