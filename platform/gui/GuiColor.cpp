#include "platform/gui/GuiColor.h"

#include "platform/graphics/Graphics.h"

namespace plat {

QColor ToQColor(TColor c) { return QColor::fromRgb(ToQRgb(c)); }

} // namespace plat
