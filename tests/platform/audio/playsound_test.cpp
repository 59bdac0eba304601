// Sound playback from memory, on the scripted device.
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/audio/PlaySound.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plat;

namespace {

bool Has(const std::vector<std::string> &calls, const std::string &line)
{
    return std::find(calls.begin(), calls.end(), line) != calls.end();
}

} // namespace

TEST(PlaySound, SyncPlaysTheWholeImageAndReturnsAfterIt)
{
    auto dev = std::make_shared<TScriptedAudioDevice>();
    dev->SetAutoComplete(true);
    TAudioDeviceScope scope(dev);
    const auto wav = wavtest::Wav(wavtest::Pcm(1, 8000, 8), 1234);
    ASSERT_TRUE(PlaySoundA(wav.data(), 1, SND_SYNC | SND_MEMORY));
    const auto calls = dev->Calls();
    EXPECT_TRUE(Has(calls, "write #1 1234"));
    EXPECT_EQ(calls.back(), "close #1") << "closed before it returns";
}

TEST(PlaySound, RejectsImagesThatAreNotWholeWaves)
{
    auto dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope(dev);
    auto wav = wavtest::Wav(wavtest::Pcm(1, 8000, 8), 100);
    EXPECT_FALSE(PlaySoundMemory(wav.data(), wav.size() - 10, SND_SYNC)) << "data beyond the given length";
    wav[8] = 'X';
    EXPECT_FALSE(PlaySoundA(wav.data(), 1, SND_SYNC | SND_MEMORY));
    EXPECT_FALSE(PlaySoundA("not a file", 1, SND_SYNC)) << "only memory images";
    EXPECT_TRUE(dev->Calls().empty());
}

TEST(PlaySound, AsyncReturnsAtOnceAndOverlapsAnotherOutput)
{
    auto dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope(dev);
    const WAVEFORMATEX f = wavtest::Pcm(1, 8000, 8);
    HWAVEOUT other = 0;
    ASSERT_EQ(waveOutOpen(&other, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);

    std::vector<uint8_t> wav = wavtest::Wav(f, 500);
    ASSERT_TRUE(PlaySoundA(wav.data(), 1, SND_ASYNC | SND_MEMORY));
    std::fill(wav.begin(), wav.end(), 0); // the sound keeps its own copy
    // The call is recorded before it runs: wait for the buffer itself.
    for (int i = 0; i < 5000 && dev->Queued(2) == 0; ++i)
        dev->WaitUntil([](const auto &) { return false; }, 1);
    EXPECT_EQ(dev->Queued(2), 1u);
    // A new sound (or none) stops the one that plays.
    ASSERT_TRUE(PlaySoundA(nullptr, 0, 0));
    const auto calls = dev->Calls();
    EXPECT_TRUE(Has(calls, "reset #2"));
    EXPECT_TRUE(Has(calls, "close #2"));
    EXPECT_EQ(waveOutClose(other), MMSYSERR_NOERROR);
}
