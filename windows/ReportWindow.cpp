#include "windows/ReportWindow.h"

#include "administration/DataFiles.h"
#include "windows/EndWindow.h"
#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "administration/preview/PreviewReport.h"
#include "administration/Settings.h"
#include "platform/core/Dates.h"
#include "platform/core/Files.h"
#include "platform/core/Text.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

using namespace plat;
using namespace zibor::preview;
using formparts::Add;

TPP *PP = nullptr;

namespace {

constexpr const char *kZoomItems[] = {"50%", "100%", "150%", "200%", "Paginabreedte", "Hele pagina"};
constexpr int kZoomPercent[] = {50, 100, 150, 200};
// The list index that stands for fitting the whole page: past the items, so
// the list shows no selection.
constexpr int kFitIndex = 6;

constexpr const char *kE001 =
    "Foutmelding E001: incorrect ingesteld datapad. Kies een alternatieve locatie voor het testrapport!";

// The print queue can go while the program runs (the button was enabled
// when there was one).
constexpr const char *kNoPrinter =
    "Er is geen printer beschikbaar. Controleer of de printer is geïnstalleerd en aangesloten, en probeer het opnieuw.";
} // namespace

TPP::TPP(TComponent *owner, const TReportWindowLook &look) : TForm(owner), look_(look)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, look.name, "Afdrukvoorbeeld", 800, 600);
    Font().SetName("Arial");
    Font().SetSize(8);

    Toolbar = Add<TPanel>(*this, "Toolbar", 0, 0, 800, 70);
    Toolbar->SetAlign(TAlign::alTop);
    Toolbar->SetColor(clBlack);
    Background = Add<TImage>(*this, *Toolbar, "Background", 0, 0, 800, 70);
    Background->SetStretch(true);
    TZIBMAINForm::SetJpegImage(Background, "ZIBtoolbar");
    PRbtn = Add<TImage>(*this, *Toolbar, "PRbtn", 10, 10, 120, 50);
    PRbtn->SetCursor(crHandPoint);
    Label1 = Add<TLabel>(*this, *Toolbar, "Label1", 160, 27, 40, 16);
    Label1->SetCaption("Zoom:");
    Label1->SetTransparent(true);
    Label1->Font().SetColor(clWhite);
    ZoomComboBox = Add<TComboBox>(*this, *Toolbar, "ZoomComboBox", 200, 23, 120, 22);
    ZoomComboBox->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char *item : kZoomItems)
        ZoomComboBox->Items().Add(item);
    ButtonExit = Add<TButton>(*this, *Toolbar, "ButtonExit", 690, 20, 100, 30);
    ButtonExit->SetCaption("Sluiten");
    ButtonExit->SetHint("Afdrukvenster sluiten");
    ButtonExit->SetShowHint(true);

    Panel1 = Add<TPanel>(*this, "Panel1", 0, 70, 800, 530);
    Panel1->SetAlign(TAlign::alClient);
    Panel1->SetColor(clBlack);
    PrintPreview = new TPrintPreview(this);
    PrintPreview->SetName("PrintPreview");
    PrintPreview->SetParent(Panel1);
    if (look.blackSurround)
        PrintPreview->SetColor(clBlack);
    PrintPreview->PaperView().SetShadowColor(clBackground);
    PrintPreview->SetPrintJobTitle("Afdrukken ZIB-rapport");
    for (TControlScrollBar *bar : {&PrintPreview->HorzScrollBar(), &PrintPreview->VertScrollBar()}) {
        bar->SetMargin(10);
        bar->SetTracking(true);
    }

    Edit1 = Add<TEdit>(*this, "Edit1", 0, 0, 80, 20);
    Edit1->SetVisible(false);
    // No tick handler: printing does not defer its action.
    LatencyTimer = formparts::AddLatencyTimer(*this, 500);
    PrinterSetupDialog = new TPrinterSetupDialog(this);
    PrinterSetupDialog->SetName("PrinterSetupDialog");

    PRbtn->SetEnabled(false);
    ZoomComboBox->OnChange = Method(this, &TPP::ZoomComboBoxChange);
    PRbtn->OnClick = Method(this, &TPP::PrintButtonClick);
    PrinterSetupDialog->OnClose = Method(this, &TPP::FormCreate);
    ButtonExit->OnClick = Method(this, &TPP::Exitclick);
    PrintPreview->OnBeginDoc = Method(this, &TPP::PrintPreviewBeginDoc);
    PrintPreview->OnEndDoc = Method(this, &TPP::PrintPreviewEndDoc);
    PrintPreview->OnChange = Method(this, &TPP::PrintPreviewChange);
    PrintPreview->OnZoomChange = Method(this, &TPP::PrintPreviewZoomChange);
    PrintPreview->OnBeforePrint = Method(this, &TPP::PrintPreviewBeforePrint);
    PrintPreview->OnAfterPrint = Method(this, &TPP::PrintPreviewAfterPrint);
    OnCreate = Method(this, &TPP::FormCreate);
    OnActivate = Method(this, &TPP::FormActivate);
}

void TPP::FormCreate(TObject *)
{
    SetDoubleBuffered(true);
    FormatSettings().DateSeparator = '-';
    TZIBMAINForm::SetButtonImage(PRbtn, "BtnPRoff");
    PrintPreview->SetZoomState(zsZoomToFit);
    PrintPreviewZoomChange(this);
    FirstActivation = true;
    Edit1->SetText(DateToStr(Now()));
}

void TPP::FormActivate(TObject *)
{
    if (!FirstActivation)
        return;
    FirstActivation = false;
    Repaint();
    MaakPaginas();
    if (ZIBinvoer->AdminState == 6)
        FirstActivation = true;
}

void TPP::MaakPaginas()
{
    const report::TTabUnits tabs = report::MeasureTabUnits(Font());
    report::GeneratePage(*PrintPreview, [this, &tabs](report::TReportTarget &target) { DrawPages(target, tabs); });
}

void TPP::DrawPages(report::TReportTarget &target, const report::TTabUnits &tabs)
{
    LastPage = report::DrawAdministrationReport(target, ZIBinvoer->Adm, tabs);
    Edit1->SetText(LastPage.dateText);
}

void TPP::ZoomComboBoxChange(TObject *)
{
    const int i = ZoomComboBox->ItemIndex();
    if (i >= 0 && i < 4)
        PrintPreview->SetZoom(kZoomPercent[i]);
    else if (i == 4)
        PrintPreview->SetZoomState(zsZoomToWidth);
    else if (i == 5)
        PrintPreview->SetZoomState(zsZoomToHeight);
    else if (i == kFitIndex)
        PrintPreview->SetZoomState(zsZoomToFit);
}

void TPP::PrintPreviewZoomChange(TObject *)
{
    int index = -1;
    switch (PrintPreview->ZoomState()) {
    case zsZoomToWidth:
        index = 4;
        break;
    case zsZoomToHeight:
        index = 5;
        break;
    case zsZoomToFit:
        index = kFitIndex;
        break;
    default:
        for (int i = 0; i < 4; ++i)
            if (PrintPreview->Zoom() == kZoomPercent[i])
                index = i;
        break;
    }
    // An index past the items (the fit) shows no selection.
    ZoomComboBox->SetItemIndex(index);
}

void TPP::PrintButtonClick(TObject *)
{
    if (PrintPreview->State() != psReady)
        return;
    ZIBMAINForm->PlayClickSound();
    if (!PrintPreview->PrinterInstalled()) {
        ShowMessage(kNoPrinter);
        return;
    }
    TZIBMAINForm::SetButtonImage(PRbtn, "BtnPRon");
    PrintPreview->SetPrinterOptions();
    if (!PrinterSetupDialog->Execute()) {
        if (!PrintPreview->PrinterInstalled())
            ShowMessage(kNoPrinter);
        return;
    }
    PrintPreview->UpdateAnnotation();
    PrintPreview->Print();
}

void TPP::PrintPreviewBeforePrint(TObject *)
{
    SetCaption(Application()->Title() + " - Preparing to print...");
    Screen()->SetCursor(crHourGlass);
    PRbtn->SetEnabled(false);
}

void TPP::PrintPreviewAfterPrint(TObject *)
{
    SetCaption(Application()->Title());
    Screen()->SetCursor(crDefault);
    EnableAfterRecording();
}

void TPP::PrintPreviewBeginDoc(TObject *)
{
    SetCaption(Application()->Title() + " - Creating pages...");
    PRbtn->SetEnabled(false);
}

void TPP::EnableAfterRecording()
{
    PRbtn->SetEnabled(PrintPreview->PrinterInstalled() && PrintPreview->TotalPages() > 0);
}

void TPP::PrintPreviewEndDoc(TObject *)
{
    SetCaption(Application()->Title());
    EnableAfterRecording();
}

void TPP::PrintPreviewChange(TObject *)
{
    if (PrintPreview->State() != psCreating)
        EnableAfterRecording();
}

String TPP::TRpath() { return adm::ReportFolder(); }

bool TPP::SaveReport(const String &zrp, const String &pdf, const String &dialogName)
{
    try {
        PrintPreview->SaveToFile(MapPath(zrp));
        // A copy that was not written fails the step like the report file:
        // the test leader is told.
        PrintPreview->SaveAsPDF(MapPath(pdf));
        return true;
    } catch (...) {
        try {
            throw;
        } catch (const Exception &) {
            ShowMessage(kE001);
        } catch (...) {
            ShowMessage("Exception Raised");
        }
    }
    // The dialog keeps the current folder, so that relative settings paths
    // keep pointing where they did.
    TSaveDialog dialog(nullptr);
    dialog.Title = "Naar bestand opslaan";
    dialog.Filter = "ZIB-rapport (*.zrp)|*.*";
    dialog.DefaultExt = "zrp";
    dialog.Options = look_.saveDialogOptions;
    dialog.FileName = dialogName;
    if (dialog.Execute()) {
        // A place that fails too is said, and the caller goes on all the same.
        try {
            PrintPreview->SaveToFile(dialog.FileName);
        } catch (const std::exception &e) {
            Application()->ShowException(e);
        }
    }
    return false;
}

void TPP::Exitclick(TObject *)
{
    adm::TAdministration &a = ZIBinvoer->Adm;
    FormatSettings().DateSeparator = '-';
    Edit1->SetText(adm::ReportDateText(a.P));
    // Another administration's report of this name never comes this far: a
    // start or a resume whose name, report included, is taken asks first.
    SaveReport(adm::ReportFile(TRpath(), a.P.code, Edit1->Text()),
               adm::ReportPdfFile(TRpath(), a.P.code, Edit1->Text()),
               adm::SchoonNaam(a.P.code) + " - " + DateToStr(Date()) + ".zrp");

    ZIBinvoer->Opslaan1Click(this);
    const auto stored = ZIBinvoer->LastStore;
    using TStore = adm::TAdministration::TStoreResult;
    if (ZIBinvoer->AdminState == 7 && (stored == TStore::Stored || stored == TStore::BackupStored))
        DeleteFile(MapPath(adm::IncompleteFile(a.DataPath, a.BaseName())));

    ZIBfinish->ButtonHM->SetEnabled(true);
    ZIBfinish->ButtonExit->Show();
    SetModalResult(mrOk);
    Close();
}

void TPP::WindowCloseRequested()
{
    if (ButtonExit->Enabled() && ButtonExit->Visible())
        Exitclick(this);
}
