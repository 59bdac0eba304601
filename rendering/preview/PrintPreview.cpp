#include "rendering/preview/PrintPreview.h"

#include "platform/core/Files.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/Forms.h"
#include "platform/metafile/MetafilePlayer.h"
#include "rendering/pdf/PdfImage.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

namespace zibor::preview {

using namespace plat;

namespace {

constexpr int kMaxPaperSide = 32767;
const char *const kNoPageMemory = "Not enough memory to create a new page";

TRect Intersect(const TRect &a, const TRect &b)
{
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

} // namespace

void RegisterPreviewCursors()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Screen()->SetCursors(10, LoadCursorResource("CURSOR_HAND"));
        Screen()->SetCursors(11, LoadCursorResource("CURSOR_GRAB"));
    });
}

TPrintPreview::TPrintPreview(TComponent *owner) : TScrollBox(owner)
{
    RegisterPreviewCursors();
    pages_ = std::make_unique<TMetafileList>();
    pages_->OnChange = [this](TObject *) { StoreChanged(); };
    pages_->OnPageChange = [this](TObject *, int index) { PageEdited(index); };
    nullCanvas_ = std::make_unique<TCanvas>(static_cast<QImage *>(nullptr));
    SetParentFont(false);
    Font().SetName("Arial");
    Font().SetSize(8);
    SetTabStop(true);
    paper_ = new TPaperPreview(this);
    paper_->Hide();
    paper_->SetParent(this);
    paper_->OnPaint = [this](TObject *, TCanvas &canvas, const TRect &rect) { DrawPage(currentPage_, canvas, rect); };
    paper_->OnMouseDown = [this](TObject *, TMouseButton b, TShiftState s, int x, int y) { PaperMouseDown(b, s, x, y); };
    paper_->OnMouseMove = [this](TObject *, TShiftState s, int x, int y) { PaperMouseMove(s, x, y); };
    paper_->OnMouseUp = [this](TObject *, TMouseButton b, TShiftState s, int x, int y) { PaperMouseUp(b, s, x, y); };
    paper_->OnMouseWheel = [this](TObject *, TShiftState s, int delta, TPoint pos, bool &handled) {
        handled = DoMouseWheel(s, delta, {pos.X + paper_->Left(), pos.Y + paper_->Top()});
    };
    paper_->OnClick = [this](TObject *) { Click(); };
    paper_->OnDblClick = [this](TObject *) { DblClick(); };
    paperView_ = std::make_unique<TPaperPreviewOptions>();
    paperView_->AssignTo(*paper_);
    paperView_->OnChange = [this](TObject *) { PaperViewChanged(); };
    RecomputeExtent();
    SetAlign(TAlign::alClient);
}

TPrintPreview::~TPrintPreview()
{
    MarkDestroying();
    paper_->OnPaint = nullptr;
    pages_->OnChange = nullptr;
    pages_->OnPageChange = nullptr;
    recordCanvas_.reset();
    // The form made for this paper goes with the preview, unannounced.
    if (!autoForm_.empty()) {
        Guarded([&] { DeleteForm(autoForm_); });
        autoForm_.clear();
    }
}

// ---------------------------------------------------------------- look

void TPrintPreview::SetAnnotation(bool on)
{
    annotation_ = on;
    DoAnnotation(currentPage_);
    paper_->Invalidate();
}

void TPrintPreview::SetBackground(bool on)
{
    background_ = on;
    DoBackground(currentPage_);
    paper_->Invalidate();
}

void TPrintPreview::UpdateAnnotation()
{
    if (!annotation_)
        return;
    DoAnnotation(currentPage_);
    paper_->Invalidate();
}

void TPrintPreview::SetGrayscale(TGrayscaleOptions options)
{
    grayscale_ = options;
    paper_->Invalidate();
}

void TPrintPreview::PaperViewChanged()
{
    paperView_->AssignTo(*paper_);
    UpdateZoom();
}

// ---------------------------------------------------------------- paper

void TPrintPreview::RecomputeExtent()
{
    // The zoom divides by the extent: a paper too small to show still has a pixel.
    extent_ = {std::max(1, ConvertUnits(paperWidth_, ScreenPixelsPerInch, units_, mmPixel)),
               std::max(1, ConvertUnits(paperHeight_, ScreenPixelsPerInch, units_, mmPixel))};
}

void TPrintPreview::SetTableSize(TPaperType type, TUnits units)
{
    const TPaperRow &row = PaperRow(type);
    int w = ConvertUnits(row.Width, ScreenPixelsPerInch, row.Unit, units);
    int h = ConvertUnits(row.Height, ScreenPixelsPerInch, row.Unit, units);
    if (orientation_ == poLandscape)
        std::swap(w, h);
    paperWidth_ = w;
    paperHeight_ = h;
}

void TPrintPreview::SetPaperType(TPaperType type)
{
    if (state_ != psReady || type == paperType_)
        return;
    paperType_ = type;
    formName_.clear();
    if (type != pCustom)
        SetTableSize(type, units_);
    RecomputeExtent();
    UpdateZoom();
}

void TPrintPreview::SetOrientation(TPrinterOrientation orientation)
{
    if (state_ != psReady || orientation == orientation_)
        return;
    orientation_ = orientation;
    std::swap(paperWidth_, paperHeight_);
    RecomputeExtent();
    UpdateZoom();
}

void TPrintPreview::SetPaperSize(int width, int height)
{
    width = std::clamp(width, 1, kMaxPaperSide);
    height = std::clamp(height, 1, kMaxPaperSide);
    if (state_ != psReady || (width == paperWidth_ && height == paperHeight_))
        return;
    paperWidth_ = width;
    paperHeight_ = height;
    int pw = width, ph = height;
    if (orientation_ == poLandscape)
        std::swap(pw, ph);
    paperType_ = pCustom;
    for (int i = 0; i < PaperTypeCount - 1; ++i) {
        const TPaperRow &row = PaperRow(TPaperType(i));
        if (ConvertUnits(pw, ScreenPixelsPerInch, units_, row.Unit) == row.Width &&
            ConvertUnits(ph, ScreenPixelsPerInch, units_, row.Unit) == row.Height) {
            paperType_ = TPaperType(i);
            break;
        }
    }
    formName_.clear();
    RecomputeExtent();
    UpdateZoom();
}

void TPrintPreview::SetUnits(TUnits units)
{
    if (units == units_)
        return;
    const TUnits old = units_;
    if (paperType_ != pCustom) {
        SetTableSize(paperType_, units);
    } else {
        paperWidth_ = ConvertUnits(paperWidth_, ScreenPixelsPerInch, old, units);
        paperHeight_ = ConvertUnits(paperHeight_, ScreenPixelsPerInch, old, units);
    }
    units_ = units;
    if (recordCanvas_) {
        TPen &pen = recordCanvas_->Pen();
        pen.SetWidth(ConvertUnits(pen.Width(), ScreenPixelsPerInch, old, units));
        SetPageMapping(*recordCanvas_, ScreenPixelsPerInch, ScreenPixelsPerInch, {0, 0});
    }
    RecomputeExtent();
    UpdateZoom();
}

int TPrintPreview::ConvertX(int value, TUnits from, TUnits to) const
{
    return ConvertUnits(value, ScreenPixelsPerInch, from, to);
}

int TPrintPreview::ConvertY(int value, TUnits from, TUnits to) const
{
    return ConvertUnits(value, ScreenPixelsPerInch, from, to);
}

TPoint TPrintPreview::ConvertXY(int x, int y, TUnits from, TUnits to) const
{
    return {ConvertX(x, from, to), ConvertY(y, from, to)};
}

void TPrintPreview::ConvertPoints(TPoint *points, int count, TUnits from, TUnits to) const
{
    for (int i = 0; i < count; ++i)
        points[i] = ConvertXY(points[i].X, points[i].Y, from, to);
}

// ---------------------------------------------------------------- pages

int TPrintPreview::TotalPages() const { return printingDirectly_ ? directPages_ : pages_->Count(); }

bool TPrintPreview::PrinterInstalled() const { return !Printer()->Printers().empty(); }

TMetafile *TPrintPreview::Pages(int n)
{
    if (n < 1 || n > TotalPages())
        return nullptr;
    return pages_->Items(n - 1);
}

void TPrintPreview::SetCurrentPage(int page)
{
    if (TotalPages() == 0)
        return;
    page = std::clamp(page, 1, TotalPages());
    if (page == currentPage_)
        return;
    currentPage_ = page;
    DoBackground(page);
    DoAnnotation(page);
    paper_->Invalidate();
    if (OnChange)
        OnChange(this);
}

void TPrintPreview::StoreChanged()
{
    if (TotalPages() == 0) {
        currentPage_ = 0;
        paper_->Hide();
    } else if (currentPage_ == 0) {
        UpdateZoom();
        currentPage_ = 1;
        paper_->Show();
        CalcAutoRange();
    }
    DoBackground(currentPage_);
    DoAnnotation(currentPage_);
    paper_->Invalidate();
    if (OnChange)
        OnChange(this);
}

void TPrintPreview::PageEdited(int index)
{
    if (index + 1 == currentPage_) {
        DoBackground(currentPage_);
        DoAnnotation(currentPage_);
        paper_->Invalidate();
    }
    if (OnChange)
        OnChange(this);
}

std::unique_ptr<TMetafile> TPrintPreview::RecordLayer(int page, const TPreviewPageDraw &handler)
{
    auto meta = std::make_unique<TMetafile>();
    meta->SetWidth(extent_.cx);
    meta->SetHeight(extent_.cy);
    {
        TMetafileCanvas canvas(*meta);
        canvas.SetFont(Font());
        SetPageMapping(canvas, ScreenPixelsPerInch, ScreenPixelsPerInch, {0, 0});
        handler(this, page, canvas);
        canvas.Close();
    }
    return meta;
}

void TPrintPreview::DoAnnotation(int page)
{
    annotationMeta_.reset();
    if (annotation_ && page > 0 && OnAnnotation)
        annotationMeta_ = RecordLayer(page, OnAnnotation);
}

void TPrintPreview::DoBackground(int page)
{
    backgroundMeta_.reset();
    if (background_ && page > 0 && OnBackground)
        backgroundMeta_ = RecordLayer(page, OnBackground);
}

void TPrintPreview::DrawPage(int page, TCanvas &canvas, const TRect &rect)
{
    (void)page;
    if (currentPage_ < 1 || currentPage_ > TotalPages())
        return;
    if (backgroundMeta_)
        PlayMetafile(canvas, *backgroundMeta_, rect);
    if (TMetafile *mf = Pages(currentPage_)) {
        if (grayscale_ & gsPreview)
            DrawGrayscale(canvas, *mf, rect);
        else
            PlayMetafile(canvas, *mf, rect);
    }
    if (annotationMeta_)
        PlayMetafile(canvas, *annotationMeta_, rect);
}

void TPrintPreview::DrawGrayscale(TCanvas &canvas, const TMetafile &metafile, const TRect &rect)
{
    // Only the part of the rectangle that the canvas can show is drawn: a page
    // zoomed far beyond the screen would otherwise need a huge bitmap.
    TRect part = rect;
    const TRect clip = canvas.ClipRect();
    if (!clip.IsEmpty())
        part = Intersect(part, clip);
    const TSize device = canvas.DeviceSize();
    if (device.cx > 0 && device.cy > 0) {
        const TPoint a = canvas.DPtoLP({0, 0}), b = canvas.DPtoLP({device.cx, device.cy});
        part = Intersect(part, Rect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)));
    }
    if (part.IsEmpty())
        return;
    QImage image(part.Width(), part.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        TCanvas c(&image);
        c.SetViewportOrgEx(-part.Left, -part.Top);
        PlayMetafile(c, metafile, rect);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int w = image.width();
        for (int x = 0; x < w; ++x) {
            const QRgb p = line[x];
            const int g = (30 * qRed(p) + 59 * qGreen(p) + 11 * qBlue(p)) / 100;
            line[x] = qRgb(g, g, g);
        }
    }
    const int mode = canvas.StretchBltMode();
    canvas.SetStretchBltMode(COLORONCOLOR);
    canvas.StretchDrawImage(part, image, Rect(0, 0, image.width(), image.height()));
    canvas.SetStretchBltMode(mode);
}

// ---------------------------------------------------------------- recording

TCanvas &TPrintPreview::Canvas()
{
    if (recordCanvas_)
        return *recordCanvas_;
    if (directCanvas_)
        return *directCanvas_;
    return Printer()->Canvas();
}

void TPrintPreview::ChangeState(uint8_t state)
{
    if (state == state_)
        return;
    state_ = state;
    if (OnStateChange)
        OnStateChange(this);
}

void TPrintPreview::SetPageMapping(TCanvas &canvas, int resX, int resY, TPoint offset) const
{
    const int vw = ConvertUnits(paperWidth_, resX, units_, mmPixel);
    const int vh = ConvertUnits(paperHeight_, resY, units_, mmPixel);
    canvas.SetMapMode(MM_ANISOTROPIC);
    canvas.SetWindowExtEx(paperWidth_, paperHeight_);
    canvas.SetViewportExtEx(vw, vh);
    canvas.SetViewportOrgEx(-offset.X, -offset.Y);
    // Point sizes come out right in page units when the font's resolution
    // is that of the page units.
    const int size = canvas.Font().Size();
    canvas.Font().SetPixelsPerInch(std::max(1, MulDiv(resY, paperHeight_, std::max(1, vh))));
    canvas.Font().SetSize(size);
}

void TPrintPreview::OpenPage()
{
    recordMeta_ = std::make_unique<TMetafile>();
    recordMeta_->SetWidth(extent_.cx);
    recordMeta_->SetHeight(extent_.cy);
    recordCanvas_ = std::make_unique<TMetafileCanvas>(*recordMeta_);
    recordCanvas_->SetFont(Font());
    SetPageMapping(*recordCanvas_, ScreenPixelsPerInch, ScreenPixelsPerInch, {0, 0});
}

void TPrintPreview::ClosePage(bool keep)
{
    if (!recordCanvas_)
        return;
    recordCanvas_->Close();
    recordCanvas_.reset();
    std::unique_ptr<TMetafile> page = std::move(recordMeta_);
    if (!keep)
        return;
    if (!page || page->Empty())
        throw EOutOfMemory(kNoPageMemory);
    pages_->Add(std::move(*page));
}

void TPrintPreview::BeginDoc()
{
    if (state_ != psReady)
        return;
    recordCanvas_.reset();
    recordMeta_.reset();
    directCanvas_ = nullptr;
    aborted_ = false;
    if (directPrint_) {
        // Without a printer there is nothing to print on.
        if (!PrinterInstalled())
            return;
        printingDirectly_ = true;
        directPages_ = 0;
        if (usePrinterOptions_)
            GetPrinterOptions();
        else
            SetPrinterOptions();
        ChangeState(psPrinting);
        Printer()->SetTitle(printJobTitle_);
        try {
            Printer()->BeginDoc();
        } catch (...) {
            printingDirectly_ = false;
            Printer()->SetTitle(String());
            ChangeState(psReady);
            throw;
        }
    } else {
        pages_->ClearAndNotify();
        if (usePrinterOptions_ && PrinterInstalled())
            GetPrinterOptions();
        ChangeState(psCreating);
        printingDirectly_ = false;
        RecomputeExtent();
    }
    if (OnBeginDoc)
        OnBeginDoc(this);
    NewPage();
}

void TPrintPreview::NewPage()
{
    const bool direct = state_ == psPrinting && printingDirectly_;
    if (state_ != psCreating && !direct)
        return;
    if ((recordCanvas_ || directCanvas_) && OnEndPage)
        OnEndPage(this);
    if (direct) {
        if (directCanvas_) {
            ++directPages_;
            Printer()->NewPage();
        } else {
            TPrinter *printer = Printer();
            directCanvas_ = &printer->Canvas();
            directCanvas_->SetFont(Font());
            const TPrinterMetrics m = printer->Metrics();
            SetPageMapping(*directCanvas_, m.XDpi, m.YDpi, m.Offset);
        }
    } else {
        ClosePage(true);
        OpenPage();
    }
    if (OnNewPage)
        OnNewPage(this);
}

void TPrintPreview::EndDoc()
{
    const bool direct = state_ == psPrinting && printingDirectly_;
    if (state_ != psCreating && !direct)
        return;
    if (OnEndPage)
        OnEndPage(this);
    if (direct) {
        ++directPages_;
        directCanvas_ = nullptr;
        printingDirectly_ = false;
        Printer()->SetTitle(String());
        struct Ready {
            TPrintPreview *p;
            ~Ready() { p->ChangeState(psReady); }
        } ready{this};
        Printer()->EndDoc();
        if (OnEndDoc)
            OnEndDoc(this);
        return;
    }
    // The document ends whatever the last page does.
    struct Finish {
        TPrintPreview *p;
        ~Finish()
        {
            p->recordCanvas_.reset();
            p->recordMeta_.reset();
            p->ChangeState(psReady);
        }
    };
    {
        Finish finish{this};
        ClosePage(true);
        if (OnEndDoc)
            OnEndDoc(this);
    }
    // The export takes the first page; its pictures are deflated now, while
    // the page is looked at, instead of when the PDF file is asked for.
    if (state_ == psReady && TotalPages() > 0)
        if (const TMetafile *page = Pages(1)) {
            try {
                CompressPicturesAhead(page->Bytes());
            } catch (const std::bad_alloc &) {
                // Then the export deflates them.
            }
        }
}

void TPrintPreview::Abort()
{
    if (aborted_ || state_ == psReady)
        return;
    aborted_ = true;
    if (state_ == psCreating) {
        ClosePage(false);
        pages_->ClearAndNotify();
    } else if (state_ == psPrinting) {
        directCanvas_ = nullptr;
        printingDirectly_ = false;
        if (Printer()->Printing() && !Printer()->Aborted())
            Printer()->Abort();
    }
    if (OnAbort)
        OnAbort(this);
    ChangeState(psReady);
}

// ---------------------------------------------------------------- printing

void TPrintPreview::Print() { PrintPages(1, TotalPages()); }

void TPrintPreview::DoProgress(int page, int done, int total)
{
    if (aborted_ || !OnPrintProgress)
        return;
    bool abort = false;
    OnPrintProgress(this, page, MulDiv(100, done, total), abort);
    if (abort)
        Abort();
}

void TPrintPreview::PrintPages(int first, int last)
{
    if (state_ != psReady || !PrinterInstalled() || TotalPages() <= 0)
        return;
    // A page out of range has no metafile to print.
    first = std::clamp(first, 1, TotalPages());
    last = std::clamp(last, 1, TotalPages());
    if (first > last)
        return;
    aborted_ = false;
    ChangeState(psPrinting);
    bool complete = false;
    try {
        if (OnBeforePrint)
            OnBeforePrint(this);
        if (!usePrinterOptions_)
            SetPrinterOptions();
        TPrinter *printer = Printer();
        printer->SetTitle(printJobTitle_);
        printer->BeginDoc();
        const TPrinterMetrics m = printer->Metrics();
        TRect page = usePrinterOptions_
                         ? Rect(0, 0, m.Physical.cx, m.Physical.cy)
                         : Rect(0, 0, ConvertUnits(paperWidth_, m.XDpi, units_, mmPixel),
                                ConvertUnits(paperHeight_, m.YDpi, units_, mmPixel));
        // The paper's corner at the sheet's corner, not at the printable area's.
        page = Bounds(-m.Offset.X, -m.Offset.Y, page.Width(), page.Height());
        const int total = last - first + 1;
        for (int p = first; p <= last && !aborted_; ++p) {
            DoProgress(p, p - first, total);
            if (aborted_)
                break;
            TCanvas &canvas = printer->Canvas();
            if (TMetafile *mf = Pages(p)) {
                if (grayscale_ & gsPrint)
                    DrawGrayscale(canvas, *mf, page);
                else
                    PlayMetafile(canvas, *mf, page);
            }
            DoProgress(p, p - first + 1, total);
            if (aborted_)
                break;
            if (p < last)
                printer->NewPage();
            else
                complete = true;
        }
    } catch (...) {
        EndPrint(complete);
        throw;
    }
    EndPrint(complete);
}

void TPrintPreview::EndPrint(bool complete)
{
    struct Ready {
        TPrintPreview *p;
        ~Ready() { p->ChangeState(psReady); }
    } ready{this};
    TPrinter *printer = Printer();
    aborted_ = aborted_ || !complete;
    if (!complete && printer->Printing())
        printer->Abort();
    if (printer->Printing())
        printer->EndDoc();
    printer->SetTitle(String());
    if (OnAfterPrint)
        OnAfterPrint(this);
}

TSize TPrintPreview::PaperLoMetric() const
{
    TSize s{ConvertUnits(paperWidth_, ScreenPixelsPerInch, units_, mmLoMetric),
            ConvertUnits(paperHeight_, ScreenPixelsPerInch, units_, mmLoMetric)};
    if (orientation_ == poLandscape)
        std::swap(s.cx, s.cy);
    return s;
}

void TPrintPreview::SetPrinterOptions()
{
    if (!PrinterInstalled())
        return;
    TPrinter *printer = Printer();
    TDeviceMode dm = printer->DeviceMode();
    dm.Fields &= ~(DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
    const String form = GetFormName();
    if (!form.empty()) {
        dm.Fields |= DM_FORMNAME;
        dm.FormName = form;
    }
    if (paperType_ == pCustom) {
        const TSize s = PaperLoMetric();
        dm.PaperSize = DMPAPER_USER;
        dm.PaperWidth = s.cx;
        dm.PaperLength = s.cy;
        dm.Fields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
    } else {
        dm.PaperSize = PaperRow(paperType_).Code;
        dm.Fields |= DM_PAPERSIZE;
    }
    dm.Fields |= DM_ORIENTATION;
    dm.Orientation = orientation_ == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    printer->SetDeviceMode(dm);
}

void TPrintPreview::GetPrinterOptions()
{
    if (!PrinterInstalled())
        return;
    TPrinter *printer = Printer();
    const TDeviceMode dm = printer->DeviceMode();
    if (dm.Fields & DM_ORIENTATION)
        SetOrientation(dm.Orientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait);
    const TPaperType type = dm.Fields & DM_PAPERSIZE ? PaperTypeFromCode(dm.PaperSize) : pCustom;
    if (type == pCustom) {
        // The printer reports the sheet as it lies, so its size needs no turn.
        const TPrinterMetrics m = printer->Metrics();
        SetPaperSize(ConvertUnits(m.Physical.cx, m.XDpi, mmPixel, units_),
                     ConvertUnits(m.Physical.cy, m.YDpi, mmPixel, units_));
    } else {
        SetPaperType(type);
    }
    if (dm.Fields & DM_FORMNAME)
        formName_ = dm.FormName;
}

bool TPrintPreview::GetFormNames(std::vector<String> &names)
{
    names.clear();
    std::vector<TPrinterForm> forms;
    if (!PrinterInstalled() || !Printer()->GetForms(forms))
        return false;
    for (const TPrinterForm &f : forms)
        if (f.Width >= 11 && f.Height >= 11)
            names.push_back(f.Name);
    return true;
}

String TPrintPreview::GetFormName()
{
    if (!formName_.empty() || !PrinterInstalled())
        return formName_;
    const TSize s = PaperLoMetric();
    std::vector<TPrinterForm> forms;
    Printer()->GetForms(forms);
    for (const TPrinterForm &f : forms)
        if (f.Width / 100 == s.cx && f.Height / 100 == s.cy) {
            formName_ = f.Name;
            return formName_;
        }
    MakeAutoCustomForm();
    return formName_;
}

void TPrintPreview::MakeAutoCustomForm()
{
    if (!autoForm_.empty() && autoForm_ != formName_)
        DeleteForm(autoForm_);
    if (!formName_.empty())
        return;
    TSize s{ConvertUnits(paperWidth_, ScreenPixelsPerInch, units_, mmHiMetric),
            ConvertUnits(paperHeight_, ScreenPixelsPerInch, units_, mmHiMetric)};
    if (orientation_ == poLandscape)
        std::swap(s.cx, s.cy);
    const String name = std::to_string(unsigned(s.cx) / 100) + "mm x " + std::to_string(unsigned(s.cy) / 100) + "mm";
    if (Printer()->AddForm({name, s.cx * 10, s.cy * 10, 0, true})) {
        formName_ = autoForm_ = name;
        if (OnAutoCustomForm)
            OnAutoCustomForm(this, name, TOperation::opInsert);
    }
}

void TPrintPreview::DeleteForm(const String &name)
{
    Printer()->DeleteForm(name);
    if (name == formName_)
        formName_.clear();
    if (name == autoForm_) {
        if (!Destroying() && OnAutoCustomForm)
            OnAutoCustomForm(this, name, TOperation::opRemove);
        autoForm_.clear();
    }
}

void TPrintPreview::SetFormName(const String &name)
{
    if (name == formName_ || state_ != psReady)
        return;
    TPrinterForm form;
    if (!Printer()->GetForm(name, form) || form.Width <= 0 || form.Height <= 0)
        return;
    int w = ConvertUnits(form.Width / 10, ScreenPixelsPerInch, mmHiMetric, units_);
    int h = ConvertUnits(form.Height / 10, ScreenPixelsPerInch, mmHiMetric, units_);
    if (orientation_ == poLandscape)
        std::swap(w, h);
    // The size first: it clears the form name, which is then set.
    SetPaperSize(w, h);
    formName_ = name;
}

TRect TPrintPreview::GetPrinterPageBounds()
{
    if (!PrinterInstalled())
        return GetPageBounds();
    const TPrinterMetrics m = Printer()->Metrics();
    return Bounds(ConvertUnits(m.Offset.X, m.XDpi, mmPixel, units_), ConvertUnits(m.Offset.Y, m.YDpi, mmPixel, units_),
                  ConvertUnits(m.Printable.cx, m.XDpi, mmPixel, units_),
                  ConvertUnits(m.Printable.cy, m.YDpi, mmPixel, units_));
}

// ---------------------------------------------------------------- keyboard, wheel, dragging

void TPrintPreview::KeyDown(uint16_t &key, TShiftState shift)
{
    const TShiftState keys = shift & (ssShift | ssCtrl | ssAlt);
    const bool none = keys == 0, withShift = keys == ssShift, withCtrl = keys == ssCtrl;
    TControlScrollBar &h = HorzScrollBar(), &v = VertScrollBar();
    bool done = true;
    auto step = [&](TControlScrollBar &bar, int sign, int client) {
        if (none)
            bar.SetPosition(bar.Position() + sign * bar.Increment());
        else if (withShift)
            bar.SetPosition(bar.Position() + sign);
        else if (withCtrl)
            bar.SetPosition(bar.Position() + sign * client);
        else
            done = false;
    };
    switch (key) {
    case VK_HOME:
    case VK_END: {
        TControlScrollBar *bar = none ? &h : withCtrl ? &v : nullptr;
        if (bar)
            bar->SetPosition(key == VK_HOME ? 0 : bar->Range());
        done = bar != nullptr;
        break;
    }
    case VK_LEFT: step(h, -1, ClientWidth()); break;
    case VK_RIGHT: step(h, 1, ClientWidth()); break;
    case VK_UP: step(v, -1, ClientHeight()); break;
    case VK_DOWN: step(v, 1, ClientHeight()); break;
    case VK_NEXT:
    case VK_PRIOR:
        if (none)
            SetCurrentPage(CurrentPage() + (key == VK_NEXT ? 1 : -1));
        else if (withCtrl)
            SetCurrentPage(key == VK_NEXT ? TotalPages() : 1);
        else
            done = false;
        break;
    case VK_ADD:
    case VK_SUBTRACT:
        if (none)
            SetZoom(Zoom() + (key == VK_ADD ? zoomStep_ : -zoomStep_));
        else
            done = false;
        break;
    default:
        done = false;
    }
    if (done)
        key = 0;
    else
        TScrollBox::KeyDown(key, shift);
}

bool TPrintPreview::DoMouseWheel(TShiftState shift, int delta, TPoint pos)
{
    if (!Rect(0, 0, Width(), Height()).Contains(pos))
        return TScrollBox::DoMouseWheel(shift, delta, pos);
    const TShiftState keys = shift & (ssShift | ssCtrl | ssAlt);
    const TShiftState buttons = shift & (ssLeft | ssRight | ssMiddle);
    enum { Scroll, Page, Zoom } what;
    if (buttons == 0 && keys == 0)
        what = Scroll;
    else if ((buttons == 0 && keys == ssShift) || (buttons == ssMiddle && keys == 0))
        what = Page;
    else if (buttons == 0 && keys == ssCtrl)
        what = Zoom;
    else
        return TScrollBox::DoMouseWheel(shift, delta, pos);
    wheelSum_ += delta;
    while (wheelSum_ >= 120 || wheelSum_ <= -120) {
        const int sign = wheelSum_ > 0 ? 1 : -1;
        wheelSum_ -= sign * 120;
        switch (what) {
        case Scroll: VertScrollBar().SetPosition(VertScrollBar().Position() - sign * VertScrollBar().Increment()); break;
        case Page: SetCurrentPage(CurrentPage() - sign); break;
        case Zoom: SetZoom(zoom_ + sign * zoomStep_); break;
        }
    }
    return true;
}

void TPrintPreview::PaperMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (CanFocus())
        SetFocus();
    if (button == TMouseButton::mbLeft && (canDragH_ || canDragV_)) {
        dragging_ = true;
        grab_ = {x, y};
        paper_->SetCursor(paperView_->GrabCursor());
    }
    MouseDown(button, shift, x + paper_->Left(), y + paper_->Top());
}

void TPrintPreview::PaperMouseMove(TShiftState shift, int x, int y)
{
    if (dragging_ && (shift & ssLeft)) {
        // The grabbed point of the paper follows the pointer.
        const int dx = x - grab_.X, dy = y - grab_.Y;
        auto shiftBy = [&](TControlScrollBar &bar, bool can, int d, bool horizontal) {
            if (!can || d == 0)
                return;
            if (bar.IsScrollBarVisible()) {
                bar.SetPosition(bar.Position() - d);
                return;
            }
            const int extent = horizontal ? paper_->Width() : paper_->Height();
            const int client = horizontal ? ClientWidth() : ClientHeight();
            const int at = std::clamp((horizontal ? paper_->Left() : paper_->Top()) + d, std::min(0, client - extent), 0);
            if (horizontal)
                paper_->SetLeft(at);
            else
                paper_->SetTop(at);
        };
        shiftBy(HorzScrollBar(), canDragH_, dx, true);
        shiftBy(VertScrollBar(), canDragV_, dy, false);
    }
    MouseMove(shift, x + paper_->Left(), y + paper_->Top());
}

void TPrintPreview::PaperMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (dragging_) {
        dragging_ = false;
        paper_->SetCursor(paperView_->DragCursor());
    }
    MouseUp(button, shift, x + paper_->Left(), y + paper_->Top());
}

// ---------------------------------------------------------------- files

void TPrintPreview::SaveToStream(TStream &stream)
{
    WriteInt32LE(stream, static_cast<int32_t>(ReportFileMagic));
    WriteInt32LE(stream, orientation_ == poLandscape ? 1 : 0);
    WriteInt32LE(stream, static_cast<int32_t>(paperType_));
    WriteInt32LE(stream, ConvertUnits(paperWidth_, ScreenPixelsPerInch, units_, mmHiMetric));
    WriteInt32LE(stream, ConvertUnits(paperHeight_, ScreenPixelsPerInch, units_, mmHiMetric));
    pages_->SaveToStream(stream);
}

void TPrintPreview::LoadFromStream(TStream &stream)
{
    const std::vector<uint8_t> bytes = ReadRest(stream);
    LoadChecked(bytes.data(), bytes.size());
}

void TPrintPreview::LoadChecked(const uint8_t *bytes, size_t size)
{
    if (size < 4 || uint32_t(ReadInt32LE(bytes)) != ReportFileMagic) {
        // A bare page store block keeps the paper.
        pages_->LoadBlock(CheckPageStoreBlock(bytes, size));
        return;
    }
    if (size < 20)
        throw EInvalidPreviewData();
    const int32_t orientation = ReadInt32LE(bytes + 4);
    if (orientation != 0 && orientation != 1)
        throw EInvalidPreviewData();
    const TPageStoreBlock block = CheckPageStoreBlock(bytes + 20, size - 20);

    // Everything checked: the header's page setup, then the pages. The stored
    // paper type and size are not used; a report is A4.
    orientation_ = orientation == 1 ? poLandscape : poPortrait;
    paperType_ = pA4;
    formName_.clear();
    SetTableSize(pA4, units_);
    RecomputeExtent();
    pages_->LoadBlock(block);
    UpdateZoom();
}

void TPrintPreview::SaveToFile(const String &fileName)
{
    TMemoryStream m;
    SaveToStream(m);
    const std::vector<uint8_t> &b = m.Bytes();
    std::string error;
    switch (AtomicReplaceFile(fileName, std::string(b.begin(), b.begin() + m.Size()), &error)) {
    case TWriteResult::Ok:
        return;
    case TWriteResult::CannotCreate:
        throw EFCreateError("Cannot create file \"" + fileName + "\". " + error);
    case TWriteResult::WriteFailed:
        throw EWriteError("Stream write error: \"" + fileName + "\". " + error);
    }
}

void TPrintPreview::LoadFromFile(const String &fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

// ---------------------------------------------------------------- pictures

TRect TPrintPreview::PaintGraphicEx(const TRect &rect, const TGraphic &graphic, bool center, bool shrinkOnly,
                                    bool proportional)
{
    if (graphic.Width() <= 0 || graphic.Height() <= 0)
        return Rect(rect.Left, rect.Top, rect.Left, rect.Top);
    const int gw = ConvertX(graphic.Width(), mmPixel, units_);
    const int gh = ConvertY(graphic.Height(), mmPixel, units_);
    const int rw = rect.Width(), rh = rect.Height();
    int w = rw, h = rh;
    if (shrinkOnly && gw <= rw && gh <= rh) {
        w = gw;
        h = gh;
    } else if (proportional && gw > 0 && gh > 0) {
        // The smaller of the two scales, rectangle over graphic.
        if (int64_t(rh) * gw <= int64_t(rw) * gh) {
            h = rh;
            w = MulDiv(gw, rh, gh);
        } else {
            w = rw;
            h = MulDiv(gh, rw, gw);
        }
    }
    TRect r = Bounds(rect.Left, rect.Top, w, h);
    if (center) {
        const int dx = (rw - w) / 2, dy = (rh - h) / 2;
        r = Bounds(rect.Left + dx, rect.Top + dy, w, h);
    }
    TCanvas &c = Canvas();
    if (dynamic_cast<const TBitmap *>(&graphic) || dynamic_cast<const TMetafile *>(&graphic) ||
        dynamic_cast<const TIcon *>(&graphic)) {
        const int mode = c.StretchBltMode();
        c.SetStretchBltMode(COLORONCOLOR);
        c.StretchDraw(r, graphic);
        c.SetStretchBltMode(mode);
    } else {
        // Any other picture goes through a bitmap of its own size. An opaque
        // raster picture covers that bitmap whole, so its pixels are the
        // bitmap's and neither the fill nor the drawing is needed.
        TBitmap bmp;
        const auto *raster = dynamic_cast<const TRasterGraphic *>(&graphic);
        if (raster && !raster->Image().hasAlphaChannel()) {
            bmp.SetImage(raster->Image());
        } else {
            bmp.SetSize(graphic.Width(), graphic.Height());
            bmp.Image().fill(ToQRgb(clFuchsia));
            bmp.Canvas()->StretchDraw(Rect(0, 0, graphic.Width(), graphic.Height()), graphic);
        }
        bmp.SetTransparent(graphic.Transparent());
        const int mode = c.StretchBltMode();
        c.SetStretchBltMode(COLORONCOLOR);
        c.StretchDraw(r, bmp);
        c.SetStretchBltMode(mode);
    }
    return r;
}

// ---------------------------------------------------------------- zoom

void TPrintPreview::Resize()
{
    TScrollBox::Resize();
    UpdateZoom();
}

void TPrintPreview::Loaded()
{
    TScrollBox::Loaded();
    UpdateZoom();
}

void TPrintPreview::SetZoomState(TZoomState state)
{
    zoomState_ = state;
    UpdateZoom();
}

void TPrintPreview::SetZoom(int value)
{
    value = std::clamp(value, zoomMin_, zoomMax_);
    if (value == zoom_ && zoomState_ == zsZoomOther)
        return;
    const int old = zoom_;
    zoom_ = value;
    zoomState_ = zsZoomOther;
    UpdateZoom();
    if (!paper_->Sized()) {
        // Nothing is laid out yet: the zoom cannot be shown.
        zoom_ = old;
        UpdateZoom();
    } else if (OnZoomChange) {
        OnZoomChange(this);
    }
}

void TPrintPreview::SetZoomMin(int value)
{
    if (value == zoomMin_ || value < 1 || value > zoomMax_)
        return;
    zoomMin_ = value;
    if (zoomState_ == zsZoomOther && zoom_ < zoomMin_)
        SetZoom(zoomMin_);
}

void TPrintPreview::SetZoomMax(int value)
{
    if (value == zoomMax_ || value < zoomMin_)
        return;
    zoomMax_ = value;
    if (zoomState_ == zsZoomOther && zoom_ > zoomMax_)
        SetZoom(zoomMax_);
}

void TPrintPreview::UpdateZoom()
{
    if (Loading() || Dying() || TotalPages() == 0)
        return;
    const int oldZoom = zoom_;
    TControlScrollBar &hb = HorzScrollBar(), &vb = VertScrollBar();
    int availW = std::max(1, ClientWidth() - 2 * hb.Margin());
    int availH = std::max(1, ClientHeight() - 2 * vb.Margin());
    int pctH = 0, pctV = 0;
    const bool savePos = zoomSavePos_ && currentPage_ > 0;
    if (savePos) {
        pctH = std::max(0, MulDiv(hb.Position(), 100, hb.MaxPosition()));
        pctV = std::max(0, MulDiv(vb.Position(), 100, vb.MaxPosition()));
    }
    if (AutoScroll()) {
        if (vb.IsScrollBarVisible())
            availW += vb.ActualSize();
        if (hb.IsScrollBarVisible())
            availH += hb.ActualSize();
        DisableAutoRange();
        hb.SetPosition(0);
        vb.SetPosition(0);
    }
    const int frame = 2 * paper_->BorderSize() + paper_->ShadowSize();
    int cw = 0, ch = 0;
    auto size = [&] {
        int pw = 1, ph = 1;
        const bool toHeight = zoomState_ == zsZoomToHeight ||
                              (zoomState_ == zsZoomToFit &&
                               int64_t(availH) * extent_.cx <= int64_t(extent_.cy) * availW);
        if (zoomState_ == zsZoomOther) {
            pw = MulDiv(extent_.cx, zoom_, 100);
            ph = MulDiv(extent_.cy, zoom_, 100);
        } else if (toHeight) {
            ph = availH - frame;
            pw = MulDiv(std::max(1, ph), extent_.cx, extent_.cy);
        } else {
            pw = availW - frame;
            ph = MulDiv(std::max(1, pw), extent_.cy, extent_.cx);
        }
        pw = std::max(1, pw);
        ph = std::max(1, ph);
        if (zoomState_ != zsZoomOther)
            zoom_ = int(Round(ph * 100.0 / extent_.cy));
        cw = pw + frame;
        ch = ph + frame;
    };
    size();
    bool dragH = cw > availW, dragV = ch > availH;
    if (AutoScroll()) {
        // A bar that will show takes its size off the other direction, which
        // may then need its own bar; the paper is sized again for what is left.
        const int baseW = availW, baseH = availH;
        for (int round = 0; round < 3; ++round) {
            const int w = std::max(1, baseW - (dragV ? vb.ActualSize() : 0));
            const int h = std::max(1, baseH - (dragH ? hb.ActualSize() : 0));
            if (w == availW && h == availH)
                break;
            availW = w;
            availH = h;
            size();
            dragH = cw > availW;
            dragV = ch > availH;
        }
    }
    const int left = hb.Margin() + (cw <= availW ? (availW - cw) / 2 : 0);
    const int top = vb.Margin() + (ch <= availH ? (availH - ch) / 2 : 0);
    paper_->SetBounds(left, top, cw, ch);
    if (AutoScroll())
        EnableAutoRange();
    else
        CalcAutoRange();
    if (savePos) {
        if (dragH)
            hb.SetPosition(MulDiv(pctH, hb.MaxPosition(), 100));
        if (dragV)
            vb.SetPosition(MulDiv(pctV, vb.MaxPosition(), 100));
    }
    canDragH_ = dragH;
    canDragV_ = dragV;
    dragging_ = false;
    paper_->SetCursor(dragH || dragV ? paperView_->DragCursor() : paperView_->Cursor());
    if (zoom_ != oldZoom && OnZoomChange)
        OnZoomChange(this);
}

} // namespace zibor::preview
