#include "administration/PromptStreams.h"

#include "audio/StockAudioPlayer.h"

void TPromptStreams::Release()
{
    if (!player_.Active())
        retired_.clear();
}

void TPromptStreams::Open(int part, const std::string &name)
{
    auto stream = std::make_unique<plat::TResourceStream>("WAV", name);
    Release();
    if (streams_[part] && player_.Active())
        retired_.push_back(std::move(streams_[part]));
    streams_[part] = std::move(stream);
    names_[part] = name;
}

bool TPromptStreams::Play(int part)
{
    if (!streams_[part])
        return false;
    Release();
    // A stream that is playing is not rewound under the player: the player
    // stops it first, and that stream stays alive among the retired ones.
    if (player_.Active()) {
        retired_.push_back(std::move(streams_[part]));
        auto again = std::make_unique<plat::TResourceStream>("WAV", names_[part]);
        streams_[part] = std::move(again);
    } else {
        streams_[part]->SetPosition(0);
    }
    return player_.PlayWaveStream(streams_[part].get());
}
