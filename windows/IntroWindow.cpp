#include "windows/IntroWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/SubtestRoad.h"
#include "controls/AlphaShowHide.h"
#include "platform/audio/PlaySound.h"
#include "platform/core/Streams.h"
#include "platform/core/System.h"
#include "platform/gui/Application.h"
#include "platform/gui/Cursors.h"

using namespace plat;
using formparts::Add;

namespace {

const TIntroParams kDeletion = {
    "FWin", "FWn", {"Inleiding ", "Hoofdpijn", "Hoofd - Pijn", "Boek", "Instructie"}, true};
const TIntroParams kSubstitution = {
    "FVin",
    "FVn",
    {"Inleiding", "vb1 - 'Kees Bos'", "vb2 - '[P]iet [J]ansen'", "vb3 - '[P]ippi [L]angkous'", "Instructie"},
    false};

constexpr TCursor crBusy = 1;

} // namespace

const TIntroParams &DeletionIntroParams() { return kDeletion; }
const TIntroParams &SubstitutionIntroParams() { return kSubstitution; }

bool HaalProcAdres(const std::string &library, const std::string &procedure)
{
    LoadLibraryA(library);
    return GetProcAddress(GetModuleHandleA(library), procedure) != nullptr;
}

TIntroWindow::TIntroWindow(TComponent *owner, const TIntroParams &params) : TForm(owner), params_(params)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, params.name, "FWintro", 800, 600);
    Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
    Background->SetStretch(true);
    TZIBMAINForm::SetJpegImage(Background, "ZIBbckgr1");
    static const char *const kPictures[] = {"Int1", "Int2", "Int3", "Int4", "int5"};
    for (int k = 0; k < 5; ++k) {
        const int top = 150 + 62 * k;
        Int[k] = Add<TImage>(*this, kPictures[k], 240, top, 56, 56);
        Int[k]->SetStretch(true);
        Int[k]->SetProportional(true);
        Int[k]->SetCursor(crHandPoint);
        TZIBMAINForm::SetButtonImage(Int[k], "BtnSpkOff");
        Labels[k] = formparts::AddCaption(*this, *this, "Label" + std::to_string(k + 1), 316, top + 12, 300, 16);
        Labels[k]->SetCaption(params.captions[k]);
        const int n = k + 1;
        Int[k]->OnClick = [this, n](TObject *) { IntroClick(n); };
        Labels[k]->OnClick = Int[k]->OnClick;
        if (k > 0 && k < 4)
            Int[k]->SetVisible(false);
        if (k > 0)
            Labels[k]->SetEnabled(false);
    }
    ButtonOT = Add<TImage>(*this, "ButtonOT", 60, 510, 200, 60);
    ButtonIO = Add<TImage>(*this, "ButtonIO", 540, 510, 200, 60);
    ButtonOT->SetHint("Onderbreken");
    ButtonOT->SetShowHint(true);
    TZIBMAINForm::SetButtonImage(ButtonOT, "BtnOToff");
    TZIBMAINForm::SetButtonImage(ButtonIO, "BtnIOoff");
    for (TImage *b : {ButtonOT, ButtonIO})
        b->SetCursor(crHandPoint);
    Timer = new TTimer(this);
    Timer->SetName("Timer");
    Timer->SetEnabled(false);
    Timer->SetInterval(10);
    LatencyTimer = formparts::AddLatencyTimer(*this, 500);
    Deferred.Bind(LatencyTimer, [this] { RunPendingAction(); }, 500);

    ButtonIO->OnClick = Method(this, &TIntroWindow::DoorgaanClick);
    ButtonOT->OnClick = Method(this, &TIntroWindow::OnderbrekenClick);
    OnShow = Method(this, &TIntroWindow::FormShow);
    AlphaShowHide1 = formparts::AddFade(*this, 250, 255);
    unlocked_ = {true, false, false, false, true};
}

void TIntroWindow::SetPart(int k, bool shown, bool enabled)
{
    Int[k - 1]->SetVisible(shown);
    Int[k - 1]->SetEnabled(enabled);
    Labels[k - 1]->SetEnabled(enabled);
    formparts::ShowEnabled(*Labels[k - 1], enabled);
}

void TIntroWindow::FormShow(TObject *)
{
    AlphaShowHide1->SetActive(true);
    Timer->SetInterval(10);
    Timer->SetEnabled(false);
    Int[0]->SetEnabled(true);
    Labels[0]->SetEnabled(true);
    ButtonIO->SetEnabled(true);
    ButtonOT->SetEnabled(true);
    TZIBMAINForm::SetButtonImage(ButtonOT, "BtnOToff");
    Screen()->SetCursors(crBusy, LoadCursorResource("crZIBOR_busy"));
}

void TIntroWindow::Initialiseer()
{
    Deferred.Reset();
    FreshStart = 1;
    if (params_.deletion)
        Ready = 0;
    Timer->SetEnabled(false);
    playing_ = false;
    TZIBMAINForm::SetButtonImage(ButtonIO, "BtnIOoff");
    TZIBMAINForm::SetButtonImage(ButtonOT, "BtnOToff");
    ButtonOT->SetEnabled(true);
    ButtonIO->SetEnabled(true);
    unlocked_ = {true, false, false, false, true};
    for (int k = 1; k <= 5; ++k)
        SetPart(k, unlocked_[k - 1], unlocked_[k - 1]);
    Clicked = {};
}

void TIntroWindow::EnableFirstPart()
{
    unlocked_[0] = true;
    Int[0]->SetEnabled(true);
}

void TIntroWindow::IntroClick(int n)
{
    // Clicks on the parts are not taken while a part starts or plays.
    if (playing_ || !unlocked_[n - 1])
        return;
    playing_ = true;
    TZIBMAINForm::SetButtonImage(Int[n - 1], "BtnSpkOn");
    ZIBMAINForm->PlayClickSound();
    if (params_.deletion)
        SetEnabled(false);
    Application()->ProcessMessages();
    for (int k = 1; k <= 5; ++k)
        if (k != n) {
            Int[k - 1]->SetEnabled(false);
            Labels[k - 1]->SetEnabled(false);
        }
    Timer->OnTimer = [this, n](TObject *) { PartTick(n); };
    Timer->SetEnabled(true);
    Clicked[n - 1] = true;
}

bool TIntroWindow::SpeelIntro(int n)
{
    ButtonOT->SetEnabled(false);
    ButtonIO->SetEnabled(false);
    for (int k = 1; k < n; ++k) {
        Int[k - 1]->SetEnabled(false);
        Labels[k - 1]->SetEnabled(false);
    }
    bool played = false;
    std::vector<uint8_t> sound;
    if (FindResourceBytes("WAV", std::string(params_.soundPrefix) + "0" + std::to_string(n), sound)) {
        Screen()->SetCursor(crBusy);
        if (HaalProcAdres("USER32.DLL", "BlockInput"))
            played = PlaySoundMemory(sound.data(), sound.size(), SND_MEMORY | SND_SYNC);
    }
    Screen()->SetCursor(crDefault);
    return played;
}

void TIntroWindow::PartTick(int n)
{
    // The timer only starts the part: one tick, whatever the playback
    // brings. A part that could not be played stays as it was before its
    // click, and does not unlock the next.
    Timer->SetEnabled(false);
    Timer->OnTimer = nullptr;
    const bool played = SpeelIntro(n);
    if (played) {
        TZIBMAINForm::SetButtonImage(Int[n - 1], "BtnSpkOff");
        for (int k = 1; k <= (n == 5 ? 5 : n); ++k)
            unlocked_[k - 1] = true;
        if (n < 5)
            unlocked_[n] = true;
        else
            ContinuePicture();
    } else {
        TZIBMAINForm::SetButtonImage(Int[n - 1], "BtnSpkOff");
        Clicked[n - 1] = false;
    }
    if (n < 5 && (params_.deletion || played)) {
        for (int k = n + 1; k <= 4; ++k)
            if (Clicked[k - 1]) {
                TZIBMAINForm::SetButtonImage(Int[k - 1], "BtnSpkOff");
                unlocked_[k] = true;
            }
        unlocked_[4] = true;
        if (Clicked[4]) {
            TZIBMAINForm::SetButtonImage(Int[4], "BtnSpkOff");
            ContinuePicture();
        }
    }
    for (int k = 1; k <= 5; ++k)
        SetPart(k, unlocked_[k - 1], unlocked_[k - 1]);
    ButtonOT->SetEnabled(true);
    ButtonIO->SetEnabled(true);
    // The clicks that came in while the part played are handled here, with
    // the parts still not taking clicks: a double click plays a part once.
    Application()->ProcessMessages();
    playing_ = false;
    if (params_.deletion)
        SetEnabled(true);
}

void TIntroWindow::ContinuePicture()
{
    if (FreshStart == 1) {
        TZIBMAINForm::SetButtonImage(ButtonIO, "BtnSTred");
        Ready = 1;
    } else {
        TZIBMAINForm::SetButtonImage(ButtonIO, "BtnTHred");
    }
}

void TIntroWindow::DoorgaanClick(TObject *)
{
    PendingAction = 2;
    ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(ButtonIO, FreshStart != 1 ? "BtnTHon" : Ready ? "BtnSTon" : "BtnIOon");
    ButtonOT->SetEnabled(false);
    ButtonIO->SetEnabled(false);
    if (OnContinue)
        OnContinue();
    Deferred.Latency();
}

void TIntroWindow::OnderbrekenClick(TObject *)
{
    if (params_.deletion)
        FreshStart = 0;
    PendingAction = 1;
    ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(ButtonOT, "BtnOTon");
    ButtonOT->SetEnabled(false);
    ButtonIO->SetEnabled(false);
    subtestroad::ParticularsReadyToContinue();
    ZIBMAINForm->ZIBMainInitialize();
    Deferred.Latency();
}

void TIntroWindow::PrepareReturn()
{
    FreshStart = 0;
    ShowReturnButtons();
}

void TIntroWindow::ShowReturnButtons()
{
    ButtonOT->SetEnabled(true);
    ButtonIO->SetEnabled(true);
    TZIBMAINForm::SetButtonImage(ButtonOT, "BtnOToff");
    TZIBMAINForm::SetButtonImage(ButtonIO, "BtnTHred");
}

void TIntroWindow::RunPendingAction()
{
    if (PendingAction == 1) {
        SetModalResult(mrCancel);
    } else if (PendingAction == 2) {
        if (ShowSubtest)
            ShowSubtest();
    }
}

void TIntroWindow::WindowCloseRequested()
{
    // Closed otherwise, the particulars window would offer a new start.
    if (ButtonOT->Enabled() && ButtonOT->Visible())
        OnderbrekenClick(this);
}
