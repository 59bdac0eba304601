#include "windows/CorrectionWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "controls/UiPanels.h"
#include "controls/UiRadioGroup.h"
#include "platform/core/Dates.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Text.h"
#include "platform/graphics/Fonts.h"
#include "platform/gui/Dialogs.h"

using namespace plat;
using formparts::Add;

Tcorrect *correct = nullptr;

namespace {

TLabel *AddText(TForm &form, TWinControl &parent, const std::string &name, const std::string &text, int left,
                int top, int width)
{
    TLabel *l = Add<TLabel>(form, parent, name, left, top, width, 16);
    l->SetTransparent(true);
    l->Font().SetColor(clWhite);
    l->SetCaption(text);
    return l;
}

TEdit *AddField(TForm &form, const char *name, int left, int top, int width, int maxLength)
{
    TEdit *e = Add<TEdit>(form, name, left, top, width, 21);
    e->SetMaxLength(maxLength);
    return e;
}

// "F" is wrong and shows red, "G" right and dark green.
constexpr TColor kWrong = clRed, kRight = clGreen;

void Confirm(const std::string &text) { MessageDlg(text, mtConfirmation, {mbOK}); }

} // namespace

Tcorrect::Tcorrect(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "correct", "Testgegevens Wijzigen", 800, 600);
    SetDoubleBuffered(true);
    Font().SetName("Tahoma");
    Font().SetSize(8);

    const int lx = 60, fx = 200;
    LabelCode = AddText(*this, *this, "LabelCode", "Naam proefpersoon", lx, 43, 130);
    Ecode = AddField(*this, "Ecode", fx, 40, 220, adm::kCodeLength);
    LabelSekse = AddText(*this, *this, "LabelSekse", "Geslacht", lx, 75, 130);
    RGsekse = Add<TRadioGroup>(*this, "RGsekse", fx, 62, 220, 44);
    RGsekse->Font().SetColor(clWhite);
    RGsekse->Items().Add("Meisje");
    RGsekse->Items().Add("Jongen");
    RGsekse->SetColumns(2);
    LabelGeb = AddText(*this, *this, "LabelGeb", "Geboortedatum", lx, 113, 130);
    Egebdag = AddField(*this, "Egebdag", fx, 110, 28, adm::kDayLength);
    Egebmnd = AddField(*this, "Egebmnd", fx + 32, 110, 28, adm::kMonthLength);
    Egebjaar = AddField(*this, "Egebjaar", fx + 64, 110, 44, adm::kYearLength);
    LabelAfn = AddText(*this, *this, "LabelAfn", "Afnamedatum", lx, 141, 130);
    Eafndag = AddField(*this, "Eafndag", fx, 138, 28, adm::kDayLength);
    Eafnmnd = AddField(*this, "Eafnmnd", fx + 32, 138, 28, adm::kMonthLength);
    Eafnjaar = AddField(*this, "Eafnjaar", fx + 64, 138, 44, adm::kYearLength);
    for (TEdit *e : {Eafndag, Eafnmnd, Eafnjaar}) {
        e->SetReadOnly(true);
        e->SetTabStop(false);
        e->SetColor(clBtnFace);
    }
    LabelSchool = AddText(*this, *this, "LabelSchool", "School", lx, 169, 130);
    // No field limit: a loaded text stays whole; typing is kept to twelve.
    Eschool = AddField(*this, "Eschool", fx, 166, 220, 0);
    LabelGroep = AddText(*this, *this, "LabelGroep", "Groep", lx, 197, 130);
    Egroep = AddField(*this, "Egroep", fx, 194, 28, adm::kGroepLength);
    LabelTl = AddText(*this, *this, "LabelTl", "Testleider", lx, 225, 130);
    Etl = AddField(*this, "Etl", fx, 222, 220, 0);

    // The item lists, a row of labels over a row of lists per subtest.
    auto grid = [this](const char *name, int top, std::array<TComboBox *, 12> &lists, const char *prefix) {
        auto *g = Add<TUiGridPanel>(*this, name, 60, top, 671, 66);
        g->ColumnCollection().assign(12, TCellItem{TSizeStyle::ssAbsolute, 55});
        g->RowCollection() = {TCellItem{TSizeStyle::ssPercent, 50}, TCellItem{TSizeStyle::ssPercent, 50},
                              TCellItem{TSizeStyle::ssAuto, 0}};
        g->SetBorderInner(fsFlat);
        g->SetBorderColor(clPurple);
        g->SetBorderWidth(1);
        g->SetGradientDirection(gdBigSquareBox);
        for (int k = 0; k < 12; ++k) {
            auto *label = new TLabel(this);
            label->SetName(std::string(prefix) + "label" + std::to_string(k + 1));
            label->SetParent(g);
            label->SetCaption("Item " + std::to_string(k + 1));
            label->SetAlignment(TAlignment::taCenter);
            g->AddControl(label, k, 0);
            label->SetAlign(TAlign::alClient);
            auto *list = new TComboBox(this);
            list->SetName(std::string(prefix) + "item" + std::to_string(k + 1) + "acc");
            list->SetParent(g);
            list->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
            list->Items().Add("F");
            list->Items().Add("G");
            g->AddControl(list, k, 1);
            list->SetAlign(TAlign::alClient);
            list->OnChange = Method(this, &Tcorrect::AccuChange);
            lists[k] = list;
        }
        g->Realign();
        return g;
    };
    FWlabel = AddText(*this, *this, "FWlabel", "FoneemWeglating - testitem goed (G) of fout (F)", 60, 262, 400);
    FWaccGrid = grid("FWaccGrid", 280, FWitemAcc, "FW");
    Label31 = AddText(*this, *this, "Label31", "FoneemVerwisseling - testitem goed (G) of fout (F)", 60, 362, 400);
    FVaccGrid = grid("FVaccGrid", 380, FVitemAcc, "FV");

    CORRbtn = Add<TImage>(*this, "CORRbtn", 430, 470, 200, 60);
    CORRbtn->SetCursor(crHandPoint);
    TZIBMAINForm::SetButtonImage(CORRbtn, "BtnWZNoff");
    ButtonExit = Add<TButton>(*this, "ButtonExit", 660, 555, 110, 30);
    ButtonExit->SetCaption("Sluiten");
    ButtonExit->SetHint("Afdrukvenster sluiten");
    ButtonExit->SetShowHint(true);
    ButtonExit->SetTabStop(false);

    ZIBversion = Add<TUiRadioGroup>(*this, "ZIBversion", 500, 40, 138, 72);
    ZIBversion->SetCaption("ZIB-versie");
    ZIBversion->Items().Add("A");
    ZIBversion->Items().Add("B");
    ZIBversion->SetEnabled(false);
    ZIBversion->SetVisible(false);
    ZIBvorm = Add<TEdit>(*this, "ZIBvorm", 500, 120, 80, 21);
    Edit3 = Add<TEdit>(*this, "Edit3", 500, 150, 80, 21);
    for (TEdit *e : {ZIBvorm, Edit3})
        e->SetVisible(false);
    today = AddText(*this, *this, "today", "", 660, 10, 100);

    Ecode->OnKeyPress = formparts::KeyFilter(adm::TFieldKind::CodeNoBlank);
    Ecode->OnChange = Method(this, &Tcorrect::EcodeChange);
    for (TEdit *e : {Egebdag, Egebmnd, Egebjaar}) {
        e->OnKeyPress = formparts::KeyFilter(adm::TFieldKind::Digits);
        e->OnChange = Method(this, &Tcorrect::EditChange);
    }
    for (TEdit *e : {Eschool, Egroep, Etl})
        e->OnKeyPress = formparts::KeyFilter(adm::TFieldKind::Text);
    Eschool->OnChange = Method(this, &Tcorrect::EschoolChange);
    Etl->OnChange = Method(this, &Tcorrect::EtlChange);
    Egroep->OnChange = Method(this, &Tcorrect::EgroepChange);
    RGsekse->OnClick = Method(this, &Tcorrect::RGsekseClick);
    RGsekse->OnEnter = Method(this, &Tcorrect::RGsekseEnter);
    CORRbtn->OnClick = Method(this, &Tcorrect::CORRbtnClick);
    ButtonExit->OnClick = Method(this, &Tcorrect::ButtonExitClick);
    OnShow = Method(this, &Tcorrect::FormShow);
    OnClose = Method(this, &Tcorrect::FormClose);
}

// ------------------------------------------------------------ showing

void Tcorrect::FormShow(TObject *)
{
    // Maximised: the black window fills the screen, its controls where the
    // 800 x 600 design put them.
    SetBounds(0, 0, Screen()->Width(), Screen()->Height());
    FormatSettings().DateSeparator = '-';
    FormatSettings().ShortDateFormat = "dd-mm-yyyy";
    today->SetCaption(DateToStr(Date()));
    WisGegevens();
    Live = true;
    LaadData();
    if (Ecode->CanFocus())
        Ecode->SetFocus();
}

void Tcorrect::WisGegevens()
{
    Corr.WisGegevens();
    ShowCorrection();
    if (Ecode->CanFocus())
        Ecode->SetFocus();
}

void Tcorrect::LaadData()
{
    if (ZIBMAINForm)
        Corr.DataPath = ZIBMAINForm->DataPath;
    Live = false;
    const adm::TCorrection::TLoad r = Corr.LaadData(ViewerKey);
    asLoaded_ = Corr;
    confirmedShowing_ = false;
    ShowCorrection();
    if (r.result == adm::TCorrection::TLoadResult::Missing)
        MessageDlg(r.message, mtError, {mbOK});
    else if (r.result == adm::TCorrection::TLoadResult::Damaged)
        Confirm(r.message);
}

void Tcorrect::ShowCorrection()
{
    const adm::TParticulars &p = Corr.P;
    syncing_ = true;
    Edits().Show(p);
    RGsekse->SetItemIndex(p.sex);
    ZIBversion->SetItemIndex(p.form);
    ZIBvorm->SetText(p.form == 1 ? "B-vorm" : p.form == 0 ? "A-vorm" : "");
    Edit3->SetText(Corr.AgeText);
    for (adm::TSubtest s : {adm::TSubtest::FW, adm::TSubtest::FV}) {
        auto &lists = s == adm::TSubtest::FW ? FWitemAcc : FVitemAcc;
        for (int k = 0; k < 12; ++k) {
            const auto &item = Corr.Items(s)[k];
            lists[k]->SetItemIndex(item.index);
            lists[k]->SetEnabled(item.enabled);
            AccuColor(lists[k]);
        }
    }
    syncing_ = false;
}

formparts::TParticularEdits Tcorrect::Edits() const
{
    return {Ecode, Egebdag, Egebmnd, Egebjaar, Eafndag, Eafnmnd, Eafnjaar, Eschool, Egroep, Etl};
}

// ------------------------------------------------------------ editing

void Tcorrect::FieldChanged(TEdit *edit, adm::TFieldKind kind)
{
    if (syncing_)
        return;
    formparts::FilterField(edit, kind, syncing_);
    if (edit == Eschool || edit == Etl)
        LimitText(edit);
    if (std::string *field = Edits().Field(edit, Corr.P))
        *field = edit->Text();
    formparts::NextWhenFull(*this, edit);
}

void Tcorrect::EcodeChange(TObject *) { FieldChanged(Ecode, adm::TFieldKind::CodeNoBlank); }

void Tcorrect::EditChange(TObject *Sender)
{
    auto *edit = dynamic_cast<TEdit *>(Sender);
    if (syncing_ || !edit)
        return;
    FieldChanged(edit, adm::TFieldKind::Digits);
    if (Live)
        Corr.VervangRegels();
}

void Tcorrect::LimitText(TEdit *edit)
{
    // The text before this change: the field follows the edit on every change.
    const std::string &before = edit == Eschool ? Corr.P.school : Corr.P.tl;
    const std::optional<adm::TLimitedText> limited = adm::LimitCorrText(before, edit->Text(), edit->SelStart());
    if (!limited)
        return;
    syncing_ = true;
    edit->SetText(limited->Text);
    edit->SetSelStart(limited->Caret);
    syncing_ = false;
}

void Tcorrect::EschoolChange(TObject *) { FieldChanged(Eschool, adm::TFieldKind::Text); }

void Tcorrect::EtlChange(TObject *) { FieldChanged(Etl, adm::TFieldKind::Text); }

void Tcorrect::EgroepChange(TObject *) { FieldChanged(Egroep, adm::TFieldKind::Text); }

void Tcorrect::RGsekseClick(TObject *)
{
    if (syncing_)
        return;
    Corr.P.sex = RGsekse->ItemIndex();
    if (Live)
        Corr.VervangRegels();
}

void Tcorrect::RGsekseEnter(TObject *) { Live = true; }

void Tcorrect::AccuColor(TComboBox *list) { list->Font().SetColor(list->ItemIndex() == 0 ? kWrong : kRight); }

void Tcorrect::AccuChange(TObject *Sender)
{
    auto *list = dynamic_cast<TComboBox *>(Sender);
    if (syncing_ || !list)
        return;
    for (adm::TSubtest s : {adm::TSubtest::FW, adm::TSubtest::FV}) {
        const auto &lists = s == adm::TSubtest::FW ? FWitemAcc : FVitemAcc;
        for (int k = 0; k < 12; ++k)
            if (lists[k] == list)
                Corr.SetItem(s, k + 1, list->ItemIndex());
    }
    AccuColor(list);
    if (Ecode->CanFocus())
        Ecode->SetFocus();
}

// ------------------------------------------------------------ buttons

void Tcorrect::CORRbtnClick(TObject *)
{
    FormatSettings().DateSeparator = '-';
    FormatSettings().ShortDateFormat = "dd-mm-yyyy";
    if (ZIBMAINForm)
        ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(CORRbtn, "BtnWZNon");
    // Only both records read make a correction. After a failed load the
    // window is empty: first the code is asked for, as for any empty code;
    // with a code typed in, that the data could not be read.
    if (!Corr.Loaded()) {
        Confirm(adm::CodeEmpty(Corr.P.code) ? adm::kMsgCorrGeenNaam : adm::kMsgCorrNietGelezen);
        if (Ecode->CanFocus())
            Ecode->SetFocus();
        return;
    }
    const adm::TCorrection::TCheck check = Corr.CheckEdits(Date());
    if (!check.ok()) {
        Confirm(check.message);
        Edits().Focus(check.focus);
        return;
    }
    Edit3->SetText(Corr.AgeText);
    if (MessageDlg(adm::kMsgCorrVraag, mtConfirmation, {mbOK, mbCancel}) == mrOk) {
        Corr.Confirmed = true;
        confirmedShowing_ = true;
        SetModalResult(mrOk);
        if (OnConfirmed)
            OnConfirmed();
    }
    FormatSettings().ShortDateFormat = "dd-mm-yyyy";
}

bool Tcorrect::Opslaan1Click(TObject *)
{
    if (ZIBMAINForm)
        Corr.DataPath = ZIBMAINForm->DataPath;
    const adm::TCorrection::TSave s = Corr.Opslaan();
    if (!s.ok)
        Confirm(adm::kMsgCorrNietOpgeslagen + s.failedFile);
    return s.ok;
}

void Tcorrect::ButtonExitClick(TObject *)
{
    if (ZIBMAINForm)
        ZIBMAINForm->PlayClickSound();
    Close();
}

void Tcorrect::FormClose(TObject *, TCloseAction &)
{
    TZIBMAINForm::SetButtonImage(CORRbtn, "BtnWZNoff");
    if (!confirmedShowing_)
        Corr = asLoaded_;
    if (OnClosed)
        OnClosed();
}
