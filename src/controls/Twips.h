#pragma once

#include <QRect>

// The windows keep their design layouts in twips, 15 to the pixel.
namespace Twips {

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace Twips
