#include "engine/MusicModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/GameCore.h"
#include "engine/MissedResources.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/MidiTestSupport.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

const std::string kHitBytes = "RIFF-hit-sound";
const std::string kTouchBytes = "RIFF-touch-sound";

MidiBytes ShortSong() {
    return MidiFile(96, {TrackWriter().NoteOn(0, 0, 60).NoteOn(10, 0, 62).End().Bytes()});
}

class MusicModuleTest : public ::testing::Test {
protected:
    MusicModuleTest() {
        platform::SetAudioLibraryFactory(
            [this] { return std::make_unique<platform::RecordingAudioLibrary>(audio); });
        auto clock = time.MakeClock();
        clock->Reset(5000);
        core = std::make_unique<GameCore>(std::move(clock));
        resources = new ResourceModule;
        EXPECT_EQ(core->LoadModule(resources, 1, 1), kEngineOk);
        objects = new RecordingModule(kObjectModuleId, "Objects");
        EXPECT_EQ(core->LoadModule(objects, 1, 0), kEngineOk);
        AddSound("SndHit.wav", kHitBytes);
        AddSound("SndTouch.wav", kTouchBytes);
    }
    ~MusicModuleTest() override {
        Notices();  // frees what is still on its way
        core.reset();
        platform::SetAudioLibraryFactory(nullptr);
    }

    MusicModule* LoadMusic() {
        auto* music = new MusicModule;
        EXPECT_EQ(core->LoadModule(music, 1, 0), kEngineOk);
        return music;
    }

    void AddSound(const std::string& name, const std::string& bytes) {
        resources->AddMemoryResource(name, bytes.data(), bytes.size());
    }

    // One frame with every module due.
    void Frame() {
        time.AdvanceMs(101);
        core->RunFrame();
    }

    // The end notices that have reached the object module so far (after a
    // frame that delivers them), freed.
    std::vector<EventRecord> Notices() {
        Frame();
        std::vector<EventRecord> out;
        if (objects == nullptr) {
            return out;
        }
        for (const ModuleMessage& message : objects->handled) {
            EXPECT_EQ(message.id, kMsgDeliverHeapEvent);
            EXPECT_EQ(message.n, 0);
            auto* record = static_cast<EventRecord*>(message.p);
            out.push_back(*record);
            FreeEventBlock(record);
        }
        objects->handled.clear();
        return out;
    }

    std::vector<std::string> CallsFrom(size_t first) const {
        return std::vector<std::string>(audio->calls.begin() + static_cast<long>(first),
                                        audio->calls.end());
    }

    ManualTime time;
    std::shared_ptr<platform::AudioRecord> audio = std::make_shared<platform::AudioRecord>();
    ManualStreams streams;
    std::unique_ptr<GameCore> core;
    ResourceModule* resources = nullptr;
    RecordingModule* objects = nullptr;
};

TEST_F(MusicModuleTest, StartsOnlyWithResourcesAndAnOutputDevice) {
    TempProgramFolder folder;  // the failed loads write engine log lines
    {
        GameCore bare;
        EXPECT_EQ(bare.LoadModule(new MusicModule, 1, 0), kEngineInitFailed);
        EXPECT_TRUE(audio->calls.empty()) << "no library without the resource module";
    }
    audio->initSucceeds = false;
    EXPECT_EQ(core->LoadModule(new MusicModule, 1, 0), kEngineInitFailed);
    EXPECT_EQ(audio->calls, std::vector<std::string>{"Init -1 44100 0"});

    audio->initSucceeds = true;
    audio->calls.clear();
    MusicModule* music = LoadMusic();
    EXPECT_EQ(audio->calls, (std::vector<std::string>{"Init -1 44100 0", "Start"}));
    EXPECT_EQ(music->GetInterval(), 100u);
    EXPECT_EQ(music->GetMaxQueue(), 8096u);
    EXPECT_STREQ(music->GetModuleName(), "MusicModule");
    EXPECT_FLOAT_EQ(music->GetVolume(), 1.0f);
}

TEST_F(MusicModuleTest, DecodesASoundOnceAndFindsItByTitle) {
    MusicModule* music = LoadMusic();
    const uint32_t handle = music->PlaySound("SndHit", 1, nullptr);
    ASSERT_NE(handle, 0u);
    ASSERT_EQ(audio->streams.size(), 1u);
    EXPECT_EQ(std::string(audio->streams[0].bytes.begin(), audio->streams[0].bytes.end()),
              kHitBytes);
    EXPECT_EQ(music->PlaySound("skins\\SndHit.wav", 1, nullptr), handle);
    EXPECT_EQ(audio->streams.size(), 1u);
    EXPECT_EQ(music->PlayingCount(), 2u);
    EXPECT_EQ(music->IsSoundActive(handle), platform::kChannelPlaying);

    ClearMissedResourcesForTesting();
    EXPECT_EQ(music->PlaySound("SndMissing", 1, nullptr), 0u);
    EXPECT_EQ(music->PlayingCount(), 2u);
    // A sound the resources lack is a missed name; one they hold is not.
    EXPECT_EQ(MissedResourceNames(), std::vector<std::string>{"SndMissing"});
    ClearMissedResourcesForTesting();
}

TEST_F(MusicModuleTest, RepeatsUntilThePlaysAreUsedAndNotifiesOnce) {
    MusicModule* music = LoadMusic();
    const EventRecord note = MakeEventRecord(7, 80000001, 5, 6);
    const uint32_t handle = music->PlaySound("SndHit", 3, &note);
    platform::AudioRecord::Stream& stream = *audio->Find(handle);

    Frame();
    EXPECT_EQ(stream.starts, 1) << "a playing sound is left alone";
    music->PauseSound(handle);
    Frame();
    EXPECT_EQ(music->PlayingCount(), 1u) << "a paused sound has not ended";
    music->ResumeSound(handle, 0);
    EXPECT_EQ(stream.resumes, 1);

    for (int round = 0; round < 3; ++round) {
        audio->Finish(handle);
        Frame();
    }
    EXPECT_EQ(stream.starts, 3);
    EXPECT_EQ(stream.restarts, 2);
    EXPECT_EQ(music->PlayingCount(), 0u);
    const std::vector<EventRecord> notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].target, 7);
    EXPECT_EQ(notices[0].event, 80000001);
    EXPECT_EQ(notices[0].param1, 5);
    EXPECT_EQ(notices[0].param2, 6);
}

TEST_F(MusicModuleTest, StoppingNotifiesAtOnceWhenAnEventIsNamed) {
    MusicModule* music = LoadMusic();
    const EventRecord silent = MakeEventRecord(7, 0, 0, 0);
    const EventRecord named = MakeEventRecord(7, 80000002, 0, 0);
    const uint32_t first = music->PlaySound("SndHit", 5, &silent);
    const uint32_t second = music->PlaySound("SndTouch", 5, &named);
    EXPECT_EQ(music->StopSound(first), 1);
    EXPECT_EQ(music->StopSound(second), 1);
    EXPECT_EQ(music->PlayingCount(), 0u);
    const std::vector<EventRecord> notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].event, 80000002);
    EXPECT_EQ(audio->Find(second)->activity, platform::kChannelStopped);

    // Without an object module nothing is posted (nobody would free it).
    music->PlaySound("SndHit", 1, &named);
    core->UnloadModule(kObjectModuleId);
    objects = nullptr;
    const size_t posted = core->PostedCount();
    music->StopAllSounds();
    EXPECT_EQ(core->PostedCount(), posted);
}

TEST_F(MusicModuleTest, SoundOffAndUndecodableSoundsStartNothing) {
    MusicModule* music = LoadMusic();
    music->SetSoundOff(1);
    EXPECT_EQ(music->PlaySound("SndHit", 1, nullptr), 0u);
    EXPECT_TRUE(audio->streams.empty());
    music->SetSoundOff(0);

    audio->decodeSucceeds = false;
    EXPECT_EQ(music->PlaySound("SndHit", 1, nullptr), 0u);
    EXPECT_EQ(music->LoadedSoundCount(), 0u);
    EXPECT_EQ(music->PlayingCount(), 0u);
    EXPECT_EQ(music->GetMidiPlayer(), nullptr);

    audio->decodeSucceeds = true;
    EXPECT_NE(music->PlaySound("SndHit", 1, nullptr), 0u) << "a later play tries again";
}

TEST_F(MusicModuleTest, MidiResourcesPlayThroughOnePlayerAtATime) {
    TempProgramFolder folder;
    const MidiBytes song = ShortSong();
    folder.Write("SndBKMusic.mid", std::string(song.begin(), song.end()));
    ASSERT_FALSE(resources->AddFile(folder.Path() + "/SndBKMusic.mid").IsNull());
    MusicModule* music = LoadMusic();

    const EventRecord note = MakeEventRecord(9, 80000003, 0, 0);
    EXPECT_EQ(music->PlaySound("SndBKMusic", 2, &note), 0u) << "MIDI has handle 0";
    const MidiPlayer* player = music->GetMidiPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(music->IsSoundActive(kMidiHandle), 1);
    EXPECT_EQ(music->IsSoundPlaying("SndBKMusic"), 1);
    EXPECT_TRUE(audio->streams.empty());

    // Played to its end twice: restarted once by the tick, then notified.
    for (int round = 0; round < 2; ++round) {
        for (int guard = 0; guard < 10 && player->IsPlaying(); ++guard) {
            streams.Last()->PlayNextBuffer();
        }
        EXPECT_EQ(player->IsPlaying(), 0);
        Frame();
    }
    std::vector<EventRecord> notices = Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].event, 80000003);
    EXPECT_EQ(music->PlayingCount(), 0u);

    // Played again, the file is read again and a new player replaces the
    // old one, whose plays end.
    EXPECT_EQ(music->PlaySound("SndBKMusic", 10000, &note), 0u);
    EXPECT_EQ(music->PlaySound("SndBKMusic", 10000, &note), 0u);
    EXPECT_EQ(streams.made, 3);
    EXPECT_EQ(streams.AliveCount(), 1u);
    EXPECT_EQ(music->PlayingCount(), 1u);
    EXPECT_EQ(Notices().size(), 1u);

    EXPECT_EQ(music->StopSoundByName("SndBKMusic"), 1);
    EXPECT_EQ(music->IsSoundPlaying("SndBKMusic"), 0);
    EXPECT_EQ(Notices().size(), 1u);

    // A name that is not loaded takes the MIDI player with it.
    music->PlaySound("SndBKMusic", 1, &note);
    music->UnloadSound("SndNeverPlayed");
    EXPECT_EQ(music->GetMidiPlayer(), nullptr);
    EXPECT_EQ(streams.AliveCount(), 0u);
    EXPECT_EQ(Notices().size(), 1u);
}

TEST_F(MusicModuleTest, ChannelControlsReachTheLibrary) {
    MusicModule* music = LoadMusic();
    const EventRecord note = MakeEventRecord(7, 80000004, 0, 0);
    const uint32_t hit = music->PlaySound("SndHit", 1, &note);
    const uint32_t touch = music->PlaySound("SndTouch", 1, &note);

    EXPECT_EQ(music->SetChannelAttribute(touch, platform::kChannelAttributeVolume, 0.25f), 1);
    EXPECT_FLOAT_EQ(audio->Find(touch)->volume, 0.25f);
    EXPECT_EQ(music->SetChannelAttribute(99, platform::kChannelAttributeVolume, 0.25f), 0);
    music->SetVolume(0.5f);
    EXPECT_FLOAT_EQ(music->GetVolume(), 0.5f);
    EXPECT_EQ(music->IsSoundPlaying("SndTouch"), 1);

    music->StopAllSounds();
    EXPECT_EQ(music->PlayingCount(), 0u);
    EXPECT_EQ(audio->Find(hit)->stops, 1);
    EXPECT_EQ(audio->Find(touch)->stops, 1);
    EXPECT_EQ(Notices().size(), 2u);

    // Unloading frees the stream and ends its plays; the next play decodes
    // the resource again.
    music->PlaySound("SndHit", 100, &note);
    const size_t before = audio->calls.size();
    music->UnloadSound("SndHit");
    EXPECT_EQ(CallsFrom(before), std::vector<std::string>{"Free 1"});
    EXPECT_EQ(music->PlayingCount(), 0u);
    EXPECT_EQ(Notices().size(), 1u);
    EXPECT_EQ(music->PlaySound("SndHit", 1, nullptr), 3u);
}

TEST_F(MusicModuleTest, UnloadingTheModuleStopsAndFreesTheLibrary) {
    MusicModule* music = LoadMusic();
    const EventRecord note = MakeEventRecord(7, 80000005, 0, 0);
    music->PlaySound("SndHit", 1, &note);
    const size_t before = audio->calls.size();
    EXPECT_EQ(core->UnloadModule(kMusicModuleId), kEngineOk);
    EXPECT_EQ(CallsFrom(before), (std::vector<std::string>{"Stop", "Free"}));
    EXPECT_TRUE(audio->streams[0].freed);
    EXPECT_TRUE(Notices().empty());
}

// With the real audio output (on SDL's dummy driver) and the default MIDI
// stream: songs loaded, stopped and played again all sound through the one
// synthesizer, whose sound font is loaded once.
TEST(MusicModuleSynthTest, SongsShareOneSynthesizer) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    TempProgramFolder folder;
    const MidiBytes song = ShortSong();
    for (const char* name : {"SndBKMusic.mid", "SndOther.mid"}) {
        folder.Write(name, std::string(song.begin(), song.end()));
    }
    GameCore core;
    auto* resources = new ResourceModule;
    ASSERT_EQ(core.LoadModule(resources, 1, 1), kEngineOk);
    ASSERT_FALSE(resources->AddFile(folder.Path() + "/SndBKMusic.mid").IsNull());
    ASSERT_FALSE(resources->AddFile(folder.Path() + "/SndOther.mid").IsNull());
    auto* music = new MusicModule;
    ASSERT_EQ(core.LoadModule(music, 1, 0), kEngineOk);

    EXPECT_EQ(music->PlaySound("SndBKMusic", 1, nullptr), 0u);
    ASSERT_NE(music->GetMidiPlayer(), nullptr);
    const int made = platform::MidiSynthesizersMade();
    ASSERT_GE(made, 1) << "no synthesizer: is timgm6mb-soundfont installed?";
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(music->StopSound(kMidiHandle), 1);
        EXPECT_EQ(music->ResumeSound(kMidiHandle, 1), 1);
        EXPECT_EQ(music->StopSound(kMidiHandle), 1);
        music->PlaySound(round == 1 ? "SndOther" : "SndBKMusic", 1, nullptr);
    }
    EXPECT_EQ(music->IsSoundActive(kMidiHandle), 1);
    EXPECT_EQ(platform::MidiSynthesizersMade(), made);
}

}  // namespace
