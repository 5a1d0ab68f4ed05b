#pragma once

#include <QString>
#include <optional>

// The editor keeps the age threshold only as its label text, "1 day old" or "N days old";
// the number is read back from the start of that text.
namespace DayCount {

QString caption(qint16 days);
// One spin step up (+1) or down (-1); nullopt when the step would go below 1 day.
std::optional<QString> step(const QString& caption, int direction);

} // namespace DayCount
