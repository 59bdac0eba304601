#pragma once
// The phoneme-substitution subtest: twelve items, one prompt each, timed and
// scored. For now an empty window of its size.
#include "platform/Forms.h"
#include "platform/Streams.h"

#include <memory>

class TFVtfase : public plat::TForm {
public:
    explicit TFVtfase(plat::TComponent *owner);
};

extern TFVtfase *FVtfase;

// The prepared prompt stream, kept for the whole run, opened by the module's
// start-up on the first item.
extern std::unique_ptr<plat::TResourceStream> FVPrompt;
void InitializeSubstitutionModule();
