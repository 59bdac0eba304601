#pragma once
// The framework's printer object over one of two backends: Qt's print
// support (the printers of the system's print queue) or a fake printer for
// tests, which keeps every job it is given. The seam is SetPrinterBackend,
// like SetAudioDevice for sound.
//
// The print spooler's paper forms are emulated per printer: the printer's
// own paper sizes plus the user forms added during this run (kept in memory;
// the print queue keeps none). A user form reaches a job as a custom page
// size. All sizes of forms are in 0.001 mm; device sizes are device pixels.
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"
#include "platform/graphics/Canvas.h"

#include <QImage>

#include <memory>
#include <vector>

class QPainter;
class QPrinter;

namespace plat {

// A job that cannot start or a page that cannot be made.
class EPrinter : public Exception { using Exception::Exception; };

// The device settings record. Fields says which values are set.
constexpr unsigned DM_ORIENTATION = 0x1, DM_PAPERSIZE = 0x2, DM_PAPERLENGTH = 0x4, DM_PAPERWIDTH = 0x8,
                   DM_COPIES = 0x100, DM_COLOR = 0x800, DM_DUPLEX = 0x1000, DM_COLLATE = 0x8000,
                   DM_FORMNAME = 0x10000;
constexpr int DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2;
constexpr int DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2;
constexpr int DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3;
constexpr int DMPAPER_A4 = 9, DMPAPER_USER = 256;

struct TDeviceMode {
    unsigned Fields = DM_ORIENTATION | DM_PAPERSIZE;
    int Orientation = DMORIENT_PORTRAIT;
    int PaperSize = DMPAPER_A4;      // the paper code
    int PaperLength = 0;             // 0.1 mm
    int PaperWidth = 0;              // 0.1 mm
    String FormName;                 // kept whole
    int Copies = 1;                  // with DM_COPIES
    bool Collate = false;            // with DM_COLLATE
    int Color = DMCOLOR_COLOR;       // with DM_COLOR
    int Duplex = DMDUP_SIMPLEX;      // with DM_DUPLEX
    bool Reverse = false;            // the last page first
    // The queue's own job options (a page set, pages the print server
    // picks, a banner), name and value in turn, as its dialog left them.
    std::vector<String> DriverOptions;
    bool operator==(const TDeviceMode &) const = default;
};

struct TPrinterForm {
    String Name;
    int Width = 0, Height = 0;  // 0.001 mm
    int PaperCode = 0;          // the printer's own sizes; 0 for user forms
    bool User = false;
};

// What the printer reports for a job's settings.
struct TPrinterMetrics {
    int XDpi = 0, YDpi = 0;
    TSize Physical;    // the sheet as it lies: turned in landscape
    TPoint Offset;     // of the printable area on the sheet
    TSize Printable;
};

// One running job; its painter draws with (0, 0) at the printable area's
// top-left corner, as a printer's device context does.
class TPrintJob {
public:
    virtual ~TPrintJob() = default;
    virtual QPainter &Painter() = 0;
    virtual void NewPage() = 0;  // raises EPrinter when the page cannot be made
    virtual void End() = 0;
    virtual void Abort() = 0;
};

class TPrinterBackend {
public:
    virtual ~TPrinterBackend() = default;
    virtual std::vector<String> PrinterNames() = 0;
    // The queue the system prints to unless told otherwise; empty when it
    // has none, and then the first of the names serves.
    virtual String DefaultPrinterName() { return String(); }
    // The printer's own paper sizes.
    virtual std::vector<TPrinterForm> PaperForms(int printer) = 0;
    virtual TDeviceMode DefaultMode(int printer) = 0;
    // For a settings record whose paper is already a size (see TPrinter).
    virtual TPrinterMetrics Metrics(int printer, const TDeviceMode &mode) = 0;
    // Raises EPrinter when the job cannot start.
    virtual std::unique_ptr<TPrintJob> StartJob(int printer, const String &title, const TDeviceMode &mode) = 0;
};

// Installs a backend (nullptr: the system's print queue through Qt) and
// returns the previous one. The printer object starts again on the new one.
std::shared_ptr<TPrinterBackend> SetPrinterBackend(std::shared_ptr<TPrinterBackend> backend);

class TPrinterBackendScope {
public:
    explicit TPrinterBackendScope(std::shared_ptr<TPrinterBackend> b) : previous_(SetPrinterBackend(std::move(b))) {}
    ~TPrinterBackendScope() { SetPrinterBackend(previous_); }
    TPrinterBackendScope(const TPrinterBackendScope &) = delete;
    TPrinterBackendScope &operator=(const TPrinterBackendScope &) = delete;

private:
    std::shared_ptr<TPrinterBackend> previous_;
};

// The Qt print support: the printers of the print queue; or, given a file
// name, one printer "PDF" that writes every job into that PDF file.
std::shared_ptr<TPrinterBackend> MakeQtPrinterBackend(const String &pdfFile = String());

// A printer for tests: it keeps each job (title, settings at the start,
// every page as an image of the whole sheet, ended or aborted) and can be
// told to fail at the start or when page n is begun.
class TFakePrinter : public TPrinterBackend {
public:
    struct Job {
        String Title;
        TDeviceMode Mode;
        std::vector<QImage> Pages;  // the sheet, white, at the printer's resolution
        bool Ended = false, Aborted = false;
    };
    // offset: of the printable area, in device pixels; the printable area
    // leaves the same margin on the right and at the bottom.
    TFakePrinter(String name, int dpi, TPoint offset, std::vector<TPrinterForm> forms = StandardForms());
    static std::vector<TPrinterForm> StandardForms();

    std::vector<Job> Jobs;
    bool FailAtStart = false;
    int FailAtPage = 0;  // 1-based; 0: never

    std::vector<String> PrinterNames() override { return {name_}; }
    std::vector<TPrinterForm> PaperForms(int) override { return forms_; }
    TDeviceMode DefaultMode(int) override { return {}; }
    TPrinterMetrics Metrics(int printer, const TDeviceMode &mode) override;
    std::unique_ptr<TPrintJob> StartJob(int printer, const String &title, const TDeviceMode &mode) override;

private:
    String name_;
    int dpi_;
    TPoint offset_;
    std::vector<TPrinterForm> forms_;
};

// The sheet's size in 0.001 mm for a settings record (portrait, whatever the
// orientation): a set form name, else the paper code (256 with the record's
// width and length), else the first of the forms.
TSize PaperSizeOf(const TDeviceMode &mode, const std::vector<TPrinterForm> &forms);

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter &) = delete;
    TPrinter &operator=(const TPrinter &) = delete;

    std::vector<String> Printers();
    // The current printer's place in the list as it is now; -1 when there is
    // no printer. The printer is kept by name, so a queue added or removed
    // while the program runs never shifts the choice onto another printer;
    // a chosen printer that has gone gives way to the system's default.
    int PrinterIndex();
    // Empty when there is no printer.
    String PrinterName();
    void SetPrinterIndex(int index);
    const String &Title() const { return title_; }
    void SetTitle(const String &title) { title_ = title; }

    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();
    bool Printing() const { return job_ != nullptr; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return page_; }
    // Over the current page while printing; a canvas that draws nowhere otherwise.
    TCanvas &Canvas();

    // The current printer's settings; the next job applies them.
    const TDeviceMode &DeviceMode();
    void SetDeviceMode(const TDeviceMode &mode);
    TPrinterMetrics Metrics();
    int XDpi() { return Metrics().XDpi; }
    int YDpi() { return Metrics().YDpi; }

    // The spooler's forms of the current printer; false without a printer.
    bool GetForms(std::vector<TPrinterForm> &forms);
    bool GetForm(const String &name, TPrinterForm &form);
    // A user form; false when a form of that name exists or there is no printer.
    bool AddForm(const TPrinterForm &form);
    // User forms only; false otherwise.
    bool DeleteForm(const String &name);

    // Back to the backend's first printer and its own settings; user forms go.
    void Reset();

private:
    std::vector<TPrinterForm> AllForms();
    TDeviceMode JobMode();
    // The current printer in the list as it is now: its index and name.
    int Current(String *name);
    std::shared_ptr<TPrinterBackend> backend_;
    String printer_;  // empty: none chosen yet
    TDeviceMode mode_;
    String title_;
    std::vector<std::pair<String, std::vector<TPrinterForm>>> userForms_;  // per printer name
    std::unique_ptr<TPrintJob> job_;
    std::unique_ptr<TCanvas> canvas_;
    std::unique_ptr<TCanvas> idleCanvas_;
    bool aborted_ = false;
    int page_ = 0;
    friend std::shared_ptr<TPrinterBackend> SetPrinterBackend(std::shared_ptr<TPrinterBackend>);
};

// The printer object.
TPrinter *Printer();

// The two halves around the print dialog on Printer(), which the dialogs
// show: the current printer and settings onto the dialog's printer (false
// without any queue: then no dialog is shown), and what the user picked back
// (the printer, copies, collation, duplex, colour, page order and the
// queue's own job options; false when the picked queue has gone meanwhile).
bool PrepareSetupPrinter(QPrinter &qp);
bool TakeSetupPrinter(QPrinter &qp);

} // namespace plat
