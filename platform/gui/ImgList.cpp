#include "platform/gui/ImgList.h"

#include "platform/graphics/Canvas.h"

#include <algorithm>

namespace plat {

TChangeLink::~TChangeLink()
{
    if (sender_)
        sender_->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent *owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink *l : links_)
        l->sender_ = nullptr;
}

void TCustomImageList::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
    images_.clear();
    Change();
}

int TCustomImageList::Add(const TBitmap &bitmap)
{
    const int first = Count();
    if (width_ < 1 || height_ < 1)
        return -1;
    const QImage &src = bitmap.Image();
    for (int x = 0; x + width_ <= src.width(); x += width_) {
        QImage cell(width_, height_, QImage::Format_RGB32);
        cell.fill(Qt::black);
        for (int y = 0; y < height_ && y < src.height(); ++y)
            for (int i = 0; i < width_; ++i)
                cell.setPixel(i, y, src.pixel(x + i, y));
        images_.push_back(cell);
    }
    Change();
    return first;
}

void TCustomImageList::Clear()
{
    images_.clear();
    Change();
}

void TCustomImageList::Draw(TCanvas &canvas, int x, int y, int index) const
{
    if (index < 0 || index >= Count())
        return;
    canvas.StretchDrawImage(Bounds(x, y, width_, height_), images_[static_cast<size_t>(index)],
                            Rect(0, 0, width_, height_));
}

void TCustomImageList::RegisterChanges(TChangeLink *link)
{
    if (!link || std::find(links_.begin(), links_.end(), link) != links_.end())
        return;
    if (link->sender_)
        link->sender_->UnRegisterChanges(link);
    link->sender_ = this;
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink *link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
    if (link && link->sender_ == this)
        link->sender_ = nullptr;
}

void TCustomImageList::Change()
{
    const std::vector<TChangeLink *> copy = links_;
    for (TChangeLink *l : copy)
        if (std::find(links_.begin(), links_.end(), l) != links_.end() && l->OnChange)
            l->OnChange(this);
}

void TAction::SetChecked(bool v)
{
    if (v == checked_)
        return;
    checked_ = v;
    const auto copy = listeners_;
    for (auto *l : copy)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end() && *l)
            (*l)(false);
}

void TAction::RemoveLink(std::function<void(bool)> *listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

} // namespace plat
