#pragma once
// The phoneme-deletion subtest: three examples and twelve items, each prompt
// in two parts, timed and scored. For now an empty window of its size.
#include "platform/Forms.h"
#include "platform/Streams.h"

#include <memory>

class TFWtfase : public plat::TForm {
public:
    explicit TFWtfase(plat::TComponent *owner);
};

extern TFWtfase *FWtfase;

// The prepared prompt streams, part A and part B of the current entry; kept
// for the whole run, opened by the module's start-up on the first example.
extern std::unique_ptr<plat::TResourceStream> FWPromptA;
extern std::unique_ptr<plat::TResourceStream> FWPromptB;
void InitializeDeletionModule();
