#include "engine/MissingFileQuestion.h"

QString MissingFileQuestion::text(const QString& fileName)
{
    return QStringLiteral("The following file no longer exist's\n\n") + fileName +
           QStringLiteral("\n\nWould you like me to remove it from your list of files");
}
