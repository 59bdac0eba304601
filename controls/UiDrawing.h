#pragma once
// Free drawing routines of the custom-drawn controls: the gradient painter
// with its ten shapes and the band painters behind it, tiling and mirroring
// of a painted corner, a transparent copy, and the look beneath a control.
// They keep no state. A device context is a canvas here, and a bit-block
// transfer is CopyRect.
#include "controls/UiCommon.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/Controls.h"

// Fills r with the gradient; the two End directions through the canvas's
// two-vertex fill, the others through PaintGradientStyled.
void DrawGradientBox(plat::TCanvas &canvas, const plat::TRect &r, TGradientDirection direction, plat::TColor start,
                     plat::TColor stop, uint8_t granularity);
// The eight composed shapes, painted in a bitmap that is drawn at the
// rectangle's left and top in one operation (a reversed rectangle counts
// with its absolute size).
void PaintGradientStyled(plat::TCanvas &canvas, const plat::TRect &r, TGradientDirection direction,
                         plat::TColor start, plat::TColor stop, uint8_t granularity);
// One strip of linear bands, 8 pixels thick.
void GradientBandsLinear(plat::TCanvas &canvas, int horizontalSplit, int verticalSplit, int extent, plat::TColor a,
                         plat::TColor b, uint8_t granularity);
// The top-left quarter of a box gradient.
void GradientBandsRect(plat::TCanvas &canvas, int width, int height, int horizontalInset, int verticalInset,
                       plat::TColor start, plat::TColor stop, uint8_t granularity);
// Diagonal bands over the whole area; a negative width runs them the other way.
void GradientBandsDiagonal(plat::TCanvas &canvas, int width, int height, plat::TColor start, plat::TColor stop,
                           uint8_t granularity);
// Repeats the filled corner block over the area by doubling copies.
void TileBitmapRect(plat::TCanvas &canvas, int left, int top, int totalWidth, int totalHeight, int filledWidth,
                    int filledHeight, unsigned rop = plat::cmSrcCopy);
// Mirrors the top-left quarter into the other three.
void MirrorStretchHalves(plat::TCanvas &canvas, int left, int top, int width, int height,
                         unsigned rop = plat::cmSrcCopy);
// The source part of the bitmap stretched into dest, leaving the pixels of
// transparentColor out.
void StretchTransparentBitmap(plat::TCanvas &canvas, const plat::TBitmap &bitmap, const plat::TRect &dest,
                              const plat::TRect &source, plat::TColor transparentColor);
// What the window shows beneath the control, painted into its canvas;
// invalidateParent asks a parent that is neither self-drawn nor a window
// to paint again.
void DrawParentBackground(plat::TControl &control, plat::TCanvas &canvas, bool invalidateParent);
