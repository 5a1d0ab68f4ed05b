#pragma once

#include <QChar>
#include <QDir>
#include <QString>

// Taking file names apart. A name may come from the file dialog in the platform's own form, from
// the watch list file as an earlier copy stored it, or typed: "/" separates folders wherever Qt
// runs, "\" only where it is the platform's separator (elsewhere it is a character of a name).
namespace PathPieces {

// The folder part of a path, up to and including its last separator; empty when it has none.
QString folderOf(const QString& path, QChar nativeSeparator = QDir::separator());

} // namespace PathPieces
