#include "audio/WaveStreamAdapter.h"

#include "platform/audio/Acm.h"
#include "platform/audio/AudioDevice.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace plat;

namespace {

// Silence is made only in a format that a device plays: its byte rate is
// that of its samples, so that a forged rate from the file cannot ask for
// gigabytes of it.
bool SilenceFits(const WAVEFORMATEX &format) { return IsPlayablePcm(format); }

} // namespace

TWaveStreamAdapter::TWaveStreamAdapter(TStream *stream, int ownership) : stream_(stream), ownership_(ownership) {}

TWaveStreamAdapter::~TWaveStreamAdapter()
{
    if (state_ == stRewriting)
        EndRewrite();
    else if (state_ == stReading)
        EndRead();
    format_.reset();
    if (ownership_ == soOwned)
        delete stream_;
}

// ---- header cache -------------------------------------------------------------------

bool TWaveStreamAdapter::UpdateDetails()
{
    if (stale_ && state_ != stRewriting) {
        stale_ = false;
        format_.reset();
        valid_ = stream_ && GetStreamWaveHeader(*stream_, format_, dataSize_, dataOffset_);
        DoChange();
    }
    return valid_;
}

const WAVEFORMATEX *TWaveStreamAdapter::WaveFormat() { return UpdateDetails() ? format_.get() : nullptr; }
uint32_t TWaveStreamAdapter::DataSize() { return UpdateDetails() ? dataSize_ : 0; }
uint32_t TWaveStreamAdapter::DataOffset() { return UpdateDetails() ? dataOffset_ : 0; }
uint32_t TWaveStreamAdapter::Length() { return UpdateDetails() ? BytesToMs(*format_, dataSize_) : 0; }
uint32_t TWaveStreamAdapter::MsToBytes(uint32_t ms) { return UpdateDetails() ? ::MsToBytes(*format_, ms) : 0; }

void TWaveStreamAdapter::DoChanging()
{
    if (stale_)
        return;
    valid_ = false;
    stale_ = true;
    if (OnChanging)
        OnChanging(this);
}

void TWaveStreamAdapter::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TWaveStreamAdapter::Abandon()
{
    if (mmio_)
        mmioClose(mmio_, 0);
    mmio_ = nullptr;
    state_ = stIdle;
}

// ---- reading ------------------------------------------------------------------------

bool TWaveStreamAdapter::BeginRead()
{
    if (state_ != stIdle || !UpdateDetails())
        return false;
    mmio_ = OpenStreamMMIO(stream_);
    if (!mmio_)
        return false;
    mmioSeek(mmio_, dataOffset_, MMIO_SEEK_SET);
    state_ = stReading;
    return true;
}

int TWaveStreamAdapter::Read(void *buffer, uint32_t size)
{
    if (state_ != stReading)
        return -1;
    const int64_t pos = mmioSeek(mmio_, 0, MMIO_SEEK_CUR);
    if (pos < 0)
        return -1;
    // Whatever follows the "data" chunk is not sound.
    const int64_t end = static_cast<int64_t>(dataOffset_) + dataSize_;
    const int64_t n = std::clamp<int64_t>(end - pos, 0, std::min<uint32_t>(size, INT32_MAX));
    if (n == 0)
        return 0;
    return mmioRead(mmio_, buffer, static_cast<int32_t>(n));
}

bool TWaveStreamAdapter::EndRead()
{
    if (state_ != stReading)
        return false;
    Abandon();
    return true;
}

void TWaveStreamAdapter::Seek(uint32_t position)
{
    if (state_ != stIdle)
        mmioSeek(mmio_, static_cast<int64_t>(dataOffset_) + position, MMIO_SEEK_SET);
}

// ---- rewriting ----------------------------------------------------------------------

bool TWaveStreamAdapter::BeginRewrite(const WAVEFORMATEX &format)
{
    if (state_ != stIdle)
        return false;
    mmio_ = CreateStreamWaveHeader(*stream_, format, ckRIFF_, ckData_);
    if (!mmio_)
        return false;
    state_ = stRewriting;
    dataOffset_ = static_cast<uint32_t>(mmioSeek(mmio_, 0, MMIO_SEEK_CUR));
    DoChanging();
    return true;
}

int TWaveStreamAdapter::Write(const void *buffer, uint32_t size)
{
    if (state_ != stRewriting)
        return -1;
    return mmioWrite(mmio_, buffer, static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX)));
}

bool TWaveStreamAdapter::EndRewrite()
{
    if (state_ != stRewriting)
        return false;
    mmioAscend(mmio_, &ckData_, 0);
    mmioAscend(mmio_, &ckRIFF_, 0);
    Abandon();
    stale_ = true;
    // Anything the old contents left beyond the new wave goes; an unreadable
    // result keeps the stream as written rather than emptying it.
    if (UpdateDetails())
        stream_->SetSize(static_cast<int64_t>(dataOffset_) + dataSize_ + (dataSize_ & 1));
    return true;
}

bool TWaveStreamAdapter::TrimStream()
{
    if (state_ == stRewriting || !UpdateDetails())
        return false;
    stream_->SetSize(static_cast<int64_t>(dataOffset_) + dataSize_ + (dataSize_ & 1));
    return true;
}

// ---- data access --------------------------------------------------------------------

bool TWaveStreamAdapter::LockData(void *&data, bool copy)
{
    data = nullptr;
    if (!UpdateDetails() || dataSize_ == 0)
        return false;
    if (!copy) {
        if (auto *m = dynamic_cast<TCustomMemoryStream *>(stream_);
            m && static_cast<int64_t>(dataOffset_) + dataSize_ <= m->Size()) {
            data = const_cast<uint8_t *>(m->Memory()) + dataOffset_;
            return true;
        }
    }
    void *p = std::malloc(dataSize_);
    if (!p)
        return false;
    stream_->SetPosition(dataOffset_);
    if (stream_->Read(p, dataSize_) != dataSize_) {
        std::free(p);
        return false;
    }
    data = p;
    return true;
}

bool TWaveStreamAdapter::UnlockData(void *data, bool modified)
{
    if (!data)
        return false;
    if (auto *m = dynamic_cast<TCustomMemoryStream *>(stream_);
        m && data == m->Memory() + dataOffset_)
        return true;
    bool ok = true;
    if (modified) {
        stream_->SetPosition(dataOffset_);
        ok = stream_->Write(data, dataSize_) == dataSize_;
    }
    std::free(data);
    return ok;
}

bool TWaveStreamAdapter::Snapshot(std::vector<uint8_t> &data, std::vector<uint8_t> &format)
{
    if (!UpdateDetails())
        return false;
    const auto *f = reinterpret_cast<const uint8_t *>(format_.get());
    format.assign(f, f + WaveFormatSize(*format_));
    data.resize(dataSize_);
    if (dataSize_ == 0)
        return true;
    stream_->SetPosition(dataOffset_);
    return stream_->Read(data.data(), dataSize_) == dataSize_;
}

bool TWaveStreamAdapter::RewriteWith(const WAVEFORMATEX &format, const std::vector<Part> &parts)
{
    if (!BeginRewrite(format))
        return false;
    bool ok = true;
    for (const Part &p : parts)
        if (p.size && Write(p.data, p.size) != static_cast<int>(p.size))
            ok = false;
    EndRewrite();
    return ok;
}

bool TWaveStreamAdapter::RewriteWith(const WAVEFORMATEX &format, std::initializer_list<Part> parts)
{
    return RewriteWith(format, std::vector<Part>(parts));
}

// ---- comparisons --------------------------------------------------------------------

bool TWaveStreamAdapter::SameFormat(const WAVEFORMATEX *format)
{
    if (!UpdateDetails() || !format || format->cbSize != format_->cbSize)
        return false;
    return std::memcmp(format, format_.get(), WaveFormatSize(*format)) == 0;
}

bool TWaveStreamAdapter::SameFormatAs(TWaveStreamAdapter *other) { return other && SameFormat(other->WaveFormat()); }

bool TWaveStreamAdapter::Equals(TWaveStreamAdapter *other)
{
    if (!SameFormatAs(other) || DataSize() != other->DataSize())
        return false;
    std::vector<uint8_t> a, b, fa, fb;
    return Snapshot(a, fa) && other->Snapshot(b, fb) && a == b;
}

// ---- whole-stream operations ------------------------------------------------------------

void TWaveStreamAdapter::Assign(TObject *source)
{
    if (auto *other = dynamic_cast<TWaveStreamAdapter *>(source)) {
        other->stream_->SetPosition(0);
        LoadFromStream(*other->stream_);
        return;
    }
    throw EConvertError("Cannot assign to a TWaveStreamAdapter");
}

void TWaveStreamAdapter::LoadFromStream(TStream &source)
{
    DoChanging();
    Abandon();
    // From the source's position to its end, never beyond.
    const int64_t count = std::max<int64_t>(0, source.Size() - source.Position());
    stream_->SetPosition(0);
    if (count > 0)
        stream_->CopyFrom(source, count);
    stream_->SetSize(count);
    stale_ = true;
    UpdateDetails();
}

void TWaveStreamAdapter::SaveToStream(TStream &target)
{
    const int64_t size = stream_->Size();
    stream_->SetPosition(0);
    if (size > 0)
        target.CopyFrom(*stream_, size);
}

void TWaveStreamAdapter::LoadFromFile(const std::string &fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TWaveStreamAdapter::SaveToFile(const std::string &fileName)
{
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

void TWaveStreamAdapter::Clear()
{
    DoChanging();
    Abandon();
    stream_->SetSize(0);
    stale_ = true;
    DoChange();
}

// ---- edits --------------------------------------------------------------------------

bool TWaveStreamAdapter::Invert()
{
    std::vector<uint8_t> data, fmt;
    if (!Snapshot(data, fmt))
        return false;
    const auto &f = *reinterpret_cast<const WAVEFORMATEX *>(fmt.data());
    if (!InvertWaveData(data.data(), static_cast<uint32_t>(data.size()), f))
        return false;
    return RewriteWith(f, {{data.data(), static_cast<uint32_t>(data.size())}});
}

bool TWaveStreamAdapter::ChangeVolume(int percent)
{
    std::vector<uint8_t> data, fmt;
    if (!Snapshot(data, fmt))
        return false;
    const auto &f = *reinterpret_cast<const WAVEFORMATEX *>(fmt.data());
    if (!ChangeWaveVolume(data.data(), static_cast<uint32_t>(data.size()), f, percent))
        return false;
    return RewriteWith(f, {{data.data(), static_cast<uint32_t>(data.size())}});
}

bool TWaveStreamAdapter::ConvertTo(const WAVEFORMATEX &format)
{
    if (!UpdateDetails())
        return false;
    if (SameFormat(&format))
        return true;
    std::vector<uint8_t> data, fmt, out;
    if (!Snapshot(data, fmt))
        return false;
    const auto &src = *reinterpret_cast<const WAVEFORMATEX *>(fmt.data());
    const auto size = static_cast<uint32_t>(data.size());
    if (!ConvertWaveFormat(src, data.data(), size, format, out)) {
        // Through PCM of the source's channels and rate, in two steps.
        WAVEFORMATEX mid{};
        mid.wFormatTag = WAVE_FORMAT_PCM;
        mid.nChannels = src.nChannels;
        mid.nSamplesPerSec = src.nSamplesPerSec;
        std::vector<uint8_t> tmp;
        if (acmFormatSuggest(nullptr, &src, &mid, sizeof mid,
                             ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                                 ACM_FORMATSUGGESTF_NSAMPLESPERSEC) != MMSYSERR_NOERROR ||
            !ConvertWaveFormat(src, data.data(), size, mid, tmp) ||
            !ConvertWaveFormat(mid, tmp.data(), static_cast<uint32_t>(tmp.size()), format, out))
            return false;
    }
    return RewriteWith(format, {{out.data(), static_cast<uint32_t>(out.size())}});
}

bool TWaveStreamAdapter::CopyFrom(TWaveStreamAdapter *source, uint32_t position, uint32_t length)
{
    if (!source || length == 0 || !source->Valid())
        return false;
    const uint32_t start = source->MsToBytes(position);
    const uint32_t size = source->DataSize();
    if (start >= size)
        return false;
    const uint32_t n = std::min(source->MsToBytes(length), size - start);
    std::vector<uint8_t> data, fmt;
    if (!source->Snapshot(data, fmt))
        return false;
    return RewriteWith(*reinterpret_cast<const WAVEFORMATEX *>(fmt.data()), {{data.data() + start, n}});
}

bool TWaveStreamAdapter::Crop(uint32_t position, uint32_t length)
{
    std::vector<uint8_t> data, fmt;
    if (!Snapshot(data, fmt))
        return false;
    const auto size = static_cast<uint32_t>(data.size());
    const uint32_t start = std::min(MsToBytes(position), size);
    const uint32_t n = std::min(MsToBytes(length), size - start);
    return RewriteWith(*reinterpret_cast<const WAVEFORMATEX *>(fmt.data()), {{data.data() + start, n}});
}

bool TWaveStreamAdapter::Delete(uint32_t position, uint32_t length)
{
    std::vector<uint8_t> data, fmt;
    if (!Snapshot(data, fmt))
        return false;
    const auto size = static_cast<uint32_t>(data.size());
    const uint32_t start = std::min(MsToBytes(position), size);
    const uint32_t end = start + std::min(MsToBytes(length), size - start);
    return RewriteWith(*reinterpret_cast<const WAVEFORMATEX *>(fmt.data()),
                       {{data.data(), start}, {data.data() + end, size - end}});
}

bool TWaveStreamAdapter::DeleteEnd(uint32_t length)
{
    const uint32_t total = Length();
    std::vector<uint8_t> data, fmt;
    if (!Snapshot(data, fmt))
        return false;
    // The end goes to the last byte, whatever the rounding of ms to bytes.
    const uint32_t keep = length >= total ? 0 : std::min(MsToBytes(total - length), static_cast<uint32_t>(data.size()));
    return RewriteWith(*reinterpret_cast<const WAVEFORMATEX *>(fmt.data()), {{data.data(), keep}});
}

bool TWaveStreamAdapter::Insert(uint32_t position, TWaveStreamAdapter *source)
{
    if (!SameFormatAs(source))
        return false;
    std::vector<uint8_t> data, fmt, other, otherFmt;
    if (!Snapshot(data, fmt) || !source->Snapshot(other, otherFmt))
        return false;
    const auto size = static_cast<uint32_t>(data.size());
    const uint32_t start = std::min(MsToBytes(position), size);
    return RewriteWith(*reinterpret_cast<const WAVEFORMATEX *>(fmt.data()),
                       {{data.data(), start},
                        {other.data(), static_cast<uint32_t>(other.size())},
                        {data.data() + start, size - start}});
}

bool TWaveStreamAdapter::InsertSilence(uint32_t position, uint32_t length)
{
    std::vector<uint8_t> data, fmt;
    if (!Snapshot(data, fmt))
        return false;
    const auto &f = *reinterpret_cast<const WAVEFORMATEX *>(fmt.data());
    if (!SilenceFits(f))
        return false;
    std::vector<uint8_t> silence(MsToBytes(length));
    if (!SilenceWaveData(silence.data(), static_cast<uint32_t>(silence.size()), f))
        return false;
    const auto size = static_cast<uint32_t>(data.size());
    const uint32_t start = std::min(MsToBytes(position), size);
    return RewriteWith(f, {{data.data(), start},
                           {silence.data(), static_cast<uint32_t>(silence.size())},
                           {data.data() + start, size - start}});
}

bool TWaveStreamAdapter::Concat(const std::vector<TWaveStreamAdapter *> &list, uint32_t gap)
{
    if (list.empty() || !list[0] || !list[0]->Valid())
        return false;
    // All data are taken first: the list may hold this adapter itself.
    std::vector<std::vector<uint8_t>> items(list.size());
    std::vector<uint8_t> fmt, unused;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i] || !list[i]->SameFormatAs(list[0]) || !list[i]->Snapshot(items[i], i ? unused : fmt) ||
            items[i].empty())
            return false;
    }
    const auto &f = *reinterpret_cast<const WAVEFORMATEX *>(fmt.data());
    std::vector<uint8_t> silence;
    if (gap > 0 && list.size() > 1) {
        if (!SilenceFits(f))
            return false;
        silence.resize(::MsToBytes(f, gap));
        if (!SilenceWaveData(silence.data(), static_cast<uint32_t>(silence.size()), f))
            return false;
    }
    std::vector<Part> parts;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0 && !silence.empty())
            parts.push_back({silence.data(), static_cast<uint32_t>(silence.size())});
        parts.push_back({items[i].data(), static_cast<uint32_t>(items[i].size())});
    }
    return RewriteWith(f, parts);
}

bool TWaveStreamAdapter::Mix(const std::vector<TWaveStreamAdapter *> &list)
{
    if (list.empty() || !list[0] || !list[0]->Valid())
        return false;
    std::vector<std::vector<uint8_t>> items(list.size());
    std::vector<uint8_t> fmt, unused;
    std::vector<TRawWave> waves;
    uint32_t longest = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i] || !list[i]->SameFormatAs(list[0]) || !list[i]->Snapshot(items[i], i ? unused : fmt))
            return false;
        longest = std::max(longest, static_cast<uint32_t>(items[i].size()));
    }
    for (const auto &item : items)
        waves.push_back({item.data(), static_cast<uint32_t>(item.size())});
    const auto &f = *reinterpret_cast<const WAVEFORMATEX *>(fmt.data());
    std::vector<uint8_t> out(longest);
    if (!MixWaveData(waves.data(), static_cast<int>(waves.size()), f, out.data(), longest))
        return false;
    return RewriteWith(f, {{out.data(), longest}});
}
