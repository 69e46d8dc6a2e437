// Sound that really comes out: the audio library and the default MIDI stream
// play through SDL's disk audio driver, which writes the mixed output to a
// file, and the file is measured. Sample files are written by sox when the
// test runs.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "platform/MidiStream.h"
#include "platform/Sync.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/platform/TempFolder.h"
#include "tests/support/ChildProcess.h"

namespace {

using namespace platform;

constexpr char kSox[] = "/usr/bin/sox";

// Runs a program with its output in log; true when it exits with 0.
bool RunProgram(const std::vector<std::string>& args, const std::string& log) {
    std::filesystem::remove(log);
    test_support::ChildOptions options;
    options.logFile = log;
    test_support::ChildProcess program;
    return program.Start(args, options) && program.WaitForExit(60000) == 0;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The loudness of 16-bit little-endian samples, 0 to 1.
struct Loudness {
    double rms = 0.0;
    int peak = 0;
    size_t samples = 0;
};

Loudness Measure(const std::vector<uint8_t>& bytes) {
    Loudness out;
    double sum = 0.0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto sample = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
        sum += static_cast<double>(sample) * sample;
        out.peak = std::max(out.peak, std::abs(static_cast<int>(sample)));
        ++out.samples;
    }
    if (out.samples > 0) {
        out.rms = std::sqrt(sum / static_cast<double>(out.samples)) / 32768.0;
    }
    return out;
}

// An audio library whose output goes to a file of this test's own.
class DiskAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.Path().empty());
        library = LoadAudioLibrary();
        ASSERT_NE(library, nullptr);
        ASSERT_TRUE(library->Init(kDefaultAudioDevice, 44100, 0, 0))
            << "SDL's disk audio driver did not open";
    }
    void TearDown() override {
        if (library != nullptr) {
            library->Free();
        }
    }

    // Closes the output, which ends the file, and measures it.
    Loudness Captured() {
        library->Free();
        const std::vector<uint8_t> bytes = ReadFile(capture);
        EXPECT_GT(bytes.size(), 44100u) << "less than a quarter second was captured";
        return Measure(bytes);
    }

    // A half-second 440 Hz tone in the given format, written by sox.
    std::vector<uint8_t> Tone(const std::string& extension) {
        if (::access(kSox, X_OK) != 0) {
            ADD_FAILURE() << kSox << " is missing: install the Debian packages sox, "
                          << "libsox-fmt-base and libsox-fmt-mp3 (build.sh does)";
            return {};
        }
        const std::string file = folder / ("tone." + extension);
        const std::string log = folder / "sox.log";
        if (!RunProgram({kSox, "-n", "-r", "44100", "-c", "1", file, "synth", "0.5", "sine", "440"},
                        log)) {
            ADD_FAILURE() << "sox could not write " << extension << ": " << folder.Read("sox.log");
            return {};
        }
        return ReadFile(file);
    }

    // Plays the bytes as a stream and waits (5 s at most) for the end.
    void PlayToTheEnd(const std::vector<uint8_t>& bytes) {
        const AudioHandle handle = library->StreamCreateFromMemory(bytes.data(), bytes.size(), 0);
        ASSERT_NE(handle, 0u) << "the audio library could not decode it";
        ASSERT_TRUE(library->ChannelPlay(handle, false));
        for (int wait = 0; wait < 500 && library->ChannelIsActive(handle) != kChannelStopped;
             ++wait) {
            SleepMs(10);
        }
        EXPECT_EQ(library->ChannelIsActive(handle), kChannelStopped) << "still playing after 5 s";
    }

    TempFolder folder;
    const std::string capture = folder / "output.raw";
    ScopedEnv driver{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv file{"SDL_DISKAUDIOFILE", capture};
    std::unique_ptr<AudioLibrary> library;
};

TEST_F(DiskAudioTest, AFailedOpenLeavesTheNextOneWorking) {
    library->Free();
    {
        // An output file that cannot be made: the open fails.
        ScopedEnv unwritable{"SDL_DISKAUDIOFILE", folder / "missing/output.raw"};
        const std::unique_ptr<AudioLibrary> failing = LoadAudioLibrary();
        EXPECT_FALSE(failing->Init(kDefaultAudioDevice, 44100, 0, 0));
        EXPECT_FALSE(failing->Free());
    }
    ASSERT_TRUE(library->Init(kDefaultAudioDevice, 44100, 0, 0));
    PlayToTheEnd(Tone("wav"));
    EXPECT_GT(Captured().rms, 0.1);
}

TEST_F(DiskAudioTest, WaveOggAndMp3FilesAreHeard) {
    for (const char* extension : {"wav", "ogg", "mp3"}) {
        SCOPED_TRACE(extension);
        const std::vector<uint8_t> tone = Tone(extension);
        ASSERT_FALSE(tone.empty());
        PlayToTheEnd(tone);
        const Loudness heard = Captured();
        // A full-scale sine is 0.7; half a second of it in a second of
        // output is well above 0.1.
        EXPECT_GT(heard.rms, 0.1);
        ASSERT_TRUE(library->Init(kDefaultAudioDevice, 44100, 0, 0));
    }
}

TEST_F(DiskAudioTest, AnOutputAtVolumeZeroIsSilent) {
    const std::vector<uint8_t> tone = Tone("wav");
    ASSERT_FALSE(tone.empty());
    ASSERT_TRUE(library->SetVolume(0.0f));
    PlayToTheEnd(tone);
    EXPECT_EQ(Captured().peak, 0);
}

// Plays a held note through the default MIDI stream: an organ (program 19)
// sounds as long as the key is down.
class MidiNote : public MidiStreamClient {
public:
    void OnBufferDone(MidiStreamBuffer&) override { done.Set(); }
    void OnPositionCallback(MidiStreamBuffer&, const MidiStreamEvent&) override {}

    // Plays the events to their end (5 s at most).
    bool Play(std::vector<MidiStreamEvent> events) {
        std::unique_ptr<MidiStream> stream = OpenMidiStream(-1, *this);
        if (stream == nullptr || !stream->SetTimeDivision(96)) {
            return false;
        }
        buffer.events = std::move(events);
        done.Reset();
        const bool played = stream->Out(&buffer) && stream->Restart() && done.Wait(5000);
        stream->Close();
        return played;
    }

    static MidiStreamEvent Short(uint32_t delta, uint32_t status, uint32_t data1,
                                 uint32_t data2 = 0) {
        return MidiStreamEvent{
            delta, 0, MakeMidiEvent(kMidiEventShortMessage, status | (data1 << 8) | (data2 << 16))};
    }

    // Half a second of middle C at 500000 us a quarter note, 96 ticks.
    static std::vector<MidiStreamEvent> HeldNote() {
        return {Short(0, 0xC0, 19), Short(0, 0x90, 60, 110), Short(96, 0x80, 60)};
    }

    MidiStreamBuffer buffer;
    Event done{Event::Mode::ManualReset};
};

TEST_F(DiskAudioTest, MidiIsHeardAndFollowsTheOutputVolume) {
    MidiNote note;
    // What an earlier song left behind is undone for the next one: here,
    // channel 0 turned all the way down.
    ASSERT_TRUE(note.Play({MidiNote::Short(0, 0xB0, 7, 0)}));
    ASSERT_TRUE(note.Play(MidiNote::HeldNote()));
    const Loudness heard = Captured();
    EXPECT_GT(heard.rms, 0.005) << "the synthesizer was not heard (peak " << heard.peak << ")";

    ASSERT_TRUE(library->Init(kDefaultAudioDevice, 44100, 0, 0));
    ASSERT_TRUE(library->SetVolume(0.0f));
    ASSERT_TRUE(note.Play(MidiNote::HeldNote()));
    EXPECT_EQ(Captured().peak, 0) << "music at volume 0 was heard";
}

}  // namespace
