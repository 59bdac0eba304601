// The prepared prompt streams against a player on the scripted device: a
// stream the player may still read is never freed under it.
#include "administration/PromptStreams.h"

#include "audio/StockAudioPlayer.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/core/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool Has(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(PromptStreams, ReplacedStreamLivesUntilThePlayerLetsGo)
{
    auto dev = std::make_shared<plat::TScriptedAudioDevice>();
    plat::TAudioDeviceScope scope(dev);
    std::unique_ptr<TStockAudioPlayer> player(CreateFWItemPlayer(nullptr));
    player->OnDeactivate = [&](plat::TObject *) { dev->Note("deactivate"); };
    TPromptStreams streams(*player);

    streams.Open(0, "FWv01a");
    streams.Open(1, "FWv01b");
    EXPECT_EQ(streams.Retired(), 0u); // nothing plays: the old ones may go
    ASSERT_TRUE(streams.Play(0));
    ASSERT_TRUE(dev->WaitUntil([](const auto &calls) { return Has(calls, "open #1"); }));

    // Scoring opens the next entry while part A still plays.
    streams.Open(0, "FWv02a");
    EXPECT_EQ(streams.Name(0), "FWv02a");
    EXPECT_EQ(streams.Retired(), 1u);

    // A missing prompt leaves the prepared one in place.
    EXPECT_THROW(streams.Open(0, "FWv09a"), plat::EResNotFound);
    EXPECT_EQ(streams.Name(0), "FWv02a");

    dev->SetAutoComplete(true);
    while (dev->CompleteBuffer()) {
    }
    ASSERT_TRUE(dev->WaitUntil([](const auto &calls) { return Has(calls, "deactivate"); }));
    streams.Open(1, "FWv02b");
    EXPECT_EQ(streams.Retired(), 0u);
}

} // namespace
