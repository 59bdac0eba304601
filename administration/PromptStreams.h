#pragma once
// The prepared prompt streams of a subtest window: one per prompt part, over
// the program's WAV resources. The player only borrows a stream while it
// plays, so a stream that is replaced is kept until the player has let go.
#include "platform/core/Streams.h"

#include <memory>
#include <string>
#include <vector>

class TStockAudioPlayer;

class TPromptStreams {
public:
    explicit TPromptStreams(TStockAudioPlayer &player) : player_(player) {}

    // Opens the WAV resource name for part (0 or 1); a missing resource
    // raises plat::EResNotFound and leaves the part as it was.
    void Open(int part, const std::string &name);
    // Plays part's stream from its start; false when the device did not open.
    bool Play(int part);
    const std::string &Name(int part) const { return names_[part]; }
    // Replaced streams that the player may still read.
    size_t Retired() const { return retired_.size(); }

private:
    void Release();

    TStockAudioPlayer &player_;
    std::unique_ptr<plat::TResourceStream> streams_[2];
    std::string names_[2];
    std::vector<std::unique_ptr<plat::TResourceStream>> retired_;
};
