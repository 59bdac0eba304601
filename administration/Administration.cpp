#include "administration/Administration.h"

#include "administration/DataFiles.h"
#include "platform/core/Dates.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/Text.h"
#include "platform/gui/Cursors.h"

#include <algorithm>

namespace adm {

namespace {

constexpr const char *kMsgNietOpgeslagen = "Data niet opgeslagen!!! Backup-procedure wordt opgestart.";
constexpr const char *kMsgBackupOpgeslagen =
    "Data opgeslagen op backuplocatie. Het ZIB-afnameprogramma heeft t.b.v. van schrijfbewerkingen geen "
    "toegang tot de (tijdens het installatieproces opgegeven) locatie voor de opslag van uw data en "
    "testrapporten.";
constexpr const char *kBestaandCaption = "Bestaande testafname gevonden...";
constexpr const char *kBestaandText =
    "Er bestaat al een testafname van vandaag voor deze proefpersoon. Wilt u deze afname overschrijven? "
    "(`Nee` maakt een nieuwe afname aan met toevoeging van `#[volgnr]`.)";

constexpr const char *kHervatText =
    "Er bestaat al een testafname van vandaag voor deze proefpersoon. Wilt u de hervatte afname voortzetten "
    "als nieuwe afname met toevoeging van `#[volgnr]`? (`Nee` hervat de afname niet; beide afnames blijven "
    "bewaard.)";
constexpr const char *kNietHervat =
    "De afname is niet hervat. Beide afnames zijn ongewijzigd bewaard.";

void Confirm(const std::string &text) { plat::MessageDlg(text, plat::mtConfirmation, {plat::mbOK}); }

// The counter in line 2 of an incomplete-administration file; a line that
// is no number counts as 0.
int Counter(const plat::TStringList &memo)
{
    if (memo.Count() < 2)
        return 0;
    const int n = plat::StrToIntDef(memo[1], 0);
    return n < 0 ? 0 : n;
}

// A base name read from a file names a file in the folder it is meant for.
bool SafeBaseName(const std::string &base)
{
    if (base.empty() || CodeLeavesFolder(base))
        return false;
    for (char c : base)
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

// The question when another administration of this code and day has the
// name: Ja and Nee, No the default, Arial 8 points in black.
int AskExisting(const std::string &text)
{
    plat::TMessageDialog dlg(text, plat::mtConfirmation, {plat::mbYes, plat::mbNo});
    dlg.Caption = kBestaandCaption;
    dlg.Button(plat::mrYes)->Caption = "Ja";
    dlg.Button(plat::mrNo)->Caption = "Nee";
    dlg.DefaultResult = plat::mrNo;
    dlg.FontName = "Arial";
    dlg.FontSize = 8;
    dlg.TextColor = plat::clBlack;
    return dlg.ShowModal();
}

} // namespace

bool TAdministration::NameTaken(const std::string &base, bool reports) const
{
    // The report and its PDF copy are named after the code and the test
    // date as typed, which a renumbered base name writes without leading
    // zeros: a name is free only when neither kind of file has it.
    const std::string folder = ReportFolder(), date = ReportDateText(P);
    return plat::FileExists(IncompleteFile(DataPath, base)) || plat::FileExists(DataFileFW(DataPath, base)) ||
           plat::FileExists(DataFileFV(DataPath, base)) ||
           (reports && (plat::FileExists(ReportFile(folder, P.code, date)) ||
                        plat::FileExists(ReportPdfFile(folder, P.code, date))));
}

std::string TAdministration::Renumber(int &counter)
{
    // The code carries the number it has (from its incomplete file, or the
    // one given here before): that suffix is replaced, never added to.
    const int current = counter;
    counter = current + 1 == 1 ? 2 : current + 1;
    P.code = RenumberedCode(P.code, current, counter);
    return adm::BaseName(P.code, std::to_string(TestDay), std::to_string(TestMonth), std::to_string(TestYear));
}

TAdministration::TAdministration() : saveDialog_(std::make_unique<plat::TSaveDialog>(nullptr))
{
    SetTestDate(plat::Date());
}

TAdministration::~TAdministration() = default;

void TAdministration::SetTestDate(plat::TDateTime today)
{
    TestDate = today;
    ApplyTestDate();
}

void TAdministration::ApplyTestDate()
{
    plat::DecodeDate(TestDate, TestYear, TestMonth, TestDay);
    P.afndag = VulLinks(std::to_string(TestDay), '0', 2);
    P.afnmnd = VulLinks(std::to_string(TestMonth), '0', 2);
    P.afnjaar = std::to_string(TestYear);
}

void TAdministration::WisGegevens()
{
    LastParsedRow = 0;
    DataFW.Clear();
    DataFV.Clear();
    const TParticulars cleared;
    P = cleared;
    ApplyTestDate();
    ElaatsteFW.clear();
    ELaatsteFV.clear();
    SGRscoreFW.Clear();
    SGRscoreFV.Clear();
    for (int i = 0; i < std::min(MemoCom.Count(), kScoreRows); ++i)
        MemoCom.SetStrings(i, "");
    EntryFW = EntryFV = 1;
    Valid = false;
    Autosave = 0;
    AgeInMonths = 0;
    AgeText.clear();
    // A store before the next start builds its name from the particulars
    // then entered, never from the previous administration's.
    baseName_.clear();
    recordCode_.clear();
    resumedFile_.clear();
}

TBirthCheck TAdministration::MayContinue()
{
    const TBirthCheck c = adm::MayContinue(P, TestDate);
    Valid = c.valid;
    if (c.valid) {
        AgeInMonths = c.ageInMonths;
        AgeText = c.ageText;
    }
    return c;
}

TAdministration::TStartResult TAdministration::Start(TStartCheck *check)
{
    const TStartCheck c = CheckStart(P, TestDate);
    if (check)
        *check = c;
    Valid = c.birth.valid;
    if (!c.ok()) {
        Valid = false;
        return TStartResult::Refused;
    }
    AgeInMonths = c.birth.ageInMonths;
    AgeText = c.birth.ageText;

    std::string base = adm::BaseName(P.code, P.afndag, P.afnmnd, P.afnjaar);
    MemoCom.SetStrings(0, base);
    int counter = 0;
    // A finished administration has no ".zta" left, only its data files and
    // report; they are not overwritten unasked either, and its number is the
    // one this loop gave the name.
    while (NameTaken(base)) {
        plat::TStringList loaded;
        if (plat::FileExists(IncompleteFile(DataPath, base)) &&
            LoadLines(IncompleteFile(DataPath, base), loaded) == TLoadResult::Ok)
            MemoCom = loaded;
        counter = std::max(counter, Counter(loaded));

        const int answer = AskExisting(kBestaandText);
        if (answer == plat::mrYes)
            break;
        if (answer != plat::mrNo) {
            Valid = false;
            return TStartResult::Abandoned;
        }
        base = Renumber(counter);
        MemoCom.SetStrings(0, base);
    }
    Valid = true;
    // Both lines, also over a loaded file that lacked them or held no number.
    MemoCom.SetStrings(0, base);
    MemoCom.SetStrings(1, std::to_string(counter));

    baseName_ = base;
    recordCode_ = P.code;
    resumedFile_.clear();
    EntryFW = EntryFV = 1;
    VoegRegelToeFW();
    VoegRegelToeFV();
    return TStartResult::Started;
}

scoring::TScores TAdministration::BerekenTS() const
{
    return adm::BerekenTS(P, State, AgeInMonths, SGRscoreFW, SGRscoreFV, scoring::TVariant::Particulars);
}

TParticulars TAdministration::RecordParticulars() const
{
    // Once the name is fixed the record keeps the code it is found by.
    TParticulars p = P;
    if (Fixed())
        p.code = recordCode_;
    return p;
}

std::string TAdministration::MaakRegelFW() const
{
    return MaakRegel(Profile(TSubtest::FW), RecordParticulars(), {ElaatsteFW, State}, SGRscoreFW, EntryFW,
                     BerekenTS());
}

std::string TAdministration::MaakRegelFV() const
{
    return MaakRegel(Profile(TSubtest::FV), RecordParticulars(), {ELaatsteFV, State}, SGRscoreFV, EntryFV,
                     BerekenTS());
}

int TAdministration::ZoekRegel() const { return DataFW.ZoekRegel(Fixed() ? recordCode_ : P.code); }

bool TAdministration::ApplyParsed(TSubtest s, const TParsedRecord &r)
{
    const bool fw = s == TSubtest::FW;
    const int entry = ApplyRecord(r, true, P, State, fw ? SGRscoreFW : SGRscoreFV, fw ? ElaatsteFW : ELaatsteFV);
    (fw ? EntryFW : EntryFV) = entry;
    if (OnEntryResumed)
        OnEntryResumed(s, entry, P.form);
    return true;
}

bool TAdministration::LeesRegel(TSubtest s, int row)
{
    TDataList &data = s == TSubtest::FW ? DataFW : DataFV;
    const auto r = adm::LeesRegel(Profile(s), row >= 1 && row <= kDataRows ? data.Row(row - 1) : "");
    if (!r) {
        Confirm(Profile(s).damaged);
        WisGegevens();
        data.ClearGrid();
        return false;
    }
    LastParsedRow = row;
    return ApplyParsed(s, *r);
}

TAdministration::TStoreResult TAdministration::Opslaan()
{
    if (const int r = ZoekRegel()) {
        VervangRegelFW(r);
        VervangRegelFV(r);
    }
    if (CodeEmpty(P.code) || !Valid)
        return TStoreResult::NotStored;
    if (baseName_.empty()) {
        // Before the start: the start's question decides about the files of
        // another administration of this code and day, never this store.
        if (CodeLeavesFolder(P.code) || NameTaken(adm::BaseName(P.code, P.afndag, P.afnmnd, P.afnjaar)))
            return TStoreResult::NotStored;
        baseName_ = adm::BaseName(P.code, P.afndag, P.afnmnd, P.afnjaar);
        recordCode_ = P.code;
        MemoCom.SetStrings(0, baseName_);
        MemoCom.SetStrings(1, "0");
        DataFW.VoegRegelToe(PlaceholderRecord(Profile(TSubtest::FW), P));
        DataFV.VoegRegelToe(PlaceholderRecord(Profile(TSubtest::FV), P));
    }

    const std::string incomplete = IncompleteFile(DataPath, baseName_);
    const std::pair<std::string, plat::TStringList *> files[] = {
        {incomplete, &MemoCom},
        {DataFileFW(DataPath, baseName_), &DataFW.Lines},
        {DataFileFV(DataPath, baseName_), &DataFV.Lines},
    };
    TStoreResult result = TStoreResult::Stored;
    for (const auto &[name, lines] : files) {
        const plat::TWriteResult w = SaveLines(name, *lines);
        if (w == plat::TWriteResult::CannotCreate) {
            result = Backup();
            break;
        }
        if (w == plat::TWriteResult::WriteFailed)
            throw plat::EWriteError("Stream write error");
    }
    if (result == TStoreResult::Stored && !resumedFile_.empty()) {
        // The resumed administration now lives under its new name; its old
        // file goes only once that name holds all three files.
        if (!SameFile(resumedFile_, incomplete))
            plat::DeleteFile(resumedFile_);
        resumedFile_.clear();
    }
    if ((result == TStoreResult::Stored || result == TStoreResult::BackupStored) && OnSavedNotice)
        OnSavedNotice();
    return result;
}

TAdministration::TStoreResult TAdministration::Backup()
{
    for (;;) {
        Confirm(kMsgNietOpgeslagen);
        plat::TSaveDialog &dlg = *saveDialog_;
        dlg.Filter = "ZIB-bestand|*.zta|ZIB-bestand|*.zta";
        dlg.DefaultExt = "zta";
        // The chosen folder is used by its path; the current folder stays.
        dlg.Options = plat::ofOverwritePrompt | plat::ofHideReadOnly | plat::ofNoChangeDir;
        dlg.FileName = baseName_ + ".zta";
        dlg.Title = (Title ? Title() : std::string()) + " - Kies een alternatieve locatie...";
        if (!dlg.Execute())
            return TStoreResult::BackupCancelled;

        const std::string folder = plat::IncludeTrailingPathDelimiter(plat::ExtractFilePath(dlg.FileName));
        bool ok;
        {
            const plat::TBusyCursor busy;
            ok = SaveLines(dlg.FileName, MemoCom) == plat::TWriteResult::Ok &&
                 SaveLines(folder + baseName_ + "_FW.wda", DataFW.Lines) == plat::TWriteResult::Ok &&
                 SaveLines(folder + baseName_ + "_FV.vda", DataFV.Lines) == plat::TWriteResult::Ok;
        }
        if (ok) {
            Confirm(kMsgBackupOpgeslagen);
            return TStoreResult::BackupStored;
        }
    }
}

bool TAdministration::HervatAfname(const std::string &ztaFile)
{
    if (ztaFile.empty())
        return false;
    const TSubtestProfile &fwp = Profile(TSubtest::FW);
    const TSubtestProfile &fvp = Profile(TSubtest::FV);
    auto damaged = [this](const TSubtestProfile &p) {
        Confirm(p.damaged);
        WisGegevens();
        DataFW.ClearGrid();
        DataFV.ClearGrid();
        return false;
    };

    // Everything is read and checked before anything changes.
    plat::TStringList memo, fw, fv;
    if (LoadLines(ztaFile, memo) != TLoadResult::Ok || memo.Count() < 1 || !SafeBaseName(memo[0]))
        return damaged(fwp);
    if (LoadLines(DataFileFW(DataPath, memo[0]), fw) != TLoadResult::Ok || fw.Count() < 1)
        return damaged(fwp);
    if (LoadLines(DataFileFV(DataPath, memo[0]), fv) != TLoadResult::Ok || fv.Count() < 1)
        return damaged(fvp);
    const auto pf = adm::LeesRegel(fwp, fw[fw.Count() - 1]);
    if (!pf || CodeLeavesFolder(pf->particulars.code))
        return damaged(fwp);
    const auto pv = adm::LeesRegel(fvp, fv[fv.Count() - 1]);
    if (!pv || CodeLeavesFolder(pv->particulars.code))
        return damaged(fvp);

    MemoCom = memo;
    DataFW.Lines = fw;
    DataFV.Lines = fv;
    DataFW.VulGrid();
    DataFV.VulGrid();
    ApplyParsed(TSubtest::FW, *pf);
    ApplyParsed(TSubtest::FV, *pv);
    LastParsedRow = fv.Count();
    State = ResumedState(State, ElaatsteFW, ELaatsteFV);
    // Deleted after the first store under the new name, so that a crash in
    // between loses nothing.
    resumedFile_ = ztaFile;

    // Re-dated: later stores write files named with today's date.
    const std::string storedDate = ReportDateText(P);
    ApplyTestDate();
    std::string base = adm::BaseName(P.code, P.afndag, P.afnmnd, P.afnjaar);
    recordCode_ = P.code;
    // Resumed on its own day, the report of this name is its own (a
    // renumbered name changes only in its leading zeros).
    if (base != memo[0] && NameTaken(base, storedDate != ReportDateText(P))) {
        // Another administration of this code has today's name: the resumed
        // one goes on under a number of its own, or is not resumed; either
        // way both keep their files.
        if (AskExisting(kHervatText) != plat::mrYes) {
            Confirm(kNietHervat);
            WisGegevens();
            DataFW.ClearGrid();
            DataFV.ClearGrid();
            return false;
        }
        const int row = DataFW.ZoekRegel(recordCode_);
        int counter = Counter(memo);
        do
            base = Renumber(counter);
        while (NameTaken(base));
        MemoCom.SetStrings(1, std::to_string(counter));
        recordCode_ = P.code;
        // The record lines carry the new code, so that every store finds
        // and replaces them.
        if (row > 0) {
            VervangRegelFW(row);
            VervangRegelFV(row);
        }
    }
    baseName_ = base;
    MemoCom.SetStrings(0, baseName_);
    MayContinue();
    return true;
}

void TAdministration::ContinueReplace()
{
    if (const int r = ZoekRegel()) {
        VervangRegelFW(r);
        VervangRegelFV(r);
    }
}

TContinueStep TAdministration::ContinueTick()
{
    Valid = true;
    const TContinueStep step = ContinueStep(State);
    State = step.state;
    return step;
}

} // namespace adm
