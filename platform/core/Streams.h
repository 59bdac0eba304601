#pragma once
// Byte streams with the framework's semantics: Read/Write return the count
// moved, ReadBuffer/WriteBuffer raise when the full count cannot be moved.
#include "platform/core/Exceptions.h"
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace plat {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void *buffer, int64_t count) = 0;
    virtual int64_t Write(const void *buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    void ReadBuffer(void *buffer, int64_t count);
    void WriteBuffer(const void *buffer, int64_t count);
    // Copies count bytes from source's position; count 0 copies the whole
    // source from its beginning. Returns the bytes copied.
    int64_t CopyFrom(TStream &source, int64_t count);
};

// Streams over memory; TCustomMemoryStream reads a block it does not own.
class TCustomMemoryStream : public TStream {
public:
    TCustomMemoryStream() = default;
    // A copy would point into the source's block, which may go away first.
    TCustomMemoryStream(const TCustomMemoryStream &) = delete;
    TCustomMemoryStream &operator=(const TCustomMemoryStream &) = delete;
    int64_t Read(void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return size_; }
    const uint8_t *Memory() const { return data_; }
    void SaveToStream(TStream &stream);
    void SaveToFile(const std::string &fileName);

protected:
    void SetPointer(const uint8_t *data, int64_t size) { data_ = data; size_ = size; }
    const uint8_t *data_ = nullptr;
    int64_t size_ = 0;
    int64_t pos_ = 0;
};

class TMemoryStream : public TCustomMemoryStream {
public:
    int64_t Write(const void *buffer, int64_t count) override;
    void SetSize(int64_t newSize) override;
    void Clear();
    // Replaces the content with the source from its position to its end.
    void LoadFromStream(TStream &stream);
    void LoadFromFile(const std::string &fileName);
    uint8_t *Memory() { return buf_.data(); }
    const std::vector<uint8_t> &Bytes() const { return buf_; }

private:
    void Sync() { SetPointer(buf_.data(), static_cast<int64_t>(buf_.size())); }
    std::vector<uint8_t> buf_;
};

// File modes; the sharing flags are accepted for the callers but have no effect here.
enum : uint16_t {
    fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000, fmShareExclusive = 0x0010, fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030, fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // fmCreate creates or truncates (EFCreateError when it cannot); the open
    // modes need an existing file that is not a folder (EFOpenError).
    // Paths may use "\" and go through MapPath.
    TFileStream(const std::string &fileName, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;
    int64_t Read(void *buffer, int64_t count) override;
    int64_t Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    const std::string &FileName() const { return name_; }

private:
    int fd_ = -1;
    std::string name_;
};

// Read-only stream over a program resource, found by type and name ignoring
// case. Raises EResNotFound with the name when there is none.
class TResourceStream : public TCustomMemoryStream {
public:
    TResourceStream(const std::string &resType, const std::string &name);
    // The base class points into bytes_, so a copy would read the original's
    // buffer after the original has gone.
    TResourceStream(const TResourceStream &) = delete;
    TResourceStream &operator=(const TResourceStream &) = delete;
    int64_t Write(const void *, int64_t) override;

private:
    std::vector<uint8_t> bytes_;
};

// Resource lookup shared by TResourceStream and pictures: the bytes of the
// resource, or false when there is none.
bool FindResourceBytes(const std::string &resType, const std::string &name, std::vector<uint8_t> &out);

} // namespace plat
