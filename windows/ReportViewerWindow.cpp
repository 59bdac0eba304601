#include "windows/ReportViewerWindow.h"

#include "windows/CorrectionWindow.h"
#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "administration/Settings.h"
#include "controls/UiButton.h"
#include "platform/core/Dates.h"
#include "platform/core/Files.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/Application.h"
#include "platform/gui/Dialogs.h"

using namespace plat;
using formparts::Add;

TTRO *TRO = nullptr;

namespace {

constexpr const char *kIntroText = "ZIBOR-rapport bekijken en afdrukken...";
constexpr const char *kPdfNotWritten = "PDF-kopie niet opgeslagen: ";

// The page drawn from the correction window's fields.
report::TReportSource CorrectionSource(const adm::TCorrection &c)
{
    report::TReportSource s;
    s.particulars = c.P;
    s.state = c.State;
    s.deletion = c.SGRscoreFW.Items();
    s.substitution = c.SGRscoreFV.Items();
    adm::DateOf(c.P.afndag, c.P.afnmnd, c.P.afnjaar, s.testDate);
    s.deletionEntry = c.EntryFW;
    return s;
}

} // namespace

TTRO::TTRO(TComponent *owner) : TPP(owner, TReportWindowLook{"TRO", false, ofHideReadOnly | ofEnableSizing | ofNoChangeDir})
{
    TLoadingScope loading(*this);
    LOADbtn = Add<TImage>(*this, *Toolbar, "LOADbtn", 328, 10, 120, 50);
    CORRbtn = Add<TImage>(*this, *Toolbar, "CORRbtn", 452, 10, 120, 50);
    for (TImage *b : {LOADbtn, CORRbtn})
        b->SetCursor(crHandPoint);
    TZIBMAINForm::SetButtonImage(CORRbtn, "BtnWZNoff");
    CORRbtn->SetVisible(false);
    UiButton1 = Add<TUiButton>(*this, *Toolbar, "UiButton1", 577, 10, 110, 50);
    UiButton1->SetCaption("Testrapport.PDF  KLIK HIER");
    // The grey face is what makes the aqua caption readable.
    UiButton1->SetColor(clAppWorkSpace);
    UiButton1->Font().SetName("Arial");
    UiButton1->Font().SetStyle(fsBold);
    UiButton1->Font().SetHeight(-11);
    UiButton1->Font().SetColor(clAqua);
    UiButton1->SetHighlightColor(clActiveCaption);
    UiButton1->SetHotTrack(true);
    UiButton1->SetCursor(crHandPoint);
    Image3 = Add<TImage>(*this, "Image3", 0, 0, 100, 100);
    Image3->SetVisible(false);
    TZIBMAINForm::SetJpegImage(Image3, "TTROintro");

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetName("OpenDialog");
    OpenDialog->OnClose = Method(this, &TTRO::FormCreate);
    LOADbtn->OnClick = Method(this, &TTRO::LoadButtonClick);
    CORRbtn->OnClick = Method(this, &TTRO::CORRbtnClick);
    UiButton1->OnClick = Method(this, &TTRO::UiButton1Click);
}

String TTRO::TRpath() { return settings::Read("trpath", "default"); }

void TTRO::FormCreate(TObject *Sender)
{
    TPP::FormCreate(Sender);
    TZIBMAINForm::SetButtonImage(LOADbtn, "BtnOPENoff");
}

void TTRO::FormActivate(TObject *)
{
    FormatSettings().DateSeparator = '-';
    Repaint();
    if (FirstActivation) {
        MaakPaginas();
        Autostart();
        FirstActivation = false;
        return;
    }
    // Drawn from the correction as it stands: confirmed, or as loaded after
    // a correction closed without confirming. Nothing loaded: the page on
    // show stays.
    if (correct && correct->Corr.Loaded())
        MaakPaginas();
    if (correct && correct->Corr.Confirmed) {
        SaveCorrected();
        correct->Corr.Confirmed = false;
        CORRbtn->SetVisible(false);
    }
}

void TTRO::DrawPages(report::TReportTarget &target, const report::TTabUnits &tabs)
{
    if (FirstActivation) {
        TekenIntro(target);
    } else {
        report::TReportSource source = CorrectionSource(correct->Corr);
        LastPage = report::DrawReportPage(target, report::kViewer, source, tabs);
    }
    PrintPreview->NewPage();
    PrintPreview->NewPage();
}

void TTRO::TekenIntro(report::TReportTarget &target)
{
    TCanvas &c = target.Canvas();
    // A 10 mm margin.
    const TPoint m = target.FromLoMetric({100, 100});
    const int w = target.PageBounds().Right, h = target.PageBounds().Bottom;
    const TRect band{2 * m.X, 2 * m.Y, w - 2 * m.X, 4 * m.Y};
    c.Font().SetName("calibri");
    c.Font().SetStyle(fsBold);
    c.Font().SetSize(18);
    c.Brush().SetColor(clWhite);
    c.SetBkMode(TRANSPARENT);
    c.TextRect(band, band.Left, band.Top, kIntroText);
    c.SetStretchBltMode(COLORONCOLOR);
    c.Pen().SetWidth(0);
    c.Brush().SetStyle(bsClear);
    c.Brush().SetColor(clWhite);
    if (const TGraphic *picture = Image3->Picture().Graphic())
        PrintPreview->PaintGraphicEx({3 * m.X, 10 * m.Y, w - 3 * m.X, h - 10 * m.Y}, *picture, true, true, true);
}

// ------------------------------------------------------------ opening

void TTRO::Autostart()
{
    OpenDialog->Title = "ZIBOR-testrapport openen en afdrukken";
    OpenDialog->InitialDir = TRpath() + "\\";
    OpenDialog->DefaultExt = "zrp";
    OpenDialog->FileName = "";
    OpenDialog->Filter = "ZIBOR-testrapport (*.zrp)|*.zrp";
    // The settings file is found relative to the current folder.
    OpenDialog->Options = ofHideReadOnly | ofNoChangeDir;
    if (OpenDialog->Execute())
        OpenReport(OpenDialog->FileName);
}

void TTRO::LoadButtonClick(TObject *)
{
    if (ZIBMAINForm)
        ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(LOADbtn, "BtnOPENon");
    Autostart();
    TZIBMAINForm::SetButtonImage(LOADbtn, "BtnOPENoff");
}

void TTRO::OpenReport(const std::string &fileName)
{
    const TCursor old = Screen()->Cursor();
    Screen()->SetCursor(crHourGlass);
    SetCaption(Application()->Title() + " - Loading from file...");
    try {
        PrintPreview->LoadFromFile(fileName);
    } catch (const std::exception &e) {
        // Caption and cursor come back before the error is shown.
        SetCaption(Application()->Title());
        Screen()->SetCursor(old);
        Application()->ShowException(e);
        return;
    }
    ReportName = "ZIBOR-testrapport - " + fileName;
    PrintPreview->SetPrintJobTitle(ReportName);
    Key = adm::ReportKey(ReportName);
    SetCaption(Application()->Title());
    Screen()->SetCursor(crDefault);
    CORRbtn->SetVisible(true);
    // An earlier report's correction is no source for this one's page.
    if (correct)
        correct->Corr.WisGegevens();

    const String pdf = TRpath() + "\\PDF\\ZIBOR - " + Key + ".pdf";
    if (!FileExists(MapPath(pdf))) {
        try {
            PrintPreview->SaveAsPDF(MapPath(pdf));
        } catch (const std::exception &) {
            ShowMessage(kPdfNotWritten + MapPath(pdf));
        }
    }
}

// ------------------------------------------------------------ correcting

void TTRO::CORRbtnClick(TObject *)
{
    if (!correct)
        return;
    if (ZIBMAINForm)
        ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(CORRbtn, "BtnWZNon");
    correct->ViewerKey = Key;
    correct->OnConfirmed = [this] {
        FirstActivation = false;
        TZIBMAINForm::SetButtonImage(LOADbtn, "BtnOPENoff");
        FormActivate(this);
    };
    correct->OnClosed = [this] { TZIBMAINForm::SetButtonImage(CORRbtn, "BtnWZNoff"); };
    correct->ShowModal();
}

void TTRO::SaveCorrected()
{
    // Named after the code and test date as they stand in the correction.
    const adm::TParticulars &p = correct->Corr.P;
    const String stem = p.afndag + "-" + p.afnmnd + "-" + p.afnjaar + "_gecorrigeerd";
    const String cleaned = adm::SchoonNaam(p.code);
    SaveReport(TRpath() + "\\" + cleaned + " - " + stem + ".zrp",
               TRpath() + "\\PDF\\ZIBOR - " + p.code + "_" + stem + ".pdf", cleaned + " - " + stem + ".zrp");
    // The corrected data files are written whatever became of the report.
    correct->Opslaan1Click(this);
}

// ------------------------------------------------------------ the rest

void TTRO::UiButton1Click(TObject *)
{
    const String folder = MapPath(TRpath() + "\\PDF");
    ShowMessage("Uw PDF-locatie: [" + folder + "].");
    ShellOpen(folder);
}

void TTRO::Exitclick(TObject *)
{
    FirstActivation = true;
    if (ZIBMAINForm) {
        ZIBMAINForm->ZIBMainInitialize();
        ZIBMAINForm->PlayClickSound();
    }
    CORRbtn->SetVisible(false);
    if (correct)
        correct->Corr.WisGegevens();
    SetModalResult(mrOk);
    Close();
}
