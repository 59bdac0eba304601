// A window's repaint: a window shown a moment ago is waited for until the
// window system has put it up, and it is then painted once, with everything
// that changed meanwhile; a window that is up already is painted again.
#include "platform/gui/Application.h"
#include "platform/gui/CustomControls.h"
#include "platform/gui/Forms.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QImage>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

using namespace plat;

namespace {

// A window filled by one hand-painted control, which counts its paints.
class PaintedForm : public TForm {
public:
    explicit PaintedForm(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetName("Painted");
        SetBorderStyle(TFormBorderStyle::bsNone);
        SetClientWidth(120);
        SetClientHeight(80);
        Box = new TGraphicControl(this);
        Box->SetName("Box");
        Box->SetParent(this);
        Box->SetAlign(TAlign::alClient);
        Box->OnPaint = [this](TObject *) {
            ++Paints;
            Box->Canvas().Brush().SetColor(Fill);
            Box->Canvas().FillRect(TRect(0, 0, Box->Width(), Box->Height()));
        };
    }

    TGraphicControl *Box;
    TColor Fill = clRed;
    int Paints = 0;

    // What the window system shows of the window now.
    QColor Shown() const
    {
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(Widget()->winId()).toImage();
        return shot.isNull() ? QColor() : shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
};

TEST(GuiRepaint, AWindowJustShownIsWaitedForAndPaintedOnce)
{
    auto *f = MakeForm<PaintedForm>(nullptr);
    f->Show();
    ASSERT_EQ(f->Paints, 0) << "nothing is painted before the window system has the window";
    f->Repaint();
    EXPECT_TRUE(f->Widget()->windowHandle()->isExposed());
    EXPECT_EQ(f->Paints, 1) << "one whole paint as the window comes up, not a second one at once";
    EXPECT_EQ(f->Shown(), QColor(Qt::red));
    f->Free();
}

TEST(GuiRepaint, WhatChangesWhileTheWindowComesUpIsOnTheScreenAfterwards)
{
    auto *f = MakeForm<PaintedForm>(nullptr);
    f->Show();
    // Queued by the first paint, so that it runs in the wait for the window
    // system, and slow, so that the wait ends with its paint still to come.
    bool changed = false;
    f->Box->OnPaint = [f, inner = f->Box->OnPaint, &changed](TObject *s) {
        inner(s);
        if (f->Paints == 1)
            QMetaObject::invokeMethod(
                f->Widget(),
                [f, &changed] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(30));
                    f->Fill = clBlue;
                    f->Box->Invalidate();
                    changed = true;
                },
                Qt::QueuedConnection);
    };
    f->Repaint();
    ASSERT_TRUE(changed);
    EXPECT_EQ(f->Shown(), QColor(Qt::blue)) << "the change is painted before the repaint returns";
    f->Free();
}

TEST(GuiRepaint, AWindowThatIsUpIsPaintedAgainAtOnce)
{
    auto *f = MakeForm<PaintedForm>(nullptr);
    f->Show();
    f->Repaint();
    const int before = f->Paints;
    // Changed without telling the window: only the repaint shows it.
    f->Fill = clLime;
    f->Repaint();
    EXPECT_EQ(f->Paints, before + 1);
    EXPECT_EQ(f->Shown(), QColor(Qt::green));
    f->Free();
}

// Its surface is made ready as it is shown: sized to the window, its memory
// present before the first paint writes it.
TEST(GuiRepaint, AWindowsSurfaceIsReadyWhenItIsShown)
{
    auto *f = MakeForm<PaintedForm>(nullptr);
    // Large enough for memory of its own, not a reused piece of the heap.
    f->SetClientWidth(1200);
    f->SetClientHeight(900);
    f->Show();
    QBackingStore *store = f->Widget()->backingStore();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->size(), f->Widget()->size());
    auto *image = dynamic_cast<QImage *>(store->paintDevice());
    ASSERT_TRUE(image && !image->isNull());
#ifdef MADV_POPULATE_WRITE // headers without it build the window without the pre-fault
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<uintptr_t>(image->constBits());
    const auto start = begin & ~(page - 1);
    const size_t length = begin + static_cast<uintptr_t>(image->sizeInBytes()) - start;
    std::vector<unsigned char> present((length + page - 1) / page);
    ASSERT_EQ(mincore(reinterpret_cast<void *>(start), length, present.data()), 0);
    EXPECT_EQ(std::count_if(present.begin(), present.end(), [](unsigned char p) { return (p & 1) == 0; }), 0)
        << "pages the first paint would fault in one by one";
#endif
    f->Repaint();
    EXPECT_EQ(f->Paints, 1);
    EXPECT_EQ(f->Shown(), QColor(Qt::red));
    f->Free();
}

} // namespace
