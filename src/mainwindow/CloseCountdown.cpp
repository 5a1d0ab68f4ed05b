#include "mainwindow/CloseCountdown.h"

#include <QtGlobal>
#include <limits>

namespace CloseCountdown {

namespace {

// Whole seconds since the epoch, rounded down also before 1970, so that a second boundary is
// counted the same way on both sides of a subtraction.
qint64 floorSeconds(const QDateTime& moment)
{
    const qint64 ms = moment.toMSecsSinceEpoch();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

} // namespace

qint16 remaining(const QDateTime& start, const QDateTime& now)
{
    const qint64 left = kSeconds - (floorSeconds(now) - floorSeconds(start));
    return qint16(qBound(qint64(std::numeric_limits<qint16>::min()), left, qint64(std::numeric_limits<qint16>::max())));
}

} // namespace CloseCountdown
