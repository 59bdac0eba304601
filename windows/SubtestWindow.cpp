#include "windows/SubtestWindow.h"

#include "windows/FormParts.h"
#include "windows/IntroWindow.h"
#include "windows/MainWindow.h"
#include "administration/PromptStreams.h"
#include "windows/SubtestRoad.h"
#include "audio/StockAudioPlayer.h"
#include "controls/AlphaShowHide.h"
#include "platform/audio/PlaySound.h"
#include "platform/core/Streams.h"
#include "platform/gui/Dialogs.h"

#include <QColor>
#include <QImage>

using namespace plat;
using formparts::Add;

TImage *TSubtestWindow::ColourField(TForm &form, const std::string &name, int left, int top, TColor color)
{
    auto *b = Add<TImage>(form, name, left, top, 160, 70);
    auto bitmap = std::make_unique<TBitmap>(160, 70);
    bitmap->Image().fill(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    b->Picture().SetGraphic(std::move(bitmap));
    b->SetCursor(crHandPoint);
    return b;
}

TSubtestWindow::TSubtestWindow(TComponent *owner, const TItemLoopParams &loop, const TSubtestWindowParams &params,
                               TStockAudioPlayer *(*makePlayer)(TComponent *))
    : TForm(owner), Loop(loop, *this), params_(params)
{
    {
        TLoadingScope loading(*this);
        formparts::Frame(*this, params.name, params.caption, 800, 600);
        SetTransparentColorValue(clOlive);
        Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
        Background->SetStretch(true);
        TZIBMAINForm::SetJpegImage(Background, "ZIBbckgr1");

        PromptA = Add<TImage>(*this, params.promptButton, 200, 150, 64, 64);
        Label1 = formparts::AddCaption(*this, *this, "Label1", 284, 166, 360, 18);
        PromptA->OnClick = Method(this, &TSubtestWindow::PromptAClick);
        Label1->OnClick = PromptA->OnClick;
        if (loop.twoParts) {
            BtnB = Add<TImage>(*this, "BtnB", 200, 230, 64, 64);
            Label2B = formparts::AddCaption(*this, *this, "Label2", 284, 246, 360, 18);
            BtnB->OnClick = Method(this, &TSubtestWindow::PromptBClick);
            Label2B->OnClick = BtnB->OnClick;
        }
        ButtonStptime = Add<TImage>(*this, "ButtonStptime", 320, 306, 160, 80);
        ButtonStptime->OnClick = Method(this, &TSubtestWindow::StopTimerClick);
        TimeLabel = formparts::AddCaption(*this, *this, params.timeLabel, 300, 390, 200, 12, true);
        TimeLabel->SetVisible(false);

        GoedBt = ColourField(*this, "GoedBt", 200, 420, clGreen);
        FoutBt = ColourField(*this, "FoutBt", 440, 420, clMaroon);
        GoedLabel = formparts::AddCaption(*this, *this, params.goedLabel, 200, 440, 160, 16, true);
        FoutLabel = formparts::AddCaption(*this, *this, params.foutLabel, 440, 440, 160, 16, true);
        GoedLabel->SetCaption("Goed");
        FoutLabel->SetCaption("Fout");
        GoedBt->OnClick = Method(this, &TSubtestWindow::GoedBtClick);
        GoedLabel->OnClick = GoedBt->OnClick;
        FoutBt->OnClick = Method(this, &TSubtestWindow::FoutBtClick);
        FoutLabel->OnClick = FoutBt->OnClick;

        RGscore = Add<TRadioGroup>(*this, "RGscore", 300, 470, 200, 40);
        RGscore->SetColumns(2);
        RGscore->Items().Add("Goed");
        RGscore->Items().Add("Fout");
        RGscore->SetVisible(false);
        EFase = Add<TEdit>(*this, "EFase", 10, 10, 200, 22);
        EFase->SetVisible(false);

        ButtonOT = Add<TImage>(*this, "ButtonOT", 60, 520, 200, 60);
        ButtonOT->SetHint("Onderbreken");
        ButtonOT->SetShowHint(true);
        ButtonOT->OnClick = Method(this, &TSubtestWindow::OnderbrekenClick);
        ButtonFinish = Add<TImage>(*this, "ButtonFinish", 540, 520, 200, 60);
        ButtonFinish->OnClick = Method(this, &TSubtestWindow::Voltooien);
        for (TImage *b : {PromptA, BtnB, ButtonStptime, ButtonOT, ButtonFinish})
            if (b)
                b->SetCursor(crHandPoint);
        for (TImage *b : {PromptA, BtnB})
            if (b) {
                b->SetStretch(true);
                b->SetProportional(true);
            }

        Timer1 = new TTimer(this);
        Timer1->SetName("Timer1");
        Timer1->SetInterval(100);
        // The tick decides when the stop is offered and when the maximum
        // stops the clock: it keeps to its 100 ms.
        Timer1->SetPrecise(true);
        Timer1->OnTimer = Method(this, &TSubtestWindow::Timer1Timer);
        LatencyTimer = formparts::AddLatencyTimer(*this, 500);
        Deferred.Bind(LatencyTimer, [this] { RunPendingAction(); }, 500);

        ItemPlayer = makePlayer(this);
        SetKeyPreview(true);
        OnKeyPress = Method(this, &TSubtestWindow::ItemKeyPress);
        OnShow = Method(this, &TSubtestWindow::FormShow);
        AlphaShowHide1 = formparts::AddFade(*this, 250, 255);
    }
    prompts_ = std::make_unique<TPromptStreams>(*ItemPlayer);
    // The first prompts are ready from the start of the program.
    Loop.SetCurrentEntry(1);
    ApplyView();
}

TSubtestWindow::~TSubtestWindow()
{
    // Going from here: no tick or input of the window runs any more. The
    // prompt is stopped and let go while its stream still exists.
    MarkDestroying();
    if (ItemPlayer)
        ItemPlayer->Stop();
}

void TSubtestWindow::Picture(TImage *image, const std::string &name)
{
    std::string &shown = pictures_[image];
    if (shown == name)
        return;
    shown = name;
    TZIBMAINForm::SetButtonImage(image, name);
}

void TSubtestWindow::ApplyView()
{
    const TItemLoopView &v = Loop.View();
    auto control = [this](TControl *c, const TLoopControl &s) {
        c->SetVisible(s.visible);
        c->SetEnabled(s.enabled);
        if (auto *image = dynamic_cast<TImage *>(c))
            Picture(image, s.picture);
        else
            formparts::ShowEnabled(*c, s.enabled);
    };
    control(PromptA, v.promptA);
    control(Label1, v.promptA);
    Label1->SetCaption(v.captionA);
    if (BtnB) {
        control(BtnB, v.promptB);
        control(Label2B, v.promptB);
        Label2B->SetCaption(v.captionB);
    }
    control(ButtonStptime, v.stop);
    for (TControl *c : std::initializer_list<TControl *>{GoedBt, FoutBt, GoedLabel, FoutLabel})
        control(c, v.score);
    RGscore->SetEnabled(v.scoreChoiceEnabled);
    control(ButtonOT, v.interrupt);
    control(ButtonFinish, v.finish);
    TimeLabel->SetVisible(v.timeVisible);
    TimeLabel->SetCaption(v.timeText);
    EFase->SetText(v.status);
}

void TSubtestWindow::Initialiseer()
{
    Timer1->SetInterval(100);
    Loop.Prepare();
    ApplyView();
}

void TSubtestWindow::StartAt(int entry, int otherSubtestDone)
{
    Loop.otherSubtestDone = otherSubtestDone;
    Loop.SetCurrentEntry(entry);
    Loop.Prepare();
    ApplyView();
}

void TSubtestWindow::FormShow(TObject *)
{
    AlphaShowHide1->SetActive(true);
    Initialiseer();
}

void TSubtestWindow::PromptAClick(TObject *) { Loop.PlayPromptA(); }
void TSubtestWindow::PromptBClick(TObject *) { Loop.PlayPromptB(); }
void TSubtestWindow::StopTimerClick(TObject *) { Loop.StopClick(); }
void TSubtestWindow::GoedBtClick(TObject *) { Loop.ScoreClick(true); }
void TSubtestWindow::FoutBtClick(TObject *) { Loop.ScoreClick(false); }
void TSubtestWindow::Timer1Timer(TObject *) { Loop.Tick(); }

void TSubtestWindow::ItemKeyPress(TObject *, char32_t &Key)
{
    if (Key < 128)
        Loop.Key(static_cast<char>(Key));
    Key = 0;
}

void TSubtestWindow::OnderbrekenClick(TObject *)
{
    if (!Loop.BeginInterrupt())
        return;
    PendingAction = 1;
    // The introduction and the particulars window are ready for the return
    // at once, before the half second has passed.
    if (Intro)
        if (TIntroWindow *intro = Intro())
            intro->PrepareReturn();
    subtestroad::ParticularsReadyToContinue();
    Deferred.Latency();
}

void TSubtestWindow::Voltooien(TObject *)
{
    if (!Loop.BeginFinish())
        return;
    PendingAction = 2;
    Deferred.Latency();
}

void TSubtestWindow::RunPendingAction()
{
    if (PendingAction == 1) {
        SetModalResult(mrCancel);
        Loop.EndInterrupt();
    } else if (PendingAction == 2) {
        Loop.EndFinish();
        if (BeforeFinalStore)
            BeforeFinalStore();
        subtestroad::Admin().Autosave = 0;
        subtestroad::Store();
        if (ShowAfterWindow)
            ShowAfterWindow();
    }
}

// ------------------------------------------------------------------ host

int TSubtestWindow::Form() { return subtestroad::Admin().Form() == 1 ? 1 : 0; }

std::optional<int> TSubtestWindow::AgeInMonths()
{
    const adm::TAdministration &a = subtestroad::Admin();
    if (a.P.gebdag.empty() || a.P.gebmnd.empty() || a.P.gebjaar.empty())
        return std::nullopt;
    return a.AgeInMonths;
}

void TSubtestWindow::OpenPrompt(int part, const std::string &name) { prompts_->Open(part, name); }
void TSubtestWindow::PlayPrompt(int part) { prompts_->Play(part); }
void TSubtestWindow::RaisePriority() { subtestroad::RaisePriority(); }
void TSubtestWindow::ClickSound() { ZIBMAINForm->PlayClickSound(); }

void TSubtestWindow::StopSound()
{
    std::vector<uint8_t> sound;
    if (FindResourceBytes("WAV", "Tstop", sound))
        PlaySoundMemory(sound.data(), sound.size(), SND_ASYNC | SND_MEMORY);
}

void TSubtestWindow::RecordEntry(int row, const std::string &time, const std::string &score)
{
    adm::TAdministration &a = subtestroad::Admin();
    adm::TScoreGrid &grid = params_.subtest == adm::TSubtest::FW ? a.SGRscoreFW : a.SGRscoreFV;
    grid.SetCells(1, row, time);
    grid.SetCells(2, row, score);
}

void TSubtestWindow::SetLastEntry(const std::string &text)
{
    adm::TAdministration &a = subtestroad::Admin();
    (params_.subtest == adm::TSubtest::FW ? a.ElaatsteFW : a.ELaatsteFV) = text;
}

std::string TSubtestWindow::LastEntry()
{
    const adm::TAdministration &a = subtestroad::Admin();
    return params_.subtest == adm::TSubtest::FW ? a.ElaatsteFW : a.ELaatsteFV;
}

void TSubtestWindow::EntryReached(int entry)
{
    adm::TAdministration &a = subtestroad::Admin();
    (params_.subtest == adm::TSubtest::FW ? a.EntryFW : a.EntryFV) = entry;
}

void TSubtestWindow::StoreItem()
{
    adm::TAdministration &a = subtestroad::Admin();
    a.Autosave = 1;
    try {
        subtestroad::Store();
    } catch (...) {
        a.Autosave = 0;
        throw;
    }
    a.Autosave = 0;
}

void TSubtestWindow::ShowMessage(TMessage kind, const std::string &text)
{
    if (kind == TMessage::MaximumReached) {
        Background->Repaint();
        plat::ShowMessage(text);
    } else {
        MessageDlg(text, mtConfirmation, {mbOK});
    }
}

int TSubtestWindow::AdministrationState() { return subtestroad::Admin().State; }
void TSubtestWindow::SetAdministrationState(int state) { subtestroad::Admin().State = state; }

void TSubtestWindow::WindowCloseRequested()
{
    // Closed otherwise, the introduction beneath would keep its buttons off.
    if (ButtonOT->Enabled() && ButtonOT->Visible())
        OnderbrekenClick(this);
}
