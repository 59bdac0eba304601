#pragma once
// The state of one administration, without widgets: the particulars, the
// form, the state code, the age, the base name of the administration's
// files, the two score grids, the in-memory data files and the
// incomplete-administration file, with the operations on them (clear, start
// with the overwrite-or-number question, store with its backup procedure,
// resume, continue). The particulars window TZIBinvoer owns one and shows it;
// tests drive it directly.
//
// What the subtest windows use (everything else is the particulars window's):
//
//   SGRscoreFW / SGRscoreFV   write item time (column 1, tenths of a second
//                             as decimal text) and score (column 2, "1" or
//                             "0") of grid row r; deletion rows 0..2 are the
//                             examples, 3..14 items 1..12; substitution rows
//                             0..11 are items 1..12
//   ElaatsteFW / ELaatsteFV   the last entry reached ("vb1".."vb3", "4".."15";
//                             "1".."12")
//   EntryFW / EntryFV         the subtest window's current entry (1-based):
//                             the number of (time, score) pairs a store
//                             writes; the subtest windows keep it here, a
//                             resume sets it
//   State                     the administration state 1..7
//   AgeInMonths, Form()       for the maximum response times and the prompts
//   Autosave                  set around an item's store, silencing the
//                             save sound of the notice
//   Opslaan()                 the store, after every scored item; an error
//                             other than a file that cannot be created
//                             (which starts the backup) reaches the caller
//   OnEntryResumed            called by a resume for each subtest with its
//                             current entry and the form, so that the
//                             subtest window re-opens its prompt streams
#include "administration/DataRecords.h"
#include "administration/Particulars.h"
#include "administration/Scoring.h"
#include "platform/core/StringList.h"
#include "platform/gui/Dialogs.h"

#include <functional>
#include <memory>
#include <string>

namespace adm {

class TAdministration {
public:
    TAdministration();
    ~TAdministration();

    // ------------------------------------------------------------ state
    TParticulars P;
    int State = 0;
    int AgeInMonths = 0;
    std::string AgeText;    // Edit3
    bool Valid = false;     // particulars valid
    int Autosave = 0;       // 1 while a subtest stores an item
    plat::TDateTime TestDate = 0;
    int TestYear = 0, TestMonth = 0, TestDay = 0;

    TScoreGrid SGRscoreFW{TSubtest::FW};
    TScoreGrid SGRscoreFV{TSubtest::FV};
    std::string ElaatsteFW, ELaatsteFV;
    int EntryFW = 1, EntryFV = 1;

    TDataList DataFW, DataFV;   // MdataFW + SGdataFW, MdataFV + SGdataFV
    plat::TStringList MemoCom;  // the incomplete-administration file
    int LastParsedRow = 0;

    // The main window's data path: the settings value followed by "\".
    std::string DataPath = "\\";

    // The name of the administration's files; empty until a start, a
    // resume or the first store fixes it.
    const std::string &BaseName() const { return baseName_; }
    // The code by which the administration's record line is found; fixed
    // with the base name.
    const std::string &RecordCode() const { return recordCode_; }
    // The base name is fixed: the code and the test date cannot change.
    bool Fixed() const { return !baseName_.empty(); }
    // The incomplete-administration file a resume read; deleted after the
    // first successful store under the new name.
    const std::string &ResumedFile() const { return resumedFile_; }

    // Form A or B (0, 1), or -1.
    int Form() const { return P.form; }

    // ------------------------------------------------------------ hooks
    // The saved notice (one second, with the save sound unless Autosave).
    std::function<void()> OnSavedNotice;
    std::function<void(TSubtest, int entry, int form)> OnEntryResumed;
    // The application title, for the backup dialog's title.
    std::function<std::string()> Title;

    // --------------------------------------------------------- operations
    // Today's date for the administration: the test-date words and fields.
    void SetTestDate(plat::TDateTime today);

    // Clears for a new administration (WisGegevens): particulars, grids,
    // lists, the last entries, and the base name.
    void WisGegevens();

    // The birth-date check after every change; sets Valid, the age and
    // AgeText from today.
    TBirthCheck MayContinue();

    // The start button's checks, then the base name with the question when
    // an incomplete administration of that name and day exists, then a
    // fresh record in each list.
    enum class TStartResult { Refused, Abandoned, Started };
    TStartResult Start(TStartCheck *check = nullptr);

    // Scoring of this window's grids (the particulars variant).
    scoring::TScores BerekenTS() const;

    std::string MaakRegelFW() const;
    std::string MaakRegelFV() const;
    void VoegRegelToeFW() { DataFW.VoegRegelToe(MaakRegelFW()); }
    void VoegRegelToeFV() { DataFV.VoegRegelToe(MaakRegelFV()); }
    void VervangRegelFW(int n) { DataFW.VervangRegel(n, MaakRegelFW()); }
    void VervangRegelFV(int n) { DataFV.VervangRegel(n, MaakRegelFV()); }
    // The record line of the administration: by the fixed code once the
    // base name is fixed, else by the code as it stands.
    int ZoekRegel() const;

    // Parses row (1-based) of the data grid into the state; false after the
    // message for a damaged record (the state is then cleared).
    bool LeesRegel(TSubtest s, int row);
    bool LeesRegelFW(int row) { return LeesRegel(TSubtest::FW, row); }
    bool LeesRegelFV(int row) { return LeesRegel(TSubtest::FV, row); }

    // The store (Opslaan1Click). Stored: all three files written, in the
    // data folder or by the backup. The notice follows a store that wrote
    // its files; other write errors are raised after it.
    enum class TStoreResult { NotStored, Stored, BackupStored, BackupCancelled };
    TStoreResult Opslaan();

    // Resumes from an incomplete-administration file (HervatAfname). False
    // when the file or its data are damaged, or when today's name belongs to
    // another administration and the test leader does not want the resumed
    // one numbered: the message is shown, the state cleared, and nothing on
    // disk is touched.
    bool HervatAfname(const std::string &ztaFile);

    // Continue of a resumed administration, states 1..6: the record line
    // replaced now, the state change on the deferred tick.
    void ContinueReplace();
    TContinueStep ContinueTick();

private:
    // Files of an administration under that base name exist (its
    // incomplete-administration file, a data file), or, with reports, the
    // report or PDF copy that the current code and test date name.
    bool NameTaken(const std::string &base, bool reports = true) const;
    // The next number for the code: counter moves on from the number the
    // code carries; the code is renumbered and its base name returned.
    std::string Renumber(int &counter);
    bool ApplyParsed(TSubtest s, const TParsedRecord &r);
    TParticulars RecordParticulars() const;
    void ApplyTestDate();
    TStoreResult Backup();

    std::string baseName_;
    std::string recordCode_;
    std::string resumedFile_;
    std::unique_ptr<plat::TSaveDialog> saveDialog_;
};

} // namespace adm
