#include "platform/Streams.h"
#include "platform/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <unistd.h>

namespace plat {

int64_t TStream::Size()
{
    const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return end;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void *buffer, int64_t count)
{
    if (count < 0 || Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void *buffer, int64_t count)
{
    if (count < 0 || Write(buffer, count) != count)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream &source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> chunk(64 * 1024);
    int64_t done = 0;
    while (done < count) {
        const int64_t n = std::min<int64_t>(count - done, static_cast<int64_t>(chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        done += n;
    }
    return done;
}

int64_t TCustomMemoryStream::Read(void *buffer, int64_t count)
{
    if (count <= 0 || pos_ >= size_)
        return 0;
    const int64_t n = std::min(count, size_ - pos_);
    std::memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = pos_;
    else if (origin == TSeekOrigin::soEnd)
        base = size_;
    // Positions past the end are allowed, as on the platform; reading there
    // gives nothing and writing extends the stream.
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
}

void TCustomMemoryStream::SaveToStream(TStream &stream)
{
    if (size_ > 0)
        stream.WriteBuffer(data_, size_);
}

void TCustomMemoryStream::SaveToFile(const std::string &fileName)
{
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

int64_t TMemoryStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    if (pos_ + count > static_cast<int64_t>(buf_.size()))
        buf_.resize(static_cast<size_t>(pos_ + count));
    std::memcpy(buf_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    Sync();
    return count;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    buf_.resize(static_cast<size_t>(std::max<int64_t>(0, newSize)));
    if (pos_ > static_cast<int64_t>(buf_.size()))
        pos_ = static_cast<int64_t>(buf_.size());
    Sync();
}

void TMemoryStream::Clear()
{
    buf_.clear();
    pos_ = 0;
    Sync();
}

void TMemoryStream::LoadFromStream(TStream &stream)
{
    const int64_t start = stream.Position();
    const int64_t count = std::max<int64_t>(0, stream.Size() - start);
    SetSize(count);
    pos_ = 0;
    if (count > 0)
        stream.ReadBuffer(buf_.data(), count);
}

void TMemoryStream::LoadFromFile(const std::string &fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

TFileStream::TFileStream(const std::string &fileName, uint16_t mode) : name_(fileName)
{
    const std::string path = MapPath(fileName);
    if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
        f_ = std::fopen(path.c_str(), "w+b");
        if (!f_)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
        return;
    }
    const char *how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
    f_ = std::fopen(path.c_str(), how);
    if (!f_)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream()
{
    if (f_)
        std::fclose(f_);
}

int64_t TFileStream::Read(void *buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), f_));
}

int64_t TFileStream::Write(const void *buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const size_t n = std::fwrite(buffer, 1, static_cast<size_t>(count), f_);
    if (std::fflush(f_) != 0)
        return 0;
    return static_cast<int64_t>(n);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(f_, offset, whence) != 0)
        return -1;
    return ftello(f_);
}

void TFileStream::SetSize(int64_t newSize)
{
    std::fflush(f_);
    if (ftruncate(fileno(f_), newSize) != 0)
        throw EStreamError("Cannot set the size of \"" + name_ + "\"");
    if (Position() > newSize)
        SetPosition(newSize);
}

namespace {

std::string AsciiLower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Index of the compiled-in assets: "<folder>/<base name>", both lower-case,
// to the resource path. Only files directly inside a top-level folder count
// (":/wav/FWN01.wav"), so a name with a path in it, or the toolkit's own
// resources further down, can never be found. Resources may be registered
// after the first lookup (static initialisation order across libraries is
// not fixed), so a miss rebuilds the index before it is believed.
class ResourceIndex {
public:
    static ResourceIndex &Instance()
    {
        static ResourceIndex index;
        return index;
    }

    bool Find(const std::string &key, QString &path)
    {
        const std::lock_guard lock(mutex_);
        if (Lookup(key, path))
            return true;
        Rebuild();
        return Lookup(key, path);
    }

private:
    bool Lookup(const std::string &key, QString &path) const
    {
        const auto it = paths_.find(key);
        if (it == paths_.end())
            return false;
        path = it->second;
        return true;
    }

    void Rebuild()
    {
        paths_.clear();
        const QDir root(QStringLiteral(":/"));
        const auto folders = root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &folder : folders) {
            const auto files = QDir(folder.filePath()).entryInfoList(QDir::Files, QDir::Name);
            for (const QFileInfo &file : files) {
                const std::string key = AsciiLower(folder.fileName().toStdString() + "/" +
                                                   file.completeBaseName().toStdString());
                paths_.emplace(key, file.filePath());
            }
        }
    }

    std::mutex mutex_;
    std::map<std::string, QString> paths_;
};

} // namespace

bool FindResourceBytes(const std::string &resType, const std::string &name, std::vector<uint8_t> &out)
{
    QString path;
    if (!ResourceIndex::Instance().Find(AsciiLower(resType + "/" + name), path))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    out.assign(bytes.begin(), bytes.end());
    return true;
}

TResourceStream::TResourceStream(const std::string &resType, const std::string &name)
{
    if (!FindResourceBytes(resType, name, bytes_))
        throw EResNotFound("Resource " + name + " not found");
    SetPointer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
}

int64_t TResourceStream::Write(const void *, int64_t)
{
    throw EStreamError("Can't write to a read-only memory stream");
}

} // namespace plat
