#pragma once
// Fades its owner window in each time the window becomes active and out
// when it is hidden or closed, by standing in for four of the window's
// events and passing each on to the handler the window had when the
// component was made.
#include "platform/core/Component.h"
#include "platform/gui/Forms.h"

class TAlphaShowHide : public plat::TComponent {
public:
    // The owner must be a window; any other owner leaves the component inert.
    explicit TAlphaShowHide(plat::TComponent *owner);
    ~TAlphaShowHide() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    // Alpha added or taken away per step; below 1 counts as 1.
    int DeltaAlpha() const { return deltaAlpha_; }
    void SetDeltaAlpha(int v) { deltaAlpha_ = v; }
    // Opacity at the end of a fade-in and the start of a fade-out.
    int MaxAlpha() const { return maxAlpha_; }
    void SetMaxAlpha(int v) { maxAlpha_ = v; }

protected:
    void Notification(plat::TComponent *component, plat::TOperation operation) override;

private:
    void FormCreate(plat::TObject *sender);
    void FormActivate(plat::TObject *sender);
    void FormHide(plat::TObject *sender);
    void FormClose(plat::TObject *sender, plat::TCloseAction &action);
    void Write(int alpha);
    int Step() const { return deltaAlpha_ < 1 ? 1 : deltaAlpha_; }

    plat::TForm *form_ = nullptr;
    bool active_ = false;
    int deltaAlpha_ = 25;
    int maxAlpha_ = 255;
    plat::TNotifyEvent savedCreate_;
    plat::TNotifyEvent savedActivate_;
    plat::TNotifyEvent savedHide_;
    plat::TCloseEvent savedClose_;
};
