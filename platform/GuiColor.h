#pragma once
// Colour values of the program to Qt colours, system colours resolved.
#include "platform/Types.h"
#include <QColor>

namespace plat {

QColor ToQColor(TColor c);

} // namespace plat
