#include "editor/FileInfoLine.h"

#include "editor/DayCount.h"
#include "engine/DateTexts.h"

namespace FileInfoLine {

QString forChange(const QDateTime& modified, const QDateTime& now)
{
    const qint16 age = DateTexts::ageInDays(modified, now);
    return QStringLiteral("File Last Changed ") + DateTexts::longDate(modified.toLocalTime().date()) +
           QStringLiteral(" and is ") + DayCount::caption(age);
}

QString noneMatches()
{
    return QStringLiteral("No file in this directory matches");
}

QString unreachable(const QString& why)
{
    return QStringLiteral("The file cannot be reached (%1)").arg(why);
}

} // namespace FileInfoLine
