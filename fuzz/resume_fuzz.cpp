// Resuming an incomplete administration from its three files. The input is
// split at the byte 0x1E into the ".zta" file and the deletion and
// substitution data files, which lie where the ".zta" file's first line
// names them. A resume that is accepted is stored again; what it stores must
// read back.
#include "administration/Administration.h"
#include "administration/DataFiles.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/gui/Dialogs.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every box is answered at once; a save dialog is cancelled.
class TQuietDialogs : public plat::TDialogProvider {
public:
    plat::TDialogReply Run(const plat::TDialogRequest &request) override
    {
        plat::TDialogReply reply;
        reply.Result = request.Kind == plat::TDialogKind::Message ? plat::mrOk : plat::mrCancel;
        return reply;
    }
};

void Write(const fs::path &path, const std::string &bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::NeedApplication();
    static TQuietDialogs quiet;
    static const bool installed = (plat::SetDialogProvider(&quiet), true);
    (void)installed;
    static const fs::path root = [] {
        const fs::path p = fs::temp_directory_path() / ("zibor-fuzz-resume-" + std::to_string(getpid()));
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(fs::temp_directory_path() / ("zibor-fuzz-resume-" + std::to_string(getpid())), ec);
        });
        return p;
    }();
    fs::remove_all(root);
    fs::create_directories(root / "Data");
    fs::create_directories(root / "Incomplete afnames");

    const std::string input(reinterpret_cast<const char *>(data), size);
    std::string parts[3];
    for (size_t i = 0, k = 0; i < input.size(); ++i) {
        if (input[i] == '\x1e' && k < 2)
            ++k;
        else
            parts[k] += input[i];
    }
    const fs::path zta = root / "Incomplete afnames" / "input.zta";
    Write(zta, parts[0]);
    plat::TStringList memo;
    try {
        if (adm::LoadLines(zta.string(), memo) == adm::TLoadResult::Ok && memo.Count() > 0 &&
            !memo[0].empty() && memo[0].find_first_of("/\\") == std::string::npos && memo[0].find("..") == std::string::npos &&
            memo[0].size() < 200) {
            Write(plat::MapPath(adm::DataFileFW(root.string() + "\\", memo[0])), parts[1]);
            Write(plat::MapPath(adm::DataFileFV(root.string() + "\\", memo[0])), parts[2]);
        }
    } catch (const plat::Exception &) {
    }

    adm::TAdministration a;
    a.DataPath = root.string() + "\\";
    try {
        if (!a.HervatAfname(zta.string()))
            return 0;
    } catch (const plat::Exception &) {
        return 0; // a data file that is not there
    }
    const auto stored = a.Opslaan();
    if (stored != adm::TAdministration::TStoreResult::Stored)
        return 0;
    adm::TAdministration b;
    b.DataPath = a.DataPath;
    if (!b.HervatAfname(plat::MapPath(adm::IncompleteFile(a.DataPath, a.BaseName()))) || b.State != a.State ||
        b.P.code != a.P.code)
        std::abort();
    return 0;
}
