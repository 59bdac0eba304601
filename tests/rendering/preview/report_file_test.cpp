// The report file and the page store: what a saved report holds byte by byte,
// that it loads back unchanged, that damaged input is refused whole, and
// that pages edited in place keep the others intact.
#include "platform/core/Files.h"
#include "platform/metafile/EmfFormat.h"
#include "tests/rendering/preview/PreviewKit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using namespace plat;
using namespace zibor::preview;
using namespace zibor::test;

namespace {

// ---- a reader of the saved layout, written from the format alone

struct ReadPage {
    size_t start = 0, size = 0;
};

struct ReadReport {
    bool hasHeader = false;
    int32_t orientation = 0, paperType = 0, width = 0, height = 0;
    std::vector<int32_t> offsets;
    std::vector<ReadPage> pages;
    size_t headSize = 0;  // header and store head, up to the page data
};

uint32_t U32(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// Fails the test on any fault in the layout.
ReadReport ReadLayout(const std::vector<uint8_t> &b)
{
    ReadReport r;
    size_t at = 0;
    if (b.size() >= 4 && U32(b, 0) == 0x13490208) {
        r.hasHeader = true;
        r.orientation = int32_t(U32(b, 4));
        r.paperType = int32_t(U32(b, 8));
        r.width = int32_t(U32(b, 12));
        r.height = int32_t(U32(b, 16));
        at = 20;
    }
    EXPECT_EQ(std::string(b.begin() + long(at), b.begin() + long(at) + 4), "K-PP");
    const uint32_t n = U32(b, at + 4);
    for (uint32_t i = 0; i < n; ++i)
        r.offsets.push_back(int32_t(U32(b, at + 8 + 4 * i)));
    r.headSize = at + 8 + 4 * n;
    const size_t data = r.headSize;
    for (uint32_t i = 0; i < n; ++i) {
        const size_t start = data + size_t(r.offsets[i]);
        const size_t end = i + 1 < n ? data + size_t(r.offsets[i + 1]) : b.size();
        EXPECT_LT(start, end);
        // EMR_HEADER first, its signature, and a byte count that is the extent.
        EXPECT_EQ(U32(b, start), 1u) << "page " << i;
        EXPECT_EQ(U32(b, start + 40), 0x464D4520u) << "page " << i;
        EXPECT_EQ(U32(b, start + 48), end - start) << "page " << i;
        // The end record, found from its size in its last field.
        const uint32_t last = U32(b, end - 4);
        EXPECT_EQ(U32(b, end - last), 14u) << "page " << i << " ends with EMR_EOF";
        r.pages.push_back({start, end - start});
    }
    return r;
}

// What loading must leave alone when it fails.
struct Snapshot {
    int pages, current;
    std::vector<std::vector<uint8_t>> bytes;
    TPaperType type;
    int w, h;
    TPrinterOrientation orientation;
    bool operator==(const Snapshot &) const = default;
};

Snapshot Take(TPrintPreview &pp)
{
    Snapshot s{pp.TotalPages(), pp.CurrentPage(), {}, pp.PaperType(), pp.PaperWidth(), pp.PaperHeight(),
               pp.Orientation()};
    for (int n = 1; n <= pp.TotalPages(); ++n)
        s.bytes.push_back(PageBytes(pp, n));
    return s;
}

// Counts every notification a load could send.
struct EventCount {
    int n = 0;
    void Watch(TPrintPreview &pp)
    {
        pp.OnChange = [this](TObject *) { ++n; };
        pp.OnZoomChange = [this](TObject *) { ++n; };
        pp.OnStateChange = [this](TObject *) { ++n; };
    }
};

// Loads bytes into a preview that already shows a document; the load either
// works or raises EInvalidPreviewData and changes nothing.
void LoadsOrChangesNothing(const std::vector<uint8_t> &bytes, const std::string &what)
{
    auto pp = MakePreview();
    pp->SetOrientation(poLandscape);
    Record(*pp, 2);
    const Snapshot before = Take(*pp);
    EventCount events;
    events.Watch(*pp);
    try {
        Load(*pp, bytes);
    } catch (const EInvalidPreviewData &e) {
        EXPECT_STREQ(e.what(), "The content is not Print Preview data") << what;
        EXPECT_TRUE(Take(*pp) == before) << what << ": a refused load changed the preview";
        EXPECT_EQ(events.n, 0) << what;
        return;
    }
    // Loaded: every page must be readable.
    for (int n = 1; n <= pp->TotalPages(); ++n)
        EXPECT_NE(pp->Pages(n), nullptr) << what;
}

std::vector<uint8_t> ThreePageReport()
{
    auto pp = MakePreview();
    Record(*pp, 3);
    return Saved(*pp);
}

} // namespace

// ---------------------------------------------------------------- round trip

TEST(ReportFile, RoundTripKeepsLayoutAndPages)
{
    struct Case {
        const char *name;
        int pages;
        bool blank;
        TPaperType type;
        bool landscape;
        TUnits units;
    };
    const Case cases[] = {
        {"one page", 1, false, pA4, false, mmHiMetric},
        {"three pages", 3, false, pA4, false, mmHiMetric},
        {"blank pages", 3, true, pA4, false, mmHiMetric},
        {"custom landscape", 2, false, pCustom, true, mmHiMetric},
        {"0.1 mm", 2, false, pA5, false, mmLoMetric},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        auto pp = MakePreview();
        pp->SetUnits(k.units);
        SetPaper(*pp, k.type, k.landscape);
        Record(*pp, k.pages, k.blank ? std::function<void(TCanvas &, int)>() : DrawNumberedPage);
        const std::vector<uint8_t> file = Saved(*pp);

        const ReadReport r = ReadLayout(file);
        ASSERT_TRUE(r.hasHeader);
        EXPECT_EQ(r.orientation, k.landscape ? 1 : 0);
        EXPECT_EQ(r.paperType, int(pp->PaperType()));
        EXPECT_EQ(r.width, ConvertUnits(pp->PaperWidth(), 96, k.units, mmHiMetric));
        EXPECT_EQ(r.height, ConvertUnits(pp->PaperHeight(), 96, k.units, mmHiMetric));
        ASSERT_EQ(r.offsets.size(), size_t(k.pages));
        EXPECT_EQ(r.offsets[0], 0);
        EXPECT_EQ(r.headSize, 28u + 4u * unsigned(k.pages));
        if (k.pages == 1) {
            EXPECT_EQ(r.headSize, 32u);
        }

        auto second = MakePreview();
        second->SetUnits(k.units);
        Load(*second, file);
        ASSERT_EQ(second->TotalPages(), k.pages);
        EXPECT_EQ(second->CurrentPage(), 1);
        for (int n = 1; n <= k.pages; ++n)
            EXPECT_EQ(PageBytes(*second, n), std::vector<uint8_t>(file.begin() + long(r.pages[size_t(n - 1)].start),
                                                                  file.begin() + long(r.pages[size_t(n - 1)].start +
                                                                                      r.pages[size_t(n - 1)].size)))
                << "page " << n;
        EXPECT_EQ(Saved(*second).size(), file.size());
    }
}

TEST(ReportFile, LoadedReportIsA4InCurrentUnitsAndOrientation)
{
    // A header that says Letter landscape gives A4 landscape, as the report is.
    auto source = MakePreview();
    source->SetPaperType(pLetter);
    source->SetOrientation(poLandscape);
    Record(*source, 1);
    const std::vector<uint8_t> file = Saved(*source);
    EXPECT_EQ(I32(file, 8), int(pLetter));

    struct Case {
        TUnits units;
        int w, h, extentH;
    };
    for (const Case &k : {Case{mmHiMetric, 29700, 21000, 794}, Case{mmLoMetric, 2970, 2100, 794},
                          Case{mmPoints, 842, 595, 793}}) {
        auto pp = MakePreview();
        pp->SetUnits(k.units);
        pp->SetPaperType(pA5);
        Load(*pp, file);
        EXPECT_EQ(pp->PaperType(), pA4);
        EXPECT_EQ(pp->Orientation(), poLandscape);
        EXPECT_EQ(pp->PaperWidth(), k.w);
        EXPECT_EQ(pp->PaperHeight(), k.h);
        EXPECT_EQ(pp->PaperExtent().cx, 1123);
        EXPECT_EQ(pp->PaperExtent().cy, k.extentH);
        // Laid out again: the paper control is landscape too.
        EXPECT_GT(pp->PaperControl().PaperWidth(), pp->PaperControl().PaperHeight());
    }
}

TEST(ReportFile, LoadingReplacesTheShownPagesFromTheFirst)
{
    auto source = MakePreview();
    Record(*source, 1, [](TCanvas &c, int) {
        c.Brush().SetColor(clRed);
        c.FillRect(Rect(0, 0, 21000, 29700));
    });
    auto pp = MakePreview();
    Record(*pp, 3);
    pp->SetCurrentPage(3);
    std::vector<int> seen;
    pp->OnChange = [&](TObject *) { seen.push_back(pp->CurrentPage()); };
    Load(*pp, Saved(*source));
    EXPECT_EQ(pp->TotalPages(), 1);
    EXPECT_EQ(pp->CurrentPage(), 1);
    EXPECT_EQ(seen, (std::vector<int>{0, 1}));
    TPaperPreview &paper = pp->PaperControl();
    paper.UpdateBuffer();
    const TRect r = paper.GetPageRect();
    EXPECT_EQ(paper.Buffer().pixel(r.Left + r.Width() / 2 - paper.BufferRect().Left,
                                   r.Top + r.Height() / 2 - paper.BufferRect().Top),
              qRgb(255, 0, 0));
}

TEST(ReportFile, BareStoreBlockLoadsAndKeepsThePaper)
{
    auto source = MakePreview();
    Record(*source, 2);
    TMemoryStream block;
    source->PageStore().SaveToStream(block);
    EXPECT_EQ(std::string(block.Bytes().begin(), block.Bytes().begin() + 4), "K-PP");

    auto pp = MakePreview();
    pp->SetPaperType(pLetter);
    pp->SetOrientation(poLandscape);
    Load(*pp, block.Bytes());
    EXPECT_EQ(pp->TotalPages(), 2);
    EXPECT_EQ(pp->PaperType(), pLetter);
    EXPECT_EQ(pp->Orientation(), poLandscape);
    EXPECT_EQ(PageBytes(*pp, 2), PageBytes(*source, 2));
}

TEST(ReportFile, EmptyStoreWritesMagicAndZeroCount)
{
    auto pp = MakePreview();
    const std::vector<uint8_t> file = Saved(*pp);
    ASSERT_EQ(file.size(), 28u);
    EXPECT_EQ(I32(file, 24), 0);
    auto second = MakePreview();
    Record(*second, 1);
    Load(*second, file);
    EXPECT_EQ(second->TotalPages(), 0);
    EXPECT_EQ(second->CurrentPage(), 0);
    EXPECT_FALSE(second->PaperControl().Visible());
}

// ---------------------------------------------------------------- damaged input

TEST(ReportFile, EachLoadingCheckRefusesTheWholeFile)
{
    const std::vector<uint8_t> good = ThreePageReport();
    const ReadReport r = ReadLayout(good);
    const size_t head = 20, count = head + 4, offs = head + 8;
    const size_t page2 = r.pages[1].start;
    struct Case {
        const char *name;
        std::function<void(std::vector<uint8_t> &)> damage;
    };
    const Case cases[] = {
        {"empty input", [](auto &b) { b.clear(); }},
        {"report header cut at 19 bytes", [](auto &b) { b.resize(19); }},
        {"header without a store", [](auto &b) { b.resize(20); }},
        {"orientation 2", [](auto &b) { PutI32(b, 4, 2); }},
        {"orientation -1", [](auto &b) { PutI32(b, 4, -1); }},
        {"store magic wrong", [=](auto &b) { b[head] = 'X'; }},
        {"negative count", [=](auto &b) { PutI32(b, count, -1); }},
        {"count beyond the offsets there are", [=](auto &b) { PutI32(b, count, 0x3FFFFFFF); }},
        {"count one more", [=](auto &b) { PutI32(b, count, 4); }},
        {"first offset not 0", [=](auto &b) { PutI32(b, offs, 4); }},
        {"offsets equal", [=](auto &b) { PutI32(b, offs + 4, 0); }},
        {"offsets falling", [=](auto &b) { PutI32(b, offs + 8, I32(b, offs + 4) - 4); }},
        {"offset past the data", [=](auto &b) { PutI32(b, offs + 8, int32_t(b.size())); }},
        {"negative offset", [=](auto &b) { PutI32(b, offs + 4, -8); }},
        {"page not a metafile", [=](auto &b) { b[page2 + 40] ^= 0xFF; }},
        {"page byte count short of its extent", [=](auto &b) { PutI32(b, page2 + 48, I32(b, page2 + 48) - 4); }},
        {"page byte count past its extent", [=](auto &b) { PutI32(b, page2 + 48, I32(b, page2 + 48) + 4); }},
        {"page frame wider than a page can be", [=](auto &b) { PutI32(b, page2 + 28, INT32_MIN); }},
        {"last page cut", [](auto &b) { b.resize(b.size() - 4); }},
        {"bytes after the last page", [](auto &b) { b.insert(b.end(), {0, 0, 0, 0}); }},
        {"count 0 with page data", [=](auto &b) { PutI32(b, count, 0); }},
        {"count 0 with page data, no offsets", [=](auto &b) {
             PutI32(b, count, 0);
             b.erase(b.begin() + long(offs), b.begin() + long(offs + 12));
         }},
    };
    for (const Case &k : cases) {
        std::vector<uint8_t> bad = good;
        k.damage(bad);
        auto pp = MakePreview();
        Record(*pp, 2);
        const Snapshot before = Take(*pp);
        EventCount events;
        events.Watch(*pp);
        EXPECT_THROW(Load(*pp, bad), EInvalidPreviewData) << k.name;
        EXPECT_TRUE(Take(*pp) == before) << k.name;
        EXPECT_EQ(events.n, 0) << k.name;
    }
    // The same file whole loads.
    auto pp = MakePreview();
    Load(*pp, good);
    EXPECT_EQ(pp->TotalPages(), 3);
}

TEST(ReportFile, EveryTruncationLoadsOrChangesNothing)
{
    const std::vector<uint8_t> good = ThreePageReport();
    int refused = 0;
    for (size_t len = 0; len < good.size(); ++len) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + long(len));
        auto pp = MakePreview();
        Record(*pp, 2);
        const Snapshot before = Take(*pp);
        try {
            Load(*pp, cut);
        } catch (const EInvalidPreviewData &) {
            ++refused;
            ASSERT_TRUE(Take(*pp) == before) << "cut at " << len;
        }
    }
    // No shorter file is a whole report.
    EXPECT_EQ(refused, int(good.size()));
}

TEST(ReportFile, FlippedHeadBytesLoadOrChangeNothing)
{
    const std::vector<uint8_t> good = ThreePageReport();
    const size_t head = ReadLayout(good).headSize;
    for (size_t at = 0; at < head; ++at)
        for (uint8_t mask : {uint8_t(0x01), uint8_t(0x80), uint8_t(0xFF)}) {
            std::vector<uint8_t> bad = good;
            bad[at] ^= mask;
            LoadsOrChangesNothing(bad, "byte " + std::to_string(at) + " ^ " + std::to_string(mask));
        }
}

// ---------------------------------------------------------------- files

TEST(ReportFile, SaveToFileIsAtomicAndTellsCreateFromWriteErrors)
{
    const std::string dir = CreateTempFile("zrp");
    ASSERT_FALSE(dir.empty());
    DeleteFile(dir);
    ASSERT_TRUE(ForceDirectories(dir));
    const std::string name = dir + "/rapport.zrp";

    auto pp = MakePreview();
    Record(*pp, 2);
    pp->SaveToFile(name);
    auto second = MakePreview();
    second->LoadFromFile(name);
    EXPECT_EQ(second->TotalPages(), 2);
    EXPECT_EQ(PageBytes(*second, 2), PageBytes(*pp, 2));

    // A folder cannot be made into a file; the old file stays as it was.
    EXPECT_THROW(pp->SaveToFile(dir), EFCreateError);
    EXPECT_THROW(pp->SaveToFile(dir + "/missing/rapport.zrp"), EFCreateError);
    // A file size limit lets the file be created but not written whole.
    {
        const std::vector<uint8_t> before = Saved(*second);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1000;
        setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_THROW(pp->SaveToFile(name), EWriteError);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        auto reread = MakePreview();
        reread->LoadFromFile(name);
        EXPECT_EQ(Saved(*reread), before) << "a failed save changed the file";
    }
    EXPECT_THROW(second->LoadFromFile(dir + "/none.zrp"), EFOpenError);
    DeleteFile(name);
    rmdir(dir.c_str());
}

// ---------------------------------------------------------------- page store

namespace {

// Inserts an EMR_COMMENT of size bytes (a multiple of 4, at least 12) filled
// with fill before the end record, and keeps the header's counts right.
std::vector<uint8_t> WithComment(std::vector<uint8_t> page, uint32_t size, uint8_t fill)
{
    const uint32_t eofSize = U32(page, page.size() - 4);
    std::vector<uint8_t> rec(size, fill);
    PutI32(rec, 0, 70);
    PutI32(rec, 4, int32_t(size));
    PutI32(rec, 8, int32_t(size - 12));
    page.insert(page.end() - eofSize, rec.begin(), rec.end());
    PutI32(page, 48, int32_t(page.size()));
    PutI32(page, 52, I32(page, 52) + 1);
    return page;
}

} // namespace

TEST(PageStore, EditInPlaceMovesLaterPagesOnly)
{
    struct Op {
        const char *name;
        int setupComment;   // bytes of a comment the page gets first (0: none)
        uint8_t setupFill;
        int comment;        // bytes of the comment of the edit
        uint8_t fill;
        int delta;
    };
    const Op ops[] = {
        {"grown by 100", 0, 0, 100, 'A', 100},
        {"shrunk by 100", 200, 'A', 100, 'A', -100},
        {"same size", 100, 'A', 100, 'B', 0},
    };
    for (int index = 0; index < 3; ++index)
        for (const Op &op : ops) {
            SCOPED_TRACE(std::string(op.name) + " on page " + std::to_string(index + 1));
            auto pp = MakePreview();
            Record(*pp, 3);
            TMetafileList &store = pp->PageStore();
            const std::vector<uint8_t> original = store.PageBytes(index);
            if (op.setupComment)
                store.Items(index)->SetBytes(WithComment(original, uint32_t(op.setupComment), op.setupFill));
            const std::vector<int32_t> offsets = store.Offsets();
            std::vector<std::vector<uint8_t>> pages;
            for (int i = 0; i < 3; ++i)
                pages.push_back(store.PageBytes(i));

            std::vector<int> edited;
            store.OnPageChange = [&](TObject *, int i) { edited.push_back(i); };
            const std::vector<uint8_t> next = WithComment(original, uint32_t(op.comment), op.fill);
            ASSERT_EQ(int64_t(next.size()) - int64_t(pages[size_t(index)].size()), op.delta);
            store.Items(index)->SetBytes(next);

            EXPECT_EQ(edited, std::vector<int>{index});
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(store.Offsets()[size_t(i)], offsets[size_t(i)] + (i > index ? op.delta : 0)) << i;
                EXPECT_EQ(store.PageBytes(i), i == index ? next : pages[size_t(i)]) << i;
            }
            // Still a sound report.
            auto second = MakePreview();
            Load(*second, Saved(*pp));
            EXPECT_EQ(PageBytes(*second, index + 1), next);
        }
}

TEST(PageStore, EditingTheShownPageNotifiesThePreview)
{
    auto pp = MakePreview();
    Record(*pp, 3);
    pp->SetCurrentPage(2);
    int changes = 0;
    pp->OnChange = [&](TObject *) { ++changes; };
    TMetafile *page = pp->Pages(2);
    page->SetBytes(WithComment(page->Bytes(), 40, 'x'));
    EXPECT_EQ(changes, 1);
    const int draws = pp->PaperControl().PageDraws();
    pp->PaperControl().UpdateBuffer();
    EXPECT_EQ(pp->PaperControl().PageDraws(), draws + 1);
}

TEST(PageStore, ItemsTwiceReadsOnce)
{
    auto pp = MakePreview();
    Record(*pp, 2);
    TMetafileList &store = pp->PageStore();
    TMetafile *a = store.Items(1);
    int loads = 0;
    const auto keep = a->OnChange;
    a->OnChange = [&](TObject *s) { ++loads; keep(s); };
    EXPECT_EQ(store.Items(1), a);
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(store.Items(2), nullptr);
    EXPECT_EQ(store.Items(-1), nullptr);
}

TEST(PageStore, TheFirstRecordedPageIsHeldWithoutReadingItBack)
{
    for (int pages : {1, 3}) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        auto pp = MakePreview();
        Record(*pp, pages);
        TMetafileList &store = pp->PageStore();
        TMetafile *held = store.Items(0);
        ASSERT_NE(held, nullptr);
        int loads = 0;
        const auto keep = held->OnChange;
        held->OnChange = [&](TObject *s) { ++loads; keep(s); };
        // Shown since the first page came, and never read back.
        EXPECT_EQ(pp->Pages(1), held);
        EXPECT_EQ(loads, 0);
        EXPECT_EQ(held->Bytes(), store.PageBytes(0));
        // What the store holds is what a reload gives.
        TMetafile reread;
        TMemoryStream bytes;
        const std::vector<uint8_t> stored = store.PageBytes(0);
        bytes.WriteBuffer(stored.data(), int64_t(stored.size()));
        bytes.SetPosition(0);
        reread.LoadFromStream(bytes);
        EXPECT_EQ(held->MMWidth(), reread.MMWidth());
        EXPECT_EQ(held->MMHeight(), reread.MMHeight());
        EXPECT_EQ(held->Header().Records, reread.Header().Records);
        // And an edit of the held page is written back.
        held->OnChange = keep;
        const std::vector<uint8_t> next = WithComment(stored, 60, 'e');
        held->SetBytes(next);
        EXPECT_EQ(store.PageBytes(0), next);
    }
}

TEST(PageStore, TempFileComesAndGoesWithThePagesKept)
{
    auto pp = MakePreview();
    Record(*pp, 3);
    TMetafileList &store = pp->PageStore();
    std::vector<std::vector<uint8_t>> pages;
    for (int i = 0; i < 3; ++i)
        pages.push_back(store.PageBytes(i));

    pp->SetUseTempFile(true);
    const std::string temp = store.TempFileName();
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(FileExists(temp));
    EXPECT_NE(ExtractFileName(temp).rfind("PP", 0), std::string::npos);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(store.PageBytes(i), pages[size_t(i)]);
    // Recording on a file works as in memory.
    Record(*pp, 3);
    const std::string second = store.TempFileName();
    EXPECT_FALSE(FileExists(temp));
    EXPECT_TRUE(FileExists(second));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(store.PageBytes(i), pages[size_t(i)]);

    pp->SetUseTempFile(false);
    EXPECT_FALSE(FileExists(second));
    EXPECT_TRUE(store.TempFileName().empty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(store.PageBytes(i), pages[size_t(i)]);

    pp->SetUseTempFile(true);
    const std::string third = store.TempFileName();
    EXPECT_TRUE(FileExists(third));
    store.Clear();
    EXPECT_FALSE(FileExists(third));
    EXPECT_EQ(store.Count(), 0);
}
