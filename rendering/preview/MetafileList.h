#pragma once
// The preview's page store: every page's metafile bytes back to back in one
// data stream, with the offset at which each page begins, and one metafile
// object that holds the page last asked for. Editing that metafile writes it
// back in place.
//
// The page store block, as saved and loaded (integers 32-bit little-endian):
// "K-PP", the page count N, N offsets relative to the page data, then the
// page data. A block is checked whole before a store takes it.
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/metafile/Metafile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zibor::preview {

class EInvalidPreviewData : public plat::Exception {
public:
    EInvalidPreviewData() : plat::Exception("The content is not Print Preview data") {}
};

// A page store block that passed every check: offsets from 0, strictly
// rising, inside the data, each page a sound metafile filling its extent.
struct TPageStoreBlock {
    std::vector<int32_t> Offsets;
    const uint8_t *Data = nullptr;  // points into the checked bytes
    size_t DataSize = 0;
};

// Checks the block in bytes[0, size); raises EInvalidPreviewData on any fault.
TPageStoreBlock CheckPageStoreBlock(const uint8_t *bytes, size_t size);

// The formats' 32-bit little-endian integers.
int32_t ReadInt32LE(const uint8_t *p);
void WriteInt32LE(plat::TStream &stream, int32_t value);

using TPageChangeEvent = std::function<void(plat::TObject *Sender, int PageIndex)>;

class TMetafileList : public plat::TObject {
public:
    TMetafileList();
    ~TMetafileList() override;
    TMetafileList(const TMetafileList &) = delete;
    TMetafileList &operator=(const TMetafileList &) = delete;

    int Count() const { return static_cast<int>(offsets_.size()); }
    // Appends the metafile's bytes as a new page; the caller keeps the metafile.
    void Add(const plat::TMetafile &metafile);
    // The same for a metafile the caller is done with: while the store holds
    // no page, its bytes become the held page, so that the page shown right
    // after recording is not copied out of the store again.
    void Add(plat::TMetafile &&metafile);
    // The held metafile loaded with page index (0-based), owned by the store
    // and valid until the next Items or Clear. Editing it writes it back.
    plat::TMetafile *Items(int index);
    void Clear();
    void ClearAndNotify();

    bool UseTempFile() const { return useTempFile_; }
    void SetUseTempFile(bool on);
    // The temporary file's name; empty when there is none.
    const std::string &TempFileName() const { return tempName_; }

    void SaveToStream(plat::TStream &stream);
    // Reads a block from the stream's position to its end.
    void LoadFromStream(plat::TStream &stream);
    // Takes a block that passed CheckPageStoreBlock.
    void LoadBlock(const TPageStoreBlock &block);

    // Offsets as stored, and one page's bytes (for checks and exports).
    const std::vector<int32_t> &Offsets() const { return offsets_; }
    std::vector<uint8_t> PageBytes(int index);
    int64_t DataSize() const;

    plat::TNotifyEvent OnChange;
    TPageChangeEvent OnPageChange;

private:
    std::unique_ptr<plat::TStream> NewDataStream();
    // The data stream (made when missing) at its end: the new page's offset.
    int64_t SeekNewPage();
    void DropTempFile();
    void Attach();
    void Detach();
    void PageEdited();
    int64_t PageEnd(int index);

    std::vector<int32_t> offsets_;
    std::unique_ptr<plat::TStream> data_;
    int loaded_ = -1;
    plat::TMetafile metafile_;
    bool useTempFile_ = false;
    std::string tempName_;
};

} // namespace zibor::preview
