// Record layout, header fields and the checks on untrusted pages, at the level
// of the record writer and the enumerator.
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/Metafile.h"
#include "emf_test_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace plat;
using namespace plat::emf;
using namespace emftest;

namespace {

// A page with one record of every kind the recorder writes.
std::vector<uint8_t> SamplePage()
{
    TEmfWriter w;
    w.Record(EMR_SETMAPMODE, {MM_ANISOTROPIC});
    w.Record(EMR_SETWINDOWEXTEX, {21000, 29700});
    w.Record(EMR_SETVIEWPORTEXTEX, {794, 1123});
    w.Record(EMR_SETVIEWPORTORGEX, {0, 0});
    w.Record(EMR_CREATEPEN, {1, int(PS_SOLID), 30, 0, int(RGB(192, 192, 192))});
    w.Record(EMR_SELECTOBJECT, {1});
    w.Record(EMR_CREATEBRUSHINDIRECT, {2, int(BS_SOLID), int(clWhite), 0});
    w.Record(EMR_SELECTOBJECT, {2});
    TEmrLogFont f;
    f.Height = -423;
    f.Weight = FW_BOLD;
    f.CharSet = emf::DEFAULT_CHARSET;
    f.FaceName = u"Calibri";
    w.CreateFont(3, f);
    w.Record(EMR_SELECTOBJECT, {3});
    w.Record(EMR_MOVETOEX, {800, 7100});
    w.Record(EMR_LINETO, {20200, 7100});
    w.Record(EMR_RECTANGLE, {800, 7100, 20200, 14100});
    const TPoint tri[3] = {{9000, 9000}, {8750, 8700}, {9250, 8700}};
    w.Poly(EMR_POLYGON16, tri, 3, Rect(8750, 8700, 9250, 9000));
    w.Record(EMR_SETBKMODE, {TRANSPARENT});
    w.Record(EMR_SETTEXTCOLOR, {int(clBlack)});
    w.Record(EMR_SETTEXTALIGN, {int(TA_TOP | TA_LEFT)});
    TEmrExtTextOut t;
    t.Reference = {1000, 5800};
    t.Options = 0;
    t.Clip = Rect(0, 0, -1, -1);
    t.Text = u"Testrapport";
    t.Dx = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100};
    t.XScale = t.YScale = 1.0f;
    w.ExtTextOut(t);
    w.PatBlt(Rect(10, 10, 20, 20), Rect(1000, 1000, 2000, 1500));
    w.Record(EMR_SETSTRETCHBLTMODE, {COLORONCOLOR});
    // 3 x 2 picture: red green blue / white black grey.
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
    w.StretchDIBits24(Rect(0, 0, 30, 20), Rect(200, 300, 1100, 900), 3, 2, [&rgb](int y, uint8_t *row) {
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < 3; ++k)
                row[3 * x + k] = rgb[size_t(y) * 9 + 3 * x + 2 - k];
    });
    w.Record(EMR_SELECTOBJECT, {int(ENHMETA_STOCK_OBJECT | BLACK_PEN)});
    w.Record(EMR_DELETEOBJECT, {1});
    return w.Finish(Rect(0, 0, 793, 1122), Rect(0, 0, 21000, 29700), 4);
}

struct Walk {
    TEmfEnumResult Result;
    std::vector<uint32_t> Types;
};

// Walks a page and decodes every record with the typed readers, touching all
// of the data a player would.
Walk WalkAll(const std::vector<uint8_t> &page)
{
    Walk walk;
    walk.Result = EnumerateEmf(page.data(), page.size(), [&walk](const TEmfRecord &rec) {
        walk.Types.push_back(rec.Type());
        TEmrPoly poly;
        TEmrExtTextOut text;
        TEmrBlt blt;
        TEmrLogFont font;
        switch (rec.Type()) {
        case EMR_POLYGON16: case EMR_POLYGON: case EMR_POLYLINE16: case EMR_POLYLINE:
            EXPECT_TRUE(ParsePoly(rec, poly));
            break;
        case EMR_EXTTEXTOUTW:
            EXPECT_TRUE(ParseExtTextOut(rec, text));
            break;
        case EMR_EXTCREATEFONTINDIRECTW:
            EXPECT_TRUE(ParseLogFont(rec, font));
            break;
        case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_STRETCHDIBITS: {
            EXPECT_TRUE(ParseBlt(rec, blt));
            uint32_t sum = 0;
            for (int y = 0; blt.HasSource && y < blt.Dib.Height; ++y)
                for (int x = 0; x < blt.Dib.Width; ++x)
                    sum += blt.Dib.Pixel(x, y);
            (void)sum;
            break;
        }
        default:
            break;
        }
        return true;
    });
    return walk;
}

} // namespace

TEST(EmfWriter, HeaderFieldsDescribeThePage)
{
    const std::vector<uint8_t> page = SamplePage();
    TEmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(page.data(), page.size(), h));
    EXPECT_EQ(Get32(page, 0), EMR_HEADER);
    EXPECT_EQ(Get32(page, 4), kHeaderSize);
    EXPECT_EQ(h.Signature, 0x464D4520u);
    EXPECT_EQ(h.Version, 0x10000u);
    EXPECT_EQ(h.Bytes, page.size());
    EXPECT_EQ(h.Frame, Rect(0, 0, 21000, 29700));
    EXPECT_EQ(h.Bounds, Rect(0, 0, 793, 1122));
    EXPECT_EQ(h.Handles, 4);
    // A 96 pixels-per-inch reference device.
    EXPECT_EQ(h.Device.cx * 254, h.Millimeters.cx * 96 * 10);
    EXPECT_EQ(h.Device.cy * 254, h.Millimeters.cy * 96 * 10);
    EXPECT_EQ(Get32(page, 100), uint32_t(h.Millimeters.cx) * 1000);
    // nRecords counts every record, header and EOF included; EOF is last.
    const Walk walk = WalkAll(page);
    EXPECT_EQ(h.Records, walk.Types.size());
    EXPECT_EQ(walk.Types.front(), EMR_HEADER);
    EXPECT_EQ(walk.Types.back(), EMR_EOF);
    EXPECT_FALSE(walk.Result.Damaged);
    EXPECT_EQ(walk.Result.Skipped, 0u);
    const size_t eof = page.size() - kEofSize;
    EXPECT_EQ(Get32(page, eof), EMR_EOF);
    EXPECT_EQ(Get32(page, eof + 4), kEofSize);
    EXPECT_EQ(Get32(page, eof + 16), kEofSize); // nSizeLast
}

// Field positions of the public record layout, checked byte by byte.
TEST(EmfWriter, RecordLayout)
{
    const std::vector<uint8_t> page = SamplePage();

    const size_t pen = FindRecord(page, EMR_CREATEPEN);
    EXPECT_EQ(Get32(page, pen + 4), 28u);
    EXPECT_EQ(Get32(page, pen + 8), 1u);                 // ihPen
    EXPECT_EQ(Get32(page, pen + 12), PS_SOLID);          // lopnStyle
    EXPECT_EQ(Get32(page, pen + 16), 30u);               // lopnWidth.x
    EXPECT_EQ(Get32(page, pen + 24), uint32_t(RGB(192, 192, 192)));

    const size_t brush = FindRecord(page, EMR_CREATEBRUSHINDIRECT);
    EXPECT_EQ(Get32(page, brush + 4), 24u);
    EXPECT_EQ(Get32(page, brush + 16), uint32_t(clWhite));

    const size_t font = FindRecord(page, EMR_EXTCREATEFONTINDIRECTW);
    EXPECT_EQ(Get32(page, font + 4), kFontRecordSize);
    EXPECT_EQ(int32_t(Get32(page, font + 12)), -423);    // lfHeight
    EXPECT_EQ(Get32(page, font + 28), uint32_t(FW_BOLD)); // lfWeight
    EXPECT_EQ(page[font + 40], 'C');                     // lfFaceName, UTF-16
    EXPECT_EQ(page[font + 41], 0);
    EXPECT_EQ(page[font + 42], 'a');
    EXPECT_EQ(Get32(page, font + kFontRecordSize - 8), DV_SIGNATURE);

    const size_t poly = FindRecord(page, EMR_POLYGON16);
    EXPECT_EQ(Get32(page, poly + 4), 28u + 3 * 4);
    EXPECT_EQ(Get32(page, poly + 24), 3u);               // cpts
    EXPECT_EQ(Get32(page, poly + 28), 9000u | 9000u << 16);

    const size_t text = FindRecord(page, EMR_EXTTEXTOUTW);
    EXPECT_EQ(Get32(page, text + 36), 1000u);            // ptlReference
    EXPECT_EQ(Get32(page, text + 44), 11u);              // nChars
    EXPECT_EQ(Get32(page, text + 48), 76u);              // offString
    EXPECT_EQ(int32_t(Get32(page, text + 64)), -1);      // rcl right: unclipped
    EXPECT_EQ(Get32(page, text + 72), 76u + 24);         // offDx after the padded string
    EXPECT_EQ(page[text + 76], 'T');
    EXPECT_EQ(Get32(page, text + 100), 100u);
    EXPECT_EQ(Get32(page, text + 4), 76u + 24 + 44);

    const size_t blt = FindRecord(page, EMR_BITBLT);
    EXPECT_EQ(Get32(page, blt + 4), kBitBltFixed);
    EXPECT_EQ(Get32(page, blt + 32), 1000u);             // cxDest
    EXPECT_EQ(Get32(page, blt + 40), PATCOPY);
    EXPECT_EQ(Get32(page, blt + 88), 0u);                // cbBmiSrc: no source

    const size_t dib = FindRecord(page, EMR_STRETCHDIBITS);
    EXPECT_EQ(Get32(page, dib + 48), 80u);               // offBmiSrc
    EXPECT_EQ(Get32(page, dib + 52), 40u);               // cbBmiSrc
    EXPECT_EQ(Get32(page, dib + 56), 120u);              // offBitsSrc
    EXPECT_EQ(Get32(page, dib + 60), 2u * 12);           // two rows of 9 bytes padded to 12
    EXPECT_EQ(Get32(page, dib + 68), SRCCOPY);
    EXPECT_EQ(Get32(page, dib + 72), 900u);              // cxDest
    EXPECT_EQ(page[dib + 80 + 14], 24);                  // biBitCount
    // Bottom-up rows, blue-green-red: the first stored pixel is the bottom-left (white).
    EXPECT_EQ(page[dib + 120], 255);
}

TEST(EmfWriter, TypedReadersGiveBackWhatWasWritten)
{
    const std::vector<uint8_t> page = SamplePage();
    std::vector<uint32_t> seen;
    EnumerateEmf(page.data(), page.size(), [&](const TEmfRecord &rec) {
        seen.push_back(rec.Type());
        if (rec.Type() == EMR_EXTTEXTOUTW) {
            TEmrExtTextOut t;
            EXPECT_TRUE(ParseExtTextOut(rec, t));
            EXPECT_EQ(t.Text, u"Testrapport");
            EXPECT_EQ(t.Dx.size(), 11u);
            EXPECT_EQ(t.Dx.back(), 1100);
            EXPECT_EQ(t.Clip, Rect(0, 0, -1, -1));
        } else if (rec.Type() == EMR_EXTCREATEFONTINDIRECTW) {
            TEmrLogFont f;
            EXPECT_TRUE(ParseLogFont(rec, f));
            EXPECT_EQ(f.FaceName, u"Calibri");
            EXPECT_EQ(f.Handle, 3u);
        } else if (rec.Type() == EMR_STRETCHDIBITS) {
            TEmrBlt b;
            EXPECT_TRUE(ParseBlt(rec, b));
            EXPECT_TRUE(b.HasSource);
            EXPECT_EQ(b.Dib.Width, 3);
            EXPECT_EQ(b.Dib.Height, 2);
            EXPECT_EQ(b.Dib.Pixel(0, 0), 0xFFFF0000u);
            EXPECT_EQ(b.Dib.Pixel(2, 0), 0xFF0000FFu);
            EXPECT_EQ(b.Dib.Pixel(2, 1), 0xFF808080u);
            EXPECT_EQ(b.CxDest, 900);
        } else if (rec.Type() == EMR_BITBLT) {
            TEmrBlt b;
            EXPECT_TRUE(ParseBlt(rec, b));
            EXPECT_FALSE(b.HasSource);
            EXPECT_EQ(b.Rop, PATCOPY);
        }
        return true;
    });
    EXPECT_EQ(std::count(seen.begin(), seen.end(), EMR_EXTTEXTOUTW), 1);
}

TEST(EmfWriter, PolygonsOutsideSixteenBitsUseWidePoints)
{
    TEmfWriter w;
    const TPoint pts[2] = {{0, 0}, {40000, -40000}};
    w.Poly(EMR_POLYLINE16, pts, 2, Rect(0, -40000, 40000, 0));
    const std::vector<uint8_t> page = w.Finish(Rect(0, 0, -1, -1), Rect(0, 0, 100, 100), 1);
    TEmrPoly poly;
    EnumerateEmf(page.data(), page.size(), [&](const TEmfRecord &rec) {
        if (rec.Type() == EMR_POLYLINE) {
            EXPECT_TRUE(ParsePoly(rec, poly));
        }
        EXPECT_NE(rec.Type(), EMR_POLYLINE16);
        return true;
    });
    ASSERT_EQ(poly.Points.size(), 2u);
    EXPECT_EQ(poly.Points[1], Point(40000, -40000));
}

TEST(EmfEnumerator, HandlerCanStop)
{
    const std::vector<uint8_t> page = SamplePage();
    int n = 0;
    const TEmfEnumResult r = EnumerateEmf(page.data(), page.size(), [&n](const TEmfRecord &) { return ++n < 3; });
    EXPECT_TRUE(r.Stopped);
    EXPECT_EQ(n, 3);
}

// Each case damages one field of the sample page. The walk must not crash or
// read outside the page (the suite runs under AddressSanitizer), must keep
// the sound records before the damage, and must skip or end as listed.
struct Damage {
    const char *name;
    void (*apply)(std::vector<uint8_t> &);
    bool skipped;  // the damaged record is skipped and the walk goes on to EOF
    bool ends;     // the page ends at the damage
};

const Damage kDamages[] = {
    {"truncated record", [](std::vector<uint8_t> &b) {
         const size_t at = FindRecord(b, EMR_EXTTEXTOUTW);
         b.resize(at + 40);
         Set32(b, 48, uint32_t(b.size()));
     }, false, true},
    {"record size 0", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_RECTANGLE) + 4, 0); }, false, true},
    {"record size past the end", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_RECTANGLE) + 4, uint32_t(b.size()) + 64);
     }, false, true},
    {"record size not whole words", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_RECTANGLE) + 4, 22); },
     false, true},
    {"record shorter than its fields", [](std::vector<uint8_t> &b) {
         // A LINETO of 8 bytes followed by 8 bytes of filler that read as a record of its own.
         const size_t at = FindRecord(b, EMR_LINETO);
         Set32(b, at + 4, 8);
         Set32(b, at + 8, 0x7FFF);
         Set32(b, at + 12, 8);
     }, true, false},
    {"select of a handle past nHandles", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_SELECTOBJECT) + 8, 4); },
     true, false},
    {"select of handle 0", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_SELECTOBJECT) + 8, 0); }, true, false},
    {"select of an unknown stock object", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_SELECTOBJECT) + 8, ENHMETA_STOCK_OBJECT | 0x1234);
     }, true, false},
    {"pen created past nHandles", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_CREATEPEN) + 8, 70000); },
     true, false},
    {"font created past nHandles", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_EXTCREATEFONTINDIRECTW) + 8, 9);
     }, true, false},
    {"delete past nHandles", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_DELETEOBJECT) + 8, 0xFFFFFFFF); },
     true, false},
    {"huge count in POLYGON16", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, EMR_POLYGON16) + 24, 0x40000000); },
     true, false},
    {"count one past the points in POLYGON16", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_POLYGON16) + 24, 4);
     }, true, false},
    {"huge nChars in EXTTEXTOUTW", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_EXTTEXTOUTW) + 44, 0x80000000u);
     }, true, false},
    {"string offset past the record", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_EXTTEXTOUTW) + 48, 0xFFFFFFF0u);
     }, true, false},
    {"Dx offset past the record", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_EXTTEXTOUTW) + 72, 130);
     }, true, false},
    {"DIB bits offset outside the record", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_STRETCHDIBITS) + 56, 0xFFFFFFF8u);
     }, true, false},
    {"DIB bits size beyond the record", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_STRETCHDIBITS) + 60, 4096);
     }, true, false},
    {"DIB header size beyond the record", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_STRETCHDIBITS) + 52, 0x7FFFFFFF);
     }, true, false},
    {"DIB taller than its bits", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_STRETCHDIBITS) + 80 + 8, 3);
     }, true, false},
    {"DIB of enormous width", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_STRETCHDIBITS) + 80 + 4, 0x7FFFFFFF);
     }, true, false},
    {"DIB of 16 bits per pixel", [](std::vector<uint8_t> &b) {
         b[FindRecord(b, EMR_STRETCHDIBITS) + 80 + 14] = 16;
     }, true, false},
    {"DIB header overlapping the record's fields", [](std::vector<uint8_t> &b) {
         Set32(b, FindRecord(b, EMR_STRETCHDIBITS) + 48, 8);
     }, true, false},
};

class EmfDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(EmfDamage, IsSkippedOrEndsThePage)
{
    const std::vector<uint8_t> good = SamplePage();
    const Walk clean = WalkAll(good);
    std::vector<uint8_t> page = good;
    GetParam().apply(page);
    const Walk walk = WalkAll(page);
    EXPECT_EQ(walk.Result.Damaged, GetParam().ends);
    if (GetParam().skipped) {
        EXPECT_GE(walk.Result.Skipped, 1u);
        EXPECT_EQ(walk.Types.back(), EMR_EOF);
        EXPECT_GE(walk.Result.Handled + walk.Result.Skipped, clean.Result.Handled);
    }
    if (GetParam().ends) {
        EXPECT_LT(walk.Types.size(), clean.Types.size());
        EXPECT_NE(walk.Types.back(), EMR_EOF);
        // Everything before the damage came through.
        EXPECT_TRUE(std::equal(walk.Types.begin(), walk.Types.end(), clean.Types.begin()));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, EmfDamage, ::testing::ValuesIn(kDamages),
                         [](const auto &info) {
                             std::string n = info.param.name;
                             for (char &c : n)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

TEST(EmfEnumerator, HeaderThatIsNotSoundYieldsNothing)
{
    struct Case { const char *name; size_t at; uint32_t value; };
    const Case cases[] = {
        {"signature", 40, 0x12345678},
        {"type", 0, EMR_EOF},
        {"nBytes beyond the data", 48, 1u << 20},
        {"nBytes below the header", 48, 40},
        {"nBytes not whole words", 48, 102},
        {"header size below the minimum", 4, 60},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> page = SamplePage();
        Set32(page, c.at, c.value);
        int handled = 0;
        const TEmfEnumResult r = EnumerateEmf(page.data(), page.size(), [&](const TEmfRecord &) { return ++handled, true; });
        EXPECT_EQ(handled, 0) << c.name;
        EXPECT_TRUE(r.Damaged) << c.name;
    }
    EXPECT_TRUE(EnumerateEmf(nullptr, 0, [](const TEmfRecord &) { return true; }).Damaged);
}

// Random damage to a sound page, many times over with a fixed seed: nothing
// may crash or read out of bounds, and the walk always ends.
TEST(EmfEnumerator, SurvivesRandomDamage)
{
    const std::vector<uint8_t> good = SamplePage();
    std::mt19937 rng(20261210);
    uint64_t handled = 0;
    const int rounds = 3000;
    for (int round = 0; round < rounds; ++round) {
        std::vector<uint8_t> page = good;
        const int edits = 1 + int(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            // Mostly behind the header, so that the walk gets into the records.
            const size_t at = rng() % 16 == 0 ? rng() % page.size() : kHeaderSize + rng() % (page.size() - kHeaderSize);
            switch (rng() % 4) {
            case 0: page[at] = uint8_t(rng()); break;
            case 1: page[at] ^= uint8_t(1u << (rng() % 8)); break;
            case 2: if (at + 4 <= page.size()) Set32(page, at & ~size_t(3), rng()); break;
            default: if (at + 4 <= page.size()) Set32(page, at & ~size_t(3), rng() % 256); break;
            }
        }
        if (rng() % 10 == 0)
            page.resize(rng() % page.size());
        handled += WalkAll(page).Result.Handled;
    }
    EXPECT_GT(handled, uint64_t(rounds) * 10);
}

// ---------------------------------------------------------------------------

TEST(Metafile, SizeInPixelsAndHundredthsOfMillimetres)
{
    TMetafile mf;
    mf.SetWidth(794);
    mf.SetHeight(1123);
    EXPECT_EQ(mf.MMWidth(), 21008);
    EXPECT_EQ(mf.MMHeight(), 29713);
    EXPECT_EQ(mf.Width(), 794);
    EXPECT_EQ(mf.Height(), 1123);
    mf.SetMMWidth(21000);
    EXPECT_EQ(mf.Width(), 794);
}

TEST(Metafile, PagesBackToBackLoadOneAtATime)
{
    TMetafile a, b;
    a.SetBytes(SamplePage());
    b.SetWidth(100);
    b.SetHeight(50); // empty: written as an empty page of its size
    TMemoryStream s;
    a.SaveToStream(s);
    const int64_t first = s.Size();
    b.SaveToStream(s);
    a.SaveToStream(s);
    s.SetPosition(0);

    TMetafile r;
    r.LoadFromStream(s);
    EXPECT_EQ(s.Position(), first);
    EXPECT_EQ(r.Bytes(), a.Bytes());
    EXPECT_EQ(r.MMWidth(), 21000);
    r.LoadFromStream(s);
    EXPECT_EQ(r.MMWidth(), b.MMWidth());
    EXPECT_EQ(r.Height(), 50);
    int records = 0;
    EXPECT_FALSE(r.Enumerate([&](const TEmfRecord &) { return ++records, true; }).Damaged);
    EXPECT_EQ(records, 2); // header and EOF
    r.LoadFromStream(s);
    EXPECT_EQ(r.Bytes(), a.Bytes());
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(Metafile, FrameFollowsTheSizeWhenSaved)
{
    TMetafile mf;
    mf.SetBytes(SamplePage());
    mf.SetMMWidth(29700);
    mf.SetMMHeight(21000);
    TMemoryStream s;
    mf.SaveToStream(s);
    s.SetPosition(0);
    TMetafile r;
    r.LoadFromStream(s);
    EXPECT_EQ(r.Header().Frame, Rect(0, 0, 29700, 21000));
    EXPECT_EQ(r.Width(), 1123);
}

TEST(Metafile, BadStreamsRaiseAndKeepTheContent)
{
    struct Case { const char *name; void (*apply)(std::vector<uint8_t> &); const char *message; };
    const Case cases[] = {
        {"shorter than a header", [](std::vector<uint8_t> &b) { b.resize(60); }, "The metafile is not valid"},
        {"cut off inside the page", [](std::vector<uint8_t> &b) { b.resize(b.size() - 4); }, "The metafile is truncated"},
        {"no signature", [](std::vector<uint8_t> &b) { Set32(b, 40, 0); }, "The metafile is not valid"},
        {"not a header", [](std::vector<uint8_t> &b) { Set32(b, 0, 2); }, "The metafile is not valid"},
        {"absurd byte count", [](std::vector<uint8_t> &b) { Set32(b, 48, 0xFFFFFFF0u); }, "The metafile is not valid"},
        // The frame's width and height are differences of its edges; these
        // do not fit an int.
        {"frame wider than an int", [](std::vector<uint8_t> &b) { Set32(b, 24, 0x80000000u); }, "The metafile is not valid"},
        {"frame taller than an int",
         [](std::vector<uint8_t> &b) {
             Set32(b, 28, 0x80000001u);
             Set32(b, 36, 0x7FFFFFFFu);
         },
         "The metafile is not valid"},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> bytes = SamplePage();
        c.apply(bytes);
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        s.SetPosition(0);
        TMetafile mf;
        mf.SetWidth(10);
        bool changed = false;
        mf.OnChange = [&](TObject *) { changed = true; };
        try {
            mf.LoadFromStream(s);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const EInvalidMetafile &e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
        EXPECT_FALSE(changed) << c.name;
        EXPECT_TRUE(mf.Empty()) << c.name;
        EXPECT_EQ(mf.Width(), 10) << c.name;
    }
}

TEST(Metafile, ChangeNotice)
{
    TMetafile mf;
    int changes = 0;
    mf.OnChange = [&](TObject *sender) {
        EXPECT_EQ(sender, &mf);
        ++changes;
    };
    mf.SetWidth(100);
    EXPECT_EQ(changes, 1);
    mf.SetWidth(100);
    EXPECT_EQ(changes, 1);
    mf.SetBytes(SamplePage());
    EXPECT_EQ(changes, 2);
    mf.Clear();
    EXPECT_EQ(changes, 3);
    mf.Clear();
    EXPECT_EQ(changes, 3);
}
