#pragma once
// Small helpers for the preview's tests: a preview of a known size, short
// documents, and the bytes of saved reports.
#include "platform/core/Streams.h"
#include "rendering/preview/PrintPreview.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zibor::test {

using namespace zibor::preview;

// A preview laid out at a known size, without a window.
inline std::unique_ptr<TPrintPreview> MakePreview(int width = 600, int height = 500)
{
    auto pp = std::make_unique<TPrintPreview>(nullptr);
    pp->SetAlign(plat::TAlign::alNone);
    pp->SetBounds(0, 0, width, height);
    return pp;
}

// Page n (1-based) carries a frame, a line whose length tells the page and a
// label, so that pages differ in content and size.
inline void DrawNumberedPage(plat::TCanvas &c, int n)
{
    c.Pen().SetWidth(20);
    c.Rectangle(1000, 1000, 20000, 28700);
    c.MoveTo(2000, 2000);
    c.LineTo(2000 + n * 1500, 2000);
    c.Font().SetSize(14);
    c.TextOut(2000, 3000, "Pagina " + std::to_string(n));
}

// Records pages; draw(canvas, n) draws page n (nothing for blank pages).
inline void Record(TPrintPreview &pp, int pages,
                   const std::function<void(plat::TCanvas &, int)> &draw = DrawNumberedPage)
{
    pp.BeginDoc();
    for (int n = 1; n <= pages; ++n) {
        if (n > 1)
            pp.NewPage();
        if (draw)
            draw(pp.Canvas(), n);
    }
    pp.EndDoc();
}

// A paper of the table, or for pCustom 15000 x 20000 in the current units.
inline void SetPaper(TPrintPreview &pp, TPaperType type, bool landscape)
{
    if (type == pCustom)
        pp.SetPaperSize(15000, 20000);
    else
        pp.SetPaperType(type);
    if (landscape)
        pp.SetOrientation(poLandscape);
}

inline std::vector<uint8_t> Saved(TPrintPreview &pp)
{
    plat::TMemoryStream m;
    pp.SaveToStream(m);
    return m.Bytes();
}

inline void Load(TPrintPreview &pp, const std::vector<uint8_t> &bytes)
{
    plat::TMemoryStream m;
    if (!bytes.empty())
        m.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    m.SetPosition(0);
    pp.LoadFromStream(m);
}

inline std::vector<uint8_t> PageBytes(TPrintPreview &pp, int n)
{
    return pp.PageStore().PageBytes(n - 1);
}

inline int32_t I32(const std::vector<uint8_t> &b, size_t at)
{
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

inline void PutI32(std::vector<uint8_t> &b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }

} // namespace zibor::test
