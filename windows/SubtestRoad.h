#pragma once
// What the introduction, subtest and after-subtest windows do to the
// particulars window and its administration, in one place.
#include "administration/Administration.h"

namespace subtestroad {

// The administration of the particulars window.
adm::TAdministration &Admin();

// The particulars window's store of the whole administration
// (Opslaan1Click), with the autosave flag as the caller set it.
void Store();

// After an interrupt: the particulars window offers "verder" instead of
// "start", and its back button.
void ParticularsReadyToContinue();

// The outcome of the last request to raise the user-interface thread's
// priority: -1 not yet asked, 0 refused, 1 raised.
int PriorityRaised();
void RaisePriority();

} // namespace subtestroad
