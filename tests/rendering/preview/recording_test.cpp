// Recording a document: the order of the events, pages in the store, abort,
// calls in the wrong state, and the page mapping that puts page units and
// point sizes where they belong.
#include "platform/metafile/EmfFormat.h"
#include "platform/metafile/MetafilePlayer.h"
#include "tests/rendering/preview/PreviewKit.h"

#include <gtest/gtest.h>

using namespace plat;
using namespace zibor::preview;
using namespace zibor::test;

namespace {

struct EventLog {
    std::vector<std::string> list;
    void Watch(TPrintPreview &pp)
    {
        auto note = [this](const char *what) { return [this, what](TObject *) { list.push_back(what); }; };
        pp.OnBeginDoc = note("BeginDoc");
        pp.OnEndDoc = note("EndDoc");
        pp.OnNewPage = note("NewPage");
        pp.OnEndPage = note("EndPage");
        pp.OnAbort = note("Abort");
        pp.OnChange = note("Change");
        pp.OnStateChange = [this, &pp](TObject *) { list.push_back("State " + std::to_string(pp.State())); };
    }
};

} // namespace

TEST(Recording, EventsComeInOrder)
{
    auto pp = MakePreview();
    EventLog log;
    log.Watch(*pp);
    pp->BeginDoc();
    EXPECT_EQ(log.list, (std::vector<std::string>{"Change", "State 1", "BeginDoc", "NewPage"}));
    log.list.clear();
    pp->NewPage();
    EXPECT_EQ(log.list, (std::vector<std::string>{"EndPage", "Change", "NewPage"}));
    log.list.clear();
    pp->EndDoc();
    EXPECT_EQ(log.list, (std::vector<std::string>{"EndPage", "Change", "EndDoc", "State 0"}));
    log.list.clear();
    pp->BeginDoc();
    pp->Abort();
    EXPECT_EQ(log.list, (std::vector<std::string>{"Change", "State 1", "BeginDoc", "NewPage", "Change", "Abort",
                                                  "State 0"}));
}

TEST(Recording, PagesAbortAndWrongState)
{
    struct Case {
        const char *name;
        std::function<void(TPrintPreview &)> run;
        int pages, current;
        uint8_t state;
    };
    const Case cases[] = {
        {"begin and end give one empty page", [](auto &pp) { pp.BeginDoc(); pp.EndDoc(); }, 1, 1, psReady},
        {"three pages", [](auto &pp) { Record(pp, 3); }, 3, 1, psReady},
        {"abort while recording empties the store",
         [](auto &pp) {
             Record(pp, 2);
             pp.BeginDoc();
             pp.NewPage();
             pp.Abort();
         },
         0, 0, psReady},
        {"abort when ready does nothing", [](auto &pp) { Record(pp, 2); pp.Abort(); }, 2, 1, psReady},
        {"new page and end when ready do nothing", [](auto &pp) { pp.NewPage(); pp.EndDoc(); }, 0, 0, psReady},
        {"begin while recording does nothing",
         [](auto &pp) {
             pp.BeginDoc();
             pp.BeginDoc();
             pp.EndDoc();
         },
         1, 1, psReady},
        {"still recording", [](auto &pp) { pp.BeginDoc(); pp.NewPage(); }, 1, 1, psCreating},
    };
    for (const Case &k : cases) {
        auto pp = MakePreview();
        k.run(*pp);
        EXPECT_EQ(pp->TotalPages(), k.pages) << k.name;
        EXPECT_EQ(pp->CurrentPage(), k.current) << k.name;
        EXPECT_EQ(pp->State(), k.state) << k.name;
        EXPECT_EQ(pp->PaperControl().Visible(), k.pages > 0) << k.name;
        EXPECT_EQ(pp->Pages(0), nullptr);
        EXPECT_EQ(pp->Pages(k.pages + 1), nullptr);
    }
}

TEST(Recording, CanvasOutsideAPageDrawsNowhere)
{
    auto pp = MakePreview();
    TCanvas &idle = pp->Canvas();
    idle.Rectangle(0, 0, 100, 100);  // no target, no failure
    pp->BeginDoc();
    EXPECT_NE(&pp->Canvas(), &idle);
    EXPECT_NE(dynamic_cast<TMetafileCanvas *>(&pp->Canvas()), nullptr);
    pp->EndDoc();
    EXPECT_EQ(&pp->Canvas(), &idle);
}

TEST(Recording, PageMappingPlacesUnitsAndPoints)
{
    auto pp = MakePreview();
    pp->BeginDoc();
    TCanvas &c = pp->Canvas();
    // 12 points in 0.01 mm on A4 at 96 dpi: the font's resolution is
    // MulDiv(96, 29700, 1123) = 2539, so Height = -MulDiv(12, 2539, 72).
    c.Font().SetSize(12);
    EXPECT_EQ(c.Font().Height(), -423);
    c.TextOut(3000, 3000, "A");
    c.Pen().SetWidth(1);
    c.MoveTo(1000, 0);
    c.LineTo(1000, 29700);
    pp->EndDoc();

    // The font went onto the page with that height.
    int fontHeight = 0;
    pp->Pages(1)->Enumerate([&](const emf::TEmfRecord &rec) {
        if (rec.Type() == emf::EMR_EXTCREATEFONTINDIRECTW)
            fontHeight = int32_t(rec.U32(12));
        return true;
    });
    EXPECT_EQ(fontHeight, -423);

    // Played at 96 dpi the line at 1000 units lies on pixel column 38.
    QImage img(794, 1123, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas screen(&img);
    PlayMetafile(screen, *pp->Pages(1), Rect(0, 0, 794, 1123));
    int column = -1;
    for (int x = 0; x < 100 && column < 0; ++x)
        if (qRed(img.pixel(x, 500)) < 128)
            column = x;
    EXPECT_EQ(column, 38);
}

TEST(Recording, UnitsChangedWhileRecordingKeepTheMapping)
{
    auto pp = MakePreview();
    pp->BeginDoc();
    pp->Canvas().Pen().SetWidth(100);
    pp->SetUnits(mmLoMetric);
    EXPECT_EQ(pp->Canvas().Pen().Width(), 10);
    EXPECT_EQ(pp->Canvas().WindowExt().cx, 2100);
    EXPECT_EQ(pp->Canvas().ViewportExt().cx, 794);
    pp->EndDoc();
}

TEST(Recording, AnnotationAndBackgroundLayersAreRecordedPerPage)
{
    auto pp = MakePreview();
    std::vector<int> annotated, backed;
    pp->OnAnnotation = [&](TObject *, int page, TCanvas &c) {
        annotated.push_back(page);
        c.Brush().SetColor(clRed);
        c.FillRect(Rect(0, 0, 21000, 1000));
    };
    pp->OnBackground = [&](TObject *, int page, TCanvas &) { backed.push_back(page); };
    Record(*pp, 3);
    EXPECT_TRUE(annotated.empty());  // off until switched on
    pp->SetAnnotation(true);
    pp->SetBackground(true);
    pp->SetCurrentPage(3);
    EXPECT_EQ(annotated, (std::vector<int>{1, 3}));
    EXPECT_EQ(backed, (std::vector<int>{1, 3}));
    // The annotation shows on the paper.
    TPaperPreview &paper = pp->PaperControl();
    paper.UpdateBuffer();
    const TRect page = paper.GetPageRect();
    const QRgb top = paper.Buffer().pixel(page.Left + 5 - paper.BufferRect().Left, page.Top + 1 - paper.BufferRect().Top);
    EXPECT_EQ(qRed(top), 255);
    EXPECT_EQ(qGreen(top), 0);
}
