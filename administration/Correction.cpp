#include "administration/Correction.h"

#include "administration/Age.h"
#include "administration/DataFiles.h"
#include "platform/core/Dates.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Files.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Fonts.h"

#include <algorithm>

namespace adm {

namespace {

bool Digits(const std::string &s, size_t n)
{
    return s.size() == n && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Trim(const std::string &s)
{
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

} // namespace

bool DateOf(const std::string &d, const std::string &m, const std::string &y, plat::TDateTime &out)
{
    const std::string dd = Trim(d), mm = Trim(m), yy = Trim(y);
    if (dd.empty() || mm.empty() || yy.empty() || dd.size() > 2 || mm.size() > 2 || yy.size() > 4)
        return false;
    for (const std::string *s : {&dd, &mm, &yy})
        if (!Digits(*s, s->size()))
            return false;
    return plat::TryEncodeDate(std::stoi(yy), std::stoi(mm), std::stoi(dd), out);
}

std::optional<TLimitedText> LimitCorrText(const std::string &before, const std::string &text, int caret)
{
    const std::u32string chars = plat::Utf8ToUtf32(text);
    const size_t limit = kCorrTextLength, had = plat::Utf8ToUtf32(before).size();
    // Shortening is always let through, so a loaded longer text can be cut.
    if (chars.size() <= limit || chars.size() <= had)
        return std::nullopt;
    // A loaded longer text stays as it was and takes no more.
    if (had > limit)
        return TLimitedText{before, std::max(0, caret - static_cast<int>(chars.size() - had))};
    // Typed or pasted: the characters past the twelfth go. Text fields hold
    // only characters of the basic plane.
    return TLimitedText{plat::Utf16ToUtf8(std::u16string(chars.begin(), chars.begin() + static_cast<long>(limit))),
                        static_cast<int>(limit)};
}

std::string ReportKey(const std::string &reportName)
{
    std::string name = reportName.substr(reportName.find_last_of("\\/") + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    // 1-based p of the last blank; the characters p-2 .. p go, those before
    // the first character being none, and "_" comes in their place.
    const size_t blank = name.rfind(' ');
    const long p = blank == std::string::npos ? 0 : static_cast<long>(blank) + 1;
    const long from = std::max(1L, p - 2);
    if (p >= 1)
        name.erase(static_cast<size_t>(from - 1), static_cast<size_t>(p - from + 1));
    name.insert(static_cast<size_t>(std::max(1L, p - 2) - 1), "_");
    return name;
}

std::string UnpaddedKey(const std::string &key)
{
    // "..._dd-mm-yyyy"
    const size_t n = key.size();
    if (n < 11 || key[n - 11] != '_' || key[n - 8] != '-' || key[n - 5] != '-' ||
        !Digits(key.substr(n - 10, 2), 2) || !Digits(key.substr(n - 7, 2), 2) || !Digits(key.substr(n - 4), 4))
        return key;
    auto unpad = [](const std::string &s) { return s[0] == '0' ? s.substr(1) : s; };
    return key.substr(0, n - 10) + unpad(key.substr(n - 10, 2)) + "-" + unpad(key.substr(n - 7, 2)) + "-" +
           key.substr(n - 4);
}

void TCorrection::WisGegevens()
{
    P = TParticulars{};
    State = 0;
    AgeInMonths = 0;
    AgeText.clear();
    Valid = false;
    SGRscoreFW.Clear();
    SGRscoreFV.Clear();
    ElaatsteFW.clear();
    ELaatsteFV.clear();
    EntryFW = EntryFV = 1;
    DataFW.Clear();
    DataFV.Clear();
    for (auto *items : {&ItemsFW, &ItemsFV})
        items->fill(TItemList{});
    loaded_ = false;
}

void TCorrection::Apply(TSubtest s, const TParsedRecord &r)
{
    const bool fw = s == TSubtest::FW;
    (fw ? EntryFW : EntryFV) =
        ApplyRecord(r, false, P, State, fw ? SGRscoreFW : SGRscoreFV, fw ? ElaatsteFW : ELaatsteFV);
    auto &items = Items(s);
    for (int k = 0; k < 12; ++k) {
        const std::string &score = r.rows[Profile(s).firstItemRow + k][1];
        items[k].enabled = !score.empty();
        items[k].index = score.empty() ? -1 : std::stoi(score);
    }
}

TCorrection::TLoad TCorrection::LaadData(const std::string &key)
{
    WisGegevens();
    Confirmed = false;
    Key = key;
    // A renumbered administration's data files carry the date unpadded.
    std::string base = key;
    if (!plat::FileExists(DataFileFW(DataPath, base)) && plat::FileExists(DataFileFW(DataPath, UnpaddedKey(key))))
        base = UnpaddedKey(key);

    const TSubtestProfile &fwp = Profile(TSubtest::FW), &fvp = Profile(TSubtest::FV);
    TLoad result;
    auto damaged = [&](const TSubtestProfile &p) {
        WisGegevens();
        result.result = TLoadResult::Damaged;
        result.message = p.damaged;
        return result;
    };
    plat::TStringList fw, fv;
    try {
        if (LoadLines(DataFileFW(DataPath, base), fw) != adm::TLoadResult::Ok)
            return damaged(fwp);
        if (LoadLines(DataFileFV(DataPath, base), fv) != adm::TLoadResult::Ok)
            return damaged(fvp);
    } catch (const plat::Exception &e) {
        result.result = TLoadResult::Missing;
        result.message = e.Message;
        return result;
    }
    DataFW.Lines = fw;
    DataFV.Lines = fv;
    DataFW.VulGrid();
    DataFV.VulGrid();

    const auto pf = LeesRegel(fwp, fw.Count() ? fw[fw.Count() - 1] : std::string(), true);
    if (!pf)
        return damaged(fwp);
    Apply(TSubtest::FW, *pf);
    const auto pv = LeesRegel(fvp, fv.Count() ? fv[fv.Count() - 1] : std::string(), true);
    if (!pv)
        return damaged(fvp);
    Apply(TSubtest::FV, *pv);
    // A finished second subtest whose state was never moved on counts as
    // finished, as a resume counts it.
    State = ResumedState(State, ElaatsteFW, ELaatsteFV);
    loaded_ = true;
    return result;
}

void TCorrection::ScoresFromLists()
{
    for (TSubtest s : {TSubtest::FW, TSubtest::FV}) {
        TScoreGrid &grid = s == TSubtest::FW ? SGRscoreFW : SGRscoreFV;
        const int first = Profile(s).firstItemRow;
        const auto &items = Items(s);
        for (int k = 0; k < 12; ++k) {
            const TItemList &l = items[k];
            grid.SetCells(2, first + k, l.enabled && l.index >= 0 ? std::to_string(l.index) : std::string());
        }
    }
}

void TCorrection::SetItem(TSubtest s, int item, int index)
{
    if (item < 1 || item > 12)
        return;
    TItemList &l = Items(s)[item - 1];
    if (!l.enabled)
        return;
    l.index = index < 0 || index > 1 ? -1 : index;
    ScoresFromLists();
}

scoring::TScores TCorrection::BerekenTS() const
{
    return adm::BerekenTS(P, State, AgeInMonths, SGRscoreFW, SGRscoreFV, scoring::TVariant::Report);
}

std::string TCorrection::MaakRegelFW() const
{
    return MaakRegel(Profile(TSubtest::FW), P, {ElaatsteFW, State}, SGRscoreFW, EntryFW - 1, BerekenTS());
}

std::string TCorrection::MaakRegelFV() const
{
    return MaakRegel(Profile(TSubtest::FV), P, {ELaatsteFV, State}, SGRscoreFV, EntryFV - 1, BerekenTS());
}

void TCorrection::VervangRegels()
{
    if (const int r = ZoekRegel()) {
        DataFW.VervangRegel(r, MaakRegelFW());
        DataFV.VervangRegel(r, MaakRegelFV());
    }
}

TCorrection::TCheck TCorrection::CheckEdits(plat::TDateTime today)
{
    TCheck c;
    Valid = false;
    // Typed codes cannot leave the data folder; a loaded one might.
    if (const TCodeCheck code = CheckCode(P.code, kMsgCorrGeenNaam); code.message) {
        c.message = code.message;
        c.focus = code.focus;
        return c;
    }
    const TBirthCheck birth = MayContinue(P, today, {.requireForm = false, .notApplicable = false});
    plat::TDateTime testDate = 0;
    if (!birth.valid || !DateOf(P.afndag, P.afnmnd, P.afnjaar, testDate)) {
        c.message = kMsgGeboortedatum;
        c.focus = BirthDateFocus(P);
        return c;
    }
    const Leeftijd age = BerekenLeeftijd(birth.birth, testDate);
    AgeInMonths = age.months;
    AgeText = age.text;
    Valid = true;
    Key = P.code + "_" + P.afndag + "-" + P.afnmnd + "-" + P.afnjaar;
    DataFW.Clear();
    DataFV.Clear();
    DataFW.VoegRegelToe(MaakRegelFW());
    DataFV.VoegRegelToe(MaakRegelFV());
    return c;
}

std::string TCorrection::CorrectedFileFW() const { return DataFileFW(DataPath, SchoonNaam(Key) + "_gecorrigeerd"); }
std::string TCorrection::CorrectedFileFV() const { return DataFileFV(DataPath, SchoonNaam(Key) + "_gecorrigeerd"); }

TCorrection::TSave TCorrection::Opslaan()
{
    VervangRegels();
    TSave s;
    if (CodeEmpty(P.code)) {
        s.failedFile = CorrectedFileFW();
        return s;
    }
    for (const auto &[name, lines] : {std::pair{CorrectedFileFW(), &DataFW.Lines},
                                      std::pair{CorrectedFileFV(), &DataFV.Lines}}) {
        if (SaveLines(name, *lines) != plat::TWriteResult::Ok) {
            s.failedFile = name;
            return s;
        }
    }
    s.ok = true;
    return s;
}

} // namespace adm
