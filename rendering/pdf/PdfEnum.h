#pragma once
// Converts a recorded page (an enhanced metafile) into content-stream
// operators on a PDF canvas: lines, rectangles, ellipses, rounded
// rectangles, polygons, text and bitmaps. It keeps its own copy of the
// page's device-context state and writes colours, dashes, widths and fonts
// only when they change.
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/Metafile.h"
#include "rendering/pdf/PdfCanvas.h"

#include <array>
#include <vector>

class TPdfEnum {
public:
    static constexpr int kStates = 11;

    // (x, y): where the picture goes, in points from the page's lower-left
    // corner upwards; scale: of the picture's size.
    TPdfEnum(TPdfCanvas &canvas, const plat::TMetafile &metafile, double x, double y, double scale);
    // "q", every record, "Q". The closing "Q" (and a pending line) is
    // written also when a record raises; the error then goes on.
    plat::emf::TEmfEnumResult Run();

private:
    struct TState {
        int CurX = 0, CurY = 0;
        bool PosKnown = true;
        int WinCx = 1, WinCy = 1, VpCx = 1, VpCy = 1;
        int WinOrgX = 0, WinOrgY = 0, VpOrgX = 0, VpOrgY = 0;
        bool PenNull = false;
        plat::TColor PenColor = 0;
        int PenStyle = 0;
        float PenWidth = 1;
        bool BrushNull = false;
        plat::TColor BrushColor = 0xFFFFFF;
        plat::TColor TextColor = 0;
        uint32_t TextAlign = 0;
        int16_t FontAngle = 0;
        int FontAscent = 0, FontDescent = 0, FontEm = 0;
        plat::emf::TEmrLogFont LogFont;
    };
    struct TSlot {
        enum TKind { Free = 0, Pen = 1, Brush = 2, Font = 6 } Kind = Free;
        plat::TColor Color = 0;
        int Style = 0;
        float Width = 0;
        bool Null = false;
        int16_t Angle = 0;
        int Ascent = 0, Descent = 0, Em = 0;
        plat::emf::TEmrLogFont LogFont;
    };

    bool Handle(const plat::emf::TEmfRecord &rec);
    void UpdateMapping(const float *transform = nullptr);
    void StrokePending();
    void ApplyPen();
    void PreparePenAndBrush();
    void PaintClosed();
    void SetFill(plat::TColor color);
    void ForgetWritten();
    bool Select(uint32_t index);
    // The slot of a handle, emptied and given its kind; nullptr past the table.
    TSlot *NewSlot(uint32_t handle, TSlot::TKind kind);
    void CreateFontSlot(const plat::emf::TEmrLogFont &logFont);
    void Poly(const plat::emf::TEmfRecord &rec);
    void Blt(const plat::emf::TEmfRecord &rec);
    void DrawBitmap(const plat::emf::TEmrBlt &blt, bool fromBottom);
    void Text(const plat::emf::TEmfRecord &rec);
    TState &S() { return states_[size_t(current_)]; }

    TPdfCanvas &c_;
    const plat::TMetafile &mf_;
    double x_, y_, scale_;
    bool pending_ = false;
    std::vector<TSlot> slots_;
    int current_ = 0;
    int excessSaves_ = 0;
    std::array<TState, kStates> states_;
    // What the content stream has in force; -1: nothing yet.
    int64_t stroke_ = -1, fill_ = -1, style_ = -1;
    float width_ = -1;
};
