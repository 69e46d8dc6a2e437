#include "engine/MidiPlayer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/engine/MidiTestSupport.h"
#include "tests/engine/TempProgramFolder.h"

namespace {

using platform::MakeMidiEvent;
using platform::MidiStreamEvent;

uint32_t Short(uint32_t status, uint32_t data1, uint32_t data2 = 0) {
    return MakeMidiEvent(platform::kMidiEventShortMessage, status | (data1 << 8) | (data2 << 16));
}

uint32_t TempoEvent(uint32_t micros) {
    return MakeMidiEvent(platform::kMidiEventTempo, micros);
}

// Events as {delta, event word} pairs, easy to compare.
std::vector<std::pair<uint32_t, uint32_t>> Events(const platform::MidiStreamBuffer& buffer) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const MidiStreamEvent& event : buffer.events) {
        out.emplace_back(event.deltaTicks, event.event);
    }
    return out;
}

class RecordingPlayer : public MidiPlayer {
public:
    void OnParseError(int track, const char* text) override { errors.emplace_back(track, text); }
    void OnMidiError(int code) override { midiErrors.push_back(code); }

    std::vector<std::pair<int, std::string>> errors;
    std::vector<int> midiErrors;
};

class MidiPlayerTest : public ::testing::Test {
protected:
    int Load(const MidiBytes& file, platform::WindowId window = 0) {
        return player.Load(CopyBytes(file), file.size(), window);
    }

    ManualStreams streams;
    RecordingPlayer player;
};

TEST_F(MidiPlayerTest, RefusesBrokenHeadersAndChunks) {
    const MidiBytes good = MidiFile(96, {TrackWriter().NoteOn(0, 0, 60).End().Bytes()});
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        MidiBytes file = good;
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<long>(at));
        return file;
    };
    const std::vector<std::pair<const char*, MidiBytes>> cases = {
        {"header length 7", patched(4, {0, 0, 0, 7})},
        {"not a header", patched(0, {'M', 'T', 'h', 'x'})},
        {"division 0", patched(12, {0, 0})},
        {"more tracks than chunks", patched(10, {0, 2})},
        {"not a track", patched(14, {'M', 'T', 'r', 'x'})},
        {"track past the end", patched(18, {0, 0, 1, 0})},
        {"first delta past the end", MidiFile(96, {{0x81}})},
        {"five-byte delta", MidiFile(96, {{0x81, 0x81, 0x81, 0x81, 0x01, 0xFF, 0x2F, 0x00}})},
        {"shorter than a header", MidiBytes(good.begin(), good.begin() + 10)},
    };
    for (const auto& [name, file] : cases) {
        RecordingPlayer fresh;
        EXPECT_EQ(fresh.Load(CopyBytes(file), file.size(), 0), 0) << name;
    }
    EXPECT_EQ(streams.made, 0);

    ASSERT_EQ(Load(good), 1);
    EXPECT_EQ(Load(good), 0) << "a player loads once";
    EXPECT_EQ(streams.devices, std::vector<int>{MidiPlayer::kMidiMapper});
    EXPECT_EQ(streams.Last()->TimeDivision(), 96u);
}

TEST_F(MidiPlayerTest, RefusesSmpteTimingWithALogLine) {
    TempProgramFolder folder;
    const MidiBytes file = MidiFile(0xE728, {TrackWriter().NoteOn(0, 0, 60).End().Bytes()});
    EXPECT_EQ(Load(file), 0);
    EXPECT_EQ(streams.made, 0);
    EXPECT_NE(folder.Read("Game20240305.log")
                  .find("MIDI file refused: SMPTE time division (25 frames a second, 40 ticks a "
                        "frame)\r\n"),
              std::string::npos);
}

TEST_F(MidiPlayerTest, MergesTracksIntoStreamEvents) {
    const MidiBytes file =
        MidiFile(96, {TrackWriter()
                          .Tempo(0, 400000)
                          .NoteOn(0, 0, 60)
                          .Event(5, {62, 90})  // running status
                          .End()
                          .Bytes(),
                      {},  // an empty track is simply over
                      TrackWriter()
                          .Event(0, {0xC1, 5})  // program change: one data byte
                          .Event(2, {0xFF, 0x01, 0x03, 'a', 'b', 'c'})  // text: skipped
                          .Event(3, {0xB1, 7, 64})             // channel volume: called back
                          .Event(1, {0xF0, 0x02, 0x01, 0xF7})  // system exclusive: skipped
                          .NoteOn(1, 1, 64)
                          .End()
                          .Bytes()});
    ASSERT_EQ(Load(file), 1);
    EXPECT_EQ(player.GetTrackCount(), 3);
    platform::ManualMidiStream* stream = streams.Last();
    ASSERT_EQ(stream->QueuedCount(), 1u) << "the whole song fits one buffer";
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {0, TempoEvent(500000)},  // the tempo the song starts from
        {0, TempoEvent(400000)},
        {0, Short(0x90, 60, 100)},
        {0, Short(0xC1, 5)},
        {5, Short(0x90, 62, 90)},  // the skipped text's time is kept
        {0, Short(0xB1, 7, 64) | platform::kMidiEventCallbackFlag},
        {2, Short(0x91, 64, 100)},
    };
    EXPECT_EQ(Events(stream->Queued(0)), expected);
    EXPECT_TRUE(player.errors.empty());
}

TEST_F(MidiPlayerTest, BuffersEndAtTheirCapacityOrAfterSixtyMilliseconds) {
    TrackWriter dense;
    for (int i = 0; i < 200; ++i) {
        dense.NoteOn(0, 0, 60);
    }
    ASSERT_EQ(Load(MidiFile(96, {dense.End().Bytes()})), 1);
    ASSERT_EQ(streams.Last()->QueuedCount(), 2u);
    EXPECT_EQ(streams.Last()->Queued(0).events.size(), MidiPlayer::kEventsPerBuffer);
    EXPECT_EQ(streams.Last()->Queued(1).events.size(), MidiPlayer::kEventsPerBuffer);

    // 96 ticks a quarter note at 500000 us: 60 ms are 11 ticks, so a buffer
    // ends with the first event that takes it past 11.
    TrackWriter sparse;
    for (int i = 0; i < 6; ++i) {
        sparse.NoteOn(10, 0, static_cast<uint8_t>(60 + i));
    }
    RecordingPlayer timed;
    const MidiBytes file = MidiFile(96, {sparse.End().Bytes()});
    ASSERT_EQ(timed.Load(CopyBytes(file), file.size(), 0), 1);
    const std::vector<std::pair<uint32_t, uint32_t>> first = {
        {0, TempoEvent(500000)}, {10, Short(0x90, 60, 100)}, {10, Short(0x90, 61, 100)}};
    const std::vector<std::pair<uint32_t, uint32_t>> second = {{10, Short(0x90, 62, 100)},
                                                               {10, Short(0x90, 63, 100)}};
    EXPECT_EQ(Events(streams.Last()->Queued(0)), first);
    EXPECT_EQ(Events(streams.Last()->Queued(1)), second);
}

TEST_F(MidiPlayerTest, BrokenEventsEndOnlyTheirTrack) {
    const std::vector<std::pair<MidiBytes, std::string>> cases = {
        {{0x00, 0x40, 0x40}, "Reference to missing running status."},
        {{0x00, 0x90, 0x40}, "Channel event truncated"},
        {{0x00, 0xFF, 0x01, 0x81}, "Meta event truncated (length)"},
        {{0x00, 0xFF, 0x01, 0x05, 'a'}, "Meta event truncated"},
        {{0x00, 0xF0, 0x80}, "SysEx event truncated (length)"},
        {{0x00, 0xF0, 0x05, 0x01}, "SysEx event truncated"},
        {{0x00, 0x90, 0x40, 0x40, 0x81}, "Delta time truncated"},
        {{0x00, 0xF3, 0x01}, "Unknown event status"},
    };
    const MidiBytes healthy = TrackWriter().NoteOn(1, 2, 70).End().Bytes();
    for (const auto& [broken, text] : cases) {
        RecordingPlayer fresh;
        const MidiBytes file = MidiFile(96, {broken, healthy});
        ASSERT_EQ(fresh.Load(CopyBytes(file), file.size(), 0), 1) << text;
        ASSERT_EQ(fresh.errors.size(), 1u) << text;
        EXPECT_EQ(fresh.errors[0], std::make_pair(0, text));
        const auto events = Events(streams.Last()->Queued(0));
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back(), std::make_pair(1u, Short(0x92, 70, 100))) << text;
    }
}

TEST_F(MidiPlayerTest, PlaysEveryEventOnceThenRewindsAtTheEnd) {
    TrackWriter track;
    for (int i = 0; i < 200; ++i) {
        track.NoteOn(1, 0, static_cast<uint8_t>(i % 128), static_cast<uint8_t>(1 + i / 128));
    }
    ASSERT_EQ(Load(MidiFile(96, {track.End().Bytes()})), 1);
    platform::ManualMidiStream* stream = streams.Last();
    ASSERT_EQ(player.Play(0), 1);
    EXPECT_TRUE(stream->IsRunning());
    EXPECT_EQ(player.IsPlaying(), 1);

    std::vector<uint32_t> notes;
    int buffers = 0;
    while (player.IsPlaying() && buffers < 100) {
        for (const MidiStreamEvent& event : stream->Queued(0).events) {
            if (platform::MidiEventType(event.event) == platform::kMidiEventShortMessage) {
                notes.push_back(platform::MidiEventParameter(event.event));
            }
        }
        ASSERT_TRUE(stream->PlayNextBuffer());
        ++buffers;
    }
    ASSERT_EQ(notes.size(), 200u);
    for (size_t i = 0; i < notes.size(); ++i) {
        ASSERT_EQ(notes[i], (0x90u | ((i % 128) << 8) | ((1 + i / 128) << 16))) << i;
    }
    EXPECT_EQ(player.GetState(), MidiPlayer::kStateStopped);
    EXPECT_FALSE(stream->IsRunning());
    // Ready to play again: rewound, with the opening buffers queued.
    ASSERT_EQ(stream->QueuedCount(), 2u);
    EXPECT_EQ(stream->Queued(0).events[1].event, Short(0x90, 0, 1));
    EXPECT_EQ(player.Play(0), 1);
    EXPECT_TRUE(stream->IsRunning());
}

TEST_F(MidiPlayerTest, PauseResumeAndReplay) {
    TrackWriter track;
    for (int i = 0; i < 100; ++i) {
        track.NoteOn(1, 0, 60);
    }
    ASSERT_EQ(Load(MidiFile(96, {track.End().Bytes()})), 1);
    platform::ManualMidiStream* stream = streams.Last();
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(stream->PlayNextBuffer());
    EXPECT_GT(player.GetElapsedTicks(), 0u);

    player.Pause();
    EXPECT_EQ(player.IsPaused(), 1);
    EXPECT_FALSE(stream->IsRunning());
    ASSERT_EQ(player.Play(0), 1) << "a paused player resumes";
    EXPECT_EQ(player.IsPaused(), 0);
    EXPECT_TRUE(stream->IsRunning());
    EXPECT_GT(player.GetElapsedTicks(), 0u);

    // Playing a playing player starts it over on the same stream.
    ASSERT_EQ(player.Play(0), 1);
    EXPECT_EQ(streams.made, 1);
    EXPECT_EQ(player.GetElapsedTicks(), 0u);
    const std::vector<std::string>& calls = stream->Calls();
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 6, calls.end()),
              (std::vector<std::string>{"Stop", "Reset", "Division 96", "Out", "Out", "Restart"}));
    EXPECT_EQ(stream->Queued(0).events[0].event, TempoEvent(500000));
}

TEST_F(MidiPlayerTest, StopGivesUpOnAStreamThatKeepsItsBuffers) {
    streams.returnBuffers = false;
    ASSERT_EQ(Load(MidiFile(96, {TrackWriter().NoteOn(0, 0, 60).NoteOn(50, 0, 62).End().Bytes()})),
              1);
    ASSERT_EQ(player.Play(0), 1);
    player.SetStopWait(20);
    ASSERT_EQ(player.Stop(1), 1);
    EXPECT_EQ(player.GetState(), MidiPlayer::kStateStopped);
    EXPECT_EQ(player.IsPlaying(), 0);
    // The old stream was closed; a new one holds freshly filled buffers.
    EXPECT_EQ(streams.made, 2);
    EXPECT_EQ(streams.AliveCount(), 1u);
    EXPECT_GE(streams.Last()->QueuedCount(), 1u);

    ASSERT_EQ(player.Stop(0), 1);
    EXPECT_EQ(streams.AliveCount(), 0u);
    streams.returnBuffers = true;
    ASSERT_EQ(player.Play(0), 1) << "a closed stream is set up again";
    EXPECT_EQ(streams.made, 3);
    EXPECT_TRUE(streams.Last()->IsRunning());
}

TEST_F(MidiPlayerTest, StreamThatCannotOpenFailsTheLoad) {
    streams.refuse = true;
    ASSERT_EQ(Load(MidiFile(96, {TrackWriter().NoteOn(0, 0, 60).End().Bytes()})), 0);
    EXPECT_EQ(player.midiErrors, std::vector<int>{MidiPlayer::kErrorOpen});
    EXPECT_EQ(player.Play(0), 0);
}

TEST_F(MidiPlayerTest, ChannelVolumeIsReportedWhenPlayed) {
    platform::RegisterWindowClass("MidiPlayerTestWindow");
    platform::Window window;
    ASSERT_TRUE(window.Create("MidiPlayerTestWindow"));
    ASSERT_EQ(
        Load(MidiFile(96, {TrackWriter().Event(0, {0xB3, 7, 64}).End().Bytes()}), window.Id()), 1);
    EXPECT_EQ(player.GetChannelVolume(3), 100);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(streams.Last()->PlayNextBuffer());
    EXPECT_EQ(player.GetChannelVolume(3), 50);
    EXPECT_EQ(player.GetChannelVolume(16), 0);

    platform::Message message;
    ASSERT_TRUE(platform::PeekMessage(message, platform::PeekMode::Remove));
    EXPECT_EQ(message.id, kMidiVolumeMessage);
    EXPECT_EQ(message.wParam, reinterpret_cast<platform::WParam>(&player));
    EXPECT_EQ(message.lParam, (50 << 16) | 3);
}

// The player on a sequenced stream in simulated time: what is heard when.
class MidiPlayerTimingTest : public ::testing::Test {
protected:
    using Sent = platform::MidiOutputRecord::Sent;

    // Moves the clock to just before the time, checks that nothing more has
    // been sent, then moves it onto the time.
    void AdvanceTo(int64_t micros) {
        const size_t before = streams.output->SentSoFar().size();
        ASSERT_TRUE(streams.clock->Advance(micros - 1 - streams.clock->NowMicros()));
        ASSERT_EQ(streams.output->SentSoFar().size(), before) << "sent before " << micros << " us";
        ASSERT_TRUE(streams.clock->Advance(1));
    }
    static uint32_t NoteOn(uint32_t key) { return 0x90 | (key << 8) | (100 << 16); }

    SimulatedStreams streams;
    MidiPlayer player;
};

// 96 ticks a quarter note: a quarter at first lasts 0.5 s, then 0.25 s from
// the tempo change at 0.5 s; the tempo of 0 that follows is skipped.
MidiBytes TempoSong() {
    return MidiFile(96, {TrackWriter()
                             .NoteOn(0, 0, 60)
                             .Tempo(96, 250000)
                             .NoteOn(96, 0, 62)
                             .Tempo(0, 0)
                             .NoteOn(96, 0, 64)
                             .End()
                             .Bytes()});
}

TEST_F(MidiPlayerTimingTest, TempoChangesTakeEffectWhereTheyStand) {
    const MidiBytes song = TempoSong();
    ASSERT_EQ(player.Load(CopyBytes(song), song.size(), 0), 1);
    ASSERT_TRUE(streams.clock->Advance(5000000));
    EXPECT_TRUE(streams.output->SentSoFar().empty()) << "nothing plays before Play";
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(streams.clock->Settle());
    AdvanceTo(5750000);
    AdvanceTo(6000000);
    ASSERT_TRUE(streams.clock->Settle());
    EXPECT_EQ(
        streams.output->SentSoFar(),
        (std::vector<Sent>{{5000000, NoteOn(60)}, {5750000, NoteOn(62)}, {6000000, NoteOn(64)}}));
    EXPECT_EQ(player.IsPlaying(), 0) << "the song has ended";
    EXPECT_EQ(player.GetState(), MidiPlayer::kStateStopped);
}

TEST_F(MidiPlayerTimingTest, ResumeGoesOnFromWherePauseHeld) {
    const MidiBytes song = TempoSong();
    ASSERT_EQ(player.Load(CopyBytes(song), song.size(), 0), 1);
    ASSERT_EQ(player.Play(0), 1);
    ASSERT_TRUE(streams.clock->Settle());
    ASSERT_TRUE(streams.clock->Advance(600000));  // past the tempo change
    player.Pause();
    ASSERT_TRUE(streams.clock->Settle());
    ASSERT_TRUE(streams.clock->Advance(3000000));
    EXPECT_EQ(streams.output->SentSoFar().size(), 1u);
    EXPECT_EQ(player.IsPlaying(), 1);

    // 0.15 s of the faster quarter were left.
    player.Resume();
    ASSERT_TRUE(streams.clock->Settle());
    AdvanceTo(3750000);
    AdvanceTo(4000000);
    EXPECT_EQ(streams.output->SentSoFar(),
              (std::vector<Sent>{{0, NoteOn(60)}, {3750000, NoteOn(62)}, {4000000, NoteOn(64)}}));
}

TEST_F(MidiPlayerTimingTest, EachPlayOfTheSongKeepsItsTiming) {
    const MidiBytes song = TempoSong();
    ASSERT_EQ(player.Load(CopyBytes(song), song.size(), 0), 1);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        streams.output->Forget();
        const int64_t start = streams.clock->NowMicros();
        ASSERT_EQ(player.Play(round == 2 ? 1 : 0), 1);
        ASSERT_TRUE(streams.clock->Settle());
        AdvanceTo(start + 750000);
        AdvanceTo(start + 1000000);
        ASSERT_TRUE(streams.clock->Settle());
        EXPECT_EQ(streams.output->SentSoFar(), (std::vector<Sent>{{start, NoteOn(60)},
                                                                  {start + 750000, NoteOn(62)},
                                                                  {start + 1000000, NoteOn(64)}}));
        ASSERT_EQ(player.IsPlaying(), 0);
        // The next play starts a while after the end.
        ASSERT_TRUE(streams.clock->Advance(100000));
    }
}

// The default stream runs on its own thread (silently, with no audio
// output open): the player's lock and the stream's callbacks meet for real.
TEST(MidiPlayerThreadTest, PlaysThroughTheDefaultStream) {
    TrackWriter track;
    track.Tempo(0, 1);  // one microsecond a quarter note: the song takes no time
    for (int i = 0; i < 300; ++i) {
        track.NoteOn(1, static_cast<uint8_t>(i % 16), 60).Event(0, {0xB0, 7, 100});
    }
    const MidiBytes file = MidiFile(96, {track.End().Bytes()});
    for (int round = 0; round < 3; ++round) {
        MidiPlayer player;
        ASSERT_EQ(player.Load(CopyBytes(file), file.size(), 0), 1);
        ASSERT_EQ(player.Play(0), 1);
        for (int wait = 0; wait < 5000 && player.IsPlaying(); ++wait) {
            platform::SleepMs(1);
        }
        ASSERT_EQ(player.IsPlaying(), 0);
        EXPECT_EQ(player.GetState(), MidiPlayer::kStateStopped);
        EXPECT_EQ(player.GetChannelVolume(0), 100 * 100 / 127);
        // Again, stopped halfway or left playing when the player goes.
        ASSERT_EQ(player.Play(0), 1);
        if (round == 1) {
            EXPECT_EQ(player.Stop(1), 1);
            EXPECT_EQ(player.IsPlaying(), 0);
        }
    }
}

}  // namespace
