#pragma once
// Minimal image list and action stand-ins: what the glyph buttons need of
// them (sizes, count, drawing one image, change and free notices, an
// action's Checked). No window of the program places either.
#include "platform/core/Component.h"
#include "platform/graphics/Graphics.h"

#include <QImage>
#include <functional>
#include <vector>

namespace plat {

class TCanvas;
class TCustomImageList;

// Registered with an image list, told of every change of it.
class TChangeLink : public TObject {
public:
    ~TChangeLink() override;
    TCustomImageList *Sender() const { return sender_; }
    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList *sender_ = nullptr;
};

// Images of one size, drawn by index. Those that free the list hear of it
// through FreeNotification, as of any component.
class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent *owner = nullptr);
    ~TCustomImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Clears the list, as a change of size does in the framework.
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(images_.size()); }
    // Adds the bitmap cut into images of the list's width, left to right;
    // returns the index of the first.
    int Add(const TBitmap &bitmap);
    void Clear();
    // Draws image index with its top-left corner at (x, y); an index that
    // the list does not hold draws nothing.
    void Draw(TCanvas &canvas, int x, int y, int index) const;

    void RegisterChanges(TChangeLink *link);
    void UnRegisterChanges(TChangeLink *link);

private:
    void Change();
    int width_ = 16, height_ = 16;
    std::vector<QImage> images_;
    std::vector<TChangeLink *> links_;
};

// An action with the one state the controls follow.
class TAction : public TComponent {
public:
    using TComponent::TComponent;
    bool Checked() const { return checked_; }
    // Tells every link of a change (not one of defaults only).
    void SetChecked(bool v);
    // The links call these; a link registers for its lifetime.
    void AddLink(std::function<void(bool defaultsOnly)> *listener) { listeners_.push_back(listener); }
    void RemoveLink(std::function<void(bool defaultsOnly)> *listener);

private:
    bool checked_ = false;
    std::vector<std::function<void(bool)> *> listeners_;
};

} // namespace plat
