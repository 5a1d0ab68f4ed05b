#include "controls/Twips.h"

namespace Twips {

QRect rect(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

} // namespace Twips
