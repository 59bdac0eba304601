#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

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
    return std::remove(MapPath(fileName).c_str()) == 0;
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

bool AtomicWriteFile(const std::string &fileName, const std::string &data, std::string *error)
{
    // QSaveFile writes a temporary file beside the target, flushes it and
    // renames it over the target on commit; it removes it on failure.
    QSaveFile f(QString::fromStdString(MapPath(fileName)));
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString().toStdString();
        return false;
    }
    if (f.write(data.data(), static_cast<qint64>(data.size())) != static_cast<qint64>(data.size())) {
        if (error)
            *error = f.errorString().toStdString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace plat
