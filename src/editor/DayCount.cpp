#include "editor/DayCount.h"

#include "engine/LeadingNumber.h"

namespace DayCount {

QString caption(qint16 days)
{
    return QString::number(days) + (days == 1 ? QStringLiteral(" day old") : QStringLiteral(" days old"));
}

std::optional<QString> step(const QString& text, int direction)
{
    // At the top of the range the count stays put rather than wrapping round.
    const qint16 days = LeadingNumber::clampToInt16(LeadingNumber::toDouble(text) + direction);
    if (days < 1)
        return std::nullopt;
    return caption(days);
}

} // namespace DayCount
