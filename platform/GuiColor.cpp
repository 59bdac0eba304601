#include "platform/GuiColor.h"

#include "platform/Graphics.h"

namespace plat {

QColor ToQColor(TColor c) { return QColor::fromRgb(ToQRgb(c)); }

} // namespace plat
