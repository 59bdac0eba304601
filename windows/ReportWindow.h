#pragma once
// The report window after an administration: generates the one-page test
// report into its print preview, lets the test leader zoom and print it, and
// on closing saves the report file and its PDF copy and stores the
// administration.
//
// Not built here: the controls that stay hidden for the whole run (unit and paper lists,
// annotation, grayscale, direct print, save, PDF and load buttons, page
// tabs, the rich-text field): the page is generated in the preview's
// default unit and paper.
#include "administration/ReportPage.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"
#include "rendering/preview/PrintPreview.h"

// What the report viewer (TTRO, a TPP with its own pages, sources and
// files) sets apart in the window they share.
struct TReportWindowLook {
    const char *name = "PP";
    // The preview's surround: black, or the preview's own colour.
    bool blackSurround = true;
    // The save dialog after E001.
    unsigned saveDialogOptions = plat::ofHideReadOnly | plat::ofPathMustExist | plat::ofEnableSizing |
                                 plat::ofNoChangeDir;
};

class TPP : public plat::TForm {
public:
    explicit TPP(plat::TComponent *owner, const TReportWindowLook &look = {});
    // The creation handler; the end window runs it again to ready the window
    // for the next administration.
    virtual void FormCreate(plat::TObject *Sender);
    virtual void FormActivate(plat::TObject *Sender);
    // The page generation.
    void MaakPaginas();
    void ZoomComboBoxChange(plat::TObject *Sender);
    void PrintButtonClick(plat::TObject *Sender);
    virtual void Exitclick(plat::TObject *Sender);
    // The window system's close (Alt+F4) is the close button, with its saving.
    void WindowCloseRequested() override;

    // The report folder: "trpath" of the settings file, "" when missing.
    static plat::String TRpath();
    // The report's rounding (half up, also below zero).
    static long double RoundD(long double x, int d) { return scoring::RoundD(x, d); }

    // Preview handlers.
    void PrintPreviewBeginDoc(plat::TObject *Sender);
    void PrintPreviewEndDoc(plat::TObject *Sender);
    void PrintPreviewChange(plat::TObject *Sender);
    void PrintPreviewZoomChange(plat::TObject *Sender);
    void PrintPreviewBeforePrint(plat::TObject *Sender);
    void PrintPreviewAfterPrint(plat::TObject *Sender);

    // The toolbar and what it carries, then the preview in its panel.
    plat::TPanel *Toolbar, *Panel1;
    plat::TImage *Background, *PRbtn;
    plat::TLabel *Label1;
    plat::TComboBox *ZoomComboBox;
    plat::TButton *ButtonExit;
    zibor::preview::TPrintPreview *PrintPreview;
    // Hidden: the test date of the file names.
    plat::TEdit *Edit1;
    plat::TTimer *LatencyTimer;
    // Its closing runs the creation handler again.
    plat::TPrinterSetupDialog *PrinterSetupDialog;

    // Set at creation: the next activation generates the pages.
    bool FirstActivation = true;
    // What the last generation drew.
    report::TReportPage LastPage;

protected:
    // What one generation draws: the report page from the particulars window.
    virtual void DrawPages(report::TReportTarget &target, const report::TTabUnits &tabs);
    // Saves the report file and its PDF copy. When either fails: E001 (or
    // "Exception Raised"), then the save dialog pre-filled with dialogName,
    // which saves the report file where the test leader chooses. False
    // after a failure.
    bool SaveReport(const plat::String &zrp, const plat::String &pdf, const plat::String &dialogName);
    const TReportWindowLook look_;

private:
    void EnableAfterRecording();
};

extern TPP *PP;
