#include "platform/MidiStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Audio.h"
#include "platform/Sync.h"

namespace {

using namespace platform;

uint32_t Note(uint32_t key) {
    return MakeMidiEvent(kMidiEventShortMessage, 0x90 | (key << 8) | (100 << 16));
}

MidiStreamEvent At(uint32_t delta, uint32_t event) {
    return MidiStreamEvent{delta, 0, event};
}

// One microsecond a quarter note: what follows plays at once.
const MidiStreamEvent kFastTempo = At(0, MakeMidiEvent(kMidiEventTempo, 1));

// Records the callbacks ("done N", "position"), optionally queues a
// returned buffer again, and signals when the expected number is done.
class RecordingClient : public MidiStreamClient {
public:
    void OnBufferDone(MidiStreamBuffer& buffer) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back("done " + std::to_string(Index(buffer)));
        threads_.push_back(std::this_thread::get_id());
        if (requeues > 0 && stream != nullptr) {
            --requeues;
            stream->Out(&buffer);
        }
        if (++done_ >= expected) {
            allDone.Set();
        }
    }
    void OnPositionCallback(MidiStreamBuffer& buffer, const MidiStreamEvent&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back("position " + std::to_string(Index(buffer)));
    }

    std::vector<std::string> Log() {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    std::vector<std::thread::id> Threads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_;
    }

    MidiStreamBuffer buffers[2];
    MidiStream* stream = nullptr;
    int requeues = 0;
    int expected = 1;
    Event allDone{Event::Mode::ManualReset};

private:
    int Index(const MidiStreamBuffer& buffer) const {
        return &buffer == &buffers[0] ? 0 : &buffer == &buffers[1] ? 1 : -1;
    }

    std::mutex mutex_;
    std::vector<std::string> log_;
    std::vector<std::thread::id> threads_;
    int done_ = 0;
};

class SequencedStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        stream = OpenSequencedMidiStream(client, MakeRecordingMidiOutput(output));
        ASSERT_NE(stream, nullptr);
        client.stream = stream.get();
        ASSERT_TRUE(stream->SetTimeDivision(96));
    }
    void TearDown() override {
        if (stream != nullptr) {
            stream->Close();
        }
    }

    std::shared_ptr<MidiOutputRecord> output = std::make_shared<MidiOutputRecord>();
    RecordingClient client;
    std::unique_ptr<MidiStream> stream;
};

TEST_F(SequencedStreamTest, PlaysBuffersInOrderOnItsOwnThread) {
    const uint32_t volume = MakeMidiEvent(kMidiEventShortMessage, 0xB0 | (7 << 8) | (64 << 16));
    client.buffers[0].events = {kFastTempo, At(5, volume | kMidiEventCallbackFlag),
                                At(5, Note(60))};
    client.buffers[1].events = {At(5, Note(62)), At(0, MakeMidiEvent(kMidiEventNop, 0))};
    client.expected = 2;
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(stream->Out(&client.buffers[1]));
    EXPECT_FALSE(stream->Out(&client.buffers[0])) << "already queued";
    EXPECT_FALSE(stream->Out(nullptr));
    ASSERT_TRUE(stream->Restart());

    ASSERT_TRUE(client.allDone.Wait(5000));
    EXPECT_EQ(output->Messages(),
              (std::vector<uint32_t>{MidiEventParameter(volume), MidiEventParameter(Note(60)),
                                     MidiEventParameter(Note(62))}));
    EXPECT_EQ(client.Log(), (std::vector<std::string>{"position 0", "done 0", "done 1"}));
    for (const std::thread::id id : client.Threads()) {
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

TEST_F(SequencedStreamTest, OpensPausedAndHandsBuffersBackOnStopAndReset) {
    // At 500000 us a quarter note these would wait for hours.
    client.buffers[0].events = {At(1000000, Note(60))};
    client.buffers[1].events = {At(1000000, Note(62))};
    client.expected = 2;
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(stream->Out(&client.buffers[1]));
    ASSERT_TRUE(stream->Stop());
    ASSERT_TRUE(client.allDone.Wait(5000));
    EXPECT_EQ(client.Log(), (std::vector<std::string>{"done 0", "done 1"}));

    client.allDone.Reset();
    client.expected = 3;
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(stream->Pause());
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(stream->Reset());
    ASSERT_TRUE(client.allDone.Wait(5000));
    EXPECT_TRUE(output->Messages().empty());
    EXPECT_GE(output->Silences(), 3);
}

TEST_F(SequencedStreamTest, CallbacksMayQueueTheirBufferAgain) {
    client.buffers[0].events = {kFastTempo, At(1, Note(60)), At(1, Note(61))};
    client.requeues = 3;
    client.expected = 4;
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(client.allDone.Wait(5000));
    EXPECT_EQ(output->Messages().size(), 8u);
}

TEST_F(SequencedStreamTest, NothingIsCalledBackAfterClose) {
    client.buffers[0].events = {At(1000000, Note(60))};
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(stream->Restart());
    stream->Close();
    EXPECT_TRUE(client.Log().empty());
    EXPECT_FALSE(stream->Out(&client.buffers[1]));
    EXPECT_FALSE(stream->Restart());
    EXPECT_FALSE(stream->Stop());
}

TEST_F(SequencedStreamTest, TimeDivisionMustBeTicksPerQuarterNote) {
    EXPECT_FALSE(stream->SetTimeDivision(0));
    EXPECT_TRUE(stream->SetTimeDivision(480));
    EXPECT_TRUE(stream->SetTimeDivision(0x7FFF));
    EXPECT_FALSE(stream->SetTimeDivision(0xE728));  // SMPTE: 25 frames of 40 ticks
    EXPECT_FALSE(stream->SetTimeDivision(0x10000));
}

// A sequenced stream in simulated time whose output notes when each message
// was sent.
class SimulatedStreamTest : public ::testing::Test {
protected:
    using Sent = MidiOutputRecord::Sent;

    void SetUp() override {
        stream = OpenSequencedMidiStream(client, MakeRecordingMidiOutput(output, clock), clock);
        ASSERT_NE(stream, nullptr);
        ASSERT_TRUE(stream->SetTimeDivision(96));
    }
    void TearDown() override { stream->Close(); }

    std::vector<Sent> SentSoFar() { return output->SentSoFar(); }
    // Moves the clock to just before the time and checks that nothing more
    // has been sent, then onto it.
    void AdvanceTo(int64_t micros) {
        const size_t before = SentSoFar().size();
        ASSERT_TRUE(clock->Advance(micros - 1 - clock->NowMicros()));
        ASSERT_EQ(SentSoFar().size(), before) << "sent before " << micros << " us";
        ASSERT_TRUE(clock->Advance(1));
    }

    std::shared_ptr<SimulatedMidiClock> clock = std::make_shared<SimulatedMidiClock>();
    std::shared_ptr<MidiOutputRecord> output = std::make_shared<MidiOutputRecord>();
    RecordingClient client;
    std::unique_ptr<MidiStream> stream;
};

TEST_F(SimulatedStreamTest, FollowsTempoChangesAndHoldsTheTempoAtZero) {
    client.buffers[0].events = {
        At(0, Note(60)),
        At(96, MakeMidiEvent(kMidiEventTempo, 250000)),  // at 0.5 s, twice as fast
        At(96, Note(62)),                                // 0.25 s later
        At(0, MakeMidiEvent(kMidiEventTempo, 0)),        // ignored
        At(48, Note(64)),                                // 0.125 s later
    };
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(clock->Settle());
    EXPECT_TRUE(SentSoFar().empty()) << "a stream opens paused";
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(clock->Settle());
    AdvanceTo(750000);
    AdvanceTo(875000);
    ASSERT_TRUE(client.allDone.Wait(5000));
    EXPECT_EQ(SentSoFar(), (std::vector<Sent>{{0, MidiEventParameter(Note(60))},
                                              {750000, MidiEventParameter(Note(62))},
                                              {875000, MidiEventParameter(Note(64))}}));
}

TEST_F(SimulatedStreamTest, PauseHoldsThePositionUntilRestart) {
    client.buffers[0].events = {At(0, Note(60)), At(96, Note(62)), At(96, Note(64))};
    ASSERT_TRUE(stream->Out(&client.buffers[0]));
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(clock->Settle());
    ASSERT_TRUE(clock->Advance(300000));
    ASSERT_TRUE(stream->Pause());
    ASSERT_TRUE(clock->Settle());
    ASSERT_TRUE(clock->Advance(10000000));
    EXPECT_EQ(SentSoFar().size(), 1u) << "nothing plays while paused";

    // 0.2 s of the first wait were left; the next wait is whole.
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(clock->Settle());
    AdvanceTo(10500000);
    AdvanceTo(11000000);
    EXPECT_EQ(SentSoFar(), (std::vector<Sent>{{0, MidiEventParameter(Note(60))},
                                              {10500000, MidiEventParameter(Note(62))},
                                              {11000000, MidiEventParameter(Note(64))}}));

    // Stopped, the stream starts again from its new buffers' beginning.
    ASSERT_TRUE(client.allDone.Wait(5000));
    client.buffers[1].events = {At(96, Note(65))};
    client.expected = 2;
    client.allDone.Reset();
    ASSERT_TRUE(stream->Stop());
    ASSERT_TRUE(stream->Out(&client.buffers[1]));
    ASSERT_TRUE(stream->Restart());
    ASSERT_TRUE(clock->Settle());
    AdvanceTo(11500000);
    ASSERT_TRUE(client.allDone.Wait(5000));
    EXPECT_EQ(SentSoFar().back(), (Sent{11500000, MidiEventParameter(Note(65))}));
}

// The default stream, with and without the audio library's output open: a
// General MIDI synthesizer while it is open, silence otherwise; the timing
// and the callbacks are the same.
TEST(DefaultMidiStreamTest, PlaysWithAndWithoutTheAudioOutput) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    RecordingClient unused;
    EXPECT_EQ(OpenMidiStream(5, unused), nullptr);
    for (const bool withOutput : {false, true}) {
        std::unique_ptr<AudioLibrary> audio = LoadAudioLibrary();
        if (withOutput) {
            ASSERT_TRUE(audio->Init(kDefaultAudioDevice, 44100, 0, 0));
        }
        RecordingClient client;
        std::unique_ptr<MidiStream> stream = OpenMidiStream(-1, client);
        ASSERT_NE(stream, nullptr);
        client.buffers[0].events = {
            kFastTempo, At(0, MakeMidiEvent(kMidiEventShortMessage, 0xC0 | (5 << 8))),
            At(1, Note(60)), At(96, MakeMidiEvent(kMidiEventShortMessage, 0x80 | (60 << 8)))};
        ASSERT_TRUE(stream->Out(&client.buffers[0]));
        ASSERT_TRUE(stream->Restart());
        ASSERT_TRUE(client.allDone.Wait(5000)) << withOutput;
        stream->Close();
        stream.reset();
        audio->Free();
    }
}

// The sound font loads once for the process, not once a stream.
TEST(DefaultMidiStreamTest, EveryStreamSharesOneSynthesizer) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::unique_ptr<AudioLibrary> audio = LoadAudioLibrary();
    ASSERT_TRUE(audio->Init(kDefaultAudioDevice, 44100, 0, 0));
    RecordingClient client;
    OpenMidiStream(-1, client)->Close();
    const int made = MidiSynthesizersMade();
    ASSERT_GE(made, 1) << "no synthesizer: is timgm6mb-soundfont installed?";
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<MidiStream> stream = OpenMidiStream(-1, client);
        std::unique_ptr<MidiStream> another = OpenMidiStream(0, client);
        ASSERT_NE(stream, nullptr);
        ASSERT_NE(another, nullptr);
    }
    EXPECT_EQ(MidiSynthesizersMade(), made);

    // The output closed and opened again at the same rate keeps it; another
    // rate needs a synthesizer of its own.
    audio->Free();
    ASSERT_TRUE(audio->Init(kDefaultAudioDevice, 44100, 0, 0));
    OpenMidiStream(-1, client)->Close();
    EXPECT_EQ(MidiSynthesizersMade(), made);
    audio->Free();
    ASSERT_TRUE(audio->Init(kDefaultAudioDevice, 22050, 0, 0));
    OpenMidiStream(-1, client)->Close();
    EXPECT_EQ(MidiSynthesizersMade(), made + 1);
    audio->Free();
}

}  // namespace
