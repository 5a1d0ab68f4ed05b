#include "engine/PathPieces.h"

namespace PathPieces {

QString folderOf(const QString& path, QChar nativeSeparator)
{
    qsizetype last = path.lastIndexOf(QLatin1Char('/'));
    if (nativeSeparator != QLatin1Char('/'))
        last = qMax(last, path.lastIndexOf(nativeSeparator));
    return path.left(last + 1);
}

} // namespace PathPieces
