#include "controls/AlphaShowHide.h"

using namespace plat;

TAlphaShowHide::TAlphaShowHide(TComponent *owner) : TComponent(owner), form_(dynamic_cast<TForm *>(owner))
{
    if (!form_)
        return;
    // The window's own handlers as its description bound them.
    savedCreate_ = form_->OnCreate;
    savedActivate_ = form_->OnActivate;
    savedHide_ = form_->OnHide;
    savedClose_ = form_->OnClose;
    // Told when the window goes, so that nothing is written into it after.
    FreeNotification(form_);
}

TAlphaShowHide::~TAlphaShowHide()
{
    // A window that is being destroyed gets nothing written back.
    if (form_ && !form_->Destroying() && !Destroying())
        SetActive(false);
}

void TAlphaShowHide::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == form_)
        form_ = nullptr;
}

void TAlphaShowHide::SetActive(bool value)
{
    if (value == active_)
        return;
    active_ = value;
    if (!form_)
        return;
    if (value) {
        form_->OnCreate = Method(this, &TAlphaShowHide::FormCreate);
        form_->OnHide = Method(this, &TAlphaShowHide::FormHide);
        form_->OnActivate = Method(this, &TAlphaShowHide::FormActivate);
        form_->OnClose = Method(this, &TAlphaShowHide::FormClose);
    } else {
        form_->OnCreate = savedCreate_;
        form_->OnHide = savedHide_;
        form_->OnActivate = savedActivate_;
        form_->OnClose = savedClose_;
    }
}

void TAlphaShowHide::Write(int alpha)
{
    // The window's alpha is a byte.
    form_->SetAlphaBlendValue(static_cast<uint8_t>(alpha & 0xFF));
    form_->Repaint();
}

void TAlphaShowHide::FormCreate(TObject *sender)
{
    if (form_) {
        form_->SetAlphaBlendValue(0);
        form_->SetAlphaBlend(true);
    }
    if (savedCreate_)
        savedCreate_(sender);
}

void TAlphaShowHide::FormActivate(TObject *sender)
{
    if (form_) {
        Write(0);
        int v = 0;
        while (v < maxAlpha_) {
            v += Step();
            if (v > maxAlpha_)
                v = maxAlpha_;
            Write(v);
        }
    }
    if (savedActivate_)
        savedActivate_(sender);
}

void TAlphaShowHide::FormHide(TObject *sender)
{
    if (savedHide_)
        savedHide_(sender);
    if (!form_)
        return;
    int v = maxAlpha_;
    if (v > 0) {
        do {
            v -= Step();
            if (v < 0)
                v = 0;
            Write(v);
        } while (v != 0);
    }
}

void TAlphaShowHide::FormClose(TObject *sender, TCloseAction &action)
{
    if (form_)
        form_->Hide();
    if (savedClose_)
        savedClose_(sender, action);
}
