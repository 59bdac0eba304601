#pragma once
// The drawing surface with the framework's semantics, drawn with QPainter
// into a QImage.
//
// Coordinates are logical units, mapped to device pixels by the canvas's
// mapping (map mode, window and viewport extents and origins); in MM_TEXT
// one unit is one pixel. Rectangles exclude their right and bottom edge;
// LineTo leaves out its end point; a Rectangle, Ellipse or RoundRect with a
// clear pen fills one unit less on the right and at the bottom, as on the
// platform.
//
// Text is measured through the font provider (Fonts.h) in logical units:
// TextWidth is the sum of the rounded advances, TextHeight the font's
// tmHeight. Glyphs are placed on exactly those advances.
//
// Subclassing (the metafile recorder): the primitives below marked
// "virtual primitive" are where every drawing call ends up; a subclass that
// records instead of painting overrides all of them and constructs with the
// protected target-less constructor. The rest (TextOut, TextRect, DrawText,
// Draw, StretchDraw of raster graphics, Rectangle(TRect), ...) is built on
// the primitives in this class and needs no override:
//   - MoveTo, LineTo, Rectangle, FillRect, FrameRect, Polygon, Polyline,
//     Ellipse, RoundRect, ExtTextOut, StretchDrawImage, GradientFillRect,
//     SetPixel, Pixel, CopyRect;
//   - IntersectClipRect, ExcludeClipRect, SelectClipRect, SaveDC, RestoreDC;
//   - SetMapMode, SetWindowExtEx, SetWindowOrgEx, SetViewportExtEx,
//     SetViewportOrgEx, SetBkMode, SetBkColor, SetTextAlign, SetTextColor,
//     SetStretchBltMode.
// An override should call the base implementation for the state calls
// (clip, save/restore, mapping, background, text colour and alignment) so
// that the state getters and the text layout stay right.
//
// Object selection: Pen, Brush and Font are realised lazily, like the
// framework's canvas does: before a primitive that needs them, RequiredState
// calls CreatePen, CreateBrush or CreateFont once after each change. The base
// CreateBrush sets the background colour to the brush colour and the
// background mode to OPAQUE for a solid brush, TRANSPARENT otherwise (through
// SetBkColor and SetBkMode); CreateFont sets the text colour to the font's
// colour (through SetTextColor). A recorder overrides these three to write
// its object records and calls the base. Overridden primitives call
// RequiredState themselves with the flags listed at each primitive.
#include "platform/core/Types.h"
#include "platform/graphics/Fonts.h"
#include "platform/graphics/Graphics.h"

#include <QImage>
#include <QPainter>
#include <QRegion>

#include <optional>
#include <vector>


namespace plat {

// ExtTextOut options.
enum : unsigned { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10, ETO_RTLREADING = 0x80 };

// DrawText flags. DT_TABSTOP, DT_INTERNAL, DT_EDITCONTROL, DT_END_ELLIPSIS,
// DT_HIDEPREFIX and DT_PREFIXONLY are accepted and have no effect; mnemonic
// underlines are never drawn, as with the platform's keyboard cues hidden.
enum : unsigned {
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80, DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_INTERNAL = 0x1000,
    DT_EDITCONTROL = 0x2000, DT_END_ELLIPSIS = 0x8000, DT_RTLREADING = 0x20000,
    DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000,
};

// Text alignment.
enum : unsigned {
    TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
    TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256,
};

// Background modes, map modes, stretch modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5,
             MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// Raster operations for CopyRect (the framework's copy modes).
enum : unsigned {
    cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062,
};

// GetPixel's answer outside the surface.
constexpr TColor CLR_INVALID = static_cast<TColor>(0xFFFFFFFF);

class TCanvas : public TObject {
public:
    // Draws into *target (not owned; must outlive the canvas and stay 32-bit).
    explicit TCanvas(QImage *target);
    // Draws through a painter that the caller has begun on any paint device
    // (a printer, say) and keeps active while the canvas draws; its own
    // transform and clip apply on top of the canvas's. Pixel reads and
    // CopyRect from such a canvas see nothing.
    explicit TCanvas(QPainter *painter);
    ~TCanvas() override;
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    QImage *Target() const { return target_; }

    TPen &Pen() { return pen_; }
    TBrush &Brush() { return brush_; }
    TFont &Font() { return font_; }
    const TPen &Pen() const { return pen_; }
    const TBrush &Brush() const { return brush_; }
    const TFont &Font() const { return font_; }
    void SetPen(const TPen &pen) { pen_.Assign(pen); }
    void SetBrush(const TBrush &brush) { brush_.Assign(brush); }
    void SetFont(const TFont &font) { font_.Assign(font); }
    TPoint PenPos() const { return penPos_; }
    void SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }
    unsigned CopyMode() const { return copyMode_; }
    void SetCopyMode(unsigned rop) { copyMode_ = rop; }

    // Realises every object again before the next drawing call.
    void Refresh();

    // ---- lines and shapes
    virtual void MoveTo(int x, int y);                              // virtual primitive
    virtual void LineTo(int x, int y);                              // pen, brush
    virtual void Rectangle(int x1, int y1, int x2, int y2);         // pen, brush
    void Rectangle(const TRect &r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    virtual void FillRect(const TRect &r);                          // brush
    virtual void FrameRect(const TRect &r);                         // brush
    virtual void Polygon(const TPoint *points, int count);          // pen, brush
    void Polygon(const std::vector<TPoint> &points) { Polygon(points.data(), static_cast<int>(points.size())); }
    virtual void Polyline(const TPoint *points, int count);         // pen, brush
    void Polyline(const std::vector<TPoint> &points) { Polyline(points.data(), static_cast<int>(points.size())); }
    virtual void Ellipse(int x1, int y1, int x2, int y2);           // pen, brush
    void Ellipse(const TRect &r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    virtual void RoundRect(int x1, int y1, int x2, int y2, int cornerW, int cornerH);  // pen, brush

    // ---- text
    // ExtTextOut at (x, y), then the pen moves to (x + TextWidth, y).
    void TextOut(int x, int y, const String &text);
    // Clipped to r; r filled with the background colour first unless the
    // brush is clear.
    void TextRect(const TRect &r, int x, int y, const String &text);
    int TextWidth(const String &text);
    int TextHeight(const String &text);
    TSize TextExtent(const String &text);
    // One advance per UTF-16 code unit, in logical units.
    std::vector<int> TextAdvances(const String &text);
    const TTextMetric &TextMetrics();
    // Lays the text out in r and draws it line by line through ExtTextOut;
    // DT_CALCRECT only measures, sets r's right and bottom and returns the
    // text height. Drawing returns the text height too, or with DT_VCENTER
    // or DT_BOTTOM (which need DT_SINGLELINE) the offset from r's top to the
    // bottom of the text. "&" marks a mnemonic and is not drawn
    // ("&&" draws one "&") unless DT_NOPREFIX.
    int DrawText(const String &text, TRect &r, unsigned flags);
    // All text output goes through here: text at (x, y) placed by the text
    // alignment, options ETO_OPAQUE (fill *rect with the background colour)
    // and ETO_CLIPPED (clip to *rect); dx holds one advance per UTF-16 code
    // unit (nullptr: the font's own advances). In OPAQUE background mode the
    // text cell is filled with the background colour. The text colour is the
    // one set by SetTextColor. TCanvas's own text calls always pass dx.
    virtual void ExtTextOut(int x, int y, unsigned options, const TRect *rect, const String &text,
                            const int *dx);                         // font, brush

    // The platform's two-vertex gradient fill of a rectangle: start colour at
    // the top edge running to the stop colour at the bottom (vertical), or
    // from left to right; row i of n takes start + (stop - start) * i / n.
    virtual void GradientFillRect(const TRect &r, TColor start, TColor stop, bool vertical);

    // ---- pictures and pixels
    void Draw(int x, int y, const TGraphic &graphic);
    virtual void StretchDraw(const TRect &r, const TGraphic &graphic);
    // The raster primitive behind Draw and StretchDraw of raster graphics:
    // the source part of image (pixels) stretched into dest (logical units).
    // Pixels of transparentColor (a plain colour; clNone for none) are left
    // out; an image with alpha is blended.
    virtual void StretchDrawImage(const TRect &dest, const QImage &image, const TRect &source,
                                  TColor transparentColor = clNone);
    virtual TColor Pixel(int x, int y);
    virtual void SetPixel(int x, int y, TColor color);
    // Copies source's srcRect into dest with CopyMode, stretched to fit. A
    // rectangle with right < left (bottom < top) mirrors the copy left to
    // right (upside down); source and destination may be one canvas.
    virtual void CopyRect(const TRect &dest, TCanvas &source, const TRect &srcRect);   // brush

    // ---- clipping and state
    virtual void IntersectClipRect(const TRect &r);
    virtual void ExcludeClipRect(const TRect &r);
    // nullptr removes the clip region; otherwise the region becomes r.
    virtual void SelectClipRect(const TRect *r);
    bool HasClip() const { return state_.clip.has_value(); }
    // Bounding box of the clip region (the whole surface when unclipped), logical.
    TRect ClipRect() const;
    // SaveDC returns the new level (1 for the first); RestoreDC takes a level
    // or a negative count back from the current one.
    virtual int SaveDC();
    virtual bool RestoreDC(int level);

    virtual void SetMapMode(int mode);
    virtual void SetWindowExtEx(int cx, int cy);
    virtual void SetWindowOrgEx(int x, int y);
    virtual void SetViewportExtEx(int cx, int cy);
    virtual void SetViewportOrgEx(int x, int y);
    void OffsetViewportOrgEx(int dx, int dy) { SetViewportOrgEx(state_.viewportOrg.X + dx, state_.viewportOrg.Y + dy); }
    void OffsetWindowOrgEx(int dx, int dy) { SetWindowOrgEx(state_.windowOrg.X + dx, state_.windowOrg.Y + dy); }
    int MapMode() const { return state_.mapMode; }
    TSize WindowExt() const { return state_.windowExt; }
    TPoint WindowOrg() const { return state_.windowOrg; }
    TSize ViewportExt() const { return state_.viewportExt; }
    TPoint ViewportOrg() const { return state_.viewportOrg; }
    TPoint LPtoDP(TPoint p) const;
    TPoint DPtoLP(TPoint p) const;

    virtual void SetBkMode(int mode);
    virtual void SetBkColor(TColor color);
    virtual void SetTextAlign(unsigned align);
    virtual void SetTextColor(TColor color);
    virtual void SetStretchBltMode(int mode);
    int BkMode() const { return state_.bkMode; }
    TColor BkColor() const { return state_.bkColor; }
    unsigned TextAlign() const { return state_.textAlign; }
    TColor TextColor() const { return state_.textColor; }
    int StretchBltMode() const { return state_.stretchMode; }

    // Device size of the surface (0 x 0 without a target); a recording
    // subclass may report its reference device's size instead. ClipRect and
    // ExcludeClipRect on an unclipped canvas start from it.
    virtual TSize DeviceSize() const;

protected:
    // A canvas that paints nowhere; for subclasses that record.
    TCanvas();

    enum : unsigned { csPenValid = 1, csBrushValid = 2, csFontValid = 4 };
    void RequiredState(unsigned flags);
    virtual void CreatePen();
    virtual void CreateBrush();
    virtual void CreateFont();
    // The current font measured (valid after RequiredState(csFontValid) or any
    // text measurement).
    const TScaledFont &Scaled();

    // The state that SaveDC keeps.
    struct DcState {
        int mapMode = MM_TEXT;
        TSize windowExt{1, 1}, viewportExt{1, 1};
        TPoint windowOrg, viewportOrg;
        int bkMode = OPAQUE;
        TColor bkColor = clWhite;
        TColor textColor = clBlack;
        unsigned textAlign = TA_LEFT | TA_TOP;
        int stretchMode = BLACKONWHITE;
        std::optional<QRegion> clip;  // device pixels
    };
    DcState state_;
    TPoint penPos_;

private:
    void Init();
    void ObjectChanged(unsigned flag);
    // Logical -> device, fractional.
    double MapX(double x) const;
    double MapY(double y) const;
    double ScaleX() const;
    double ScaleY() const;
    QRect DeviceRect(const TRect &r) const;  // normalised, exclusive corners
    // The painter for one drawing call: begun on the image, or the caller's
    // painter saved and restored around the call; false when there is none.
    class PaintScope {
    public:
        explicit PaintScope(const TCanvas &canvas);
        ~PaintScope();
        PaintScope(const PaintScope &) = delete;
        PaintScope &operator=(const PaintScope &) = delete;
        explicit operator bool() const { return active_; }
        QPainter &Painter() { return *p_; }

    private:
        QPainter own_;
        QPainter *p_ = nullptr;
        bool active_ = false, external_ = false;
    };
    void StrokeLine(QPainter &p, int x1, int y1, int x2, int y2, bool lastPixel);
    void FillShapeBrush(QPainter &p, const QRect &devRect);
    bool BeginCurvedShape(PaintScope &scope, const TRect &r, QRect &box);
    int DevicePenWidth() const;

    QImage *target_ = nullptr;
    QPainter *painter_ = nullptr;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    unsigned valid_ = 0;
    unsigned copyMode_ = cmSrcCopy;
    std::optional<TScaledFont> scaled_;
    std::vector<DcState> saved_;
    std::vector<TPoint> savedPen_;
};

} // namespace plat
