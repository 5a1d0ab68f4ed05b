#pragma once

#include <QDateTime>

// The close-at-start countdown: the program ends 20 seconds after it started counting.
namespace CloseCountdown {

constexpr int kSeconds = 20;

// 20 minus the second boundaries passed between start and now, clamped to 16 bits.
qint16 remaining(const QDateTime& start, const QDateTime& now);

} // namespace CloseCountdown
