#pragma once
// Colour values of the program to Qt colours, system colours resolved.
#include "platform/core/Types.h"
#include <QColor>

namespace plat {

QColor ToQColor(TColor c);

} // namespace plat
