#include "windows/MainWindow.h"

#include "windows/AboutWindow.h"
#include "windows/AfterDeletionWindow.h"
#include "windows/AfterSubstitutionWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/FormParts.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportViewerWindow.h"
#include "windows/ReportWindow.h"
#include "administration/Settings.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "audio/StockAudioPlayer.h"
#include "platform/core/Dates.h"
#include "platform/core/Files.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

using namespace plat;
using formparts::Add;

TZIBMAINForm *ZIBMAINForm = nullptr;

namespace {
const char *const kClosingQuestion = "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?";
}

TZIBMAINForm::TZIBMAINForm(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "ZIBMAINForm", "ZIBOR", 800, 600);

    Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
    Background->SetStretch(true);
    ButtonNT = Add<TImage>(*this, "ButtonNT", 300, 200, 200, 60);
    ButtonTH = Add<TImage>(*this, "ButtonTH", 300, 280, 200, 60);
    ButtonTRO = Add<TImage>(*this, "ButtonTRO", 300, 360, 200, 60);
    for (TImage *b : {ButtonNT, ButtonTH, ButtonTRO})
        b->SetCursor(crHandPoint);
    About = Add<TButton>(*this, "About", 560, 540, 110, 30);
    About->SetCaption("Programma-info");
    About->SetHint("Programma-info");
    About->SetShowHint(true);
    ButtonExit = Add<TButton>(*this, "ButtonExit", 680, 540, 110, 30);
    ButtonExit->SetCaption("Programma sluiten");
    ButtonExit->SetHint("Programma sluiten");
    ButtonExit->SetShowHint(true);
    Label1 = Add<TLabel>(*this, "Label1", 0, 480, 800, 60);
    Label1->SetAutoSize(false);
    Label1->SetAlignment(TAlignment::taCenter);
    Label1->Font().SetName("Arial");
    Label1->Font().SetSize(32);
    Label1->Font().SetStyle(fsBold);
    Label1->Font().SetColor(clWhite);
    Label1->SetCaption("TOT ZIENS!");
    Label1->SetVisible(false);
    EFase = Add<TEdit>(*this, "EFase", 8, 8, 120, 21);
    EFase->SetVisible(false);

    LatencyTimer = formparts::AddLatencyTimer(*this, 500);
    Deferred.Bind(LatencyTimer, [this] { RunPendingAction(); }, 500);
    Deferred.OnArmed = [this] { EFase->SetText("Timer loopt"); };

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    auto item = [this](const char *name, const char *caption, bool enabled) {
        auto *m = new TMenuItem(this);
        m->SetName(name);
        m->SetCaption(caption);
        m->SetEnabled(enabled);
        PopupMenu1->Items()->Add(m);
        return m;
    };
    Vorigformaat2 = item("Vorigformaat2", "&Vorig formaat", false);
    Minimaliseren1 = item("Minimaliseren1", "&Minimaliseren", false);
    Exit1 = item("Exit1", "Sluiten", true);
    Exit1->SetShortCut(TextToShortCut("Alt+F4"));

    StockAudioPlayer1 = CreateStockAudioPlayer1(this);
    TrayIcon = new TTrayIcon(this);
    TrayIcon->SetName("TrayIcon");
    TrayIcon->SetIconResource("MAINICON");
    TrayIcon->SetPopupMenu(PopupMenu1);

    OnCreate = Method(this, &TZIBMAINForm::Formcreate);
    OnShow = Method(this, &TZIBMAINForm::Formshow);
    OnDestroy = Method(this, &TZIBMAINForm::FormDestroy);
    ButtonNT->OnClick = Method(this, &TZIBMAINForm::ZIBchoiceExecute);
    ButtonTH->OnClick = Method(this, &TZIBMAINForm::ButtonTHClick);
    ButtonTRO->OnClick = Method(this, &TZIBMAINForm::ButtonTROClick);
    About->OnClick = Method(this, &TZIBMAINForm::HelpAbout1Execute);
    ButtonExit->OnClick = Method(this, &TZIBMAINForm::FileExit1Execute);
    Exit1->OnClick = Method(this, &TZIBMAINForm::Exit1Click);
    TrayIcon->OnMouseDown = Method(this, &TZIBMAINForm::WMTrayIcon);
}

TZIBMAINForm::~TZIBMAINForm()
{
    // The player goes first: it may still be reading the click stream.
    delete StockAudioPlayer1;
    StockAudioPlayer1 = nullptr;
    if (ZIBMAINForm == this)
        ZIBMAINForm = nullptr;
}

// ---------------------------------------------------------------------------
// Shared operations

namespace {

template <class Graphic>
std::unique_ptr<Graphic> LoadResourcePicture(const char *type, const String &name)
{
    TResourceStream stream(type, name);
    auto graphic = std::make_unique<Graphic>();
    graphic->LoadFromStream(stream);
    return graphic;
}

} // namespace

// Every window shows the program's own pictures, many of them the same one.
template <class Graphic>
const TGraphic *TZIBMAINForm::LoadedPicture(const char *type, const String &name)
{
    const String key = String(type) + "/" + name;
    auto it = pictures_.find(key);
    if (it == pictures_.end())
        it = pictures_.emplace(key, LoadResourcePicture<Graphic>(type, name)).first;
    return it->second.get();
}

template <class Graphic>
void SetResourceImage(TImage *image, const char *type, const String &name)
{
    if (!ZIBMAINForm)
        image->Picture().SetGraphic(LoadResourcePicture<Graphic>(type, name));
    else
        image->Picture().SetGraphic(ZIBMAINForm->LoadedPicture<Graphic>(type, name));
}

void TZIBMAINForm::SetButtonImage(TImage *image, const String &name) { SetResourceImage<TGIFImage>(image, "gif", name); }

void TZIBMAINForm::SetJpegImage(TImage *image, const String &name) { SetResourceImage<TJPEGImage>(image, "jpg", name); }

void TZIBMAINForm::DecodePictureAhead(TImage *image)
{
    if (const auto *picture = dynamic_cast<const TEncodedGraphic *>(image->Picture().Graphic()))
        picture->DecodeAhead();
}

void TZIBMAINForm::PlayClickSound()
{
    if (!StockAudioPlayer1 || !clickStream_ || StockAudioPlayer1->Active())
        return;
    StockAudioPlayer1->PlayWaveStream(clickStream_.get());
}

void TZIBMAINForm::PlaySaveSound()
{
    if (!StockAudioPlayer1 || StockAudioPlayer1->Active())
        return;
    // The player owns this stream and frees it when the playback ends.
    StockAudioPlayer1->OpenWaveStream(new TResourceStream("WAV", "Save"), soOwned);
}

String TZIBMAINForm::ReadDataPath() { return settings::Read("datapath", ""); }

void TZIBMAINForm::ZIBMainInitialize()
{
    SetButtonImage(ButtonTRO, "BtnTROoff");
    SetButtonImage(ButtonTH, "BtnTHoff");
    SetButtonImage(ButtonNT, "BtnNToff");
    ButtonTRO->SetEnabled(true);
    ButtonTH->SetEnabled(true);
    ButtonNT->SetEnabled(true);
    ProgramFolder = plat::ProgramFolder();
    DataPath = ReadDataPath() + "\\";
    Deferred.Reset();
    EFase->SetText("Startfase");
    TodayText = FormatDateTime("c", Now());
    if (!clickStream_)
        clickStream_ = std::make_unique<TResourceStream>("WAV", "Start");
}

// ---------------------------------------------------------------------------
// Window events

void TZIBMAINForm::Formcreate(TObject *)
{
    SetDoubleBuffered(true);
    TrayIcon->SetHint(Application()->Title());
    TrayIcon->SetVisible(true);
    ProgramFolder = plat::ProgramFolder();
    SetJpegImage(Background, "blk");
    // The background the window shows first is ready by the time the other
    // windows are built.
    static_cast<const TJPEGImage *>(LoadedPicture<TJPEGImage>("jpg", "ZIBbckgr1"))->DecodeAhead();
    SetFormStyle(TFormStyle::fsStayOnTop);
    ZIBMainInitialize();
    // And so are the three buttons it shows with it.
    for (TImage *button : {ButtonTRO, ButtonTH, ButtonNT})
        DecodePictureAhead(button);
}

void TZIBMAINForm::Formshow(TObject *)
{
    SetJpegImage(Background, "ZIBbckgr1");
    PendingAction = 0;
    Deferred.Reset();
    EFase->SetText("Startfase");
}

void TZIBMAINForm::FormDestroy(TObject *) { TrayIcon->SetVisible(false); }

void TZIBMAINForm::WMTrayIcon(TObject *, TMouseButton, TShiftState, int, int) {}

// ---------------------------------------------------------------------------
// Navigation

void TZIBMAINForm::ZIBchoiceExecute(TObject *)
{
    PlayClickSound();
    SetButtonImage(ButtonNT, "BtnNTon");
    ZIBinvoer->WisGegevens();
    PendingAction = 1;
    ResumeFlag = 0;
    Deferred.Latency();
}

void TZIBMAINForm::ButtonTHClick(TObject *)
{
    PlayClickSound();
    SetButtonImage(ButtonTH, "BtnTHon");
    ZIBkeuze->Hide();
    ZIBinvoer->WisGegevens();
    PendingAction = 2;
    ResumeFlag = 1;
    Deferred.Latency();
}

void TZIBMAINForm::ButtonTROClick(TObject *)
{
    PlayClickSound();
    SetButtonImage(ButtonTRO, "BtnTROon");
    PendingAction = 3;
    Deferred.Latency();
}

void TZIBMAINForm::RunPendingAction()
{
    switch (PendingAction) {
    case 1:
        ZIBkeuze->ShowModal();
        break;
    case 2:
        OpenResumeDialog();
        break;
    case 3:
        TRO->ShowModal();
        SetButtonImage(ButtonTRO, "BtnTROoff");
        break;
    default:
        break;
    }
}

void TZIBMAINForm::OpenResumeDialog()
{
    TOpenDialog &dialog = *ZIBinvoer->OpenDialog1;
    dialog.Title = "Incomplete ZIBOR-afname openen en hervatten";
    dialog.InitialDir = DataPath + "Incomplete afnames\\";
    dialog.DefaultExt = "zta";
    dialog.Filter = "ZIBOR-afname *.zta|*.zta";
    dialog.Options = ofHideReadOnly | ofNoChangeDir | ofFileMustExist;
    if (dialog.Execute())
        ZIBinvoer->ShowModal();
    else
        ZIBMainInitialize();
}

void TZIBMAINForm::HelpAbout1Execute(TObject *)
{
    PlayClickSound();
    AboutBox->ShowModal();
}

// ---------------------------------------------------------------------------
// Leaving

void TZIBMAINForm::FileExit1Execute(TObject *)
{
    // The program ends from here: every modal loop ends as control returns
    // to it, and no window opens on the way out (a handler that would show
    // the next one, a saved notice, a timer's message).
    Application()->Terminate();
    PlayClickSound();
    Screen()->SetCursor(crHourGlass);
    for (TControl *c : std::initializer_list<TControl *>{ButtonNT, ButtonTH, ButtonTRO, ButtonExit, About})
        c->Hide();
    Label1->SetTransparent(true);
    Label1->Show();
    Background->SetBounds(Background->Left(), Background->Top(), 800, 600);
    SetJpegImage(Background, "ZIBsplash");
    Repaint();
    Application()->Sleep(2000);
    Background->Hide();
    SetModalResult(mrOk);
    TrayIcon->SetVisible(false);
}

void TZIBMAINForm::Exit1Click(TObject *)
{
    PlayClickSound();
    if (MessageDlg(kClosingQuestion, mtConfirmation, {mbOK, mbCancel}) != mrOk)
        return;
    for (TForm *f : std::initializer_list<TForm *>{FVaft, FWaft, FVin, FWin, FWtfase, FVtfase, ZIBinvoer, ZIBkeuze,
                                                   ZIBfinish})
        f->Hide();
    SetJpegImage(Background, "ZIBsplash");
    PP->Close();
    TRO->Close();
    for (TForm *f : std::initializer_list<TForm *>{ZIBfinish, FVaft, FWaft, FVin, FWin, FVtfase, FWtfase, ZIBinvoer})
        f->SetModalResult(mrCancel);
    ZIBkeuze->SetModalResult(mrAbort);
    SetModalResult(mrCancel);
    FileExit1Execute(this);
}
