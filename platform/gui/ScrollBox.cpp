#include "platform/gui/ScrollBox.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace plat {

namespace {

class BoxWidget : public QWidget {
public:
    explicit BoxWidget(TScrollBox *b) : box(b)
    {
        setAutoFillBackground(true);
        for (auto kind : {TScrollBarKind::sbHorizontal, TScrollBarKind::sbVertical}) {
            auto *bar = new QScrollBar(kind == TScrollBarKind::sbHorizontal ? Qt::Horizontal : Qt::Vertical, this);
            bar->hide();
            bar->installEventFilter(this);
            // The box's colour is its client area's; its bars keep the
            // system's colours (a black surround would hide them).
            QPalette own = QApplication::palette(bar);
            for (int g = 0; g < QPalette::NColorGroups; ++g)
                for (int r = 0; r < QPalette::NColorRoles; ++r) {
                    const auto group = QPalette::ColorGroup(g);
                    const auto role = QPalette::ColorRole(r);
                    own.setBrush(group, role, own.brush(group, role));
                }
            bar->setPalette(own);
            bars[kind == TScrollBarKind::sbHorizontal ? 0 : 1] = bar;
            QObject::connect(bar, &QScrollBar::valueChanged, this, [this, kind](int v) {
                if (!box->Dying())
                    Guarded([&] { box->BarMoved(kind, v, false); });
            });
            QObject::connect(bar, &QScrollBar::sliderReleased, this, [this, kind, bar] {
                if (!box->Dying())
                    Guarded([&] { box->BarMoved(kind, bar->value(), true); });
            });
        }
    }
    TScrollBox *box;
    QScrollBar *bars[2] = {nullptr, nullptr};

protected:
    // The wheel over a bar is the box's to handle first, as over its client area.
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() != QEvent::Wheel || box->Dying())
            return false;
        auto *we = static_cast<QWheelEvent *>(ev);
        const QPoint p = static_cast<QWidget *>(obj)->mapTo(this, we->position().toPoint());
        TShiftState shift = ShiftFromQt(we->modifiers());
        if (we->buttons() & Qt::LeftButton)
            shift |= ssLeft;
        if (we->buttons() & Qt::RightButton)
            shift |= ssRight;
        if (we->buttons() & Qt::MiddleButton)
            shift |= ssMiddle;
        bool taken = false;
        Guarded([&] { taken = box->DoMouseWheel(shift, we->angleDelta().y(), Point(p.x(), p.y())); });
        if (taken)
            we->accept();
        return taken;
    }
};

} // namespace

// ---------------------------------------------------------------------------
// TControlScrollBar

TControlScrollBar::TControlScrollBar(TScrollBox &box, TScrollBarKind kind) : box_(box), kind_(kind) {}

int TControlScrollBar::MaxPosition() const
{
    const int client = kind_ == TScrollBarKind::sbHorizontal ? box_.ClientWidth() : box_.ClientHeight();
    return std::max(0, range_ - client);
}

void TControlScrollBar::SetMargin(int v)
{
    if (v == margin_)
        return;
    margin_ = std::max(0, v);
    box_.CalcAutoRange();
}

void TControlScrollBar::SetPosition(int v)
{
    v = std::clamp(v, 0, shown_ ? MaxPosition() : 0);
    if (v == position_)
        return;
    const int delta = position_ - v;
    position_ = v;
    if (kind_ == TScrollBarKind::sbHorizontal)
        box_.ScrollBy(delta, 0);
    else
        box_.ScrollBy(0, delta);
    if (bar_ && bar_->value() != v) {
        const QSignalBlocker block(bar_);
        bar_->setValue(v);
    }
    box_.Scrolled(kind_);
}

void TControlScrollBar::SetRange(int v)
{
    v = std::max(0, v);
    if (v == range_)
        return;
    range_ = v;
    box_.UpdateBars();
}

void TControlScrollBar::SetVisible(bool v)
{
    if (v == visible_)
        return;
    visible_ = v;
    box_.UpdateBars();
}

void TControlScrollBar::SetTracking(bool v)
{
    tracking_ = v;
    if (bar_)
        bar_->setTracking(true);  // the box decides; see BarMoved
}

void TControlScrollBar::SetSize(int v)
{
    if (v == size_)
        return;
    size_ = std::max(0, v);
    box_.UpdateBars();
}

// ---------------------------------------------------------------------------
// TScrollBox

TScrollBox::TScrollBox(TComponent *owner)
    : TWinControl(owner), horz_(*this, TScrollBarKind::sbHorizontal), vert_(*this, TScrollBarKind::sbVertical)
{
    auto *w = new BoxWidget(this);
    horz_.bar_ = w->bars[0];
    vert_.bar_ = w->bars[1];
    AttachWidget(w);
    SetTabStop(false);
    SetBounds(0, 0, 185, 41);
}

TScrollBox::~TScrollBox()
{
    MarkDestroying();
}

void TScrollBox::SetAutoScroll(bool v)
{
    if (v == autoScroll_)
        return;
    autoScroll_ = v;
    CalcAutoRange();
}

void TScrollBox::DisableAutoRange() { ++autoRangeOff_; }

void TScrollBox::EnableAutoRange()
{
    if (autoRangeOff_ > 0 && --autoRangeOff_ == 0)
        CalcAutoRange();
}

void TScrollBox::CalcAutoRange()
{
    if (autoScroll_ && autoRangeOff_ == 0) {
        int right = 0, bottom = 0;
        for (int i = 0; i < ControlCount(); ++i) {
            const TControl *c = Controls(i);
            if (!c->Visible())
                continue;
            // Positions are where the children sit now; add back what is scrolled away.
            right = std::max(right, horz_.position_ + c->Left() + c->Width());
            bottom = std::max(bottom, vert_.position_ + c->Top() + c->Height());
        }
        horz_.range_ = right > 0 ? right + horz_.margin_ : 0;
        vert_.range_ = bottom > 0 ? bottom + vert_.margin_ : 0;
    }
    UpdateBars();
}

void TScrollBox::UpdateBars()
{
    if (updating_)
        return;
    updating_ = true;
    // A shown bar shrinks the other direction's client extent, which may make
    // that bar needed too; two rounds settle it.
    bool h = false, v = false;
    for (int round = 0; round < 3; ++round) {
        h = horz_.visible_ && horz_.range_ > Width() - (v ? vert_.ActualSize() : 0);
        v = vert_.visible_ && vert_.range_ > Height() - (h ? horz_.ActualSize() : 0);
    }
    horz_.shown_ = h;
    vert_.shown_ = v;
    for (TControlScrollBar *sb : {&horz_, &vert_}) {
        const int want = std::clamp(sb->position_, 0, sb->shown_ ? sb->MaxPosition() : 0);
        if (want != sb->position_) {
            const int delta = sb->position_ - want;
            sb->position_ = want;
            if (sb->kind_ == TScrollBarKind::sbHorizontal)
                ScrollBy(delta, 0);
            else
                ScrollBy(0, delta);
        }
        if (QScrollBar *bar = sb->bar_) {
            const QSignalBlocker block(bar);
            const bool horizontal = sb->kind_ == TScrollBarKind::sbHorizontal;
            const int client = horizontal ? ClientWidth() : ClientHeight();
            bar->setRange(0, sb->MaxPosition());
            bar->setPageStep(std::max(1, client));
            bar->setSingleStep(sb->increment_);
            bar->setValue(sb->position_);
            if (horizontal)
                bar->setGeometry(0, Height() - sb->ActualSize(), ClientWidth(), sb->ActualSize());
            else
                bar->setGeometry(Width() - sb->ActualSize(), 0, sb->ActualSize(), ClientHeight());
            bar->setVisible(sb->shown_);
            if (sb->shown_)
                bar->raise();
        }
    }
    updating_ = false;
}

void TScrollBox::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl *c = Controls(i);
        c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
}

int TScrollBox::ClientWidth() const
{
    return std::max(0, Width() - (vert_.shown_ ? vert_.ActualSize() : 0));
}

int TScrollBox::ClientHeight() const
{
    return std::max(0, Height() - (horz_.shown_ ? horz_.ActualSize() : 0));
}

void TScrollBox::Realign()
{
    TWinControl::Realign();
    if (Width() != lastSize_.cx || Height() != lastSize_.cy) {
        lastSize_ = {Width(), Height()};
        Resize();
    }
    CalcAutoRange();
}

void TScrollBox::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TScrollBox::BarMoved(TScrollBarKind kind, int value, bool released)
{
    TControlScrollBar &sb = kind == TScrollBarKind::sbHorizontal ? horz_ : vert_;
    // Without tracking, a dragged thumb scrolls once it is let go.
    if (!released && !sb.tracking_ && sb.bar_ && sb.bar_->isSliderDown())
        return;
    sb.SetPosition(value);
}

} // namespace plat
