#include "platform/core/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat {

std::string MapPath(const std::string &path)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

bool FileExists(const std::string &fileName)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(MapPath(fileName), ec);
}

bool DirectoryExists(const std::string &dir)
{
    std::error_code ec;
    return std::filesystem::is_directory(MapPath(dir), ec);
}

bool DeleteFile(const std::string &fileName)
{
    // unlink, not remove: an empty folder of that name must stay.
    return ::unlink(MapPath(fileName).c_str()) == 0;
}

bool ForceDirectories(const std::string &dir)
{
    std::error_code ec;
    const std::string p = MapPath(dir);
    if (p.empty())
        return false;
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
}

std::string ProgramFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return IncludeTrailingPathDelimiter(GetCurrentDir());
    return IncludeTrailingPathDelimiter(exe.parent_path().string());
}

static size_t LastDelimiter(const std::string &s)
{
    return s.find_last_of("/\\");
}

std::string ExtractFilePath(const std::string &fileName)
{
    const size_t i = LastDelimiter(fileName);
    return i == std::string::npos ? std::string() : fileName.substr(0, i + 1);
}

std::string ExtractFileName(const std::string &fileName)
{
    const size_t i = LastDelimiter(fileName);
    return i == std::string::npos ? fileName : fileName.substr(i + 1);
}

std::string ExtractFileExt(const std::string &fileName)
{
    const std::string name = ExtractFileName(fileName);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(const std::string &fileName, const std::string &ext)
{
    const std::string cur = ExtractFileExt(fileName);
    return fileName.substr(0, fileName.size() - cur.size()) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string &dir)
{
    if (!dir.empty() && (dir.back() == '/' || dir.back() == '\\'))
        return dir;
    return dir + "/";
}

std::string GetCurrentDir()
{
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

bool SetCurrentDir(const std::string &dir)
{
    std::error_code ec;
    std::filesystem::current_path(MapPath(dir), ec);
    return !ec;
}

std::string CreateTempFile(const std::string &prefix)
{
    const char *tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    const int fd = mkstemp(buf.data());
    if (fd < 0)
        return std::string();
    ::close(fd);
    return std::string(buf.data());
}

namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

// Writes all of data to fd, retrying short writes.
bool WriteAll(int fd, const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

TWriteResult AtomicReplaceFile(const std::string &fileName, const std::string &data, std::string *error)
{
    const std::string target = MapPath(fileName);
    const std::string folder = ExtractFilePath(target);
    const std::string dir = folder.empty() ? std::string(".") : folder;
    auto fail = [&](TWriteResult r, int err) {
        if (error)
            *error = ErrnoText(err);
        return r;
    };
    struct stat st{};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return fail(TWriteResult::CannotCreate, EISDIR);

    // The temporary file is created with the usual mode (umask applies);
    // an existing target's permissions are carried over.
    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "." + ExtractFileName(target) + ".tmp" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(TWriteResult::CannotCreate, errno);
    }
    if (fd < 0)
        return fail(TWriteResult::CannotCreate, EEXIST);
    if (exists)
        (void)::fchmod(fd, st.st_mode & 07777);

    int err = 0;
    if (!WriteAll(fd, data) || ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return fail(TWriteResult::WriteFailed, err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(temp.c_str());
        return fail(TWriteResult::CannotCreate, err);
    }
    // Makes the rename itself durable.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
    return TWriteResult::Ok;
}

bool AtomicWriteFile(const std::string &fileName, const std::string &data, std::string *error)
{
    return AtomicReplaceFile(fileName, data, error) == TWriteResult::Ok;
}

} // namespace plat
