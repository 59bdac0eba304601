#pragma once
// Units of page coordinates, the paper formats the preview knows with their
// printer paper codes, and the conversion between units.
#include <cstdint>

namespace zibor::preview {

enum class TUnits { mmPixel, mmLoMetric, mmHiMetric, mmLoEnglish, mmHiEnglish, mmTWIPS, mmPoints };
using enum TUnits;

enum class TPaperType {
    pLetter, pLetterSmall, pTabloid, pLedger, pLegal, pStatement, pExecutive, pA3, pA4, pA4Small, pA5,
    pB4, pB5, pFolio, pQuatro, p10x14, p11x17, pNote, pEnv9, pEnv10, pEnv11, pEnv12, pEnv14, pCSheet,
    pDSheet, pESheet, pEnvDL, pEnvC5, pEnvC3, pEnvC4, pEnvC6, pEnvC65, pEnvB4, pEnvB5, pEnvB6, pEnvItaly,
    pEnvMonarch, pEnvPersonal, pFanfoldUSStd, pFanfoldGermanStd, pFanfoldGermanLegal, pB4ISO,
    pJapanesePostcard, p9x11, p10x11, p15x11, pEnvInvite, pLetterExtra, pLegalExtra, TabloidExtra,
    pA4Extra, pLetterTransverse, pA4Transverse, pLetterExtraTransverse, pAPlus, pBPlus, pLetterPlus,
    pA4Plus, pA5Transverse, pB5Transverse, pA3Extra, pA5Extra, pB5Extra, pA2, pA3Transverse,
    pA3ExtraTransverse, pCustom,
};
using enum TPaperType;
constexpr int PaperTypeCount = static_cast<int>(pCustom) + 1;

struct TPaperRow {
    int16_t Code;   // the printer's paper code
    int Width;      // portrait
    int Height;
    TUnits Unit;    // mmLoMetric or mmHiEnglish
};

const TPaperRow &PaperRow(TPaperType type);
// The first row with that printer code, else pCustom.
TPaperType PaperTypeFromCode(int code);

// The screen's resolution; the program draws at 96 pixels per inch everywhere.
constexpr int ScreenPixelsPerInch = 96;

// value converted between units; resolution is that of mmPixel. Products go
// through MulDiv (rounded, halves away from zero); the plain divisions by 10
// and 20 truncate towards zero. The same unit returns the value unchanged,
// except pixels to pixels, which rescales from the screen to resolution.
int ConvertUnits(int value, int resolution, TUnits from, TUnits to);

} // namespace zibor::preview
