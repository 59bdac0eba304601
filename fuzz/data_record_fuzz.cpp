// Data records: every line of the input parsed as a deletion and as a
// substitution record. A record that is accepted, written again from what
// was read, must be accepted again with the same particulars, state and
// pairs.
#include "administration/DataRecords.h"
#include "fuzz/support/FuzzSupport.h"
#include "platform/core/Text.h"

#include <cstdlib>
#include <string>

namespace {

void RoundTrip(adm::TSubtest s, const std::string &line)
{
    const adm::TSubtestProfile &profile = adm::Profile(s);
    const auto first = adm::LeesRegel(profile, line);
    if (!first)
        return;
    adm::TScoreGrid grid(s);
    for (int r = 0; r < adm::kScoreRows; ++r) {
        grid.SetCells(1, r, first->rows[r][0]);
        grid.SetCells(2, r, first->rows[r][1]);
    }
    const int pairs = (first->fieldCount - 14) / 2;
    (void)adm::NextEntry(profile, first->record.lastEntry, true);
    (void)adm::NextEntry(profile, first->record.lastEntry, false);
    (void)grid.Items();
    const std::string again = adm::MaakRegel(profile, first->particulars, first->record, grid, pairs, {});
    const auto second = adm::LeesRegel(profile, again);
    if (!second || second->record.state != first->record.state ||
        second->record.lastEntry != first->record.lastEntry ||
        second->particulars.form != first->particulars.form || second->particulars.sex != first->particulars.sex ||
        second->particulars.gebjaar != first->particulars.gebjaar)
        std::abort();
    for (int r = 0; r < pairs; ++r)
        if (second->rows[r] != first->rows[r])
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text = plat::AnsiToUtf8(std::string(reinterpret_cast<const char *>(data), size));
    for (const std::string &line : plat::SplitLines(text)) {
        RoundTrip(adm::TSubtest::FW, line);
        RoundTrip(adm::TSubtest::FV, line);
    }
    return 0;
}
