#include "platform/printing/Printers.h"

#include "platform/core/SysUtils.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QtPrintSupport/QPrintEngine>
#include <QtPrintSupport/QPrinter>
#include <QtPrintSupport/QPrinterInfo>

#include <algorithm>

namespace plat {

namespace {

std::shared_ptr<TPrinterBackend> &BackendOverride()
{
    static std::shared_ptr<TPrinterBackend> backend;
    return backend;
}

std::shared_ptr<TPrinterBackend> CurrentBackend()
{
    auto &b = BackendOverride();
    if (!b)
        b = MakeQtPrinterBackend();
    return b;
}

bool Landscape(const TDeviceMode &m) { return (m.Fields & DM_ORIENTATION) && m.Orientation == DMORIENT_LANDSCAPE; }

const TPrinterForm *FindForm(const std::vector<TPrinterForm> &forms, const String &name)
{
    for (const TPrinterForm &f : forms)
        if (f.Name == name)
            return &f;
    return nullptr;
}

// ---------------------------------------------------------------- fake printer

class FakeJob : public TPrintJob {
public:
    FakeJob(TFakePrinter &printer, size_t job, const TPrinterMetrics &m, int failAt)
        : printer_(printer), job_(job), m_(m), failAt_(failAt)
    {
        Begin();
    }
    ~FakeJob() override
    {
        if (painter_.isActive())
            painter_.end();
    }
    QPainter &Painter() override { return painter_; }
    void NewPage() override
    {
        Finish();
        if (++page_ == failAt_)
            throw EPrinter("The printer could not begin page " + std::to_string(page_));
        Begin();
    }
    void End() override
    {
        Finish();
        printer_.Jobs[job_].Ended = true;
    }
    void Abort() override
    {
        if (painter_.isActive())
            painter_.end();
        printer_.Jobs[job_].Aborted = true;
    }

private:
    void Begin()
    {
        sheet_ = QImage(std::max(1, m_.Physical.cx), std::max(1, m_.Physical.cy), QImage::Format_RGB32);
        sheet_.fill(Qt::white);
        painter_.begin(&sheet_);
        // The device's origin is the printable area's corner, and nothing
        // reaches the sheet outside that area.
        painter_.setClipRect(QRect(m_.Offset.X, m_.Offset.Y, m_.Printable.cx, m_.Printable.cy));
        painter_.translate(m_.Offset.X, m_.Offset.Y);
    }
    void Finish()
    {
        if (!painter_.isActive())
            return;
        painter_.end();
        printer_.Jobs[job_].Pages.push_back(sheet_);
    }
    TFakePrinter &printer_;
    size_t job_;
    TPrinterMetrics m_;
    int failAt_;
    int page_ = 1;
    QImage sheet_;
    QPainter painter_;
};

// ---------------------------------------------------------------- Qt print support

// Qt's print support keeps the print server's own job options under this
// key of the print engine.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

void SetJobOptions(QPrinter &p, const TDeviceMode &mode)
{
    if (mode.Fields & DM_COPIES)
        p.setCopyCount(std::max(1, mode.Copies));
    if (mode.Fields & DM_COLLATE)
        p.setCollateCopies(mode.Collate);
    if (mode.Fields & DM_COLOR)
        p.setColorMode(mode.Color == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
    if (mode.Fields & DM_DUPLEX)
        p.setDuplex(mode.Duplex == DMDUP_VERTICAL     ? QPrinter::DuplexLongSide
                    : mode.Duplex == DMDUP_HORIZONTAL ? QPrinter::DuplexShortSide
                                                      : QPrinter::DuplexNone);
    p.setPageOrder(mode.Reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    if (!mode.DriverOptions.empty() && p.outputFormat() == QPrinter::NativeFormat) {
        QStringList options;
        for (const String &o : mode.DriverOptions)
            options << QString::fromStdString(o);
        p.printEngine()->setProperty(kCupsOptions, options);
    }
}

void GetJobOptions(QPrinter &p, TDeviceMode &mode)
{
    mode.Fields |= DM_COPIES | DM_COLLATE | DM_COLOR | DM_DUPLEX;
    mode.Copies = std::max(1, p.copyCount());
    mode.Collate = p.collateCopies();
    mode.Color = p.colorMode() == QPrinter::GrayScale ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    mode.Duplex = p.duplex() == QPrinter::DuplexLongSide    ? DMDUP_VERTICAL
                  : p.duplex() == QPrinter::DuplexShortSide ? DMDUP_HORIZONTAL
                                                            : DMDUP_SIMPLEX;
    mode.Reverse = p.pageOrder() == QPrinter::LastPageFirst;
    mode.DriverOptions.clear();
    if (p.outputFormat() == QPrinter::NativeFormat)
        for (const QString &o : p.printEngine()->property(kCupsOptions).toStringList())
            mode.DriverOptions.push_back(o.toStdString());
}


class QtJob : public TPrintJob {
public:
    std::unique_ptr<QPrinter> printer;
    QPainter painter;
    ~QtJob() override
    {
        if (painter.isActive())
            painter.end();
    }
    QPainter &Painter() override { return painter; }
    void NewPage() override
    {
        if (!printer->newPage())
            throw EPrinter("The printer could not begin a new page");
    }
    void End() override
    {
        if (painter.isActive())
            painter.end();
    }
    void Abort() override
    {
        printer->abort();
        if (painter.isActive())
            painter.end();
    }
};

class QtPrinterBackend : public TPrinterBackend {
public:
    explicit QtPrinterBackend(String pdf) : pdf_(std::move(pdf)) {}

    std::vector<String> PrinterNames() override
    {
        if (!pdf_.empty())
            return {"PDF"};
        std::vector<String> names;
        for (const QString &n : QPrinterInfo::availablePrinterNames())
            names.push_back(n.toStdString());
        return names;
    }

    String DefaultPrinterName() override
    {
        return pdf_.empty() ? QPrinterInfo::defaultPrinterName().toStdString() : String();
    }

    std::vector<TPrinterForm> PaperForms(int printer) override
    {
        QList<QPageSize> sizes;
        if (pdf_.empty())
            sizes = QPrinterInfo::printerInfo(QString::fromStdString(Name(printer))).supportedPageSizes();
        if (sizes.isEmpty())
            for (auto id : {QPageSize::A4, QPageSize::Letter, QPageSize::Legal, QPageSize::A3, QPageSize::A5})
                sizes.push_back(QPageSize(id));
        std::vector<TPrinterForm> forms;
        for (const QPageSize &s : sizes) {
            const QSizeF mm = s.size(QPageSize::Millimeter);
            forms.push_back({s.name().toStdString(), int(Round(mm.width() * 1000)), int(Round(mm.height() * 1000)),
                             s.windowsId(), false});
        }
        return forms;
    }

    TDeviceMode DefaultMode(int printer) override
    {
        TDeviceMode m;
        if (pdf_.empty()) {
            const QPageSize def = QPrinterInfo::printerInfo(QString::fromStdString(Name(printer))).defaultPageSize();
            if (def.isValid() && def.windowsId() > 0)
                m.PaperSize = def.windowsId();
        }
        return m;
    }

    TPrinterMetrics Metrics(int printer, const TDeviceMode &mode) override
    {
        QPrinter p(QPrinter::HighResolution);
        SetUp(p, printer, mode);
        const int res = p.resolution();
        const QRect full = p.pageLayout().fullRectPixels(res);
        const QRect paint = p.pageLayout().paintRectPixels(res);
        return {res, res, {full.width(), full.height()}, {paint.left(), paint.top()}, {paint.width(), paint.height()}};
    }

    std::unique_ptr<TPrintJob> StartJob(int printer, const String &title, const TDeviceMode &mode) override
    {
        auto job = std::make_unique<QtJob>();
        job->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        SetUp(*job->printer, printer, mode);
        job->printer->setDocName(QString::fromStdString(title));
        if (!job->painter.begin(job->printer.get()))
            throw EPrinter("The printer did not start the job");
        return job;
    }

private:
    String Name(int printer)
    {
        const auto names = PrinterNames();
        return printer >= 0 && size_t(printer) < names.size() ? names[size_t(printer)] : String();
    }

    void SetUp(QPrinter &p, int printer, const TDeviceMode &mode)
    {
        if (!pdf_.empty()) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(QString::fromStdString(pdf_));
            // A file has no unprintable edge, and 300 dpi keeps grey pages small.
            p.setResolution(300);
        } else {
            p.setPrinterName(QString::fromStdString(Name(printer)));
        }
        const std::vector<TPrinterForm> forms = PaperForms(printer);
        const QPageSize::PageSizeId id = mode.Fields & DM_PAPERSIZE && mode.PaperSize != DMPAPER_USER
                                             ? QPageSize::id(mode.PaperSize)
                                             : QPageSize::Custom;
        const TPrinterForm *named = mode.Fields & DM_FORMNAME ? FindForm(forms, mode.FormName) : nullptr;
        QPageSize size;
        if (!named && id != QPageSize::Custom) {
            size = QPageSize(id);
        } else {
            const TSize s = PaperSizeOf(mode, forms);
            size = QPageSize(QSizeF(s.cx / 1000.0, s.cy / 1000.0), QPageSize::Millimeter,
                             QString::fromStdString(mode.FormName), QPageSize::ExactMatch);
        }
        p.setPageSize(size);
        p.setPageOrientation(Landscape(mode) ? QPageLayout::Landscape : QPageLayout::Portrait);
        SetJobOptions(p, mode);
        if (!pdf_.empty())
            p.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }

    String pdf_;
};

} // namespace

std::shared_ptr<TPrinterBackend> MakeQtPrinterBackend(const String &pdfFile)
{
    return std::make_shared<QtPrinterBackend>(pdfFile);
}

TSize PaperSizeOf(const TDeviceMode &mode, const std::vector<TPrinterForm> &forms)
{
    if (mode.Fields & DM_FORMNAME)
        if (const TPrinterForm *f = FindForm(forms, mode.FormName))
            return {f->Width, f->Height};
    if (mode.Fields & DM_PAPERSIZE) {
        if (mode.PaperSize == DMPAPER_USER && mode.PaperWidth > 0 && mode.PaperLength > 0)
            return {mode.PaperWidth * 100, mode.PaperLength * 100};
        for (const TPrinterForm &f : forms)
            if (f.PaperCode == mode.PaperSize && f.PaperCode != 0)
                return {f.Width, f.Height};
    }
    if (!forms.empty())
        return {forms.front().Width, forms.front().Height};
    return {210000, 297000};
}

// ---------------------------------------------------------------- TFakePrinter

TFakePrinter::TFakePrinter(String name, int dpi, TPoint offset, std::vector<TPrinterForm> forms)
    : name_(std::move(name)), dpi_(dpi), offset_(offset), forms_(std::move(forms))
{
}

std::vector<TPrinterForm> TFakePrinter::StandardForms()
{
    return {
        {"Letter", 215900, 279400, 1, false}, {"Legal", 215900, 355600, 5, false},
        {"A3", 297000, 420000, 8, false},      {"A4", 210000, 297000, 9, false},
        {"A5", 148000, 210000, 11, false},
    };
}

TPrinterMetrics TFakePrinter::Metrics(int, const TDeviceMode &mode)
{
    TSize s = PaperSizeOf(mode, forms_);
    if (Landscape(mode))
        std::swap(s.cx, s.cy);
    TPrinterMetrics m;
    m.XDpi = m.YDpi = dpi_;
    m.Physical = {MulDiv(s.cx, dpi_, 25400), MulDiv(s.cy, dpi_, 25400)};
    m.Offset = offset_;
    m.Printable = {std::max(0, m.Physical.cx - 2 * offset_.X), std::max(0, m.Physical.cy - 2 * offset_.Y)};
    return m;
}

std::unique_ptr<TPrintJob> TFakePrinter::StartJob(int printer, const String &title, const TDeviceMode &mode)
{
    if (FailAtStart || FailAtPage == 1)
        throw EPrinter("The printer did not start the job");
    Jobs.push_back({title, mode, {}, false, false});
    return std::make_unique<FakeJob>(*this, Jobs.size() - 1, Metrics(printer, mode), FailAtPage);
}

// ---------------------------------------------------------------- TPrinter

TPrinter::TPrinter() : idleCanvas_(std::make_unique<TCanvas>(static_cast<QImage *>(nullptr))) {}

TPrinter::~TPrinter() = default;

void TPrinter::Reset()
{
    if (job_) {
        canvas_.reset();
        job_->Abort();
        job_.reset();
    }
    backend_.reset();
    printer_.clear();
    mode_ = TDeviceMode();
    userForms_.clear();
    aborted_ = false;
    page_ = 0;
}

std::vector<String> TPrinter::Printers()
{
    if (!backend_)
        backend_ = CurrentBackend();
    return backend_->PrinterNames();
}

int TPrinter::Current(String *name)
{
    const std::vector<String> names = Printers();
    auto at = std::find(names.begin(), names.end(), printer_);
    if (printer_.empty() || at == names.end()) {
        if (names.empty()) {
            // Kept: the queue may come back, and with it the settings.
            if (name)
                name->clear();
            return -1;
        }
        at = std::find(names.begin(), names.end(), backend_->DefaultPrinterName());
        if (at == names.end())
            at = names.begin();
        printer_ = *at;
        mode_ = backend_->DefaultMode(int(at - names.begin()));
    }
    if (name)
        *name = *at;
    return int(at - names.begin());
}

int TPrinter::PrinterIndex() { return Current(nullptr); }

String TPrinter::PrinterName()
{
    String name;
    Current(&name);
    return name;
}

void TPrinter::SetPrinterIndex(int index)
{
    const auto names = Printers();
    if (index < 0 || size_t(index) >= names.size() || Printing())
        return;
    if (names[size_t(index)] == printer_)
        return;
    printer_ = names[size_t(index)];
    mode_ = backend_->DefaultMode(index);
}

const TDeviceMode &TPrinter::DeviceMode()
{
    PrinterIndex();
    return mode_;
}

void TPrinter::SetDeviceMode(const TDeviceMode &mode)
{
    PrinterIndex();
    mode_ = mode;
}

std::vector<TPrinterForm> TPrinter::AllForms()
{
    String name;
    const int index = Current(&name);
    if (index < 0)
        return {};
    std::vector<TPrinterForm> forms = backend_->PaperForms(index);
    for (const auto &[printer, user] : userForms_)
        if (printer == name)
            forms.insert(forms.end(), user.begin(), user.end());
    return forms;
}

TDeviceMode TPrinter::JobMode()
{
    // The queue keeps no forms: a user form goes to the job as its size.
    TDeviceMode m = DeviceMode();
    if (m.Fields & DM_FORMNAME) {
        TPrinterForm f;
        if (GetForm(m.FormName, f) && f.User) {
            m.Fields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
            m.PaperSize = DMPAPER_USER;
            m.PaperWidth = f.Width / 100;
            m.PaperLength = f.Height / 100;
        }
    }
    return m;
}

TPrinterMetrics TPrinter::Metrics()
{
    const int index = PrinterIndex();
    if (index < 0)
        return {};
    return backend_->Metrics(index, JobMode());
}

bool TPrinter::GetForms(std::vector<TPrinterForm> &forms)
{
    forms.clear();
    if (PrinterIndex() < 0)
        return false;
    forms = AllForms();
    return true;
}

bool TPrinter::GetForm(const String &name, TPrinterForm &form)
{
    for (const TPrinterForm &f : AllForms())
        if (f.Name == name) {
            form = f;
            return true;
        }
    return false;
}

bool TPrinter::AddForm(const TPrinterForm &form)
{
    String name;
    const int index = Current(&name);
    TPrinterForm existing;
    if (index < 0 || form.Name.empty() || GetForm(form.Name, existing))
        return false;
    TPrinterForm user = form;
    user.User = true;
    user.PaperCode = 0;
    for (auto &[printer, list] : userForms_)
        if (printer == name) {
            list.push_back(user);
            return true;
        }
    userForms_.push_back({name, {user}});
    return true;
}

bool TPrinter::DeleteForm(const String &name)
{
    String printer;
    if (Current(&printer) < 0)
        return false;
    for (auto &[p, list] : userForms_)
        if (p == printer)
            for (auto it = list.begin(); it != list.end(); ++it)
                if (it->Name == name) {
                    list.erase(it);
                    return true;
                }
    return false;
}

void TPrinter::BeginDoc()
{
    if (job_)
        throw EPrinter("Printing in progress");
    const int index = PrinterIndex();
    if (index < 0)
        throw EPrinter("There is no default printer currently selected");
    aborted_ = false;
    job_ = backend_->StartJob(index, title_, JobMode());
    canvas_ = std::make_unique<TCanvas>(&job_->Painter());
    page_ = 1;
}

void TPrinter::NewPage()
{
    if (!job_)
        throw EPrinter("Printer is not currently printing");
    job_->NewPage();
    ++page_;
    canvas_->Refresh();
}

void TPrinter::EndDoc()
{
    if (!job_)
        throw EPrinter("Printer is not currently printing");
    canvas_.reset();
    std::unique_ptr<TPrintJob> job = std::move(job_);
    job->End();
}

void TPrinter::Abort()
{
    if (!job_)
        return;
    canvas_.reset();
    std::unique_ptr<TPrintJob> job = std::move(job_);
    aborted_ = true;
    job->Abort();
}

TCanvas &TPrinter::Canvas() { return canvas_ ? *canvas_ : *idleCanvas_; }

TPrinter *Printer()
{
    static TPrinter *printer = new TPrinter;  // lives as long as the program
    return printer;
}

std::shared_ptr<TPrinterBackend> SetPrinterBackend(std::shared_ptr<TPrinterBackend> backend)
{
    auto previous = BackendOverride();
    Printer()->Reset();
    BackendOverride() = std::move(backend);
    return previous;
}

bool PrepareSetupPrinter(QPrinter &qp)
{
    TPrinter *pr = Printer();
    // Without a queue the dialog could only offer a file, which the report
    // has its own PDF for; the caller tells the user.
    const String current = pr->PrinterName();
    if (current.empty())
        return false;
    qp.setPrinterName(QString::fromStdString(current));
    const TDeviceMode &m = pr->DeviceMode();
    SetJobOptions(qp, m);
    std::vector<TPrinterForm> forms;
    pr->GetForms(forms);
    const TSize s = PaperSizeOf(m, forms);
    qp.setPageSize(QPageSize(QSizeF(s.cx / 1000.0, s.cy / 1000.0), QPageSize::Millimeter));
    qp.setPageOrientation(Landscape(m) ? QPageLayout::Landscape : QPageLayout::Portrait);
    return true;
}

bool TakeSetupPrinter(QPrinter &qp)
{
    TPrinter *pr = Printer();
    // The list may have changed while the dialog was open.
    const std::vector<String> names = pr->Printers();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == qp.printerName().toStdString())
            pr->SetPrinterIndex(int(i));
    if (pr->PrinterName().empty())
        return false;
    TDeviceMode m = pr->DeviceMode();
    m.Fields |= DM_ORIENTATION | DM_PAPERSIZE;
    GetJobOptions(qp, m);
    m.Fields &= ~DM_FORMNAME;
    m.FormName.clear();
    m.Orientation = qp.pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    const QPageSize size = qp.pageLayout().pageSize();
    if (size.windowsId() > 0 && size.windowsId() != DMPAPER_USER) {
        m.PaperSize = size.windowsId();
        m.Fields &= ~(DM_PAPERWIDTH | DM_PAPERLENGTH);
    } else {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        m.PaperSize = DMPAPER_USER;
        m.PaperWidth = int(Round(mm.width() * 10));
        m.PaperLength = int(Round(mm.height() * 10));
        m.Fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
    }
    pr->SetDeviceMode(m);
    return true;
}

} // namespace plat
