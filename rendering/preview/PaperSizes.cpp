#include "rendering/preview/PaperSizes.h"

#include "platform/core/SysUtils.h"

#include <array>
#include <cstddef>

namespace zibor::preview {

namespace {

constexpr TPaperRow L(int16_t code, int w, int h) { return {code, w, h, mmLoMetric}; }
constexpr TPaperRow E(int16_t code, int w, int h) { return {code, w, h, mmHiEnglish}; }

// One row per paper type, in the order of TPaperType.
constexpr std::array<TPaperRow, PaperTypeCount> kPapers = {{
    E(1, 8500, 11000),   E(2, 8500, 11000),   E(3, 11000, 17000),  E(4, 17000, 11000),  // Letter .. Ledger
    E(5, 8500, 14000),   E(6, 5500, 8500),    E(7, 7250, 10500),   L(8, 2970, 4200),    // Legal .. A3
    L(9, 2100, 2970),    L(10, 2100, 2970),   L(11, 1480, 2100),   L(12, 2500, 3540),   // A4 .. B4
    L(13, 1820, 2570),   E(14, 8500, 13000),  L(15, 2150, 2750),   E(16, 10000, 14000), // B5 .. 10x14
    E(17, 11000, 17000), E(18, 8500, 11000),  E(19, 3875, 8875),   E(20, 4125, 9500),   // 11x17 .. Env10
    E(21, 4500, 10375),  E(22, 4750, 11000),  E(23, 5000, 11500),  E(24, 17000, 22000), // Env11 .. CSheet
    E(25, 22000, 34000), E(26, 34000, 44000), L(27, 1100, 2200),   L(28, 1620, 2290),   // DSheet .. EnvC5
    L(29, 3240, 4580),   L(30, 2290, 3240),   L(31, 1140, 1620),   L(32, 1140, 2290),   // EnvC3 .. EnvC65
    L(33, 2500, 3530),   L(34, 1760, 2500),   L(35, 1760, 1250),   L(36, 1100, 2300),   // EnvB4 .. EnvItaly
    E(37, 3875, 7500),   E(38, 3625, 6500),   E(39, 14875, 11000), E(40, 8500, 12000),  // Monarch .. GermanStd
    E(41, 8500, 13000),  L(42, 2500, 3530),   L(43, 1000, 1480),   E(44, 9000, 11000),  // GermanLegal .. 9x11
    E(45, 10000, 11000), E(46, 15000, 11000), L(47, 2200, 2200),   E(50, 9500, 12000),  // 10x11 .. LetterExtra
    E(51, 9500, 15000),  E(52, 11690, 18000), E(53, 9270, 12690),  E(54, 8500, 11000),  // LegalExtra .. LetterTransverse
    L(55, 2100, 2970),   E(56, 9500, 12000),  L(57, 2270, 3560),   L(58, 3050, 4870),   // A4Transverse .. BPlus
    E(59, 8500, 12690),  L(60, 2100, 3300),   L(61, 1480, 2100),   L(62, 1820, 2570),   // LetterPlus .. B5Transverse
    L(63, 3220, 4450),   L(64, 1740, 2350),   L(65, 2010, 2760),   L(66, 4200, 5940),   // A3Extra .. A2
    L(67, 2970, 4200),   L(68, 3220, 4450),   L(256, 0, 0),                             // A3Transverse .. Custom
}};

// Units per inch; a pixel's is the resolution asked for.
int PerInch(TUnits unit, int resolution)
{
    switch (unit) {
    case mmPixel: return resolution;
    case mmLoMetric: return 254;
    case mmHiMetric: return 2540;
    case mmLoEnglish: return 100;
    case mmHiEnglish: return 1000;
    case mmTWIPS: return 1440;
    case mmPoints: return 72;
    }
    return 0;
}

} // namespace

const TPaperRow &PaperRow(TPaperType type) { return kPapers.at(static_cast<std::size_t>(type)); }

TPaperType PaperTypeFromCode(int code)
{
    for (int i = 0; i < PaperTypeCount; ++i)
        if (kPapers[std::size_t(i)].Code == code)
            return static_cast<TPaperType>(i);
    return pCustom;
}

int ConvertUnits(int value, int resolution, TUnits from, TUnits to)
{
    if (from == to)
        return from == mmPixel ? plat::MulDiv(value, resolution, ScreenPixelsPerInch) : value;
    const int a = PerInch(to, resolution), b = PerInch(from, resolution);
    // Exact steps down (0.01 mm to 0.1 mm, 0.001 in to 0.01 in, twips to
    // points) are plain divisions that truncate.
    if (b > a && a > 0 && b % a == 0 && from != mmPixel && to != mmPixel)
        return value / (b / a);
    return plat::MulDiv(value, a, b);
}

} // namespace zibor::preview
