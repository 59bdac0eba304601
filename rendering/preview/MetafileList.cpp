#include "rendering/preview/MetafileList.h"

#include "platform/core/Files.h"
#include "platform/metafile/EmfRecords.h"

#include <cstring>
#include <limits>

namespace zibor::preview {

using namespace plat;

namespace {

constexpr uint8_t kMagic[4] = {'K', '-', 'P', 'P'};
// Stream copies go through a buffer of this size.
constexpr int64_t kChunk = 61440;

// Copies from source's position until a read returns nothing.
void CopyRest(TStream &source, TStream &dest)
{
    std::vector<uint8_t> buf(kChunk);
    for (;;) {
        const int64_t n = source.Read(buf.data(), kChunk);
        if (n <= 0)
            break;
        dest.WriteBuffer(buf.data(), n);
    }
}

} // namespace

int32_t ReadInt32LE(const uint8_t *p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void WriteInt32LE(TStream &s, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    const uint8_t b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    s.WriteBuffer(b, 4);
}

TPageStoreBlock CheckPageStoreBlock(const uint8_t *bytes, size_t size)
{
    if (size < 8 || std::memcmp(bytes, kMagic, 4) != 0)
        throw EInvalidPreviewData();
    const int32_t count = ReadInt32LE(bytes + 4);
    // The count is checked against the bytes that follow before anything is
    // reserved for it.
    if (count < 0 || uint64_t(count) * 4 > size - 8)
        throw EInvalidPreviewData();
    TPageStoreBlock block;
    block.Data = bytes + 8 + size_t(count) * 4;
    block.DataSize = size - 8 - size_t(count) * 4;
    if (count == 0) {
        if (block.DataSize != 0)
            throw EInvalidPreviewData();
        return block;
    }
    block.Offsets.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t off = ReadInt32LE(bytes + 8 + size_t(i) * 4);
        if (i == 0 ? off != 0 : off <= block.Offsets.back())
            throw EInvalidPreviewData();
        if (off < 0 || size_t(off) >= block.DataSize)
            throw EInvalidPreviewData();
        block.Offsets.push_back(off);
    }
    for (size_t i = 0; i < block.Offsets.size(); ++i) {
        const size_t start = size_t(block.Offsets[i]);
        const size_t end = i + 1 < block.Offsets.size() ? size_t(block.Offsets[i + 1]) : block.DataSize;
        emf::TEmfHeader h;
        if (!emf::ReadEmfHeader(block.Data + start, end - start, h) || h.Bytes != end - start)
            throw EInvalidPreviewData();
        // Whatever else a metafile refuses, the store must not hold: it would
        // fail only later, when the page is shown.
        try {
            TMetafile page;
            page.SetBytes(std::vector<uint8_t>(block.Data + start, block.Data + end));
        } catch (const EInvalidMetafile &) {
            throw EInvalidPreviewData();
        }
    }
    return block;
}

TMetafileList::TMetafileList() = default;

TMetafileList::~TMetafileList()
{
    Clear();
}

std::unique_ptr<TStream> TMetafileList::NewDataStream()
{
    if (!useTempFile_)
        return std::make_unique<TMemoryStream>();
    const std::string name = CreateTempFile("PP");
    if (name.empty())
        throw EFCreateError("Cannot create a temporary file");
    auto stream = std::make_unique<TFileStream>(name, fmCreate);
    tempName_ = name;
    return stream;
}

void TMetafileList::DropTempFile()
{
    if (!tempName_.empty()) {
        plat::DeleteFile(tempName_);
        tempName_.clear();
    }
}

void TMetafileList::Attach()
{
    metafile_.OnChange = [this](TObject *) { PageEdited(); };
}

void TMetafileList::Detach() { metafile_.OnChange = nullptr; }

int64_t TMetafileList::DataSize() const { return data_ ? data_->Size() : 0; }

int64_t TMetafileList::PageEnd(int index)
{
    return size_t(index) + 1 < offsets_.size() ? offsets_[size_t(index) + 1] : DataSize();
}

int64_t TMetafileList::SeekNewPage()
{
    if (!data_)
        data_ = NewDataStream();
    const int64_t pos = data_->Seek(0, TSeekOrigin::soEnd);
    if (pos > std::numeric_limits<int32_t>::max())
        throw EOutOfMemory("Not enough memory to create a new page");
    return pos;
}

void TMetafileList::Add(const TMetafile &metafile)
{
    const int64_t pos = SeekNewPage();
    metafile.SaveToStream(*data_);
    offsets_.push_back(static_cast<int32_t>(pos));
    if (OnChange)
        OnChange(this);
}

void TMetafileList::Add(TMetafile &&metafile)
{
    if (loaded_ >= 0) {
        Add(static_cast<const TMetafile &>(metafile));
        return;
    }
    const int64_t pos = SeekNewPage();
    std::vector<uint8_t> bytes = metafile.ReleaseBytes();
    data_->WriteBuffer(bytes.data(), int64_t(bytes.size()));
    offsets_.push_back(static_cast<int32_t>(pos));
    // What Items would read back from the store: the bytes just written.
    Detach();
    metafile_.SetBytes(std::move(bytes));
    loaded_ = Count() - 1;
    Attach();
    if (OnChange)
        OnChange(this);
}

TMetafile *TMetafileList::Items(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    if (index != loaded_) {
        Detach();
        data_->SetPosition(offsets_[size_t(index)]);
        metafile_.LoadFromStream(*data_);
        loaded_ = index;
        Attach();
    }
    return &metafile_;
}

std::vector<uint8_t> TMetafileList::PageBytes(int index)
{
    if (index < 0 || index >= Count())
        return {};
    const int64_t start = offsets_[size_t(index)], end = PageEnd(index);
    std::vector<uint8_t> b(size_t(end - start));
    data_->SetPosition(start);
    data_->ReadBuffer(b.data(), int64_t(b.size()));
    return b;
}

void TMetafileList::Clear()
{
    Detach();
    metafile_.Clear();
    offsets_.clear();
    loaded_ = -1;
    data_.reset();
    DropTempFile();
}

void TMetafileList::ClearAndNotify()
{
    Clear();
    if (OnChange)
        OnChange(this);
}

void TMetafileList::SetUseTempFile(bool on)
{
    if (on == useTempFile_)
        return;
    useTempFile_ = on;
    const std::string oldTemp = tempName_;
    if (data_) {
        tempName_.clear();
        std::unique_ptr<TStream> fresh = NewDataStream();
        data_->SetPosition(0);
        CopyRest(*data_, *fresh);
        data_ = std::move(fresh);
    }
    if (!on && !oldTemp.empty()) {
        plat::DeleteFile(oldTemp);
        if (tempName_ == oldTemp)
            tempName_.clear();
    }
}

void TMetafileList::SaveToStream(TStream &stream)
{
    stream.WriteBuffer(kMagic, 4);
    WriteInt32LE(stream, Count());
    for (int32_t off : offsets_)
        WriteInt32LE(stream, off);
    if (data_) {
        data_->SetPosition(0);
        CopyRest(*data_, stream);
    }
}

void TMetafileList::LoadFromStream(TStream &stream)
{
    const std::vector<uint8_t> bytes = ReadRest(stream);
    LoadBlock(CheckPageStoreBlock(bytes.data(), bytes.size()));
}

void TMetafileList::LoadBlock(const TPageStoreBlock &block)
{
    // The pages shown so far are gone: say so before the new ones come.
    ClearAndNotify();
    offsets_ = block.Offsets;
    data_ = NewDataStream();
    data_->WriteBuffer(block.Data, int64_t(block.DataSize));
    if (OnChange)
        OnChange(this);
}

void TMetafileList::PageEdited()
{
    if (loaded_ < 0 || !data_)
        return;
    const int index = loaded_;
    TMemoryStream m;
    metafile_.SaveToStream(m);
    const int64_t start = offsets_[size_t(index)], end = PageEnd(index);
    const int64_t delta = m.Size() - (end - start);
    const bool last = index + 1 == Count();
    TMemoryStream tail;
    if (delta != 0 && !last) {
        data_->SetPosition(end);
        CopyRest(*data_, tail);
    }
    data_->SetPosition(start);
    data_->WriteBuffer(m.Memory(), m.Size());
    if (tail.Size() > 0) {
        for (size_t i = size_t(index) + 1; i < offsets_.size(); ++i)
            offsets_[i] = static_cast<int32_t>(offsets_[i] + delta);
        data_->WriteBuffer(tail.Memory(), tail.Size());
    }
    if (delta < 0)
        data_->SetSize(data_->Size() + delta);
    if (OnPageChange)
        OnPageChange(this, index);
}

} // namespace zibor::preview
