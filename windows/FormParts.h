#pragma once
// The pieces that every window description of the administration repeats:
// the window's own frame, controls placed by name and bounds, and the
// particulars' fields, which the particulars and the correction window edit
// alike.
#include "administration/Particulars.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

#include <string>

class TAlphaShowHide;

namespace formparts {

// A window of the administration: named, captioned, w x h, borderless and
// centred on the desktop unless told otherwise.
void Frame(plat::TForm &form, const std::string &name, const std::string &caption, int width, int height,
           plat::TColor color = plat::clBlack, plat::TFormBorderStyle border = plat::TFormBorderStyle::bsNone);

// A control of the window's description, owned by the window so that it can
// be found by name, placed on parent.
template <class T>
T *Add(plat::TForm &form, plat::TWinControl &parent, const std::string &name, int left, int top, int width,
         int height)
{
    T *c = new T(&form);
    c->SetName(name);
    c->SetParent(&parent);
    c->SetBounds(left, top, width, height);
    return c;
}

template <class T>
T *Add(plat::TForm &form, const std::string &name, int left, int top, int width, int height)
{
    return Add<T>(form, form, name, left, top, width, height);
}

// A white Arial caption on the window's background, at size points; a
// centred one keeps its width and centres its text in it.
plat::TLabel *AddCaption(plat::TForm &form, plat::TWinControl &parent, const std::string &name, int left, int top,
                         int width, int size, bool centred = false);

// A caption on a picture shows no difference when it is disabled: it is
// greyed instead.
void ShowEnabled(plat::TControl &caption, bool enabled);

// The window's LatencyTimer: off until a click arms it.
plat::TTimer *AddLatencyTimer(plat::TForm &form, unsigned interval);

// The window's fade, AlphaShowHide1, switched on. Made after the window's
// own handlers are set, since it passes its events on to them.
TAlphaShowHide *AddFade(plat::TForm &form, int deltaAlpha, int maxAlpha);

// ------------------------------------------------------- particulars' fields

// Characters (not bytes) of a text.
size_t Characters(const std::string &utf8);

// The key filter of a field: a typed key that the field refuses is dropped
// after the field's message. Keys below the blank are editing and paste
// commands and pass; pasted text is filtered when it arrives (FilterField).
plat::TKeyPressEvent KeyFilter(adm::TFieldKind kind);

// The particulars' edits of a window, in the order of TParticulars.
struct TParticularEdits {
    plat::TEdit *code, *gebdag, *gebmnd, *gebjaar, *afndag, *afnmnd, *afnjaar, *school, *groep, *tl;
    // The texts onto the edits; the caller keeps its change handlers out.
    void Show(const adm::TParticulars &p) const;
    // The field that an edit edits; nullptr for none.
    std::string *Field(plat::TEdit *edit, adm::TParticulars &p) const;
    // The focus after a refused check.
    void Focus(adm::TFocus focus) const;
};

// The field's text without what its kind refuses (a paste), with the
// field's message; the caret after the text. The change this raises must
// be ignored by the caller: syncing is set around it.
void FilterField(plat::TEdit *edit, adm::TFieldKind kind, bool &syncing);

// A field that has just become full passes the focus on.
void NextWhenFull(plat::TForm &form, plat::TEdit *edit);

} // namespace formparts
