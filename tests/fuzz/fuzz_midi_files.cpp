// MIDI files from resource packs, played through a stream without a clock:
// the player loads the file, then every buffer it fills is played and handed
// back until the song ends (bounded, for songs that loop on their own
// tempo), and the player stops.

#include <cstring>
#include <memory>

#include "engine/MidiPlayer.h"
#include "platform/MidiStream.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

constexpr int kMaxBuffers = 64;

platform::ManualMidiStream* g_stream = nullptr;

class NotingPlayer : public MidiPlayer {
public:
    ~NotingPlayer() override { Stop(0); }
    void OnMidiError(int code) override { FuzzNote("midi error", static_cast<uint64_t>(code)); }
    void OnParseError(int track, const char* text) override {
        FuzzNote(text, track < 4 ? static_cast<uint64_t>(track) : 4);
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::SetMidiStreamFactory(
        [](int, platform::MidiStreamClient& client) -> std::unique_ptr<platform::MidiStream> {
            auto stream = std::make_unique<platform::ManualMidiStream>(client);
            g_stream = stream.get();
            return stream;
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto file = std::make_unique<uint8_t[]>(size + 1);
    if (size > 0) {
        std::memcpy(file.get(), data, size);
    }
    g_stream = nullptr;
    NotingPlayer player;
    if (player.Load(std::move(file), size, 0) == 0) {
        FuzzNote("refused");
        return 0;
    }
    FuzzNote("format", player.GetFormat() < 3 ? player.GetFormat() : 3);
    player.Play(0);
    int played = 0;
    while (g_stream != nullptr && played < kMaxBuffers &&
           player.GetState() != MidiPlayer::kStateEndOfSong && g_stream->PlayNextBuffer()) {
        ++played;
    }
    FuzzNote("buffers", played < 8 ? static_cast<uint64_t>(played) : 8);
    FuzzNote("state", static_cast<uint64_t>(player.GetState()));
    for (int channel = 0; channel < 16; ++channel) {
        const int volume = player.GetChannelVolume(channel);
        if (volume < 0 || volume > 100) {
            FuzzFail("a channel volume is outside 0..100 percent");
        }
    }
    player.Stop(0);
    return 0;
}
