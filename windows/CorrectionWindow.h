#pragma once
// The correction of a stored administration, shown modally by the report
// viewer for the report it has loaded. What it shows is laid out here; the
// data files, the records and every rule live in TCorrection
// (administration/Correction.h), which this window owns as Corr and keeps in
// step with its controls.
#include "administration/Correction.h"
#include "windows/FormParts.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <array>
#include <functional>

class TUiGridPanel;
class TUiRadioGroup;

class Tcorrect : public plat::TForm {
public:
    explicit Tcorrect(plat::TComponent *owner);

    adm::TCorrection Corr;

    // What the viewer gives and takes: the key of its loaded report (read on
    // showing), the call after a confirmed correction (the viewer draws and
    // saves the corrected report, then calls Opslaan1Click), and the close.
    std::string ViewerKey;
    std::function<void()> OnConfirmed;
    std::function<void()> OnClosed;

    // Writes the corrected data files; false after the message naming the
    // file that could not be written.
    bool Opslaan1Click(plat::TObject *Sender);

    // Handlers of the window description.
    void FormShow(plat::TObject *Sender);
    void FormClose(plat::TObject *Sender, plat::TCloseAction &Action);
    void CORRbtnClick(plat::TObject *Sender);
    void ButtonExitClick(plat::TObject *Sender);
    void AccuChange(plat::TObject *Sender);
    void EcodeChange(plat::TObject *Sender);
    void EditChange(plat::TObject *Sender);
    void EschoolChange(plat::TObject *Sender);
    void EtlChange(plat::TObject *Sender);
    void EgroepChange(plat::TObject *Sender);
    void RGsekseClick(plat::TObject *Sender);
    void RGsekseEnter(plat::TObject *Sender);

    void WisGegevens();
    void LaadData();

    plat::TLabel *LabelCode, *LabelSekse, *LabelGeb, *LabelAfn, *LabelSchool, *LabelGroep, *LabelTl;
    plat::TEdit *Ecode;
    plat::TRadioGroup *RGsekse;
    plat::TEdit *Egebdag, *Egebmnd, *Egebjaar;
    plat::TEdit *Eafndag, *Eafnmnd, *Eafnjaar;
    plat::TEdit *Eschool, *Egroep, *Etl;
    plat::TLabel *FWlabel, *Label31;
    TUiGridPanel *FWaccGrid, *FVaccGrid;
    std::array<plat::TComboBox *, 12> FWitemAcc{}, FVitemAcc{};
    plat::TImage *CORRbtn;
    plat::TButton *ButtonExit;
    // Hidden.
    TUiRadioGroup *ZIBversion;
    plat::TEdit *ZIBvorm, *Edit3;
    plat::TLabel *today;

    // Live updating: the code's line rebuilt on every change of the birth
    // date or the sex, once the sex choice has had the focus.
    bool Live = false;

private:
    void ShowCorrection();
    void AccuColor(plat::TComboBox *list);
    formparts::TParticularEdits Edits() const;
    void FieldChanged(plat::TEdit *edit, adm::TFieldKind kind);
    // School and test leader: the edit shows what adm::LimitCorrText leaves
    // of a change.
    void LimitText(plat::TEdit *edit);
    bool syncing_ = false;
    // The correction as loaded: closing without confirming drops the edits.
    adm::TCorrection asLoaded_;
    bool confirmedShowing_ = false;
};

extern Tcorrect *correct;
