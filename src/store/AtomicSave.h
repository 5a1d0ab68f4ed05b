#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// Replaces a file with new contents in one step, through a temporary file beside it that is
// renamed over it only once every byte has reached it. Every file the program writes goes
// through here. On any failure the old file stays as it was and no temporary file is left.
namespace AtomicSave {

// nullopt when the file was replaced, else why it could not be, in the system's words where the
// system gave a reason (such as "No space left on device" or "File too large").
std::optional<QString> write(const QString& path, const QByteArray& contents);

// Writes the next piece; false once one could not be written.
using Put = std::function<bool(QByteArrayView)>;
// The same for contents made in pieces: `fill` hands them to the Put it is given, and returns false
// when it stopped early; the file is replaced only when it returns true and every piece was written.
// An exception from `fill` leaves the old file as it was.
std::optional<QString> write(const QString& path, const std::function<bool(const Put&)>& fill);

} // namespace AtomicSave
