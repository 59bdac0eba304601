// A cursor or icon file, plain or animated, and the cursor made of it.
#include "fuzz/support/FuzzSupport.h"
#include "platform/gui/Cursors.h"

#include <QCursor>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::NeedApplication();
    const std::vector<uint8_t> bytes(data, data + size);
    const auto cursor = plat::ReadAnyCursor(bytes);
    if (!cursor)
        return 0;
    for (size_t step = 0; step < cursor->StepCount() && step < 8; ++step) {
        (void)cursor->StepMilliseconds(step);
        (void)cursor->QtCursor(step);
    }
    return 0;
}
