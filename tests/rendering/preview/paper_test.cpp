// Paper formats, orientation and units of the preview, and the conversion
// between units.
#include "tests/rendering/preview/PreviewKit.h"

#include <gtest/gtest.h>

using namespace plat;
using namespace zibor::preview;
using namespace zibor::test;

namespace {

// The first row with the same portrait size, in a unit fine enough to hold
// every row exactly.
TPaperType FirstOfSameSize(TPaperType type)
{
    const TPaperRow &row = PaperRow(type);
    for (int i = 0; i < PaperTypeCount - 1; ++i) {
        const TPaperRow &r = PaperRow(TPaperType(i));
        if (ConvertUnits(r.Width, 96, r.Unit, mmHiMetric) == ConvertUnits(row.Width, 96, row.Unit, mmHiMetric) &&
            ConvertUnits(r.Height, 96, r.Unit, mmHiMetric) == ConvertUnits(row.Height, 96, row.Unit, mmHiMetric))
            return TPaperType(i);
    }
    return pCustom;
}

} // namespace

TEST(PaperTable, CodesAndSizes)
{
    EXPECT_EQ(PaperRow(pLetter).Code, 1);
    EXPECT_EQ(PaperRow(pEnvInvite).Code, 47);
    EXPECT_EQ(PaperRow(pLetterExtra).Code, 50);
    EXPECT_EQ(PaperRow(pA3ExtraTransverse).Code, 68);
    EXPECT_EQ(PaperRow(pCustom).Code, 256);
    for (int i = 0; i <= int(pEnvInvite); ++i)
        EXPECT_EQ(PaperRow(TPaperType(i)).Code, i + 1);
    for (int i = int(pLetterExtra); i < int(pCustom); ++i)
        EXPECT_EQ(PaperRow(TPaperType(i)).Code, i + 3);
    EXPECT_EQ(PaperTypeFromCode(9), pA4);
    EXPECT_EQ(PaperTypeFromCode(48), pCustom);
    EXPECT_EQ(PaperTypeFromCode(256), pCustom);
    EXPECT_EQ(PaperRow(pA4).Width, 2100);
    EXPECT_EQ(PaperRow(pLedger).Width, 17000);
    EXPECT_EQ(PaperRow(pEnvB6).Height, 1250);
    EXPECT_EQ(PaperRow(TabloidExtra).Width, 11690);
}

TEST(PaperTable, EveryRowComesBackFromItsSize)
{
    // In units at least as fine as both table units every size converts back exactly.
    for (TUnits units : {mmHiMetric, mmHiEnglish, mmTWIPS})
        for (bool landscape : {false, true})
            for (int i = 0; i < PaperTypeCount - 1; ++i) {
                const TPaperType type = TPaperType(i);
                SCOPED_TRACE("row " + std::to_string(i) + " units " + std::to_string(int(units)) +
                             (landscape ? " landscape" : ""));
                auto pp = MakePreview();
                pp->SetUnits(units);
                if (landscape)
                    pp->SetOrientation(poLandscape);
                pp->SetPaperType(type == pA4 ? pLetter : pA4);
                pp->SetPaperType(type);
                EXPECT_EQ(pp->PaperType(), type);
                const int w = pp->PaperWidth(), h = pp->PaperHeight();
                const TPaperRow &row = PaperRow(type);
                const int pw = ConvertUnits(row.Width, 96, row.Unit, units);
                const int ph = ConvertUnits(row.Height, 96, row.Unit, units);
                EXPECT_EQ(w, landscape ? ph : pw);
                EXPECT_EQ(h, landscape ? pw : ph);
                // Another size, then this one again: the type follows the size.
                pp->SetPaperSize(w / 2, h);
                pp->SetPaperSize(w, h);
                if (w <= 32767 && h <= 32767) {
                    EXPECT_EQ(pp->PaperType(), FirstOfSameSize(type));
                } else {
                    // Too large to set by size: clamped, so no row of the table.
                    EXPECT_EQ(pp->PaperType(), pCustom);
                    EXPECT_EQ(std::max(pp->PaperWidth(), pp->PaperHeight()), 32767);
                }
            }
}

TEST(PaperTable, UnitsChangeConvertsThePaper)
{
    struct Case {
        TPaperType type;
        bool landscape;
        TUnits units;
        int w, h;
    };
    const Case cases[] = {
        {pA4, true, mmLoMetric, 2970, 2100},
        {pA4, false, mmPoints, 595, 842},
        {pLetter, false, mmHiEnglish, 8500, 11000},
        {pLetter, false, mmLoMetric, 2159, 2794},
        {pA4, false, mmPixel, 794, 1123},
        {pCustom, false, mmLoMetric, 1500, 2000},  // from 15000 x 20000 in 0.01 mm
        {pCustom, true, mmLoEnglish, 787, 591},    // 20000 x 15000, converted as stored
    };
    for (const Case &k : cases) {
        auto pp = MakePreview();
        SetPaper(*pp, k.type, k.landscape);
        pp->SetUnits(k.units);
        EXPECT_EQ(pp->PaperWidth(), k.w) << int(k.type) << " " << int(k.units);
        EXPECT_EQ(pp->PaperHeight(), k.h) << int(k.type) << " " << int(k.units);
        EXPECT_EQ(pp->PaperType(), k.type);
    }
}

TEST(PaperTable, EdgeCases)
{
    auto pp = MakePreview();
    EXPECT_EQ(pp->PaperType(), pA4);
    EXPECT_EQ(pp->PaperWidth(), 21000);
    EXPECT_EQ(pp->PaperHeight(), 29700);
    pp->SetOrientation(poLandscape);
    EXPECT_EQ(pp->PaperWidth(), 29700);
    EXPECT_EQ(pp->PaperHeight(), 21000);
    pp->SetUnits(mmLoMetric);
    EXPECT_EQ(pp->PaperWidth(), 2970);
    EXPECT_EQ(pp->PaperHeight(), 2100);

    pp = MakePreview();
    pp->SetPaperSize(40000, 0);
    EXPECT_EQ(pp->PaperWidth(), 32767);
    EXPECT_EQ(pp->PaperHeight(), 1);
    EXPECT_EQ(pp->PaperType(), pCustom);
    // The smallest paper still has a screen extent to zoom by.
    pp->SetPaperSize(1, 1);
    EXPECT_EQ(pp->PaperExtent().cx, 1);
    EXPECT_EQ(pp->PaperExtent().cy, 1);
    pp->SetPaperSize(21000, 29700);
    EXPECT_EQ(pp->PaperType(), pA4);  // the first matching row, not pA4Small

    // Landscape sizes are recognised by their portrait size.
    pp->SetOrientation(poLandscape);
    pp->SetPaperSize(27940, 21590);
    EXPECT_EQ(pp->PaperType(), pLetter);
}

TEST(PaperTable, SettersAreRefusedWhileRecording)
{
    auto pp = MakePreview();
    pp->BeginDoc();
    pp->SetPaperType(pA5);
    pp->SetOrientation(poLandscape);
    pp->SetPaperSize(10000, 10000);
    pp->SetPaperWidth(5000);
    EXPECT_EQ(pp->PaperType(), pA4);
    EXPECT_EQ(pp->Orientation(), poPortrait);
    EXPECT_EQ(pp->PaperWidth(), 21000);
    EXPECT_EQ(pp->PaperHeight(), 29700);
    pp->EndDoc();
    pp->SetPaperType(pA5);
    EXPECT_EQ(pp->PaperType(), pA5);
}

TEST(ConvertUnits, Table)
{
    struct Case {
        int value, res;
        TUnits from, to;
        int expected;
    };
    const Case cases[] = {
        {1440, 96, mmTWIPS, mmPoints, 72},
        {254, 96, mmLoMetric, mmLoEnglish, 100},
        {1000, 96, mmHiMetric, mmPixel, 38},          // 37.8
        {21000, 96, mmHiMetric, mmPixel, 794},        // 793.7
        {29700, 96, mmHiMetric, mmPixel, 1123},       // 1122.5, half away from zero
        {-29700, 96, mmHiMetric, mmPixel, -1123},
        {12, 96, mmPixel, mmLoEnglish, 13},           // 12.5
        {-12, 96, mmPixel, mmLoEnglish, -13},
        {96, 300, mmPixel, mmPixel, 300},             // the screen to the resolution
        {100, 600, mmPixel, mmHiMetric, 423},         // 423.3
        {100, 600, mmHiMetric, mmPixel, 24},          // 23.6
        {19, 96, mmHiMetric, mmLoMetric, 1},          // plain divisions truncate
        {-19, 96, mmHiMetric, mmLoMetric, -1},
        {19, 96, mmHiEnglish, mmLoEnglish, 1},
        {-19, 96, mmHiEnglish, mmLoEnglish, -1},
        {39, 96, mmTWIPS, mmPoints, 1},
        {-39, 96, mmTWIPS, mmPoints, -1},
        {7, 96, mmLoMetric, mmHiMetric, 70},
        {3, 96, mmPoints, mmTWIPS, 60},
        {127, 96, mmLoMetric, mmLoEnglish, 50},       // exactly 50
        {1, 96, mmLoEnglish, mmHiMetric, 25},           // 25.4
        {5, 96, mmLoEnglish, mmHiMetric, 127},
        {5, 96, mmHiMetric, mmLoEnglish, 0},          // 0.197
        {13, 96, mmHiMetric, mmLoEnglish, 1},         // 0.51
        {12345, 96, mmHiMetric, mmHiMetric, 12345},
        {-7, 96, mmPoints, mmPoints, -7},
    };
    for (const Case &k : cases)
        EXPECT_EQ(ConvertUnits(k.value, k.res, k.from, k.to), k.expected)
            << k.value << " from " << int(k.from) << " to " << int(k.to) << " at " << k.res;
}

TEST(ConvertUnits, PreviewHelpersUseTheScreen)
{
    auto pp = MakePreview();
    const TPoint u = pp->ConvertXY(100, 100, mmLoMetric, pp->Units());
    EXPECT_EQ(u.X, 1000);
    EXPECT_EQ(u.Y, 1000);
    EXPECT_EQ(pp->ConvertX(96, mmPixel, mmHiEnglish), 1000);
    std::vector<TPoint> pts{{50, 50}, {-254, 2540}};
    pp->ConvertPoints(pts.data(), 2, mmLoMetric, mmHiMetric);
    EXPECT_EQ(pts[0], (TPoint{500, 500}));
    EXPECT_EQ(pts[1], (TPoint{-2540, 25400}));
}
