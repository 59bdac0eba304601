#pragma once
// The print preview: records a document drawn by its user as pages of vector
// drawing in a chosen paper format and unit, shows one page at a time on a
// paper control with zoom and scrolling, and saves and loads the pages as a
// report file.
//
// Report file (integers 32-bit little-endian): magic 0x13490208, orientation
// (0 portrait, 1 landscape), paper type ordinal, paper width and height in
// 0.01 mm, then the page store block (MetafileList.h). Loading checks the
// whole input first; a fault raises EInvalidPreviewData and changes nothing.
#include "platform/graphics/Canvas.h"
#include "platform/gui/ScrollBox.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/printing/Printers.h"
#include "rendering/preview/MetafileList.h"
#include "rendering/preview/PaperPreview.h"
#include "rendering/preview/PaperSizes.h"

#include <functional>
#include <memory>
#include <string>

namespace zibor::preview {

enum TGrayscaleOption : unsigned { gsPreview = 1, gsPrint = 2 };
using TGrayscaleOptions = unsigned;  // a set of TGrayscaleOption bits

enum class TPrinterOrientation { poPortrait, poLandscape };
using enum TPrinterOrientation;

enum class TZoomState { zsZoomOther, zsZoomToWidth, zsZoomToHeight, zsZoomToFit };
using enum TZoomState;

// State: ready, recording pages, printing, writing a PDF.
enum : uint8_t { psReady = 0, psCreating = 1, psPrinting = 2, psSavingPDF = 4 };

using TPreviewPageDraw = std::function<void(plat::TObject *Sender, int PageNo, plat::TCanvas &Canvas)>;
using TPreviewPrintProgress = std::function<void(plat::TObject *Sender, int PageNo, int Progress, bool &Abort)>;
using TPreviewAutoCustomForm =
    std::function<void(plat::TObject *Sender, const plat::String &FormName, plat::TOperation Operation)>;

constexpr uint32_t ReportFileMagic = 0x13490208;

class TPrintPreview : public plat::TScrollBox {
public:
    explicit TPrintPreview(plat::TComponent *owner);
    ~TPrintPreview() override;

    // ---- published look and behaviour
    bool Annotation() const { return annotation_; }
    void SetAnnotation(bool on);
    // BeginDoc prints straight to the printer instead of recording.
    bool DirectPrint() const { return directPrint_; }
    void SetDirectPrint(bool on) { directPrint_ = on; }
    bool Background() const { return background_; }
    void SetBackground(bool on);
    TGrayscaleOptions Grayscale() const { return grayscale_; }
    void SetGrayscale(TGrayscaleOptions options);
    TUnits Units() const { return units_; }
    void SetUnits(TUnits units);
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation orientation);
    TPaperType PaperType() const { return paperType_; }
    void SetPaperType(TPaperType type);
    TPaperPreviewOptions &PaperView() { return *paperView_; }
    int PaperWidth() const { return paperWidth_; }
    int PaperHeight() const { return paperHeight_; }
    void SetPaperWidth(int v) { SetPaperSize(v, paperHeight_); }
    void SetPaperHeight(int v) { SetPaperSize(paperWidth_, v); }
    // Each value clamped to 1..32767; the paper type follows the size.
    virtual void SetPaperSize(int width, int height);
    const plat::String &PrintJobTitle() const { return printJobTitle_; }
    void SetPrintJobTitle(const plat::String &title) { printJobTitle_ = title; }
    bool UsePrinterOptions() const { return usePrinterOptions_; }
    void SetUsePrinterOptions(bool on) { usePrinterOptions_ = on; }
    bool UseTempFile() const { return pages_->UseTempFile(); }
    void SetUseTempFile(bool on) { pages_->SetUseTempFile(on); }
    TZoomState ZoomState() const { return zoomState_; }
    void SetZoomState(TZoomState state);
    int Zoom() const { return zoom_; }
    // Clamped to ZoomMin..ZoomMax; the zoom state becomes zsZoomOther.
    void SetZoom(int value);
    int ZoomMin() const { return zoomMin_; }
    // At least 1 and at most ZoomMax; otherwise refused.
    void SetZoomMin(int value);
    int ZoomMax() const { return zoomMax_; }
    // At least ZoomMin; otherwise refused.
    void SetZoomMax(int value);
    bool ZoomSavePos() const { return zoomSavePos_; }
    void SetZoomSavePos(bool on) { zoomSavePos_ = on; }
    int ZoomStep() const { return zoomStep_; }
    void SetZoomStep(int v) { zoomStep_ = v; }

    // ---- state and pages
    uint8_t State() const { return state_; }
    bool Aborted() const { return aborted_; }
    // 1-based; 0 when there are no pages.
    int CurrentPage() const { return currentPage_; }
    void SetCurrentPage(int page);
    int TotalPages() const;
    // Page n (1-based) from the store; nullptr outside 1..TotalPages.
    plat::TMetafile *Pages(int n);
    TMetafileList &PageStore() { return *pages_; }
    TPaperPreview &PaperControl() { return *paper_; }
    // The paper in screen pixels at 100 %, at least 1 x 1.
    plat::TSize PaperExtent() const { return extent_; }
    // Whether the paper is larger than the area that shows it.
    bool CanDragHorizontally() const { return canDragH_; }
    bool CanDragVertically() const { return canDragV_; }
    plat::TRect GetPageBounds() const { return plat::Rect(0, 0, paperWidth_, paperHeight_); }
    // The system's printer list is not empty.
    bool PrinterInstalled() const;

    // ---- units
    int ConvertX(int value, TUnits from, TUnits to) const;
    int ConvertY(int value, TUnits from, TUnits to) const;
    plat::TPoint ConvertXY(int x, int y, TUnits from, TUnits to) const;
    void ConvertPoints(plat::TPoint *points, int count, TUnits from, TUnits to) const;

    // ---- recording
    // The page being recorded (or printed directly); outside a page the
    // printer's canvas, which draws nowhere unless a job runs.
    plat::TCanvas &Canvas();
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();

    // ---- files
    void SaveToStream(plat::TStream &stream);
    void LoadFromStream(plat::TStream &stream);
    // Atomic: a failed save leaves an existing file as it was. EFCreateError
    // when the file cannot be created, EWriteError when writing fails.
    void SaveToFile(const plat::String &fileName);
    void LoadFromFile(const plat::String &fileName);

    // ---- PDF export (PreviewPdfExport.cpp)
    // Writes page 1 as a one-page PDF file of the paper's size (an empty page
    // when there are none). Only in state 0 (else EPdfInvalidOperation
    // "SaveAsPDF", nothing written); the state is 4 while it runs and 0
    // after, also when it raises. A file that cannot be written raises
    // "Unable to write to file %s. ..." and leaves an existing file as it
    // was; a page that fails to draw is saved as far as it was drawn, and
    // the error then goes on to the caller.
    void SaveAsPDF(const plat::String &fileName);
    // The file opens for reading and writing (created when missing, closed
    // at once).
    bool FileIsWritable(const plat::String &fileName) const;
    bool CanSaveAsPDF() const { return true; }

    // ---- drawing
    // Draws the graphic on Canvas into rect (page units) and returns the
    // rectangle used; an empty graphic draws nothing and gives an empty
    // rectangle at rect's top-left corner.
    plat::TRect PaintGraphicEx(const plat::TRect &rect, const plat::TGraphic &graphic, bool center, bool shrinkOnly,
                               bool proportional);
    // The page mapping on any canvas: the paper in Units onto the device's
    // pixels at the given resolution, shifted by minus the printing offset,
    // with the font's resolution set so that point sizes hold in page units.
    void SetPageMapping(plat::TCanvas &canvas, int resX, int resY, plat::TPoint offset) const;
    // The page in grey: g = (30 R + 59 G + 11 B) / 100 per pixel.
    static void DrawGrayscale(plat::TCanvas &canvas, const plat::TMetafile &metafile, const plat::TRect &rect);

    // ---- printing
    void Print();
    // first and last are clamped to 1..TotalPages; nothing when first > last.
    // The end step (job ended or aborted, OnAfterPrint, State 0) runs also
    // when drawing, the printer or a handler raises; the error then goes on.
    void PrintPages(int first, int last);
    // The paper and orientation into the printer's settings, and back.
    void SetPrinterOptions();
    void GetPrinterOptions();
    // The printer's forms of at least 11 x 11 thousandths of a millimetre.
    bool GetFormNames(std::vector<plat::String> &names);
    // The form for the paper: the one chosen, else the printer's form of the
    // same size, else a form made for it (the automatic custom form).
    plat::String GetFormName();
    // Chooses a form of the printer: the paper takes its size.
    void SetFormName(const plat::String &name);
    const plat::String &AutoCustomFormName() const { return autoForm_; }
    // The printable area in Units; the page bounds without a printer.
    plat::TRect GetPrinterPageBounds();

    // Lays the paper control out for the zoom.
    void UpdateZoom();
    void UpdateAnnotation();

    // ---- events
    plat::TNotifyEvent OnBeginDoc, OnEndDoc, OnNewPage, OnEndPage, OnAbort, OnChange, OnBeforePrint,
        OnAfterPrint, OnZoomChange, OnStateChange;
    TPreviewPrintProgress OnPrintProgress;
    TPreviewAutoCustomForm OnAutoCustomForm;
    TPreviewPageDraw OnAnnotation, OnBackground;

    // The keyboard, the wheel and dragging of the paper.
    void KeyDown(uint16_t &key, plat::TShiftState shift) override;
    bool DoMouseWheel(plat::TShiftState shift, int delta, plat::TPoint pos) override;
    bool Dragging() const { return dragging_; }

protected:
    virtual void DoProgress(int page, int done, int total);
    virtual void DoAnnotation(int page);
    virtual void DoBackground(int page);
    virtual void DrawPage(int page, plat::TCanvas &canvas, const plat::TRect &rect);
    void ChangeState(uint8_t state);
    void Resize() override;
    void Loaded() override;

private:
    struct TRecordingPage;
    void RecomputeExtent();
    // The paper of a table row in units, turned by the orientation.
    void SetTableSize(TPaperType type, TUnits units);
    void OpenPage();
    void ClosePage(bool keep);
    std::unique_ptr<plat::TMetafile> RecordLayer(int page, const TPreviewPageDraw &handler);
    void StoreChanged();
    void PageEdited(int index);
    void PaperViewChanged();
    void LoadChecked(const uint8_t *bytes, size_t size);
    void EndPrint(bool complete);
    void DeleteForm(const plat::String &name);
    void MakeAutoCustomForm();
    // The paper in 0.1 mm, turned when landscape.
    plat::TSize PaperLoMetric() const;
    void PaperMouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y);
    void PaperMouseMove(plat::TShiftState shift, int x, int y);
    void PaperMouseUp(plat::TMouseButton button, plat::TShiftState shift, int x, int y);

    std::unique_ptr<TMetafileList> pages_;
    std::unique_ptr<TPaperPreviewOptions> paperView_;
    TPaperPreview *paper_ = nullptr;  // owned as a component
    std::unique_ptr<plat::TCanvas> nullCanvas_;
    std::unique_ptr<plat::TMetafile> recordMeta_;
    std::unique_ptr<plat::TMetafileCanvas> recordCanvas_;
    std::unique_ptr<plat::TMetafile> annotationMeta_, backgroundMeta_;

    bool annotation_ = false, background_ = false;
    TGrayscaleOptions grayscale_ = 0;
    TUnits units_ = mmHiMetric;
    TPrinterOrientation orientation_ = poPortrait;
    TPaperType paperType_ = pA4;
    int paperWidth_ = 21000, paperHeight_ = 29700;
    plat::String printJobTitle_;
    bool usePrinterOptions_ = false;
    TZoomState zoomState_ = zsZoomToFit;
    int zoom_ = 100, zoomMin_ = 10, zoomMax_ = 500, zoomStep_ = 10;
    bool zoomSavePos_ = true;
    uint8_t state_ = psReady;
    bool aborted_ = false;
    int currentPage_ = 0;
    plat::TSize extent_{1, 1};
    plat::String formName_;
    bool canDragH_ = false, canDragV_ = false, dragging_ = false;
    plat::TPoint grab_;
    int wheelSum_ = 0;
    bool directPrint_ = false, printingDirectly_ = false;
    int directPages_ = 0;
    plat::TCanvas *directCanvas_ = nullptr;
    plat::String autoForm_;
};

// Registers the hand and grab cursors of the program's resources as screen
// cursors 10 and 11, once; every preview calls it before it is built.
void RegisterPreviewCursors();

} // namespace zibor::preview
