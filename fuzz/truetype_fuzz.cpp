// A TrueType font file: its tables, and the metrics and advances of the face
// scaled to a few heights, the huge ones too.
#include "fuzz/support/FuzzSupport.h"
#include "platform/graphics/Fonts.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto face = plat::TTrueTypeFace::LoadFromData(std::vector<uint8_t>(data, data + size));
    if (!face)
        return 0;
    for (const int height : {-16, 12, 1 << 20, -(1 << 30)}) {
        const plat::TScaledFont font(face, height, true, true, true, true);
        (void)font.Metrics();
        (void)font.Advances("Zibor \xE2\x82\xAC \xF0\x9F\x98\x80");
        (void)font.TextWidth("WWWWWWWWWWWWWWWW");
        (void)font.UnderlineOffset();
        (void)font.StrikeoutSize();
    }
    (void)face->GlyphIndex(U'A');
    return 0;
}
