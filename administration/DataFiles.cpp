#include "administration/DataFiles.h"

#include "administration/DataRecords.h"
#include "administration/Settings.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Text.h"

#include <filesystem>

namespace adm {

std::string IncompleteFile(const std::string &dataPath, const std::string &baseName)
{
    return dataPath + "\\Incomplete afnames\\" + baseName + ".zta";
}

std::string DataFileFW(const std::string &dataPath, const std::string &baseName)
{
    return dataPath + "\\Data\\" + baseName + "_FW.wda";
}

std::string DataFileFV(const std::string &dataPath, const std::string &baseName)
{
    return dataPath + "\\Data\\" + baseName + "_FV.vda";
}

std::string ReportFolder() { return settings::Read("trpath", ""); }

std::string ReportDateText(const TParticulars &p)
{
    return plat::Trim(p.afndag) + "-" + plat::Trim(p.afnmnd) + "-" + plat::Trim(p.afnjaar);
}

std::string ReportFile(const std::string &folder, const std::string &code, const std::string &date)
{
    return folder + "\\" + SchoonNaam(code) + " - " + date + ".zrp";
}

std::string ReportPdfFile(const std::string &folder, const std::string &code, const std::string &date)
{
    return folder + "\\PDF\\ZIBOR - " + code + "_" + date + ".pdf";
}

TLoadResult LoadLines(const std::string &fileName, plat::TStringList &into)
{
    plat::TFileStream f(fileName, plat::fmOpenRead | plat::fmShareDenyWrite);
    if (f.Size() > kMaxFileBytes)
        return TLoadResult::TooLarge;
    plat::TStringList lines;
    lines.LoadFromStream(f);
    if (lines.Count() > kDataRows)
        return TLoadResult::TooLarge;
    into = lines;
    into.SetModified(false);
    return TLoadResult::Ok;
}

plat::TWriteResult SaveLines(const std::string &fileName, plat::TStringList &lines)
{
    const plat::TWriteResult r = plat::AtomicReplaceFile(fileName, plat::Utf8ToAnsi(lines.Text()));
    if (r == plat::TWriteResult::Ok)
        lines.SetModified(false);
    return r;
}

bool SameFile(const std::string &a, const std::string &b)
{
    std::error_code ea, eb;
    const auto pa = std::filesystem::weakly_canonical(plat::MapPath(a), ea);
    const auto pb = std::filesystem::weakly_canonical(plat::MapPath(b), eb);
    if (ea || eb)
        return plat::MapPath(a) == plat::MapPath(b);
    return pa == pb;
}

} // namespace adm
