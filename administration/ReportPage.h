#pragma once
// The one-page test report, drawn once for both report windows.
//
// The report window after an administration (TPP) and the report viewer
// (TTRO) show the same page from different sources and with a handful of
// differences, which TReportVariant holds row by row; their TekenRapport is a
// thin wrapper around DrawReportPage. The page knows nothing of windows: it
// draws on the canvas of a TReportTarget (the print preview's page being
// recorded), in the target's page units, with its geometry derived from the
// target's 10 mm and 5 mm and its fonts in points, so that preview, print and
// PDF show the same page.
#include "administration/Particulars.h"
#include "administration/Scoring.h"
#include "platform/core/Types.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"

#include <array>
#include <string>

namespace adm {
class TAdministration;
}

namespace report {

// What the page needs of the print preview it is drawn into.
class TReportTarget {
public:
    virtual ~TReportTarget() = default;
    // The canvas of the page being recorded, mapped to page units.
    virtual plat::TCanvas &Canvas() = 0;
    // (0, 0, paper width, paper height) in page units.
    virtual plat::TRect PageBounds() = 0;
    // A point given in 0.1 mm, in page units.
    virtual plat::TPoint FromLoMetric(plat::TPoint p) = 0;
    // Draws the picture scaled with its aspect ratio kept to the largest size
    // that fits r, at r's top-left corner; returns the rectangle used.
    virtual plat::TRect PaintGraphic(const plat::TRect &r, const plat::TGraphic &graphic) = 0;
};

// The report's two indent units, measured on the report window's canvas: T is
// the width of "A" in the window's font, x0 twice the window's pixels per
// centimetre. Both are used as bare page units.
struct TTabUnits {
    int T = 0;
    int x0 = 0;
};
// Measured with the window's font at its own pixels per inch; the windows'
// Arial of 11 pixels at 96 pixels per inch gives T = 7 and x0 = 76.
TTabUnits MeasureTabUnits(const plat::TFont &windowFont);
// The report windows' font: Arial, 11 pixels, 96 pixels per inch.
plat::TFont ReportWindowFont();

// Everything in which the two report windows' pages differ.
struct TReportVariant {
    enum class TDateText {
        AdministrationDate,  // the test date as typed (day-month-year, trimmed)
        Today,               // the current date as "dd-mm-yyyy"
    };
    enum class TAgeReference {
        Today,     // the age at the day of drawing
        TestDate,  // the age at the source's test date
    };
    enum class TFooterLayout {
        PictureBesideLines,    // picture right below the validity lines, publisher lines beside it
        LinesThenPageBottom,   // publisher lines below the validity lines, picture at the page bottom
    };

    int titleSize = 0;  // points
    TDateText dateText = TDateText::AdministrationDate;
    TAgeReference ageReference = TAgeReference::Today;
    std::string firstRowLabel;
    // Deletion raw score and penalties show "-" while the deletion window's
    // entry number is below 4 (its first item).
    bool deletionDashBeforeFirstItem = false;
    // Substitution raw score and penalties show "-" in state 4, and in state 6
    // when this is set.
    bool substitutionDashInState6 = false;
    // Index and its interval show "n.v.t." in state 6 whatever the scores.
    bool indexNotApplicableInState6 = false;
    std::string headerPicture;  // names of JPEG resources
    std::string footerPicture;
    TFooterLayout footerLayout = TFooterLayout::PictureBesideLines;
};

// The report window right after an administration.
extern const TReportVariant kAfterAdministration;
// The report viewer, which draws the report anew after a correction.
extern const TReportVariant kViewer;

// The particulars and scores the page is drawn from.
struct TReportSource {
    adm::TParticulars particulars;           // the texts as typed; sex 0 girl, 1 boy, -1 not chosen
    int state = 0;                           // administration state 1..7
    scoring::ScoreGrid deletion{};
    scoring::ScoreGrid substitution{};
    // The test date as a date, read where the variant counts the age to it.
    plat::TDateTime testDate = 0;
    // The deletion window's current entry (1..3 examples, 4..15 the items);
    // read only by a variant with deletionDashBeforeFirstItem.
    int deletionEntry = 0;
    // Written by the drawing when the birth date converts: the age in whole
    // months at the reference date. Left as it was otherwise; the page never
    // reads it back.
    int ageInMonths = 0;
};

// The ten texts of the scores table.
struct TReportCells {
    std::string rawDeletion, rawSubstitution;
    std::string penaltiesDeletion, penaltiesSubstitution;
    std::string scoreDeletion, intervalDeletion;
    std::string scoreSubstitution, intervalSubstitution;
    std::string index, intervalIndex;
    bool operator==(const TReportCells &) const = default;
};

// A score box and its interval.
struct TScoreCell {
    std::string score;     // " 52", or "n.v.t."
    std::string interval;  // "[45 - 59]", or "[ n.v.t. ]"
};
// A T-score or index cell: "n.v.t." and "[ n.v.t. ]" when the score is absent
// (0) or not applicable; otherwise the score rounded half to even after a
// blank, with the interval of that rounded score at a.
TScoreCell FormatScoreCell(long double t, bool applicable, int a, std::string (*interval)(int, int));

// The personalia rows' values.
struct TPersonalia {
    std::string code, sex, birthDate, age, testDate, testLeader, school, group;
    bool operator==(const TPersonalia &) const = default;
};

// What one drawing found out.
struct TReportPage {
    std::string dateText;  // after "Datum afdruk: "; TPP also names its files with it
    TPersonalia personalia;
    scoring::TScores scores;
    TReportCells cells;
};

// The personalia texts, and the age: the birth date converts only when its
// three fields are filled in and make a date; then the age is counted to
// `reference` and stored into source.ageInMonths, and `ageKnown` is set.
TPersonalia MakePersonalia(TReportSource &source, plat::TDateTime reference, bool &ageKnown);

// The scores of the page: the report's T-scores, with the band from an age
// that this drawing just computed (none when ageKnown is false).
scoring::TScores ComputeScores(const TReportSource &source, bool ageKnown);

// The scores table's texts.
TReportCells MakeCells(const TReportVariant &variant, const TReportSource &source,
                       const scoring::TScores &scores);

// Draws the whole page on target's canvas.
TReportPage DrawReportPage(TReportTarget &target, const TReportVariant &variant, TReportSource &source,
                           const TTabUnits &tabs);

// The page after an administration (TPP.TekenRapport without its window):
// drawn from the administration's particulars, state, grids and the deletion
// window's entry, with the age counted to today and stored back into the
// administration when the birth date converts.
TReportSource AdministrationSource(const adm::TAdministration &administration);
TReportPage DrawAdministrationReport(TReportTarget &target, adm::TAdministration &administration,
                                     const TTabUnits &tabs);

} // namespace report
