#pragma once

#include <QRect>

// The windows keep their design layouts in twips, 15 to the pixel.
namespace Twips {

QRect rect(int left, int top, int width, int height);

} // namespace Twips
