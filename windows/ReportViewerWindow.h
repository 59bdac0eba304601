#pragma once
// The report viewer: reopens a stored report file to show, print or export
// it, opens the folder of the PDF copies, and starts the correction of the
// administration behind the report. It is the report window after an
// administration (TPP) with its own pages, sources and files: toolbar, zoom,
// printing, the preview's handlers, rounding and the saving with its E001
// path are TPP's.
//
// Every generation gives three pages: the intro page or the report drawn
// from the correction window, then two blank pages. The first activation
// (and the next one after any open or printer dialog closed, as these run
// the creation handler again) shows the intro page and the open dialog.
#include "windows/ReportWindow.h"

#include <memory>

class TUiButton;

class TTRO : public TPP {
public:
    explicit TTRO(plat::TComponent *owner);

    void FormCreate(plat::TObject *Sender) override;
    void FormActivate(plat::TObject *Sender) override;
    void Exitclick(plat::TObject *Sender) override;
    void Autostart();
    void LoadButtonClick(plat::TObject *Sender);
    void CORRbtnClick(plat::TObject *Sender);
    void UiButton1Click(plat::TObject *Sender);

    // The report folder: "trpath" of the settings file, "default" when missing.
    static plat::String TRpath();

    plat::TImage *LOADbtn, *CORRbtn, *Image3;
    TUiButton *UiButton1;
    plat::TOpenDialog *OpenDialog;

    // The loaded report: "ZIBOR-testrapport - " + its full file name, and the
    // administration key the correction window reads.
    std::string ReportName;
    std::string Key;

protected:
    // The intro page or the report from the correction window, then two
    // blank pages.
    void DrawPages(report::TReportTarget &target, const report::TTabUnits &tabs) override;

private:
    void TekenIntro(report::TReportTarget &target);
    // Opens the chosen report; the PDF copy written when it is missing.
    void OpenReport(const std::string &fileName);
    void SaveCorrected();
};

extern TTRO *TRO;
