#include "windows/ParticularsWindow.h"

#include "windows/ChoiceWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "controls/AlphaShowHide.h"
#include "controls/UiRadioGroup.h"
#include "platform/core/Dates.h"
#include "platform/core/Text.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/Fonts.h"
#include "platform/gui/Application.h"

using namespace plat;
using formparts::Add;

TZIBinvoer *ZIBinvoer = nullptr;

namespace {

TLabel *AddCaption(TForm &form, const char *name, const char *text, int left, int top, int width)
{
    TLabel *l = Add<TLabel>(form, name, left, top, width, 20);
    l->SetTransparent(true);
    l->Font().SetName("Arial");
    l->Font().SetSize(10);
    l->Font().SetColor(clWhite);
    l->SetCaption(text);
    return l;
}

TEdit *AddField(TForm &form, const char *name, int left, int top, int width, int maxLength)
{
    TEdit *e = Add<TEdit>(form, name, left, top, width, 22);
    e->SetMaxLength(maxLength);
    e->Font().SetName("Arial");
    e->Font().SetSize(10);
    return e;
}


} // namespace

TZIBinvoer::TZIBinvoer(TComponent *owner) : TForm(owner), AdminState(Adm.State), AutoSave(Adm.Autosave)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "ZIBinvoer", "ZIBinvoer", 800, 600);
    Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
    Background->SetStretch(true);
    TZIBMAINForm::SetJpegImage(Background, "ZIBbckgr1");

    // Two columns: captions on the left, fields on the right, in tab order.
    const int lx = 170, lw = 170, fx = 350;
    LabelCode = AddCaption(*this, "LabelCode", "Naam proefpersoon", lx, 163, lw);
    Ecode = AddField(*this, "Ecode", fx, 160, 260, adm::kCodeLength);
    LabelSekse = AddCaption(*this, "LabelSekse", "Geslacht", lx, 203, lw);
    RGsekse = Add<TRadioGroup>(*this, "RGsekse", fx, 190, 260, 44);
    RGsekse->Font().SetColor(clWhite);
    RGsekse->Items().Add("Meisje");
    RGsekse->Items().Add("Jongen");
    RGsekse->SetColumns(2);
    LabelGeb = AddCaption(*this, "LabelGeb", "Geboortedatum", lx, 245, lw);
    Egebdag = AddField(*this, "Egebdag", fx, 242, 34, adm::kDayLength);
    Egebmnd = AddField(*this, "Egebmnd", fx + 40, 242, 34, adm::kMonthLength);
    Egebjaar = AddField(*this, "Egebjaar", fx + 80, 242, 54, adm::kYearLength);
    LabelAfn = AddCaption(*this, "LabelAfn", "Afnamedatum", lx, 277, lw);
    Eafndag = AddField(*this, "Eafndag", fx, 274, 34, adm::kDayLength);
    Eafnmnd = AddField(*this, "Eafnmnd", fx + 40, 274, 34, adm::kMonthLength);
    Eafnjaar = AddField(*this, "Eafnjaar", fx + 80, 274, 54, adm::kYearLength);
    for (TEdit *e : {Eafndag, Eafnmnd, Eafnjaar}) {
        e->SetReadOnly(true);
        e->SetTabStop(false);
        e->SetColor(clBtnFace);
    }
    LabelSchool = AddCaption(*this, "LabelSchool", "School", lx, 309, lw);
    Eschool = AddField(*this, "Eschool", fx, 306, 260, adm::kSchoolLength);
    LabelGroep = AddCaption(*this, "LabelGroep", "Groep", lx, 341, lw);
    Egroep = AddField(*this, "Egroep", fx, 338, 34, adm::kGroepLength);
    LabelTl = AddCaption(*this, "LabelTl", "Testleider", lx, 373, lw);
    Etl = AddField(*this, "Etl", fx, 370, 260, adm::kTlLength);

    ZIBversion = Add<TUiRadioGroup>(*this, "ZIBversion", fx, 392, 138, 72);
    ZIBversion->SetCaption("ZIB-versie");
    ZIBversion->Items().Add("A");
    ZIBversion->Items().Add("B");
    ZIBversion->SetColumns(2);
    ZIBversion->SetSpaceEvenly(true);
    ZIBversion->SetStartPos(20, 8);
    ZIBversion->SetVerticalSpacing(5);
    ZIBversion->SetItemHeight(24);
    ZIBversion->SetGroupStyle(gsStandard);
    ZIBversion->SetVisualStyle(vsGradient);
    ZIBversion->SetGradientColorStyle(gcsMSOffice);
    ZIBversion->SetTransparent(true);
    ZIBversion->SetColor(clMoneyGreen);
    ZIBversion->Font().SetName("Arial Rounded MT Bold");
    ZIBversion->Font().SetStyle(fsBold);
    ZIBversion->Font().SetColor(clYellow);
    ZIBversion->Font().SetHeight(24);
    ZIBversion->ItemFont().SetName("Arial Rounded MT Bold");
    ZIBversion->ItemFont().SetStyle(fsBold);
    ZIBversion->ItemFont().SetColor(clAqua);
    ZIBversion->ItemFont().SetHeight(-19);
    ZIBversion->SetItemHotTrack(true);
    ZIBversion->SetItemHotTrackColor(clLime);
    ZIBversion->SetItemHighlightColor(clNavy);
    VersionLabel = AddCaption(*this, "VersionLabel", "ZIB-versie:", lx, 413, lw);
    Version = AddCaption(*this, "Version", "X", fx, 413, 40);
    Version->Font().SetStyle(fsBold);
    Edit3 = Add<TEdit>(*this, "Edit3", 8, 8, 60, 21);
    Edit3->SetVisible(false);

    ButtonNP = Add<TImage>(*this, "ButtonNP", 170, 480, 200, 60);
    ButtonST = Add<TImage>(*this, "ButtonST", 430, 480, 200, 60);
    ButtonContin = Add<TImage>(*this, "ButtonContin", 430, 480, 200, 60);
    for (TImage *b : {ButtonNP, ButtonST, ButtonContin})
        b->SetCursor(crHandPoint);
    ButtonExit = Add<TButton>(*this, "ButtonExit", 560, 555, 110, 30);
    ButtonExit->SetCaption("Terug");
    ButtonExit->SetHint("Opslaan en teruggaan");
    ButtonExit->SetShowHint(true);
    Filesave = Add<TButton>(*this, "Filesave", 680, 555, 110, 30);
    Filesave->SetCaption("Opslaan");
    Filesave->SetHint("Bestand opslaan");
    Filesave->SetShowHint(true);
    for (TButton *b : {ButtonExit, Filesave})
        b->SetTabStop(false);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    LatencyTimer = formparts::AddLatencyTimer(*this, 500);
    Deferred.Bind(LatencyTimer, [this] { RunPendingAction(); });

    Ecode->OnKeyPress = formparts::KeyFilter(adm::TFieldKind::Code);
    Ecode->OnChange = Method(this, &TZIBinvoer::EcodeChange);
    for (TEdit *e : {Egebdag, Egebmnd, Egebjaar}) {
        e->OnKeyPress = formparts::KeyFilter(adm::TFieldKind::Digits);
        e->OnChange = Method(this, &TZIBinvoer::Edit1Change);
    }
    for (TEdit *e : {Eschool, Egroep, Etl}) {
        e->OnKeyPress = formparts::KeyFilter(adm::TFieldKind::Text);
        e->OnChange = Method(this, &TZIBinvoer::Edit1Change);
    }
    RGsekse->OnClick = Method(this, &TZIBinvoer::RGsekseClick);
    ZIBversion->OnClick = Method(this, &TZIBinvoer::RGversionEnter);
    ButtonST->OnClick = Method(this, &TZIBinvoer::STExecute);
    ButtonNP->OnClick = Method(this, &TZIBinvoer::NPExecute);
    ButtonContin->OnClick = Method(this, &TZIBinvoer::KnContinClick);
    ButtonExit->OnClick = Method(this, &TZIBinvoer::PrevPage);
    Filesave->OnClick = Method(this, &TZIBinvoer::Opslaan1Click);
    OnShow = Method(this, &TZIBinvoer::FormShow);
    AlphaShowHide1 = formparts::AddFade(*this, 180, 255);

    Adm.OnSavedNotice = [] {
        if (message)
            message->ShowModal();
    };
    Adm.Title = [] { return Application()->Title(); };
}

// ------------------------------------------------------------ showing

void TZIBinvoer::FormShow(TObject *)
{
    Adm.SetTestDate(Date());
    FormatSettings().DateSeparator = '-';
    FormatSettings().ShortDateFormat = "dd-mm-yyyy";
    AlphaShowHide1->SetActive(true);
    WisGegevens();
    Adm.LastParsedRow = 0;
    if (ZIBMAINForm && ZIBMAINForm->ResumeFlag == 1)
        HervatAfname();
}

void TZIBinvoer::WisGegevens()
{
    Adm.WisGegevens();
    Deferred.Reset();
    PendingAction = 0;
    ShowParticulars();
    ShowForm();
    if (Ecode->CanFocus())
        Ecode->SetFocus();
    TZIBMAINForm::SetButtonImage(ButtonNP, "BtnHMoff");
    TZIBMAINForm::SetButtonImage(ButtonST, "BtnSToff");
    ButtonNP->SetEnabled(true);
    ButtonST->SetEnabled(true);
    ButtonST->SetVisible(true);
    ButtonContin->SetEnabled(false);
    ButtonContin->SetVisible(false);
    for (TIntroWindow *intro : {static_cast<TIntroWindow *>(FWin), static_cast<TIntroWindow *>(FVin)})
        if (intro)
            intro->Initialiseer();
    for (TSubtestWindow *subtest : Subtests()) {
        subtest->Initialiseer();
        subtest->Deferred.Reset();
    }
}

std::vector<TSubtestWindow *> TZIBinvoer::Subtests() const
{
    std::vector<TSubtestWindow *> out;
    for (TSubtestWindow *w : {static_cast<TSubtestWindow *>(FWtfase), static_cast<TSubtestWindow *>(FVtfase)})
        if (w)
            out.push_back(w);
    return out;
}

void TZIBinvoer::ReadyToContinue()
{
    ButtonST->SetEnabled(false);
    ButtonST->SetVisible(false);
    ButtonContin->SetEnabled(true);
    ButtonContin->SetVisible(true);
    TZIBMAINForm::SetButtonImage(ButtonContin, "BtnTHred");
    ButtonNP->SetEnabled(true);
}

void TZIBinvoer::ShowParticulars()
{
    const adm::TParticulars &p = Adm.P;
    syncing_ = true;
    Edits().Show(p);
    RGsekse->SetItemIndex(p.sex);
    Edit3->SetText(Adm.AgeText);
    // The code names the administration's files once they are fixed.
    Ecode->SetReadOnly(Adm.Fixed());
    syncing_ = false;
}

void TZIBinvoer::ShowForm()
{
    const int form = Adm.P.form;
    // Choosing from here is no choice of the user: the group's click (which
    // a change of ItemIndex raises) must not reach RGversionEnter.
    TNotifyEvent click = std::move(ZIBversion->OnClick);
    ZIBversion->OnClick = nullptr;
    ZIBversion->SetItemIndex(form < 0 ? 0 : form);
    ZIBversion->OnClick = std::move(click);
    // A radio item reports only a change; a click on the form already
    // chosen confirms that form here.
    for (int i = 0; i < ZIBversion->ItemCount(); ++i) {
        TUiGroupButton *item = ZIBversion->ItemAt(i);
        if (!item->OnMouseUp)
            item->OnMouseUp = [this, item, i](TObject *, TMouseButton b, TShiftState, int x, int y) {
                if (b == TMouseButton::mbLeft && ZIBversion->ItemIndex() == i && item->ClientRect().Contains(Point(x, y)))
                    RGversionEnter(ZIBversion);
            };
    }
    ZIBversion->SetEnabled(form < 0);
    ZIBversion->SetVisible(form < 0);
    Version->SetCaption(form < 0 ? "X" : form == 0 ? "A" : "B");
    VersionLabel->SetVisible(form >= 0);
    Version->SetVisible(form >= 0);
}

void TZIBinvoer::SetFocusTo(adm::TFocus focus) { Edits().Focus(focus); }

formparts::TParticularEdits TZIBinvoer::Edits() const
{
    return {Ecode, Egebdag, Egebmnd, Egebjaar, Eafndag, Eafnmnd, Eafnjaar, Eschool, Egroep, Etl};
}

// ------------------------------------------------------------ editing

void TZIBinvoer::FilterEdit(TEdit *edit)
{
    const adm::TFieldKind kind = edit == Ecode ? adm::TFieldKind::Code
                                 : (edit == Egebdag || edit == Egebmnd || edit == Egebjaar) ? adm::TFieldKind::Digits
                                                                                           : adm::TFieldKind::Text;
    formparts::FilterField(edit, kind, syncing_);
}

void TZIBinvoer::ReadControl(TEdit *edit)
{
    if (std::string *field = Edits().Field(edit, Adm.P))
        *field = edit->Text();
}

void TZIBinvoer::EcodeChange(TObject *Sender) { Edit1Change(Sender); }

void TZIBinvoer::Edit1Change(TObject *Sender)
{
    auto *edit = dynamic_cast<TEdit *>(Sender);
    if (syncing_ || !edit)
        return;
    FilterEdit(edit);
    ReadControl(edit);
    formparts::NextWhenFull(*this, edit);
    MayContinue();
}

void TZIBinvoer::RGsekseClick(TObject *)
{
    if (syncing_)
        return;
    Adm.P.sex = RGsekse->ItemIndex();
    MayContinue();
}

void TZIBinvoer::RGversionEnter(TObject *)
{
    const int item = ZIBversion->ItemIndex();
    if (item < 0)
        return;
    ZIBMAINForm->PlayClickSound();
    Adm.P.form = item;
    ShowForm();
    MayContinue();
}

void TZIBinvoer::MayContinue()
{
    if (syncing_)
        return;
    const adm::TBirthCheck c = Adm.MayContinue();
    if (c.notApplicable) {
        ShowMessage(adm::kMsgGeboortedatumNvt);
        TZIBMAINForm::SetButtonImage(ButtonST, "BtnSToff");
    } else if (c.valid) {
        Edit3->SetText(Adm.AgeText);
        TZIBMAINForm::SetButtonImage(ButtonST, "BtnSTred");
    }
}

// ------------------------------------------------------------ buttons

void TZIBinvoer::STExecute(TObject *)
{
    // A second click before the tick only hurries the start along.
    if (PendingAction == 2 && Deferred.State() == 1) {
        Deferred.Latency();
        return;
    }
    ZIBMAINForm->PlayClickSound();
    if (ZIBkeuze)
        ZIBkeuze->Hide();
    FormatSettings().DateSeparator = '-';
    FormatSettings().ShortDateFormat = "dd-mm-yyyy";
    Adm.DataPath = ZIBMAINForm->DataPath;
    adm::TStartCheck check;
    switch (Adm.Start(&check)) {
    case adm::TAdministration::TStartResult::Refused:
        MessageDlg(check.message, mtConfirmation, {mbOK});
        SetFocusTo(check.focus);
        return;
    case adm::TAdministration::TStartResult::Abandoned:
        return;
    case adm::TAdministration::TStartResult::Started:
        break;
    }
    ShowParticulars();
    // Both subtests from their first entry, both introductions from part 1.
    if (FWtfase)
        FWtfase->StartAt(1, 0);
    if (FVtfase)
        FVtfase->StartAt(1, 0);
    for (TIntroWindow *intro : {static_cast<TIntroWindow *>(FWin), static_cast<TIntroWindow *>(FVin)})
        if (intro)
            intro->EnableFirstPart();
    PendingAction = 2;
    TZIBMAINForm::SetButtonImage(ButtonST, "BtnSTon");
    ButtonNP->SetEnabled(false);
    Deferred.Latency();
}

void TZIBinvoer::NPExecute(TObject *)
{
    ZIBMAINForm->PlayClickSound();
    PendingAction = 1;
    TZIBMAINForm::SetButtonImage(ButtonNP, "BtnHMon");
    TZIBMAINForm::SetButtonImage(ButtonST, "BtnSToff");
    TZIBMAINForm::SetButtonImage(ButtonContin, "BtnTHoff");
    Deferred.Latency();
}

void TZIBinvoer::PrevPage(TObject *) { BackToMain(true); }

void TZIBinvoer::BackToMain(bool store)
{
    if (store && !Ecode->Text().empty() && Adm.Valid)
        Opslaan1Click(this);
    ZIBMAINForm->ZIBMainInitialize();
    TZIBMAINForm::SetButtonImage(ButtonNP, "BtnHMoff");
    ButtonNP->SetEnabled(true);
    ButtonST->SetEnabled(true);
    if (ZIBkeuze) {
        ZIBkeuze->SetModalResult(mrCancel);
        ZIBkeuze->Hide();
        ZIBkeuze->Close();
    }
    Close();
}

void TZIBinvoer::KnContinClick(TObject *)
{
    if (Adm.State >= 7) {
        Adm.Autosave = 0;
        Opslaan1Click(this);
        ZIBfinish->ShowModal();
        return;
    }
    if (PendingAction == 3 && Deferred.State() == 1) {
        Deferred.Latency();
        return;
    }
    if (ZIBkeuze)
        ZIBkeuze->Hide();
    PendingAction = 3;
    ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(ButtonContin, "BtnTHon");
    Deferred.Latency();
    // An introduction whose subtest has begun offers "verder".
    if (Adm.ElaatsteFW != "0" && FWin)
        FWin->ShowReturnButtons();
    if (Adm.ELaatsteFV != "0" && FVin)
        FVin->ShowReturnButtons();
    Adm.ContinueReplace();
}

void TZIBinvoer::RunPendingAction()
{
    switch (PendingAction) {
    case 1:
        BackToMain(true);
        break;
    case 2:
        for (TSubtestWindow *subtest : Subtests())
            subtest->Deferred.Reset();
        if (ZIBkeuze && ZIBkeuze->Keuze == 1)
            FVin->ShowModal();
        else
            FWin->ShowModal();
        break;
    case 3: {
        const adm::TContinueStep step = Adm.ContinueTick();
        // The subtest under way goes on from its stored entry.
        if (step.intro == adm::TSubtest::FV && FVtfase)
            FVtfase->StartAt(Adm.EntryFV, step.otherDone);
        else if (step.intro == adm::TSubtest::FW && FWtfase)
            FWtfase->StartAt(Adm.EntryFW, step.otherDone);
        if (step.intro == adm::TSubtest::FV)
            FVin->ShowModal();
        else
            FWin->ShowModal();
        break;
    }
    case 4:
        AlphaShowHide1->SetActive(true);
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------ store, resume

void TZIBinvoer::Opslaan1Click(TObject *)
{
    Adm.DataPath = ZIBMAINForm->DataPath;
    PendingAction = 4;
    LastStore = adm::TAdministration::TStoreResult::NotStored;
    const auto result = LastStore = Adm.Opslaan();
    if (result == adm::TAdministration::TStoreResult::BackupStored ||
        result == adm::TAdministration::TStoreResult::BackupCancelled)
        SetCaption(Application()->Title());
}

void TZIBinvoer::HervatAfname()
{
    const std::string path = OpenDialog1->FileName;
    if (path.empty())
        return;
    Adm.DataPath = ZIBMAINForm->DataPath;
    bool resumed = false;
    try {
        resumed = Adm.HervatAfname(path);
    } catch (const Exception &e) {
        // A file gone since it was chosen: said, and the window stays open
        // empty, so that the test leader can go back.
        Application()->ShowException(e);
    }
    if (!resumed) {
        WisGegevens();
        // No subtest is chosen on this road: a start would run on the
        // previous administration's state.
        ButtonST->SetEnabled(false);
        ButtonST->SetVisible(false);
        return;
    }
    ShowParticulars();
    ShowForm();
    if (FWtfase)
        FWtfase->StartAt(Adm.EntryFW, 0);
    if (FVtfase)
        FVtfase->StartAt(Adm.EntryFV, 0);
    ReadyToContinue();
}

void TZIBinvoer::WindowCloseRequested()
{
    if (ButtonExit->Enabled() && ButtonExit->Visible())
        PrevPage(this);
}
