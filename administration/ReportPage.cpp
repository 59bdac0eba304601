#include "administration/ReportPage.h"

#include "administration/Administration.h"
#include "administration/Age.h"
#include "platform/core/Dates.h"
#include "platform/core/Streams.h"
#include "platform/core/Text.h"
#include "platform/graphics/Colors.h"

#include <QImage>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace report {

using plat::TCanvas;
using plat::TColor;
using plat::TPoint;
using plat::TRect;

using TDate = TReportVariant::TDateText;
using TAge = TReportVariant::TAgeReference;
using TFooter = TReportVariant::TFooterLayout;

// In the order of TReportVariant's fields: title size, date text, age reference,
// first-row label, the three "-" and "n.v.t." rules, pictures, footer layout.
const TReportVariant kAfterAdministration{26, TDate::AdministrationDate, TAge::Today,
                                          "Ruwe vaardigheidscore (seconden)", true, true, true,
                                          "TPPheader", "TPPfooter", TFooter::PictureBesideLines};
const TReportVariant kViewer{28, TDate::Today, TAge::TestDate,
                             "Ruwe vaardigheidsscore (seconden)", false, false, false,
                             "TTROheader", "TTROfooter", TFooter::LinesThenPageBottom};

namespace {

const TColor kSilver = plat::RGB(192, 192, 192);
const TColor kMediumGrey = plat::RGB(160, 160, 164);
const TColor kDarkGrey = plat::RGB(128, 128, 128);

constexpr const char *kNotApplicable = "n.v.t.";
constexpr const char *kNoInterval = "[ n.v.t. ]";
constexpr const char *kVersionLine = "ZIBOR Afnameprogramma Versie 2.2.1.3        Datum afdruk: ";

const char *const kValidityLines[] = {
    "  Dit onderzoeksrapport is gegenereerd met een computerprogramma dat deel uitmaakt van de Zibolka",
    "  Test Herziene versie. De testresultaten in dit rapport dienen voor verdere verwerking door een daartoe bevoegde",
    "  testgebruiker. Het rapport heeft conform de beroepsethische regels van het Nederlands Instituut van Psychologen",
    "  (NIP) een geldigheidsduur van 1 jaar.",
};

// The publisher's block at the foot of the page.
const char *const kPublisherLines[] = {
    "Uitgave behorend bij de ZIBOR-test",
    "Vragen over dit rapport: zie de handleiding van de test",
    "Alle rechten voorbehouden",
};

std::string Joined(const std::string &day, const std::string &month, const std::string &year)
{
    return plat::Trim(day) + "-" + plat::Trim(month) + "-" + plat::Trim(year);
}

std::string OrDash(const std::string &text) { return text.empty() ? "-" : text; }

bool InBands(int band, int first) { return band >= first && band <= 8; }

// A raw-score cell: the penalised sum in whole seconds, rounded half up.
std::string RawCell(int64_t sum, bool bandHasNorms)
{
    if (sum >= scoring::kMissing || !bandHasNorms)
        return kNotApplicable;
    return std::to_string(static_cast<int64_t>(scoring::RoundD(static_cast<long double>(sum) / 10, 0)));
}

// The report's pictures are program resources that never change: each is
// decoded on its first report and kept for the run.
const plat::TJPEGImage &ReportPicture(const std::string &name)
{
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<const plat::TJPEGImage>> decoded;
    const std::lock_guard<std::mutex> guard(lock);
    auto &picture = decoded[name];
    if (!picture) {
        auto fresh = std::make_unique<plat::TJPEGImage>();
        plat::TResourceStream stream("jpg", name);
        fresh->LoadFromStream(stream);
        picture = std::move(fresh);
    }
    return *picture;
}

// The text cursor shared by the blocks of one page, with the steps the
// blocks are written in. Lengths given as k·U are hundredths of U, truncated.
class TPageWriter {
public:
    TPageWriter(TReportTarget &target, const TTabUnits &tabs)
        : target_(target), c_(target.Canvas()), tabs_(tabs)
    {
        const TRect page = target.PageBounds();
        W = page.Right - page.Left;
        H = page.Bottom - page.Top;
        U = target.FromLoMetric({100, 100});
        V = target.FromLoMetric({50, 50});
    }

    int Ux(int hundredths) const { return U.X * hundredths / 100; }
    int Uy(int hundredths) const { return U.Y * hundredths / 100; }
    int Vx(int hundredths) const { return V.X * hundredths / 100; }
    int Vy(int hundredths) const { return V.Y * hundredths / 100; }

    TCanvas &Canvas() { return c_; }
    TReportTarget &Target() { return target_; }

    void Font(int points, plat::TFontStyles style, TColor color = plat::clBlack)
    {
        plat::TFont &f = c_.Font();
        f.SetName("Calibri");
        f.SetSize(points);
        f.SetStyle(style);
        f.SetColor(color);
    }
    int MeasureLine() { return lh = c_.TextHeight("A"); }

    void NewLine()
    {
        y += lh;
        c_.MoveTo(x, y);
    }
    void Write(const std::string &text) { c_.TextOut(c_.PenPos().X, y, text); }
    void WriteLine(const std::string &text)
    {
        Write(text);
        NewLine();
    }
    void BodyFont()
    {
        Font(12, 0);
        MeasureLine();
    }
    void Bold() { c_.Font().SetStyle(plat::fsBold); }
    void HeadingFont()
    {
        Font(16, plat::fsBold);
        MeasureLine();
        y += lh / 2;
        c_.MoveTo(x, y);
    }
    void MoveX(int dx)
    {
        x += dx;
        c_.MoveTo(x, y);
    }
    void Indent(int sign) { MoveX(sign * 50 * tabs_.T); }
    void BlockIndent() { MoveX(125 * tabs_.T); }
    // Far enough right that the longest label ("Geboortedatum [dd-mm-jjjj]",
    // 49.1 mm in 12-point Calibri) ends before its colon: the colon's text
    // cell is opaque on screen and paper and would cut the label's end.
    void ValueColumn(int sign) { MoveX(sign * 750 * tabs_.T); }
    void Rule()
    {
        const int at = y + lh / 2;
        c_.MoveTo(x, at);
        c_.LineTo(ruleRight, at);
        NewLine();
        y += lh * 3 / 10;
    }
    void Pen(int width, TColor color)
    {
        c_.Pen().SetWidth(width);
        c_.Pen().SetColor(color);
    }
    void Picture(const std::string &name, const TRect &box)
    {
        const plat::TJPEGImage &picture = ReportPicture(name);
        if (!picture.Empty())
            target_.PaintGraphic(box, picture);
    }

    int W = 0, H = 0;
    TPoint U, V;
    int x = 0, y = 0, lh = 0;
    int ruleRight = 0;
    const TTabUnits &Tabs() const { return tabs_; }

private:
    TReportTarget &target_;
    TCanvas &c_;
    TTabUnits tabs_;
};

// One row of the personalia block: label, colon, the value in bold.
void PersonaliaRow(TPageWriter &w, const char *label, const std::string &value)
{
    w.BodyFont();
    w.Write(label);
    w.ValueColumn(+1);
    w.Write(":   ");
    w.Bold();
    w.WriteLine(value);
    w.BodyFont();
    w.ValueColumn(-1);
}

void DrawPersonalia(TPageWriter &w, const TPersonalia &p, int referenceTop)
{
    w.x = w.Tabs().x0;
    w.y = referenceTop - w.Uy(10);
    w.BlockIndent();
    struct Row {
        const char *label;
        std::string value;
    };
    const struct Group {
        const char *heading;
        std::vector<Row> rows;
    } groups[] = {
        {"Personalia",
         {{"Code / Naam", p.code},
          {"Geslacht", p.sex},
          {"Geboortedatum [dd-mm-jjjj]", p.birthDate},
          {"Leeftijd [jaar;maand]", p.age}}},
        {"Afnamegegevens", {{"Afnamedatum [dd-mm-jjjj]", p.testDate}, {"Testleider", p.testLeader}}},
        {"School/Instelling", {{"Naam", p.school}, {"Groep", p.group}}},
    };
    bool first = true;
    for (const Group &g : groups) {
        if (!first) {
            w.Indent(-1);
            w.y -= w.Uy(20);
        }
        first = false;
        w.HeadingFont();
        w.WriteLine(g.heading);
        w.BodyFont();
        w.Indent(+1);
        for (const Row &r : g.rows)
            PersonaliaRow(w, r.label, r.value);
    }
    w.Indent(-1);
}

// A score box and its interval box, both from boxTop down 0.7U, with the
// score in 13-point bold at scoreDy above the row and the interval in the
// body font.
void ScoreBoxes(TPageWriter &w, const TScoreCell &cell, int scoreLeft, int intervalRight, int scoreDy,
                int intervalDx)
{
    TCanvas &c = w.Canvas();
    const int top = w.y - w.Uy(10);
    const int bottom = top + w.Uy(70);
    const int scoreRight = scoreLeft + w.Ux(120);
    const int intervalLeft = scoreRight + w.Ux(20);
    w.Pen(40, kMediumGrey);
    c.Rectangle(scoreLeft, top, scoreRight, bottom);
    c.Rectangle(intervalLeft, top, intervalRight, bottom);
    w.Font(13, plat::fsBold);
    const bool number = cell.score != kNotApplicable;
    c.TextOut(scoreLeft + (number ? 200 : 150), w.y - scoreDy, cell.score);
    w.BodyFont();
    c.TextOut(intervalLeft + intervalDx, w.y, cell.interval);
}

void DrawScores(TPageWriter &w, const TReportVariant &variant, const TReportCells &cells, int referenceTop)
{
    TCanvas &c = w.Canvas();
    w.x = w.Tabs().x0;
    w.y = referenceTop - w.Uy(10);
    w.BlockIndent();
    w.HeadingFont();
    w.WriteLine("Scores");

    // Header cells.
    struct HeaderCell {
        int width;        // hundredths of U
        TColor fill;
        const char *caption;
        int captionDx;    // hundredths of V from the cell's left edge
        TColor ink;
    };
    const HeaderCell header[] = {
        {660, kDarkGrey, " Variabele ", 0, plat::clWhite},
        {540, kMediumGrey, "        FoneemWeglating ", 20, plat::clBlack},
        {600, kSilver, "              FoneemVerwisseling ", -90, plat::clBlack},
    };
    const int top = w.y + 240;
    TRect cellRect[3];
    int left = w.x + 300;
    for (int i = 0; i < 3; ++i) {
        const HeaderCell &h = header[i];
        cellRect[i] = {left, top, left + w.Ux(h.width), top + w.Vy(100)};
        c.Brush().SetColor(h.fill);
        c.FillRect(cellRect[i]);
        w.Font(13, plat::fsBold, h.ink);
        c.TextRect(cellRect[i], left + w.Vx(h.captionDx), top - 40, h.caption);
        left = cellRect[i].Right + 100;
    }
    c.Brush().SetColor(plat::clWhite);
    const int delLeft = cellRect[1].Left, delRight = cellRect[1].Right;
    const int subLeft = cellRect[2].Left, subRight = cellRect[2].Right;
    w.ruleRight = subRight;
    const int frameLeft = w.Ux(80);

    // Raw skill score and time penalties.
    w.y += w.Uy(100);
    w.Indent(+1);
    w.BodyFont();
    w.Bold();
    w.Write(variant.firstRowLabel);
    w.BodyFont();
    c.MoveTo(delLeft + w.Ux(250), w.y);
    w.Write(cells.rawDeletion);
    w.Pen(40, kMediumGrey);
    c.MoveTo(subLeft + w.Ux(260), w.y);
    w.BodyFont();
    w.Write(cells.rawSubstitution);

    c.MoveTo(frameLeft, w.y);
    w.y += w.Uy(40);
    w.NewLine();
    c.Font().SetColor(plat::clBlack);
    w.BodyFont();
    w.Bold();
    w.Write("Aantal tijdpenalties");
    w.BodyFont();
    c.MoveTo(delLeft + w.Ux(250), w.y);
    w.Write(cells.penaltiesDeletion);
    w.Pen(40, kMediumGrey);
    c.MoveTo(subLeft + w.Ux(260), w.y);
    w.Write(cells.penaltiesSubstitution);

    c.MoveTo(frameLeft, w.y);
    w.y += w.Uy(60);
    w.Rule();

    // Subtest T-scores.
    w.BodyFont();
    w.Bold();
    w.Write("Subtest T-score [95% BI]");
    const int delScoreLeft = delLeft + w.Ux(200);
    const int subScoreLeft = subLeft + w.Ux(220);
    ScoreBoxes(w, {cells.scoreDeletion, cells.intervalDeletion}, delScoreLeft, delRight, 50, 300);
    ScoreBoxes(w, {cells.scoreSubstitution, cells.intervalSubstitution}, subScoreLeft, subRight, 50, 400);
    w.NewLine();
    w.Rule();

    // The two subtests lead to the index.
    w.Pen(40, kMediumGrey);
    const int y = w.y;
    for (const auto &[scoreLeft, side] : {std::pair{delScoreLeft, -1}, std::pair{subScoreLeft, +1}}) {
        const int stem = scoreLeft + w.Ux(45);
        const int drop = subLeft + side * w.Ux(5);
        c.MoveTo(stem, y - w.Uy(25));
        c.LineTo(stem, y);
        c.LineTo(drop, y);
        c.LineTo(drop, y + w.Uy(20));
    }
    c.Polygon(std::vector<TPoint>{{subLeft, y + w.Uy(40)}, {subLeft - w.Ux(25), y + w.Uy(10)},
                                  {subLeft + w.Ux(25), y + w.Uy(10)}});

    // Index.
    w.NewLine();
    w.BodyFont();
    w.Bold();
    w.Write("ZIBOR-Index");
    w.BodyFont();
    w.Bold();
    w.Write(" T-score [95% BI]");
    const int indexLeft = subLeft - w.Ux(55);
    ScoreBoxes(w, {cells.index, cells.intervalIndex}, indexLeft, indexLeft + w.Ux(120) + w.Ux(240), 20, 400);
    w.NewLine();
}

void DrawFooter(TPageWriter &w, const TReportVariant &variant)
{
    w.x = w.Ux(80);
    w.BodyFont();
    w.Bold();
    w.Canvas().Font().SetSize(11);
    w.NewLine();
    w.NewLine();
    w.WriteLine("  Zie voor de interpretatie van de scores de handleiding van de ZIBOR.");
    w.NewLine();
    w.NewLine();

    w.y -= w.Uy(40);
    w.BodyFont();
    w.Canvas().Font().SetSize(11);
    for (const char *line : kValidityLines)
        w.WriteLine(line);
    for (int i = 0; i < 4; ++i)
        w.NewLine();

    const bool beside = variant.footerLayout == TReportVariant::TFooterLayout::PictureBesideLines;
    if (beside) {
        w.Picture(variant.footerPicture, {w.Ux(70), w.y - w.Uy(70), w.W - w.Ux(450), w.y + w.Uy(140)});
        w.x = w.W - w.Ux(450) - w.Ux(1040);
        w.Canvas().MoveTo(w.x, w.y);
    }
    w.Font(9, 0);
    for (const char *line : kPublisherLines)
        w.WriteLine(line);
    if (!beside)
        w.Picture(variant.footerPicture, {0, w.H - w.Uy(80), w.W + w.Ux(10), w.H + w.Uy(100)});
}

} // namespace

TTabUnits MeasureTabUnits(const plat::TFont &windowFont)
{
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(&scratch);
    canvas.SetFont(windowFont);
    TTabUnits tabs;
    tabs.T = canvas.TextWidth("A");
    const int perCm = static_cast<int>(std::nearbyint(windowFont.PixelsPerInch() / 2.54));
    tabs.x0 = 2 * perCm;
    return tabs;
}

plat::TFont ReportWindowFont()
{
    plat::TFont font;
    font.SetName("Arial");
    font.SetPixelsPerInch(96);
    font.SetHeight(-11);
    return font;
}

TScoreCell FormatScoreCell(long double t, bool applicable, int a, std::string (*interval)(int, int))
{
    if (t == 0 || !applicable)
        return {kNotApplicable, kNoInterval};
    const int shown = scoring::RoundTScore(t);
    return {" " + std::to_string(shown), interval(shown, a)};
}

TPersonalia MakePersonalia(TReportSource &source, plat::TDateTime reference, bool &ageKnown)
{
    const adm::TParticulars &s = source.particulars;
    TPersonalia p;
    p.code = s.code;
    p.sex = s.sex == 0 ? "meisje" : s.sex == 1 ? "jongen" : "-";
    const std::string birth = Joined(s.gebdag, s.gebmnd, s.gebjaar);
    p.birthDate = s.gebjaar.empty() ? "-" : birth;
    ageKnown = false;
    p.age = "-";
    plat::TDateTime born = 0;
    if (!s.gebdag.empty() && !s.gebmnd.empty() && !s.gebjaar.empty() && plat::TryStrToDate(birth, born)) {
        const Leeftijd age = BerekenLeeftijd(born, reference);
        source.ageInMonths = age.months;
        p.age = age.text;
        ageKnown = true;
    }
    p.testDate = Joined(s.afndag, s.afnmnd, s.afnjaar);
    p.testLeader = OrDash(s.tl);
    p.school = OrDash(s.school);
    p.group = OrDash(s.groep);
    return p;
}

scoring::TScores ComputeScores(const TReportSource &source, bool ageKnown)
{
    scoring::ScoringInput in;
    in.state = source.state;
    in.ageInMonths = ageKnown ? source.ageInMonths : 0;
    in.birthDateComplete = ageKnown;
    in.deletion = source.deletion;
    in.substitution = source.substitution;
    return scoring::BerekenTS(in, scoring::TVariant::Report);
}

TReportCells MakeCells(const TReportVariant &variant, const TReportSource &source, const scoring::TScores &scores)
{
    const int band = scores.band;
    const int a = scoring::NormAge(band);
    const bool deletionDash = variant.deletionDashBeforeFirstItem && source.deletionEntry < 4;
    const bool substitutionDash = source.state == 4 || (variant.substitutionDashInState6 && source.state == 6);
    const bool indexShown = InBands(band, 1) && !(variant.indexNotApplicableInState6 && source.state == 6);

    TReportCells cells;
    cells.rawDeletion = deletionDash ? "-" : RawCell(scoring::StrafsomFW(source.deletion, band), InBands(band, 1));
    cells.rawSubstitution =
        substitutionDash ? "-" : RawCell(scoring::StrafsomFV(source.substitution, band), InBands(band, 2));
    cells.penaltiesDeletion = deletionDash ? "-" : std::to_string(scoring::TijdPenalties(source.deletion));
    cells.penaltiesSubstitution =
        substitutionDash ? "-" : std::to_string(scoring::TijdPenalties(source.substitution));

    const TScoreCell deletion = FormatScoreCell(scores.deletion, InBands(band, 1), a, scoring::Interval95A);
    const TScoreCell substitution =
        FormatScoreCell(scores.substitution, InBands(band, 2), a, scoring::Interval95B);
    const TScoreCell index = FormatScoreCell(scores.index, indexShown, a, scoring::Interval95C);
    cells.scoreDeletion = deletion.score;
    cells.intervalDeletion = deletion.interval;
    cells.scoreSubstitution = substitution.score;
    cells.intervalSubstitution = substitution.interval;
    cells.index = index.score;
    cells.intervalIndex = index.interval;
    return cells;
}

TReportPage DrawReportPage(TReportTarget &target, const TReportVariant &variant, TReportSource &source,
                           const TTabUnits &tabs)
{
    TReportPage page;
    TPageWriter w(target, tabs);
    TCanvas &c = w.Canvas();

    w.Picture(variant.headerPicture, {w.Ux(20), w.Uy(30), w.W - w.Ux(650), w.Uy(30) + w.Uy(500)});

    w.Font(13, 0);
    c.SetBkColor(plat::clWhite);
    c.SetBkMode(plat::TRANSPARENT);

    if (variant.dateText == TReportVariant::TDateText::Today) {
        plat::FormatSettings().ShortDateFormat = "dd-mm-yyyy";
        page.dateText = plat::FormatDateTime("dd-mm-yyyy", plat::Now());
    } else {
        const adm::TParticulars &p = source.particulars;
        page.dateText = Joined(p.afndag, p.afnmnd, p.afnjaar);
    }

    const int top = w.Uy(30) + w.Uy(570);
    w.Font(variant.titleSize, plat::fsBold);
    w.MeasureLine();
    c.TextRect({w.Ux(100), top, w.W - w.Vx(100), w.H - w.Uy(150)}, w.Ux(100), top - w.Uy(20), "Testrapport");

    w.Pen(30, kSilver);
    w.BodyFont();
    c.TextRect({w.Ux(600), top, w.W - w.Vx(100), w.H - w.Uy(150)}, w.Ux(800), top + w.Uy(20),
               kVersionLine + page.dateText);

    const plat::TDateTime reference =
        variant.ageReference == TReportVariant::TAgeReference::Today ? plat::Date() : source.testDate;
    bool ageKnown = false;
    page.personalia = MakePersonalia(source, reference, ageKnown);

    const int personaliaTop = w.Uy(710);
    c.Brush().SetColor(plat::clWhite);
    c.Brush().SetStyle(plat::bsSolid);
    c.Rectangle(w.Ux(80), personaliaTop, w.W - w.Ux(80), w.Uy(1410));
    DrawPersonalia(w, page.personalia, personaliaTop);

    const int scoresTop = personaliaTop + w.Uy(750);
    c.Rectangle(w.Ux(80), scoresTop, w.W - w.Ux(80), scoresTop + w.Uy(700));

    page.scores = ComputeScores(source, ageKnown);
    page.cells = MakeCells(variant, source, page.scores);
    DrawScores(w, variant, page.cells, scoresTop);
    DrawFooter(w, variant);
    return page;
}

TReportSource AdministrationSource(const adm::TAdministration &a)
{
    TReportSource source;
    source.particulars = a.P;
    source.state = a.State;
    source.deletion = a.SGRscoreFW.Items();
    source.substitution = a.SGRscoreFV.Items();
    source.testDate = a.TestDate;
    source.deletionEntry = a.EntryFW;
    source.ageInMonths = a.AgeInMonths;
    return source;
}

TReportPage DrawAdministrationReport(TReportTarget &target, adm::TAdministration &a, const TTabUnits &tabs)
{
    TReportSource source = AdministrationSource(a);
    TReportPage page = DrawReportPage(target, kAfterAdministration, source, tabs);
    a.AgeInMonths = source.ageInMonths;
    return page;
}

} // namespace report
