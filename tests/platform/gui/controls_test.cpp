// The standard controls as the windows use them: pictures, labels, radio
// groups, combo boxes, check boxes, panels and grid panels, the data-only
// grid, menus and the custom-control base.
#include "platform/gui/Application.h"
#include "platform/gui/CustomControls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/TrayIcon.h"
#include "tests/support/MouseKeys.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QAbstractButton>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace plat;
using zibor::test::TWindowDriver;

namespace {

struct FormFixture : ::testing::Test {
    TWindowDriver drv;
    TForm *form = MakeForm<TForm>(nullptr);
    void SetUp() override
    {
        form->SetBorderStyle(TFormBorderStyle::bsNone);
        form->SetBounds(0, 0, 200, 150);
        form->SetColor(clAqua);
        form->Show();
    }
    void TearDown() override
    {
        form->Hide();
        form->Free();
    }
    template <class T>
    T *Place(int l, int t, int w, int h)
    {
        auto *c = new T(form);
        c->SetParent(form);
        c->SetBounds(l, t, w, h);
        return c;
    }
    QImage Shot(TControl &c) { return c.Widget()->grab().toImage(); }
};

std::unique_ptr<TBitmap> Picture(int w, int h, TColor fill)
{
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush().SetColor(fill);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

TEST_F(FormFixture, ImageDestinationFollowsStretchProportionalAndCenter)
{
    struct Case {
        const char *name;
        int pw, ph;
        bool stretch, proportional, center;
        TRect expected;
    };
    // The control is 100 x 50.
    const Case cases[] = {
        {"plain", 40, 20, false, false, false, Rect(0, 0, 40, 20)},
        {"centred", 40, 20, false, false, true, Rect(30, 15, 70, 35)},
        {"stretched", 40, 20, true, false, false, Rect(0, 0, 100, 50)},
        {"stretched in proportion, wide", 40, 10, true, true, false, Rect(0, 0, 100, 25)},
        {"stretched in proportion, tall", 10, 40, true, true, true, Rect(44, 0, 56, 50)},
        {"proportional shrinks what does not fit", 200, 50, false, true, false, Rect(0, 0, 100, 25)},
        {"proportional leaves a small picture", 20, 10, false, true, false, Rect(0, 0, 20, 10)},
    };
    auto *img = Place<TImage>(0, 0, 100, 50);
    for (const Case &c : cases) {
        img->SetStretch(c.stretch);
        img->SetProportional(c.proportional);
        img->SetCenter(c.center);
        img->Picture().SetGraphic(Picture(c.pw, c.ph, clRed));
        EXPECT_EQ(img->DestRect(), c.expected) << c.name;
    }
}

TEST_F(FormFixture, ImageLoadsFromAStreamPaintsAndClicks)
{
    auto *img = Place<TImage>(10, 10, 20, 20);
    TMemoryStream bytes;
    Picture(10, 10, clRed)->SaveToStream(bytes);
    bytes.SetPosition(0);
    img->Picture().LoadFromStream(bytes);
    ASSERT_EQ(img->Picture().Width(), 10);
    const QImage shot = Shot(*form);
    EXPECT_EQ(shot.pixelColor(15, 15), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(25, 25), QColor(0, 255, 255)) << "outside the picture the window shows";
    int clicks = 0;
    img->OnClick = [&](TObject *) { ++clicks; };
    EXPECT_TRUE(drv.Click(*img));
    EXPECT_EQ(clicks, 1);
    img->SetVisible(false);
    EXPECT_FALSE(drv.Click(*img));
    EXPECT_EQ(clicks, 1);
}

// A JPEG shows the same pixels whether the control draws it straight on the
// window (at the picture's own size) or through its own surface (scaled, see
// through, or with a paint handler): the picture where it lands, the window
// around it.
TEST_F(FormFixture, AJpegShowsItsPixelsAndTheWindowAroundIt)
{
    std::ifstream in(std::string(ZIBOR_SOURCE_DIR) + "/tests/platform/fixtures/canvas/halves.jpg", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    struct Case {
        const char *what;
        bool stretch, center, transparent, painted;
    };
    for (const Case &c : {Case{"own size, at the corner", false, false, false, false},
                          Case{"own size, centred in a larger control", false, true, false, false},
                          Case{"stretched to the control", true, false, false, false},
                          Case{"see-through", false, true, true, false},
                          Case{"with a paint handler", false, true, false, true}}) {
        auto *img = Place<TImage>(20, 30, 40, 24);
        img->SetStretch(c.stretch);
        img->SetCenter(c.center);
        img->SetTransparent(c.transparent);
        if (c.painted)
            img->OnPaint = [](TObject *) {};
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.SetPosition(0);
        img->Picture().LoadFromStream(stream);
        ASSERT_EQ(img->Picture().Width(), 16) << c.what;

        QImage expected(200, 150, QImage::Format_RGB32);
        expected.fill(QColor(0, 255, 255));
        {
            TCanvas canvas(&expected);
            const TRect r = img->DestRect();
            canvas.StretchDraw(Rect(20 + r.Left, 30 + r.Top, 20 + r.Right, 30 + r.Bottom), *img->Picture().Graphic());
        }
        EXPECT_EQ(Shot(*form).convertToFormat(QImage::Format_RGB32), expected) << c.what;
        delete img;
    }
}

TEST_F(FormFixture, LabelsShowTheirCaptionWithoutAcceleratorsAndFitIt)
{
    auto *l = Place<TLabel>(0, 0, 10, 10);
    l->SetCaption("Naam &proefpersoon");
    l->SetTransparent(true);
    EXPECT_EQ(l->Caption(), "Naam &proefpersoon");
    EXPECT_GT(l->Width(), 10) << "auto size";
    int clicks = 0;
    l->OnClick = [&](TObject *) { ++clicks; };
    drv.Click(*l);
    EXPECT_EQ(clicks, 1);
}

// A label fitted while its window is built measures with the font it has at
// that moment, as one fitted on a built window does, though the font
// reaches its widget only when the window is built.
TEST_F(FormFixture, ALabelFittedWhileTheWindowBuildsHasTheSizeOfOneFittedAtOnce)
{
    struct Case {
        const char *what;
        bool fontFirst;
    };
    const Case cases[] = {{"font, then caption", true}, {"caption, then font", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto describe = [&](TLabel &l) {
            auto font = [&] {
                l.Font().SetName("Arial");
                l.Font().SetSize(20);
                l.Font().SetStyle(fsBold);
            };
            if (c.fontFirst)
                font();
            l.SetCaption("Foneemverwisseling");
            if (!c.fontFirst)
                font();
        };
        TLabel *built = nullptr;
        {
            TLoadingScope loading(*form);
            built = Place<TLabel>(0, 0, 10, 10);
            describe(*built);
        }
        auto *direct = Place<TLabel>(0, 50, 10, 10);
        describe(*direct);
        EXPECT_EQ(built->Width(), direct->Width());
        EXPECT_EQ(built->Height(), direct->Height());
        EXPECT_EQ(built->Widget()->font(), direct->Widget()->font());
        delete built;
        delete direct;
    }
}

TEST_F(FormFixture, RadioGroupItemIndexAndClicks)
{
    auto *rg = Place<TRadioGroup>(0, 0, 150, 60);
    std::vector<int> clicks;
    rg->OnClick = [&](TObject *) { clicks.push_back(rg->ItemIndex()); };
    rg->Items().Add("Meisje");
    rg->Items().Add("Jongen");
    auto checked = [&] {
        std::vector<bool> out;
        for (auto *b : rg->Widget()->findChildren<QRadioButton *>())
            out.push_back(b->isChecked());
        return out;
    };
    EXPECT_EQ(rg->ItemIndex(), -1);
    EXPECT_EQ(checked(), (std::vector<bool>{false, false}));
    rg->SetItemIndex(1);
    EXPECT_EQ(checked(), (std::vector<bool>{false, true}));
    rg->SetItemIndex(1);
    rg->SetItemIndex(-1);
    EXPECT_EQ(checked(), (std::vector<bool>{false, false})) << "no item chosen shows none";
    EXPECT_EQ(clicks, (std::vector<int>{1})) << "choosing from code clicks; the same index or none does not";
    EXPECT_TRUE(drv.ClickItem(*rg, 0));
    EXPECT_EQ(rg->ItemIndex(), 0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
    rg->SetItemIndex(7);
    EXPECT_EQ(rg->ItemIndex(), 1) << "beyond the last item: the last";

    rg->SetEnabled(false);
    EXPECT_FALSE(drv.ClickItem(*rg, 0));
    rg->SetEnabled(true);

    const auto x = [&](int i) { return rg->Widget()->findChildren<QRadioButton *>()[i]->geometry().x(); };
    rg->SetColumns(2);
    rg->Widget()->layout()->activate();
    EXPECT_LT(x(0), x(1)) << "two columns side by side";
    rg->SetColumns(1);
    rg->Widget()->layout()->activate();
    EXPECT_EQ(x(0), x(1));
}

TEST_F(FormFixture, ARadioGroupBuiltFromADescriptionDoesNotClick)
{
    auto *rg = new TRadioGroup(form);
    int clicks = 0;
    {
        TLoadingScope loading(*form);
        rg->SetParent(form);
        rg->OnClick = [&](TObject *) { ++clicks; };
        rg->Items().Add("A");
        rg->Items().Add("B");
        rg->SetItemIndex(0);
    }
    EXPECT_EQ(rg->ItemIndex(), 0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(FormFixture, ComboBoxChangesOnlyForTheUser)
{
    auto *cb = Place<TComboBox>(0, 0, 100, 21);
    cb->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char *z : {"50%", "100%", "150%", "200%", "Paginabreedte", "Hele pagina"})
        cb->Items().Add(z);
    int changes = 0;
    cb->OnChange = [&](TObject *) { ++changes; };
    cb->SetItemIndex(4);
    EXPECT_EQ(cb->Text(), "Paginabreedte");
    EXPECT_EQ(changes, 0);
    cb->SetItemIndex(6);
    EXPECT_EQ(cb->ItemIndex(), -1) << "an index past the items selects nothing";
    EXPECT_EQ(cb->Text(), "");
    auto *q = static_cast<QComboBox *>(cb->Widget());
    emit q->activated(1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(cb->ItemIndex(), 1);
    cb->Font().SetColor(clGreen);
    cb->SetItemColor(0, clRed);
    EXPECT_EQ(cb->ItemColor(0), clRed);
    EXPECT_EQ(cb->ItemColor(1), clGreen);
    EXPECT_EQ(q->itemData(0, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
}

TEST_F(FormFixture, AnOwnerDrawnListShowsEachItemInItsOwnColour)
{
    // The correction window's score lists: "F" red, "G" dark green.
    auto *cb = Place<TComboBox>(0, 0, 40, 21);
    cb->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    cb->Items().Add("F");
    cb->Items().Add("G");
    cb->SetItemColor(0, RGB(255, 0, 0));
    cb->SetItemColor(1, RGB(0, 128, 0));
    auto *q = static_cast<QComboBox *>(cb->Widget());
    EXPECT_FALSE(q->isEditable());
    EXPECT_EQ(q->itemData(1, Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
    cb->SetItemIndex(0);
    EXPECT_EQ(q->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    emit q->activated(1);
    EXPECT_EQ(q->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
    cb->Font().SetColor(clBlue);
    EXPECT_EQ(q->palette().color(QPalette::ButtonText), QColor(0, 128, 0)) << "the item's own colour wins";
    cb->SetItemIndex(-1);
    EXPECT_EQ(q->palette().color(QPalette::ButtonText), QColor(0, 0, 255));
}

// Lists made while a window builds take their style when it is settled: the
// editable one gets its editing field and keeps a text set meanwhile; a
// drop-down list never gets one.
TEST_F(FormFixture, ListsBuiltWithTheWindowTakeTheirStyleOnceBuilt)
{
    TComboBox *editable = nullptr, *list = nullptr, *typed = nullptr;
    {
        TLoadingScope loading(*form);
        editable = Place<TComboBox>(0, 0, 60, 21);
        list = Place<TComboBox>(0, 30, 60, 21);
        list->SetStyle(TComboBoxStyle::csDropDownList);
        list->Items().Add("F");
        list->Items().Add("G");
        list->SetItemIndex(1);
        typed = Place<TComboBox>(0, 60, 60, 21);
        typed->SetText("vrij");
    }
    auto *e = static_cast<QComboBox *>(editable->Widget());
    auto *l = static_cast<QComboBox *>(list->Widget());
    EXPECT_TRUE(e->isEditable());
    EXPECT_NE(e->lineEdit(), nullptr);
    EXPECT_FALSE(l->isEditable());
    EXPECT_EQ(l->currentIndex(), 1);
    EXPECT_EQ(list->Text(), "G");
    EXPECT_TRUE(static_cast<QComboBox *>(typed->Widget())->isEditable());
    EXPECT_EQ(typed->Text(), "vrij") << "a text set while building is kept";
}

TEST_F(FormFixture, HintsShowWhereTheWindowOrTheControlAsksForThem)
{
    auto *about = Place<TImage>(0, 0, 10, 10);
    about->SetHint("Programma-info");
    EXPECT_TRUE(about->Widget()->toolTip().isEmpty()) << "the window shows no hints by default";
    form->SetShowHint(true);
    EXPECT_EQ(about->Widget()->toolTip(), "Programma-info");
    about->SetShowHint(false);
    EXPECT_TRUE(about->Widget()->toolTip().isEmpty());
    about->SetParentShowHint(true);
    Application()->SetShowHint(false);
    EXPECT_TRUE(about->Widget()->toolTip().isEmpty()) << "the application can turn all hints off";
    Application()->SetShowHint(true);
    EXPECT_EQ(about->Widget()->toolTip(), "Programma-info");
}

TEST_F(FormFixture, CheckBoxClicksOnEveryChange)
{
    auto *c = Place<TCheckBox>(0, 0, 100, 17);
    int clicks = 0;
    c->OnClick = [&](TObject *) { ++clicks; };
    c->SetChecked(true);
    c->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    drv.Click(*c);
    EXPECT_FALSE(c->Checked());
    EXPECT_EQ(clicks, 2);
}

TEST_F(FormFixture, AlignedChildrenFillThePanelInsideItsBevels)
{
    auto *p = Place<TPanel>(0, 0, 200, 150);
    p->SetAlign(TAlign::alClient);
    auto *top = new TPanel(form);
    top->SetParent(p);
    top->SetHeight(70);
    top->SetAlign(TAlign::alTop);
    auto *rest = new TPanel(form);
    rest->SetParent(p);
    rest->SetAlign(TAlign::alClient);
    EXPECT_EQ(p->BoundsRect(), Rect(0, 0, 200, 150));
    EXPECT_EQ(top->BoundsRect(), Rect(1, 1, 199, 71)) << "inside the raised bevel";
    EXPECT_EQ(rest->BoundsRect(), Rect(1, 71, 199, 149));
    top->SetVisible(false);
    EXPECT_EQ(rest->BoundsRect(), Rect(1, 1, 199, 149));
    p->SetBevelOuter(TBevelCut::bvNone);
    EXPECT_EQ(rest->BoundsRect(), Rect(0, 0, 200, 150));
}

TEST_F(FormFixture, GridPanelCellsOfAbsolutePercentAndAutomaticSize)
{
    auto *g = Place<TCustomGridPanel>(0, 0, 671, 66);
    g->SetBevelOuter(TBevelCut::bvNone);
    g->ColumnCollection().assign(12, TCellItem{TSizeStyle::ssAbsolute, 55});
    g->RowCollection() = {{TSizeStyle::ssPercent, 50}, {TSizeStyle::ssPercent, 50}, {TSizeStyle::ssAuto, 0}};
    auto *label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 20, 14);
    g->AddControl(label, 3, 2);
    auto *fill = new TPanel(form);
    fill->SetAlign(TAlign::alClient);
    g->AddControl(fill, 0, 0);
    EXPECT_EQ(g->CellRect(3, 2), Rect(165, 52, 220, 66)) << "the automatic row is as high as its label";
    EXPECT_EQ(g->CellRect(0, 1), Rect(0, 26, 55, 52));
    EXPECT_EQ(label->BoundsRect(), Rect(182, 52, 202, 66)) << "centred in its cell";
    EXPECT_EQ(fill->BoundsRect(), Rect(0, 0, 55, 26));
    delete label;
    EXPECT_EQ(g->ControlCollection().size(), 1u) << "a freed control leaves its cell";
}

// A custom control that records what reaches it.
class Probe : public TCustomControl {
public:
    explicit Probe(TComponent *owner) : TCustomControl(owner) {}
    std::vector<std::string> log;
    void Paint() override
    {
        log.push_back("paint");
        Canvas().Brush().SetColor(clRed);
        Canvas().FillRect(Rect(0, 0, 5, 5));
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        TCustomControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        log.push_back("up");
        TCustomControl::MouseUp(b, s, x, y);
    }
    void MouseEnter() override { log.push_back("enter"); }
    void MouseLeave() override { log.push_back("leave"); }
    void EnabledChanged() override
    {
        log.push_back(Enabled() ? "enabled" : "disabled");
        TCustomControl::EnabledChanged();
    }
    void FontChanged() override
    {
        log.push_back("font");
        TCustomControl::FontChanged();
    }
    void ColorChanged() override
    {
        log.push_back("colour");
        TCustomControl::ColorChanged();
    }
};

TEST_F(FormFixture, ACustomControlPaintsItsCanvasInOneCopy)
{
    auto *p = Place<Probe>(10, 10, 20, 20);
    p->SetColor(clBlue);
    p->log.clear();
    const QImage shot = Shot(*p);
    EXPECT_EQ(p->log, (std::vector<std::string>{"paint"}));
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(12, 12), QColor(0, 0, 255)) << "erased with its colour first";
}

TEST_F(FormFixture, ACustomControlHearsMouseFocusAndPropertyNotices)
{
    auto *p = Place<Probe>(10, 10, 20, 20);
    p->log.clear();
    drv.Click(*p);
    EXPECT_EQ(p->log, (std::vector<std::string>{"down 10,10", "up"}));
    p->log.clear();
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(p->Widget(), &enter);
    QApplication::sendEvent(p->Widget(), &leave);
    p->SetEnabled(false);
    p->Font().SetStyle(fsBold);
    p->SetColor(clYellow);
    EXPECT_EQ(p->log, (std::vector<std::string>{"enter", "leave", "disabled", "font", "colour"}));
    EXPECT_FALSE(p->ParentFont()) << "an own font leaves the parent's";

    EXPECT_EQ(p->Widget()->focusPolicy(), Qt::NoFocus);
    p->SetTabStop(true);
    EXPECT_EQ(p->Widget()->focusPolicy(), Qt::StrongFocus);
}

// A control that shows its parent through: the way the custom-drawn
// controls erase when they are transparent.
class SeeThrough : public TCustomControl {
public:
    explicit SeeThrough(TComponent *owner) : TCustomControl(owner) {}
    void EraseBackground(TCanvas &c) override
    {
        const QImage behind = ParentBackground(*this);
        c.StretchDrawImage(ClientRect(), behind, Rect(0, 0, behind.width(), behind.height()));
    }
};

TEST_F(FormFixture, ATransparentCustomControlShowsItsParentsBackground)
{
    auto *panel = Place<TPanel>(20, 20, 100, 60);
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetColor(clOlive);
    auto *see = new SeeThrough(form);
    see->SetParent(panel);
    see->SetBounds(10, 10, 30, 20);
    const QImage shot = Shot(*form);
    EXPECT_EQ(shot.pixelColor(20 + 10 + 15, 20 + 10 + 10), QColor(128, 128, 0));
}

TEST_F(FormFixture, ChildrenFollowTheParentsFontUntilTheyHaveTheirOwn)
{
    auto *panel = Place<TPanel>(0, 0, 100, 100);
    auto *a = new TLabel(form), *b = new TLabel(form);
    a->SetParent(panel);
    b->SetParent(panel);
    b->Font().SetName("Arial");
    panel->Font().SetHeight(-20);
    EXPECT_EQ(a->Font().Height(), -20);
    EXPECT_EQ(b->Font().Height(), -11);
    EXPECT_EQ(b->Font().Name(), "Arial");
}

TEST(GuiData, HiddenGridAndMemoKeepData)
{
    TStringGrid g(nullptr);
    g.SetColCount(3);
    g.SetRowCount(15);
    g.SetCells(2, 14, "1");
    g.SetCells(3, 0, "outside");
    EXPECT_EQ(g.Cells(2, 14), "1");
    EXPECT_EQ(g.Cells(3, 0), "");
    g.SetRowCount(200);
    g.SetColCount(2);
    EXPECT_EQ(g.Cells(2, 14), "");
    g.SetCells(1, 199, "x");
    EXPECT_EQ(g.Cells(1, 199), "x");
    g.SetColWidths(0, 30);
    EXPECT_EQ(g.ColWidths(0), 30);

    TMemo m(nullptr);
    m.Lines().Add("kind_1-2-2024");
    m.Lines().Add("0");
    EXPECT_EQ(m.Text(), "kind_1-2-2024\r\n0\r\n");
    EXPECT_EQ(m.Widget(), nullptr);
}

TEST(GuiData, ProgressBarStaysInItsRange)
{
    TProgressBar bar(nullptr);
    bar.SetStep(1);
    for (int i = 0; i < 99; ++i)
        bar.StepIt();
    EXPECT_EQ(bar.Position(), 99);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(250);
    EXPECT_EQ(bar.Position(), 100);
}

// A shown bar is not painted while its position is set, but in the next pass
// of the event loop and only over what changed; that strip painted over the
// old bar must give the bar that a full paint of the new position gives.
TEST_F(FormFixture, ProgressBarPaintsWhatChangedLater)
{
    struct PaintLog : QObject {
        QRegion painted;
        int count = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                painted += static_cast<QPaintEvent *>(e)->region();
                ++count;
            }
            return false;
        }
    };
    struct Case {
        int from;
        int to; // -1: StepIt
        int step;
        bool strip; // not the first step off the start, nor the wrap back to it
    };
    const Case cases[] = {{0, -1, 1, false},  {39, -1, 1, true},  {99, -1, 1, true}, {100, -1, 1, false},
                          {10, 90, 1, false}, {90, 10, 1, false}, {50, -1, 7, true}};
    auto *bar = Place<TProgressBar>(5, 5, 190, 20);
    QWidget *w = bar->Widget();
    for (const Case &c : cases) {
        bar->SetStep(c.step);
        bar->SetPosition(c.from);
        QApplication::processEvents();
        QImage shown = w->grab().toImage();
        PaintLog log;
        w->installEventFilter(&log);
        if (c.to < 0)
            bar->StepIt();
        else
            bar->SetPosition(c.to);
        EXPECT_EQ(log.count, 0) << c.from;
        QApplication::processEvents();
        w->removeEventFilter(&log);
        ASSERT_FALSE(log.painted.isEmpty()) << c.from;
        if (c.strip) {
            EXPECT_LT(log.painted.boundingRect().width(), w->width() / 2) << c.from;
        }
        QPainter p(&shown);
        w->render(&p, log.painted.boundingRect().topLeft(), log.painted);
        p.end();
        EXPECT_EQ(shown, w->grab().toImage()) << c.from << " -> " << bar->Position();
    }
}

TEST(GuiMenus, ShortcutsAcceleratorsAndItemClicks)
{
    struct Case {
        const char *text;
        TShortCut value;
    };
    const Case cases[] = {{"Alt+F4", static_cast<TShortCut>(scAlt | VK_F4)},
                          {"Ctrl+S", static_cast<TShortCut>(scCtrl | 'S')},
                          {"F1", VK_F1},
                          {"Shift+Ctrl+Del", static_cast<TShortCut>(scShift | scCtrl | VK_DELETE)},
                          {"Hyper+Q", 0}};
    for (const Case &c : cases) {
        EXPECT_EQ(TextToShortCut(c.text), c.value) << c.text;
        if (c.value) {
            EXPECT_EQ(ShortCutToText(c.value), c.text);
        }
    }

    TComponent owner;
    auto *menu = new TPopupMenu(&owner);
    auto *prev = new TMenuItem(&owner);
    prev->SetCaption("&Vorig formaat");
    prev->SetEnabled(false);
    auto *exit = new TMenuItem(&owner);
    exit->SetCaption("Sluiten");
    exit->SetShortCut(TextToShortCut("Alt+F4"));
    menu->Items()->Add(prev);
    menu->Items()->Add(exit);
    int exits = 0, prevs = 0;
    exit->OnClick = [&](TObject *) { ++exits; };
    prev->OnClick = [&](TObject *) { ++prevs; };
    ASSERT_EQ(menu->Menu()->actions().size(), 2);
    EXPECT_EQ(menu->Menu()->actions()[0]->text(), "&Vorig formaat");
    EXPECT_EQ(menu->Menu()->actions()[1]->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    menu->Menu()->actions()[1]->trigger();
    menu->Menu()->actions()[0]->trigger();
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(prevs, 0) << "a disabled item does nothing";
    EXPECT_TRUE(menu->IsShortCut(TextToShortCut("Alt+F4")));
    EXPECT_EQ(exits, 2);
    menu->Popup(10, 10);
    EXPECT_TRUE(menu->Menu()->isVisible()) << "the menu is up and Popup has returned";
    menu->Menu()->hide();
}

TEST(GuiMenus, TheTrayIconIsSilentlyAbsentWithoutANotificationArea)
{
    TComponent owner;
    auto *menu = new TPopupMenu(&owner);
    auto *tray = new TTrayIcon(&owner);
    tray->SetPopupMenu(menu);
    tray->SetHint("Zibolka Test Revised");
    tray->SetVisible(true);
    EXPECT_TRUE(tray->Visible());
    std::vector<TMouseButton> downs;
    tray->OnMouseDown = [&](TObject *, TMouseButton b, TShiftState, int, int) { downs.push_back(b); };
    tray->MouseDown(TMouseButton::mbLeft, 5, 5);
    EXPECT_FALSE(menu->Menu()->isVisible());
    tray->MouseDown(TMouseButton::mbRight, 5, 5);
    EXPECT_TRUE(menu->Menu()->isVisible()) << "the right button shows the menu";
    menu->Menu()->hide();
    EXPECT_EQ(downs.size(), 2u);
    delete menu;
    tray->MouseDown(TMouseButton::mbRight, 5, 5); // the freed menu is forgotten
    tray->SetVisible(false);
}

TEST_F(FormFixture, TheTransparentColourCutsTheWindowsShape)
{
    auto *pic = Place<TPanel>(50, 50, 40, 30);
    pic->SetBevelOuter(TBevelCut::bvNone);
    pic->SetColor(clRed);
    form->SetTransparentColorValue(clAqua);
    form->SetTransparentColor(true);
    const QRegion shape = form->Widget()->mask();
    EXPECT_TRUE(shape.contains(QPoint(60, 60))) << "the picture stays";
    EXPECT_FALSE(shape.contains(QPoint(5, 5))) << "the aqua background goes";
    form->SetTransparentColor(false);
    EXPECT_TRUE(form->Widget()->mask().isEmpty());
}

} // namespace

// The mouse of a person reaches a control whatever its state; a disabled
// control (or one inside a disabled parent) must not act on it, as a
// navigation picture that is switched off must not lead anywhere.
TEST_F(FormFixture, ADisabledControlTakesNoMouseClick)
{
    auto *img = Place<TImage>(10, 10, 20, 20);
    auto *button = Place<TButton>(40, 10, 60, 20);
    auto *panel = Place<TPanel>(110, 10, 60, 60);
    auto *inner = new TImage(form);
    inner->SetParent(panel);
    inner->SetBounds(5, 5, 20, 20);
    int clicks = 0, downs = 0;
    for (TControl *c : std::initializer_list<TControl *>{img, button, inner}) {
        c->OnClick = [&](TObject *) { ++clicks; };
        c->OnMouseDown = [&](TObject *, TMouseButton, TShiftState, int, int) { ++downs; };
    }
    struct Case {
        const char *what;
        TControl *clicked;
        TControl *disabled;
    };
    for (const Case &k : {Case{"picture", img, img}, Case{"button", button, button},
                          Case{"picture in a disabled panel", inner, panel}}) {
        SCOPED_TRACE(k.what);
        clicks = downs = 0;
        k.disabled->SetEnabled(false);
        zibor::test::MousePress(*k.clicked, 5, 5);
        zibor::test::MouseRelease(*k.clicked, 5, 5);
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(downs, 0);
        k.disabled->SetEnabled(true);
        zibor::test::MousePress(*k.clicked, 5, 5);
        zibor::test::MouseRelease(*k.clicked, 5, 5);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(downs, 1);
    }
}

// Qt hands a press, move or release that a widget leaves unaccepted on to
// the parents; the window system gives a control's mouse input to that
// control alone, and a disabled one lets it through to what lies beneath.
namespace {
struct MouseLog : FormFixture {
    std::vector<std::string> log;
    void Watch(TControl &c, const std::string &name)
    {
        c.OnMouseDown = [this, name](TObject *, TMouseButton, TShiftState s, int, int) {
            log.push_back(name + (s & ssDouble ? " down (double)" : " down"));
        };
        c.OnMouseMove = [this, name](TObject *, TShiftState, int, int) { log.push_back(name + " move"); };
        c.OnMouseUp = [this, name](TObject *, TMouseButton, TShiftState, int, int) { log.push_back(name + " up"); };
        c.OnDblClick = [this, name](TObject *) { log.push_back(name + " double click"); };
    }
    template <class T>
    T *In(TWinControl &parent, int l, int t, int w, int h)
    {
        auto *c = new T(form);
        c->SetParent(&parent);
        c->SetBounds(l, t, w, h);
        return c;
    }
};
} // namespace

TEST_F(MouseLog, AControlsMouseInputDoesNotReachItsParents)
{
    auto *panel = Place<TPanel>(10, 10, 180, 100);
    auto *custom = In<TCustomControl>(*panel, 5, 5, 40, 30);
    auto *label = In<TLabel>(*panel, 60, 5, 40, 20);
    label->SetCaption("Naam");
    auto *picture = In<TImage>(*panel, 110, 5, 40, 30);
    Watch(*form, "form");
    Watch(*panel, "panel");
    Watch(*custom, "custom");
    Watch(*label, "label");
    Watch(*picture, "picture");
    const struct {
        const char *name;
        TControl *control;
    } cases[] = {{"custom", custom}, {"label", label}, {"picture", picture}, {"panel", panel}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        zibor::test::MousePress(*c.control, 5, 5);
        zibor::test::MouseMoveTo(*c.control, 6, 6);
        zibor::test::MouseRelease(*c.control, 6, 6);
        const std::string n = c.name;
        EXPECT_EQ(log, (std::vector<std::string>{n + " down", n + " move", n + " up"}));
    }

    SCOPED_TRACE("disabled");
    custom->SetEnabled(false);
    log.clear();
    zibor::test::MousePress(*custom, 5, 5);
    zibor::test::MouseRelease(*custom, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"panel down", "panel up"})) << "to the parent beneath, and no further";
}

TEST_F(MouseLog, TheSecondPressOfADoubleClickIsAPressToo)
{
    auto *custom = Place<TCustomControl>(10, 10, 40, 30);
    Watch(*form, "form");
    Watch(*custom, "custom");
    zibor::test::MouseDoubleClick(*custom, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"custom down", "custom up", "custom double click", "custom down (double)",
                                             "custom up"}));
}

// A caption in a light font (the particulars' sex choice on its dark
// picture) must not turn the mark of a chosen item light too: the mark
// stays in the system's colours, as the caption alone takes the font's.
TEST_F(FormFixture, AChosenItemsMarkShowsWhateverTheCaptionsColour)
{
    auto *rg = Place<TRadioGroup>(0, 0, 190, 60);
    rg->Items().Add("Meisje");
    rg->Items().Add("Jongen");
    rg->Font().SetColor(clWhite);
    auto *check = Place<TCheckBox>(0, 70, 120, 20);
    check->SetCaption("Grayscale");
    check->Font().SetColor(clWhite);
    rg->SetItemIndex(1);
    check->SetChecked(true);
    QAbstractButton *marked[] = {rg->Widget()->findChildren<QRadioButton *>()[1],
                                 qobject_cast<QAbstractButton *>(check->Widget())};
    for (QAbstractButton *b : marked) {
        ASSERT_TRUE(b && b->isChecked());
        QStyleOptionButton opt;
        opt.initFrom(b);
        const bool radio = qobject_cast<QRadioButton *>(b) != nullptr;
        const QRect mark = b->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &opt, b);
        // Inside the mark's frame: the dot or the tick.
        const QRect inside = mark.adjusted(3, 3, -3, -3);
        const QImage shot = b->grab().toImage();
        int darkest = 255;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                darkest = std::min(darkest, qGray(shot.pixel(x, y)));
        EXPECT_LT(darkest, 110) << (radio ? "radio" : "check box") << ": the mark of the chosen item is too light to see";
        EXPECT_EQ(b->palette().color(QPalette::WindowText), QColor(Qt::white)) << "the caption keeps the font's colour";
    }
}
