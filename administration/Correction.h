#pragma once
// The correction of a stored administration, without widgets: the two data
// files of the administration behind a report, the particulars and item
// scores of their last records, the checks before a correction is
// confirmed, and the corrected data files. The correction window Tcorrect
// owns one and shows it; the report viewer draws the corrected report from
// it; tests drive it directly.
//
// It shares the record format, the lists, the filters and the age with the
// particulars window and differs from it in these points:
//   - a record holds the (time, score) pairs up to the last entry reached,
//     and the report's T-score;
//   - the entry counts are its own: the subtest windows are left alone (a
//     new administration or a resume sets theirs before anyone reads them),
//     and no prompt streams are opened;
//   - the check needs no form and has no "born too late" rule, and the code
//     takes no blank.
#include "administration/DataRecords.h"
#include "administration/Particulars.h"
#include "administration/Scoring.h"
#include "platform/core/Types.h"

#include <array>
#include <optional>
#include <string>

namespace adm {

// The administration key of a report file (extractTRfilename): the name
// after its last "\" or "/" and before its last ".", with the three
// characters up to its last blank replaced by "_" (positions before the
// first character do not exist). "Jan - 05-03-2024.zrp" gives
// "Jan_05-03-2024"; a name without a blank gives "_" + name.
std::string ReportKey(const std::string &reportName);

// A key that ends in "_dd-mm-yyyy" with the day and month written without
// their leading zeros (the data files of a renumbered administration are
// named so); the key itself when there is nothing to drop.
std::string UnpaddedKey(const std::string &key);

// Day, month and year texts, trimmed, as a date; false when they make none.
bool DateOf(const std::string &day, const std::string &month, const std::string &year, plat::TDateTime &out);

constexpr const char *kMsgCorrGeenNaam = "Type eerst een proefpersoonnaam";
constexpr const char *kMsgCorrVraag =
    "Hiermee worden de gegevens van deze testafname gewijzigd. Het nieuwe testrapport en de bijbehorende "
    "datafiles worden als nieuw bestand opgeslagen onder dezelfde danwel aangepaste naam met toevoeging van "
    "het label \"_gecorrigeerd\". Doorgaan?";
constexpr const char *kMsgCorrNietOpgeslagen = "Gecorrigeerde data niet opgeslagen: ";
// Confirming when the data files of the report could not be read.
constexpr const char *kMsgCorrNietGelezen =
    "De gegevens van deze testafname konden niet worden gelezen; er valt niets te wijzigen.";

// School and test leader are kept to this many characters when typed or
// pasted; a loaded text stays whole.
constexpr int kCorrTextLength = 12;

// What the school or test-leader field holds after a change: before is its
// text until now, text and caret what the edit shows after the change (the
// caret as the edit counts it). Nothing when the change stands: it leaves at
// most twelve characters, or no more than were there. Otherwise a text that
// had at most twelve is cut after the twelfth, the caret behind it, and a
// loaded longer text goes back to before, the caret where the change began.
// Characters, not bytes, are counted; a blank is one like any other.
struct TLimitedText {
    std::string Text;
    int Caret = 0;
};
std::optional<TLimitedText> LimitCorrText(const std::string &before, const std::string &text, int caret);

class TCorrection {
public:
    TParticulars P;
    int State = 0;
    int AgeInMonths = 0;
    std::string AgeText; // Edit3
    bool Valid = false;
    // Set by a confirmed correction, cleared by loading and by the viewer
    // after its save.
    bool Confirmed = false;

    TScoreGrid SGRscoreFW{TSubtest::FW};
    TScoreGrid SGRscoreFV{TSubtest::FV};
    std::string ElaatsteFW, ELaatsteFV;
    // The current entry of each subtest as the records say: the pairs a
    // record holds are the entries before it.
    int EntryFW = 1, EntryFV = 1;

    TDataList DataFW, DataFV;
    std::string Key;    // MemoCom line 0: the loaded key, then the new key
    std::string DataPath = "\\";

    // The 24 item lists: index 0 "F" (wrong), 1 "G" (right), -1 none; a
    // disabled list belongs to an item that was not administered.
    struct TItemList {
        int index = -1;
        bool enabled = true;
    };
    std::array<TItemList, 12> ItemsFW, ItemsFV;
    std::array<TItemList, 12> &Items(TSubtest s) { return s == TSubtest::FW ? ItemsFW : ItemsFV; }
    const std::array<TItemList, 12> &Items(TSubtest s) const { return s == TSubtest::FW ? ItemsFW : ItemsFV; }

    // Both records read: only then can a correction be confirmed.
    bool Loaded() const { return loaded_; }

    // Everything emptied, lists enabled and without choice.
    void WisGegevens();

    // Loads the two data files of key and reads their last records. Missing:
    // the deletion file (or, when that exists, the substitution file) is not
    // there; message holds the file error. Damaged: a file is refused or its
    // last record does not read; message is that subtest's, and the state is
    // cleared.
    enum class TLoadResult { Ok, Missing, Damaged };
    struct TLoad {
        TLoadResult result = TLoadResult::Ok;
        std::string message;
    };
    TLoad LaadData(const std::string &key);

    // A list's choice (AccuChange): the score cells of every list follow,
    // a disabled list's cell stays empty.
    void SetItem(TSubtest s, int item, int index);

    // The report's T-scores from this correction's grids and age.
    scoring::TScores BerekenTS() const;

    std::string MaakRegelFW() const;
    std::string MaakRegelFV() const;
    // The line of the code as it stands in the deletion list.
    int ZoekRegel() const { return DataFW.ZoekRegel(P.code); }
    // The code's line in both lists rebuilt from the fields (live updating).
    void VervangRegels();

    // The checks of confirming (CheckEdits, ControleerInvoer and the date
    // conversions). When they pass: the age to the test date, the new key,
    // and each list holding just one fresh record.
    struct TCheck {
        std::string message; // empty when valid
        TFocus focus = TFocus::Keep;
        bool ok() const { return message.empty(); }
    };
    TCheck CheckEdits(plat::TDateTime today);

    // The corrected data files' names, from the new key.
    std::string CorrectedFileFW() const;
    std::string CorrectedFileFV() const;

    // Stores the corrected data files (Opslaan1Click). failedFile names the
    // first file that could not be written.
    struct TSave {
        bool ok = false;
        std::string failedFile;
    };
    TSave Opslaan();

private:
    void Apply(TSubtest s, const TParsedRecord &r);
    void ScoresFromLists();
    bool loaded_ = false;
};

} // namespace adm
