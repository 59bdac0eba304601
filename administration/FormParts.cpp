#include "administration/FormParts.h"

#include "controls/AlphaShowHide.h"

namespace formparts {

void Frame(plat::TForm &form, const std::string &name, const std::string &caption, int width, int height,
           plat::TColor color, plat::TFormBorderStyle border)
{
    form.SetName(name);
    form.SetCaption(caption);
    form.SetBorderStyle(border);
    form.SetPosition(plat::TPosition::poDesktopCenter);
    form.SetColor(color);
    form.SetClientWidth(width);
    form.SetClientHeight(height);
}

plat::TLabel *AddCaption(plat::TForm &form, plat::TWinControl &parent, const std::string &name, int left, int top,
                         int width, int size, bool centred)
{
    auto *l = Add<plat::TLabel>(form, parent, name, left, top, width, size * 2);
    if (centred) {
        l->SetAutoSize(false);
        l->SetAlignment(plat::TAlignment::taCenter);
    }
    l->SetTransparent(true);
    l->Font().SetName("Arial");
    l->Font().SetSize(size);
    l->Font().SetColor(plat::clWhite);
    return l;
}

void ShowEnabled(plat::TControl &caption, bool enabled)
{
    caption.Font().SetColor(enabled ? plat::clWhite : plat::clGray);
}

plat::TTimer *AddLatencyTimer(plat::TForm &form, unsigned interval)
{
    auto *t = new plat::TTimer(&form);
    t->SetName("LatencyTimer");
    t->SetEnabled(false);
    t->SetInterval(interval);
    return t;
}

TAlphaShowHide *AddFade(plat::TForm &form, int deltaAlpha, int maxAlpha)
{
    auto *fade = new TAlphaShowHide(&form);
    fade->SetName("AlphaShowHide1");
    fade->SetDeltaAlpha(deltaAlpha);
    fade->SetMaxAlpha(maxAlpha);
    fade->SetActive(true);
    return fade;
}

} // namespace formparts
