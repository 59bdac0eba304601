#include "platform/gui/ExtCtrls.h"

#include "platform/gui/GuiColor.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <QTabBar>
#include <algorithm>

namespace plat {

namespace {
QString Q(const String &s) { return QString::fromStdString(s); }
} // namespace

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent *owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this](TObject *) { PictureChanged(); };
}

void TImage::PictureChanged()
{
    if (TGraphic *g = picture_.Graphic(); g && transparent_ != g->Transparent())
        g->SetTransparent(transparent_);
    if (autoSize_ && !picture_.Empty())
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::SetStretch(bool v)
{
    stretch_ = v;
    Invalidate();
}

void TImage::SetProportional(bool v)
{
    proportional_ = v;
    Invalidate();
}

void TImage::SetCenter(bool v)
{
    center_ = v;
    Invalidate();
}

void TImage::SetTransparent(bool v)
{
    transparent_ = v;
    PictureChanged();
}

void TImage::SetAutoSize(bool v)
{
    autoSize_ = v;
    PictureChanged();
}

TRect TImage::DestRect() const
{
    int w = picture_.Width(), h = picture_.Height();
    const int cw = ClientWidth(), ch = ClientHeight();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            const double aspect = static_cast<double>(w) / h;
            if (w > h) {
                w = cw;
                h = static_cast<int>(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * aspect);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r = Rect(0, 0, w, h);
    if (center_)
        r = Bounds((cw - w) / 2, (ch - h) / 2, w, h);
    return r;
}

// A JPEG has no see-through pixels: drawn at its own size, it puts exactly
// its pixels wherever it lands, on a surface or on the window alike (the
// windows' backgrounds, the splash).
bool TImage::PaintOnto(QPainter &painter)
{
    if (OnPaint || transparent_)
        return false;
    const auto *jpeg = dynamic_cast<const TJPEGImage *>(picture_.Graphic());
    if (!jpeg || jpeg->Empty())
        return false;
    const TRect r = DestRect();
    if (r.Right - r.Left != jpeg->Width() || r.Bottom - r.Top != jpeg->Height())
        return false;
    TCanvas canvas(&painter);
    canvas.Draw(r.Left, r.Top, *jpeg);
    return true;
}

void TImage::Paint()
{
    if (const TGraphic *g = picture_.Graphic(); g && !g->Empty())
        Canvas().StretchDraw(DestRect(), *g);
    TGraphicControl::Paint();
}

// ---------------------------------------------------------------------------
// TRadioGroup

TRadioGroup::TRadioGroup(TComponent *owner)
    : TWinControl(owner), box_(new QGroupBox), grid_(new QGridLayout(box_)),
      items_(std::make_unique<TControlStrings>([this] { Rebuild(); }))
{
    AttachWidget(box_);
    SetBounds(0, 0, 185, 105);
    SetTabStop(true);
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::TextChanged() { box_->setTitle(Q(text_)); }

void TRadioGroup::EnabledChanged()
{
    TWinControl::EnabledChanged();
    for (QRadioButton *b : buttons_)
        b->setEnabled(Enabled());
}

void TRadioGroup::Rebuild()
{
    updating_ = true;
    for (QRadioButton *b : buttons_)
        delete b;
    buttons_.clear();
    const int n = items_->Count();
    const int cols = std::max(1, columns_);
    const int rows = (n + cols - 1) / cols;
    for (int i = 0; i < n; ++i) {
        auto *b = new QRadioButton(Q(items_->Strings(i)), box_);
        // Exclusive by hand, so that "no item" can be shown.
        b->setAutoExclusive(false);
        b->setChecked(i == itemIndex_);
        Bridge()->Watch(b);
        QObject::connect(b, &QRadioButton::clicked, [this, i] {
            if (!Dying())
                Guarded([this, i] { ButtonClicked(i); });
        });
        grid_->addWidget(b, rows ? i % rows : 0, rows ? i / rows : 0);
        b->show();
        buttons_.push_back(b);
    }
    if (itemIndex_ >= n)
        itemIndex_ = n - 1;
    updating_ = false;
}

void TRadioGroup::ButtonClicked(int i)
{
    if (updating_)
        return;
    for (size_t k = 0; k < buttons_.size(); ++k)
        buttons_[k]->setChecked(static_cast<int>(k) == i);
    itemIndex_ = i;
    Click();
}

void TRadioGroup::SetItemIndex(int i)
{
    if (i < -1)
        i = -1;
    if (i >= items_->Count())
        i = items_->Count() - 1;
    if (i == itemIndex_)
        return;
    itemIndex_ = i;
    updating_ = true;
    for (size_t k = 0; k < buttons_.size(); ++k)
        buttons_[k]->setChecked(static_cast<int>(k) == i);
    updating_ = false;
    if (i >= 0 && !Loading())
        Click();
}

void TRadioGroup::SetColumns(int n)
{
    n = std::clamp(n, 1, 16);
    if (n == columns_)
        return;
    columns_ = n;
    Rebuild();
}

// ---------------------------------------------------------------------------
// TProgressBar

TProgressBar::TProgressBar(TComponent *owner) : TWinControl(owner), bar_(new QProgressBar)
{
    bar_->setTextVisible(false);
    AttachWidget(bar_);
    SetBounds(0, 0, 150, 16);
    Apply();
}

namespace {
// The filled part's width in the bar's contents, as the style draws it.
int FilledWidth(const QProgressBar &bar, const QRect &contents)
{
    const qint64 span = qint64(bar.maximum()) - bar.minimum();
    if (span <= 0)
        return contents.width();
    return int(qint64(contents.width()) * (qint64(bar.value()) - bar.minimum()) / span);
}
} // namespace

void TProgressBar::Apply()
{
    // QProgressBar repaints itself at once on every new value, the whole
    // bar; the progress window steps it a hundred times in a second.
    // Setting the value with updates held back and asking for the strip
    // between the old and the new end leaves the painting to the next
    // pass of the event loop and to what changed.
    if (bar_->minimum() != min_ || bar_->maximum() != max_ || !bar_->isVisible()) {
        bar_->setRange(min_, max_);
        bar_->setValue(position_);
        return;
    }
    if (bar_->value() == position_)
        return;
    QStyleOptionProgressBar opt;
    opt.initFrom(bar_);
    const QRect contents = bar_->style()->subElementRect(QStyle::SE_ProgressBarContents, &opt, bar_);
    const int before = FilledWidth(*bar_, contents);
    const bool held = bar_->testAttribute(Qt::WA_UpdatesDisabled);
    bar_->setAttribute(Qt::WA_UpdatesDisabled, true);
    bar_->setValue(position_);
    bar_->setAttribute(Qt::WA_UpdatesDisabled, held);
    const int after = FilledWidth(*bar_, contents);
    // The style rounds the chunk's end and draws a line beside it.
    constexpr int kEdge = 4;
    const int left = contents.left() + std::min(before, after) - kEdge;
    const int right = contents.left() + std::max(before, after) + kEdge;
    bar_->update(QRect(left, 0, right - left + 1, bar_->height()));
}

void TProgressBar::SetMin(int v)
{
    min_ = v;
    position_ = std::clamp(position_, min_, std::max(min_, max_));
    Apply();
}

void TProgressBar::SetMax(int v)
{
    max_ = v;
    position_ = std::clamp(position_, min_, std::max(min_, max_));
    Apply();
}

void TProgressBar::SetPosition(int v)
{
    position_ = std::clamp(v, min_, std::max(min_, max_));
    Apply();
}

void TProgressBar::StepIt()
{
    // Past the end the bar starts again, as the framework's does.
    int p = position_ + step_;
    if (p > max_)
        p = min_;
    position_ = p;
    Apply();
}

void TProgressBar::StepBy(int delta) { SetPosition(position_ + delta); }

// ---------------------------------------------------------------------------
// TTabControl

TTabControl::TTabControl(TComponent *owner)
    : TWinControl(owner), bar_(new QTabBar), tabs_(std::make_unique<TControlStrings>([this] { Reload(); }))
{
    AttachWidget(bar_);
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    QObject::connect(bar_, &QTabBar::currentChanged, [this] {
        if (!Dying() && !updating_)
            Guarded([this] {
                if (OnChange)
                    OnChange(this);
            });
    });
}

TTabControl::~TTabControl() = default;

void TTabControl::Reload()
{
    updating_ = true;
    while (bar_->count())
        bar_->removeTab(0);
    for (const String &s : tabs_->Lines())
        bar_->addTab(Q(s));
    updating_ = false;
}

int TTabControl::TabIndex() const { return bar_->currentIndex(); }

void TTabControl::SetTabIndex(int i)
{
    updating_ = true;
    bar_->setCurrentIndex(i);
    updating_ = false;
}

// ---------------------------------------------------------------------------
// TStringGrid

TStringGrid::TStringGrid(TComponent *owner) : TWinControl(owner) { Resize(); }

void TStringGrid::Resize()
{
    std::vector<String> cells(static_cast<size_t>(cols_) * rows_);
    const int oldCols = widths_.empty() ? 0 : static_cast<int>(widths_.size());
    if (oldCols > 0) {
        const int oldRows = static_cast<int>(cells_.size()) / oldCols;
        for (int r = 0; r < std::min(rows_, oldRows); ++r)
            for (int c = 0; c < std::min(cols_, oldCols); ++c)
                cells[static_cast<size_t>(r) * cols_ + c] = cells_[static_cast<size_t>(r) * oldCols + c];
    }
    cells_ = std::move(cells);
    widths_.resize(static_cast<size_t>(cols_), DefaultColWidth);
}

void TStringGrid::SetColCount(int n)
{
    cols_ = std::max(0, n);
    Resize();
}

void TStringGrid::SetRowCount(int n)
{
    rows_ = std::max(0, n);
    Resize();
}

String TStringGrid::Cells(int col, int row) const
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        return {};
    return cells_[static_cast<size_t>(row) * cols_ + col];
}

void TStringGrid::SetCells(int col, int row, const String &s)
{
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_)
        return;
    cells_[static_cast<size_t>(row) * cols_ + col] = s;
}

int TStringGrid::ColWidths(int col) const
{
    return col >= 0 && col < cols_ ? widths_[static_cast<size_t>(col)] : DefaultColWidth;
}

void TStringGrid::SetColWidths(int col, int width)
{
    if (col >= 0 && col < cols_)
        widths_[static_cast<size_t>(col)] = width;
}

} // namespace plat
