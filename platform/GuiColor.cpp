#include "platform/GuiColor.h"

namespace plat {

QColor ToQColor(TColor c)
{
    // Until the system colour table is shared, system colours resolve to the
    // classic scheme's face colour.
    if ((c & clSystemColor) == clSystemColor)
        return QColor(240, 240, 240);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace plat
