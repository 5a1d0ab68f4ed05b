#include "editor/EntryWriter.h"

#include "core/DateTexts.h"
#include "core/FileStamp.h"

QString EntryWriter::sectionName(qint16 entry)
{
    return QStringLiteral("File ") + QString::number(entry);
}

std::optional<EntryWriter::Result> EntryWriter::refusal(const EntryInput& input)
{
    if (input.description.isEmpty())
        return Result::NoDescription;
    if (input.fileName.isEmpty())
        return Result::NoFileName;
    return std::nullopt;
}

QString EntryWriter::message(Result result)
{
    switch (result) {
    case Result::NoDescription:
        return QStringLiteral("You must enter a description of the file");
    case Result::NoFileName:
        return QStringLiteral("You must choose the file to watch");
    case Result::ListFull:
        return QStringLiteral("Your list is full: no more files can be added. Choose \"Never Remind me again\" "
                              "for a file you no longer need to watch, then add this one.");
    case Result::NoEntry:
        return QStringLiteral("The file you were editing could not be found in your list. Refresh the list and "
                              "try again.");
    case Result::Saved:
        break;
    }
    return QString();
}

QList<IniFile::Write> EntryWriter::writes(const EntryInput& input, qint16 entry, bool isNew,
                                          const std::optional<QDateTime>& fileChanged)
{
    const QString section = sectionName(entry);
    // A folder entry's file changes whenever the folder's pick does: it never reports changes.
    const bool reportChanges = input.reportChanges && !input.directoryMode;
    QList<IniFile::Write> out{
        {section, QStringLiteral("filename"), input.fileName},
        {section, QStringLiteral("days"), QString::number(input.days)},
        {section, QStringLiteral("description"), input.description},
        {section, QStringLiteral("Postponedate"), QString()},
        {section, QStringLiteral("Notactive"), QStringLiteral("false")},
        {section, QStringLiteral("non-fixed file type"),
         input.directoryMode ? QString::number(input.typeIndex) : QString()},
        {section, QStringLiteral("advisechanges"), reportChanges ? QStringLiteral("true") : QStringLiteral("false")},
    };
    // An edited entry keeps the date the user last acknowledged.
    if (reportChanges && isNew && fileChanged)
        out.append({section, QStringLiteral("last date changed"), DateTexts::generalDate(*fileChanged)});
    return out;
}

EntryWriter::Result EntryWriter::save(IniFile& ini, const QString& inifilename, const EntryInput& input, qint16 entry,
                                      bool isNew)
{
    if (const auto refused = refusal(input))
        return *refused;
    if (entry < 0)
        return isNew ? Result::ListFull : Result::NoEntry;
    std::optional<QDateTime> fileChanged;
    // A file that is gone is saved without its date; the next check reports it missing.
    // The date is read exactly as the check reads it, so a fresh entry never reports a change.
    if (isNew && input.reportChanges) {
        if (const auto stamp = FileStamp::modified(input.fileName))
            fileChanged = QDateTime(stamp->date, stamp->time);
    }
    ini.WriteStrings(inifilename, writes(input, entry, isNew, fileChanged));
    return Result::Saved;
}
