#pragma once
// The recorder: a canvas whose drawing calls become enhanced-metafile records
// of a page, with a 96 pixels-per-inch reference device. The page reaches the
// metafile when the canvas is closed or destroyed.
//
// Objects are written when the canvas realises them before a drawing call:
// pens as CREATEPEN, brushes as CREATEBRUSHINDIRECT, fonts as
// EXTCREATEFONTINDIRECTW, each selected at once. A new object takes the lowest
// free handle; the object it replaces is deleted only after that, once it is
// no longer selected (neither now nor in a state kept by SaveDC).
#include "platform/graphics/Canvas.h"
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/Metafile.h"

#include <vector>

namespace plat {

class TMetafileCanvas : public TCanvas {
public:
    // Records a page of the metafile's size (its MMWidth and MMHeight; when
    // those are 0, the size follows from what was drawn).
    explicit TMetafileCanvas(TMetafile &metafile);
    ~TMetafileCanvas() override;

    // Ends the page and hands it to the metafile (which fires its change
    // notice). Later drawing calls record nothing.
    void Close();
    bool Closed() const { return closed_; }
    // Records written so far (header included).
    uint32_t RecordCount() const { return writer_.Records(); }

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    using TCanvas::Rectangle;
    void FillRect(const TRect &r) override;
    void FrameRect(const TRect &r) override;
    void Polygon(const TPoint *points, int count) override;
    using TCanvas::Polygon;
    void Polyline(const TPoint *points, int count) override;
    using TCanvas::Polyline;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    using TCanvas::Ellipse;
    void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH) override;
    void ExtTextOut(int x, int y, unsigned options, const TRect *rect, const String &text,
                    const int *dx) override;
    void GradientFillRect(const TRect &r, TColor start, TColor stop, bool vertical) override;
    void StretchDrawImage(const TRect &dest, const QImage &image, const TRect &source,
                          TColor transparentColor = clNone) override;
    TColor Pixel(int x, int y) override;
    void SetPixel(int x, int y, TColor color) override;
    void CopyRect(const TRect &dest, TCanvas &source, const TRect &srcRect) override;

    void IntersectClipRect(const TRect &r) override;
    void ExcludeClipRect(const TRect &r) override;
    void SelectClipRect(const TRect *r) override;
    int SaveDC() override;
    bool RestoreDC(int level) override;

    void SetMapMode(int mode) override;
    void SetWindowExtEx(int cx, int cy) override;
    void SetWindowOrgEx(int x, int y) override;
    void SetViewportExtEx(int cx, int cy) override;
    void SetViewportOrgEx(int x, int y) override;
    void SetBkMode(int mode) override;
    void SetBkColor(TColor color) override;
    void SetTextAlign(unsigned align) override;
    void SetTextColor(TColor color) override;
    void SetStretchBltMode(int mode) override;
    // The reference device, or the page when that is larger.
    TSize DeviceSize() const override;

protected:
    void CreatePen() override;
    void CreateBrush() override;
    void CreateFont() override;

private:
    struct PenKey {
        uint32_t style = 0;
        int width = 0;
        TColor color = 0;
        bool operator==(const PenKey &) const = default;
    };
    struct BrushKey {
        uint32_t style = 0, hatch = 0;
        TColor color = 0;
        bool operator==(const BrushKey &) const = default;
    };
    // What the page's device context holds, as far as the records written so
    // far tell; saved and restored with SAVEDC and RESTOREDC.
    struct Mirror {
        uint32_t pen = 0, brush = 0, font = 0;  // selected handles, 0 = the stock default
        PenKey penKey;
        BrushKey brushKey;
        emf::TEmrLogFont fontKey;
        int bkMode = OPAQUE;
        TColor bkColor = clWhite, textColor = clBlack;
        unsigned textAlign = TA_LEFT | TA_TOP;
        TPoint pos;
        bool posKnown = true;
    };

    bool Recording() const { return !closed_; }
    uint32_t NewHandle();
    void Select(uint32_t &slot, uint32_t handle);
    bool Pinned(uint32_t handle) const;
    void DropUnused();
    void Delete(uint32_t handle);
    void SyncPosition();
    // Device-pixel bounds of a logical rectangle, widened by the pen when asked.
    TRect DeviceBounds(const TRect &logical, bool withPen) const;
    void AddBounds(const TRect &device);
    TRect Normalised(int x1, int y1, int x2, int y2) const;
    void RecordBox(uint32_t type, const TRect &box, std::initializer_list<int32_t> extra = {});
    void RecordPoly(uint32_t type16, const TPoint *points, int count);
    void RecordImage(const TRect &dest, const QImage &image);

    TMetafile &metafile_;
    emf::TEmfWriter writer_;
    bool closed_ = false;
    std::vector<bool> used_{true};  // handle 0 is the metafile itself
    uint32_t highest_ = 0;
    Mirror dc_;
    std::vector<Mirror> saved_;
    // Record count right after the last MOVETOEX or LINETO: a reader may keep
    // a line's path open only across records of the line itself.
    uint32_t pathEnd_ = 0;
    bool anyBounds_ = false;
    TRect bounds_;
};

} // namespace plat
