// A window's repaint: a window shown a moment ago is waited for until the
// window system has put it up, and it is then painted once, with everything
// that changed meanwhile; a window that is up already is painted again.
#include "platform/Application.h"
#include "platform/CustomControls.h"
#include "platform/Forms.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

} // namespace
