#include "platform/core/Streams.h"
#include "platform/core/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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
    // What lies past the end is appended rather than zeroed and then
    // overwritten; only a gap left by a seek past the end is zeros.
    const auto *src = static_cast<const uint8_t *>(buffer);
    const int64_t size = static_cast<int64_t>(buf_.size());
    if (pos_ > size)
        buf_.resize(static_cast<size_t>(pos_));
    const int64_t inside = std::clamp<int64_t>(size - pos_, 0, count);
    if (inside > 0)
        std::memcpy(buf_.data() + pos_, src, static_cast<size_t>(inside));
    if (inside < count)
        buf_.insert(buf_.end(), src + inside, src + count);
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
    if (&stream == this) {
        // Keeps what lies from the position on.
        const int64_t start = std::min<int64_t>(pos_, static_cast<int64_t>(buf_.size()));
        buf_.erase(buf_.begin(), buf_.begin() + start);
        pos_ = 0;
        Sync();
        return;
    }
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
    // The messages name the file as the file system knows it: the user never
    // sees the program's "\" paths.
    const std::string path = MapPath(fileName);
    if ((mode & fmCreate) == fmCreate) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
        return;
    }
    const int access = (mode & 3) == fmOpenRead ? O_RDONLY : (mode & 3) == fmOpenWrite ? O_WRONLY : O_RDWR;
    fd_ = ::open(path.c_str(), access | O_CLOEXEC);
    int err = errno;
    struct stat st{};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        err = EISDIR;
    }
    if (fd_ < 0)
        throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(err));
}

TFileStream::~TFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

namespace {

// Moves count bytes with read or write, retrying short and interrupted
// transfers; the count moved.
template <typename Buffer, typename Op>
int64_t Transfer(Buffer *buffer, int64_t count, Op op)
{
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = op(buffer + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

int64_t TFileStream::Read(void *buffer, int64_t count)
{
    return Transfer(static_cast<char *>(buffer), count,
                    [this](char *p, size_t n) { return ::read(fd_, p, n); });
}

int64_t TFileStream::Write(const void *buffer, int64_t count)
{
    return Transfer(static_cast<const char *>(buffer), count,
                    [this](const char *p, size_t n) { return ::write(fd_, p, n); });
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    return ::lseek(fd_, offset, whence);
}

void TFileStream::SetSize(int64_t newSize)
{
    if (newSize < 0 || ::ftruncate(fd_, newSize) != 0)
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
