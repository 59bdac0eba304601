#pragma once
// Files and paths. Paths built with "\" (as the program's texts build them)
// are mapped to "/" in one place, MapPath, before they reach the file system.
#include <string>

namespace plat {

std::string MapPath(const std::string &path);
bool FileExists(const std::string &fileName);
bool DirectoryExists(const std::string &dir);
bool DeleteFile(const std::string &fileName);
bool ForceDirectories(const std::string &dir);
// Folder of the running executable, with a trailing "/".
std::string ProgramFolder();
std::string ExtractFilePath(const std::string &fileName);  // with trailing separator
std::string ExtractFileName(const std::string &fileName);
std::string ExtractFileExt(const std::string &fileName);    // with the dot
std::string ChangeFileExt(const std::string &fileName, const std::string &ext);
std::string IncludeTrailingPathDelimiter(const std::string &dir);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string &dir);
// A new, empty file in the temporary folder ($TMPDIR or /tmp); its path, or
// empty when none could be made.
std::string CreateTempFile(const std::string &prefix);

// Replaces fileName with data atomically: a temporary file in the same folder
// is written, flushed to disk and renamed over the target. On failure the old
// file is untouched, the temporary file is gone and the result is false.
bool AtomicWriteFile(const std::string &fileName, const std::string &data, std::string *error = nullptr);

// The same, telling why it failed: the file could not be created at all
// (missing folder, no write access, the target is a folder) or writing it
// failed once it was created (disk full, I/O error). Callers that start a
// fallback when a file cannot be created need the difference.
enum class TWriteResult { Ok, CannotCreate, WriteFailed };
TWriteResult AtomicReplaceFile(const std::string &fileName, const std::string &data, std::string *error = nullptr);

} // namespace plat
