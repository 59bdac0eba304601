#include "windows/FormParts.h"

#include "controls/AlphaShowHide.h"
#include "platform/graphics/Fonts.h"
#include "platform/gui/Dialogs.h"

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

size_t Characters(const std::string &utf8) { return plat::Utf8ToUtf32(utf8).size(); }

plat::TKeyPressEvent KeyFilter(adm::TFieldKind kind)
{
    return [kind](plat::TObject *, char32_t &Key) {
        if (Key < 32 || adm::KeyAllowed(kind, Key))
            return;
        if (const char *text = adm::KeyMessage(kind))
            plat::ShowMessage(text);
        Key = 0;
    };
}

void TParticularEdits::Show(const adm::TParticulars &p) const
{
    const std::pair<plat::TEdit *, const std::string *> fields[] = {
        {code, &p.code},     {gebdag, &p.gebdag}, {gebmnd, &p.gebmnd}, {gebjaar, &p.gebjaar},
        {afndag, &p.afndag}, {afnmnd, &p.afnmnd}, {afnjaar, &p.afnjaar}, {school, &p.school},
        {groep, &p.groep},   {tl, &p.tl},
    };
    for (const auto &[edit, text] : fields)
        edit->SetText(*text);
}

std::string *TParticularEdits::Field(plat::TEdit *edit, adm::TParticulars &p) const
{
    return edit == code      ? &p.code
           : edit == gebdag  ? &p.gebdag
           : edit == gebmnd  ? &p.gebmnd
           : edit == gebjaar ? &p.gebjaar
           : edit == school  ? &p.school
           : edit == groep   ? &p.groep
           : edit == tl      ? &p.tl
                             : nullptr;
}

void TParticularEdits::Focus(adm::TFocus focus) const
{
    plat::TEdit *target = focus == adm::TFocus::Ecode     ? code
                          : focus == adm::TFocus::Egebdag ? gebdag
                          : focus == adm::TFocus::Egebmnd ? gebmnd
                                                          : nullptr;
    if (target && target->CanFocus())
        target->SetFocus();
}

void FilterField(plat::TEdit *edit, adm::TFieldKind kind, bool &syncing)
{
    bool dropped = false;
    const std::string kept = adm::FilterText(kind, edit->Text(), &dropped);
    if (!dropped)
        return;
    syncing = true;
    edit->SetText(kept);
    edit->SetSelStart(static_cast<int>(Characters(kept)));
    syncing = false;
    if (const char *text = adm::KeyMessage(kind))
        plat::ShowMessage(text);
}

void NextWhenFull(plat::TForm &form, plat::TEdit *edit)
{
    if (edit->MaxLength() > 0 && Characters(edit->Text()) >= static_cast<size_t>(edit->MaxLength()) &&
        edit->Focused())
        form.SelectNext(edit, true, true);
}

} // namespace formparts
