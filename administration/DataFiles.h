#pragma once
// The administration's files: their paths, a reader that refuses what the
// data grids cannot hold, and the writer. Paths are formed as the program
// forms them, by concatenation with "\" (the data path ends in "\", so the
// separator after it occurs twice), and mapped to "/" when they reach the
// file system.
#include "administration/Particulars.h"
#include "platform/core/Files.h"
#include "platform/core/StringList.h"

#include <string>

namespace adm {

// data path + "\Incomplete afnames\" + base name + ".zta"
std::string IncompleteFile(const std::string &dataPath, const std::string &baseName);
// data path + "\Data\" + base name + "_FW.wda" / "_FV.vda"
std::string DataFileFW(const std::string &dataPath, const std::string &baseName);
std::string DataFileFV(const std::string &dataPath, const std::string &baseName);

// The report after an administration and its PDF copy: report folder + "\"
// + cleaned code + " - " + date + ".zrp", and report folder + "\PDF\ZIBOR - "
// + code as typed + "_" + date + ".pdf"; the date is the test date as typed,
// day-month-year trimmed (ReportDateText).
std::string ReportFolder(); // "trpath" of the settings, empty by default
std::string ReportDateText(const TParticulars &p);
std::string ReportFile(const std::string &folder, const std::string &code, const std::string &date);
std::string ReportPdfFile(const std::string &folder, const std::string &code, const std::string &date);

// The largest file read, in bytes: far beyond 200 records of 50 fields.
constexpr long long kMaxFileBytes = 1 << 20;

enum class TLoadResult { Ok, TooLarge };
// Reads the lines of a data or incomplete-administration file (Windows-1252,
// CRLF). A file of more than 200 lines, or larger than kMaxFileBytes, is
// refused and into left as it was. A missing file raises EFOpenError.
TLoadResult LoadLines(const std::string &fileName, plat::TStringList &into);

// Writes the lines whole and atomically and marks them not modified; the
// result tells "cannot create" from "write failed".
plat::TWriteResult SaveLines(const std::string &fileName, plat::TStringList &lines);

// The same file, however the two paths are spelled.
bool SameFile(const std::string &a, const std::string &b);

} // namespace adm
