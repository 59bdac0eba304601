#pragma once
// A recorded page of vector drawing, held as the bytes of one enhanced
// metafile. A stored page is self-delimiting: loading reads exactly the byte
// count its header gives, so pages can lie back to back in one stream.
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Types.h"
#include "platform/graphics/Graphics.h"
#include "platform/metafile/EmfRecords.h"

#include <cstdint>
#include <vector>

namespace plat {

// A page whose header is not that of an enhanced metafile, or that ends early.
class EInvalidMetafile : public Exception { using Exception::Exception; };

class TMetafile : public TGraphic {
public:
    TMetafile() = default;
    TMetafile(const TMetafile &other);
    TMetafile &operator=(const TMetafile &other);

    // Size in pixels at 96 pixels per inch, and in 0.01 mm; each pair is
    // derived from the other.
    int Width() const override;
    int Height() const override;
    void SetWidth(int value);
    void SetHeight(int value);
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }
    void SetMMWidth(int value);
    void SetMMHeight(int value);

    // No recorded content (a fresh or cleared metafile).
    bool Empty() const override { return bytes_.empty(); }
    // Drops the content; keeps the size.
    void Clear();

    // Writes the page; an empty metafile writes an empty page of its size, so
    // that what is written can always be read back.
    void SaveToStream(TStream &stream) const override;
    // Reads one page from the stream's position; raises EInvalidMetafile when
    // the header is not sound or the stream ends before the page does, and
    // leaves the metafile unchanged then.
    void LoadFromStream(TStream &stream) override;

    // The page as it would be saved (header frame set to the current size).
    std::vector<uint8_t> Bytes() const;
    // The same bytes moved out, for a caller that is done with the metafile;
    // it is empty afterwards (its size kept).
    std::vector<uint8_t> ReleaseBytes();
    // Replaces the content with a page; raises EInvalidMetafile when its
    // header is not sound.
    void SetBytes(std::vector<uint8_t> bytes);
    emf::TEmfHeader Header() const;

    // Walks the page's records (see EnumerateEmf).
    emf::TEmfEnumResult Enumerate(const emf::TEmfRecordHandler &handler) const;

    // Plays the page stretched into rect.
    void Draw(TCanvas &canvas, const TRect &rect) const override;
    const char *ClassName() const override { return "TMetafile"; }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TMetafile>(*this); }
    // The page played at its own size on white.
    QImage ToImage() const override;

    // OnChange (of TGraphic) fires when the content or the size changes.

private:
    std::vector<uint8_t> bytes_;
    int mmWidth_ = 0, mmHeight_ = 0;
};

} // namespace plat
