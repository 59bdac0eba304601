#pragma once
// A stream holding a whole RIFF/WAVE file, seen as wave data: the header is
// parsed and cached, samples are read in order for a player, and the wave can
// be rewritten and edited as a whole (positions and lengths in ms).
#include "audio/WaveUtils.h"

#include "platform/core/Component.h"
#include "platform/core/Streams.h"

#include <cstdint>
#include <functional>
#include <vector>

enum TStreamOwnership { soReference = 0, soOwned = 1 };

class TWaveStreamAdapter : public plat::TObject {
public:
    TWaveStreamAdapter(plat::TStream *stream, int ownership = soReference);
    ~TWaveStreamAdapter() override;
    TWaveStreamAdapter(const TWaveStreamAdapter &) = delete;
    TWaveStreamAdapter &operator=(const TWaveStreamAdapter &) = delete;

    plat::TStream *Stream() const { return stream_; }
    bool Valid() { return UpdateDetails(); }
    const plat::WAVEFORMATEX *WaveFormat();
    uint32_t DataSize();
    uint32_t DataOffset();
    uint32_t Length();
    void Seek(uint32_t position);

    plat::TNotifyEvent OnChanging, OnChange;

    virtual void Assign(plat::TObject *source);
    virtual bool UpdateDetails();
    // A view of the samples: into the stream's memory when it is a memory
    // stream and no copy is asked for, else a copy (std::malloc).
    virtual bool LockData(void *&data, bool copy);
    virtual bool UnlockData(void *data, bool modified);
    virtual uint32_t MsToBytes(uint32_t ms);
    virtual bool Equals(TWaveStreamAdapter *other);
    virtual bool SameFormatAs(TWaveStreamAdapter *other);
    virtual bool SameFormat(const plat::WAVEFORMATEX *format);
    virtual void LoadFromStream(plat::TStream &source);
    virtual void SaveToStream(plat::TStream &target);
    virtual void LoadFromFile(const std::string &fileName);
    virtual void SaveToFile(const std::string &fileName);
    virtual void Clear();
    virtual void Refresh() { stale_ = true; }
    virtual bool TrimStream();
    virtual bool Invert();
    virtual bool ChangeVolume(int percent);
    virtual bool ConvertTo(const plat::WAVEFORMATEX &format);
    virtual bool CopyFrom(TWaveStreamAdapter *source, uint32_t position, uint32_t length);
    virtual bool Crop(uint32_t position, uint32_t length);
    virtual bool Delete(uint32_t position, uint32_t length);
    virtual bool Insert(uint32_t position, TWaveStreamAdapter *source);
    virtual bool InsertSilence(uint32_t position, uint32_t length);
    virtual bool DeleteStart(uint32_t length) { return Delete(0, length); }
    virtual bool DeleteEnd(uint32_t length);
    virtual bool Concat(const std::vector<TWaveStreamAdapter *> &list, uint32_t gap);
    virtual bool Mix(const std::vector<TWaveStreamAdapter *> &list);
    virtual bool BeginRewrite(const plat::WAVEFORMATEX &format);
    virtual bool EndRewrite();
    virtual int Write(const void *buffer, uint32_t size);
    virtual bool BeginRead();
    virtual bool EndRead();
    // Bytes read, never beyond the "data" chunk; -1 when not reading.
    virtual int Read(void *buffer, uint32_t size);

protected:
    virtual void DoChanging();
    virtual void DoChange();

private:
    enum State { stIdle, stReading, stRewriting };
    struct Part {
        const void *data;
        uint32_t size;
    };
    // Copies of the samples and the format, taken before a rewrite empties
    // the stream they came from.
    bool Snapshot(std::vector<uint8_t> &data, std::vector<uint8_t> &format);
    bool RewriteWith(const plat::WAVEFORMATEX &format, std::initializer_list<Part> parts);
    bool RewriteWith(const plat::WAVEFORMATEX &format, const std::vector<Part> &parts);
    void Abandon();

    plat::TStream *stream_;
    int ownership_;
    bool stale_ = true;
    bool valid_ = false;
    uint32_t dataSize_ = 0;
    uint32_t dataOffset_ = 0;
    PWaveFormat format_;
    State state_ = stIdle;
    plat::MMCKINFO ckRIFF_{}, ckData_{};
    plat::HMMIO mmio_ = nullptr;
};

// A stock of numbered waves; the program has none, but a player can play
// from one.
class TCustomWaveStorage : public plat::TComponent {
public:
    using plat::TComponent::TComponent;
    // The stream of item index, owned by the stock; nullptr when there is none.
    virtual plat::TStream *GetWaveStream(int index) = 0;
};
