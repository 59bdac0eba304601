#include "windows/SubtestRoad.h"

#include "windows/ParticularsWindow.h"
#include "platform/core/System.h"

namespace subtestroad {

namespace {
int priorityRaised = -1;
}

adm::TAdministration &Admin()
{
    // Tests of a subtest window alone run without the particulars window.
    static adm::TAdministration alone;
    return ZIBinvoer ? ZIBinvoer->Adm : alone;
}

void ParticularsReadyToContinue()
{
    if (ZIBinvoer)
        ZIBinvoer->ReadyToContinue();
}

void Store()
{
    if (ZIBinvoer)
        ZIBinvoer->Opslaan1Click(ZIBinvoer);
    else
        Admin().Opslaan();
}

int PriorityRaised() { return priorityRaised; }

void RaisePriority()
{
    // Where the system refuses (no root, no capability), the thread keeps
    // its priority without a word.
    priorityRaised = plat::SetCurrentThreadPriority(plat::THREAD_PRIORITY_HIGHEST) ? 1 : 0;
}

} // namespace subtestroad
