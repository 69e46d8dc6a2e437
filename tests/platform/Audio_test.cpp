#include "platform/Audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace platform;

// A mono 16-bit PCM wave file of the given length in silence.
std::vector<uint8_t> WaveFile(uint32_t samples, uint32_t rate = 8000) {
    std::vector<uint8_t> out;
    auto text = [&](const char* t) { out.insert(out.end(), t, t + 4); };
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    auto u16 = [&](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    const uint32_t dataBytes = samples * 2;
    text("RIFF");
    u32(36 + dataBytes);
    text("WAVE");
    text("fmt ");
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    text("data");
    u32(dataBytes);
    out.resize(out.size() + dataBytes, 0);
    return out;
}

class MixerAudioTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::setenv("SDL_AUDIODRIVER", "dummy", 0); }

    void SetUp() override {
        library = LoadAudioLibrary();
        ASSERT_NE(library, nullptr);
        EXPECT_FLOAT_EQ(library->GetVolume(), -1.0f);
        ASSERT_TRUE(library->Init(kDefaultAudioDevice, 44100, 0, 0));
    }
    void TearDown() override {
        if (library != nullptr) {
            library->Free();
        }
    }

    // Long enough not to end while a test runs.
    const std::vector<uint8_t> wave = WaveFile(8000 * 10);
    std::unique_ptr<AudioLibrary> library;
};

TEST_F(MixerAudioTest, ChannelsPlayPauseResumeAndStop) {
    const AudioHandle handle = library->StreamCreateFromMemory(wave.data(), wave.size(), 0);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelStopped);

    EXPECT_TRUE(library->ChannelPlay(handle, false));
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelPlaying);
    EXPECT_TRUE(library->ChannelPause(handle));
    EXPECT_FALSE(library->ChannelPause(handle)) << "already paused";
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelPaused);
    EXPECT_TRUE(library->ChannelPlay(handle, false));
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelPlaying);
    EXPECT_TRUE(library->ChannelPlay(handle, true));
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelPlaying);
    EXPECT_TRUE(library->ChannelStop(handle));
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelStopped);
    EXPECT_FALSE(library->ChannelPause(handle)) << "nothing to pause";

    EXPECT_TRUE(library->ChannelSetAttribute(handle, kChannelAttributeVolume, 0.3f));
    EXPECT_FALSE(library->ChannelSetAttribute(handle, 1, 0.3f));

    // The output pauses and starts again as a whole.
    ASSERT_TRUE(library->ChannelPlay(handle, false));
    EXPECT_TRUE(library->Stop());
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelPaused);
    EXPECT_TRUE(library->Start());
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelPlaying);

    EXPECT_TRUE(library->StreamFree(handle));
    EXPECT_EQ(library->ChannelIsActive(handle), kChannelStopped);
    EXPECT_FALSE(library->ChannelPlay(handle, false));
    EXPECT_FALSE(library->StreamFree(handle));
}

TEST_F(MixerAudioTest, ManyStreamsPlayTogether) {
    std::vector<AudioHandle> handles;
    for (int i = 0; i < 18; ++i) {  // more than the 16 channels opened at first
        handles.push_back(library->StreamCreateFromMemory(wave.data(), wave.size(), 0));
        ASSERT_NE(handles.back(), 0u);
        ASSERT_TRUE(library->ChannelPlay(handles.back(), false));
    }
    for (const AudioHandle handle : handles) {
        EXPECT_EQ(library->ChannelIsActive(handle), kChannelPlaying) << handle;
    }
    EXPECT_EQ(handles.front() + 17, handles.back()) << "handles are never reused";

    ASSERT_TRUE(library->Free());
    for (const AudioHandle handle : handles) {
        EXPECT_EQ(library->ChannelIsActive(handle), kChannelStopped);
    }
    EXPECT_FALSE(library->Free());
    EXPECT_TRUE(library->Init(kDefaultAudioDevice, 44100, 0, 0)) << "the device was released";
}

TEST_F(MixerAudioTest, RefusesWhatItCannotPlay) {
    const std::string garbage = "not a sound file at all";
    EXPECT_EQ(library->StreamCreateFromMemory(garbage.data(), garbage.size(), 0), 0u);
    EXPECT_EQ(library->StreamCreateFromMemory(nullptr, 10, 0), 0u);
    const std::vector<uint8_t> truncated(wave.begin(), wave.begin() + 30);
    EXPECT_EQ(library->StreamCreateFromMemory(truncated.data(), truncated.size(), 0), 0u);
    EXPECT_FALSE(library->ChannelPlay(12345, false));
    EXPECT_EQ(library->ChannelIsActive(12345), kChannelStopped);

    EXPECT_FALSE(library->Init(kDefaultAudioDevice, 44100, 0, 0)) << "already open";
    std::unique_ptr<AudioLibrary> second = LoadAudioLibrary();
    EXPECT_FALSE(second->Init(kDefaultAudioDevice, 44100, 0, 0)) << "one device per process";

    EXPECT_TRUE(library->SetVolume(2.0f));
    EXPECT_FLOAT_EQ(library->GetVolume(), 1.0f);
    EXPECT_TRUE(library->SetVolume(0.25f));
    EXPECT_FLOAT_EQ(library->GetVolume(), 0.25f);
}

}  // namespace
