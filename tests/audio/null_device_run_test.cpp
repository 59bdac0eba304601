// One real-time run: a resource prompt on the silent null device takes its
// own duration, as the subtest windows assume when they time the answer.
#include "audio/StockAudioPlayer.h"
#include "platform/audio/AudioDevice.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(NullDeviceRun, ResourcePromptTakesItsDuration)
{
    plat::TAudioDeviceScope scope(plat::MakeNullAudioDevice());
    plat::TResourceStream prompt("WAV", "FWAI01A");
    TWaveStreamAdapter probe(&prompt);
    ASSERT_TRUE(probe.Valid());
    const double seconds = static_cast<double>(probe.DataSize()) / probe.WaveFormat()->nAvgBytesPerSec;
    ASSERT_GT(seconds, 1.0);

    plat::TComponent owner;
    TStockAudioPlayer *player = CreateFWItemPlayer(&owner);
    plat::TEvent done(true, false);
    player->OnDeactivate = [&](plat::TObject *) { done.SetEvent(); };
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(player->PlayWaveStream(&prompt));
    ASSERT_EQ(done.Wait(static_cast<uint32_t>(seconds * 1000) + 5000), plat::WAIT_OBJECT_0);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The device paces on the steady clock, so the prompt can never end early:
    // that bound is tight. Ending late only means the machine was busy (the
    // suites run in parallel, under the sanitizers too), so that bound is loose.
    EXPECT_GE(took, seconds * 0.97);
    EXPECT_LE(took, seconds + 2.0);
    EXPECT_FALSE(player->Active());
}
