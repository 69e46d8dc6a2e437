// Starting background music on the UI thread: a small song loaded into a new
// MIDI player, played and stopped, then played again after the stop, as the
// game does when it changes or restarts its music. Compare the default
// stream, which sounds through the synthesizer in the audio output (SDL's
// dummy driver), with the same work while the output is closed, when the
// stream is silent: the difference is what the synthesizer costs.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/MidiPlayer.h"
#include "platform/Audio.h"

namespace {

// One track: a program change and a few notes, 96 ticks a quarter note.
std::vector<uint8_t> SmallSong() {
    std::vector<uint8_t> track = {0x00, 0xC0, 0x00};
    for (uint8_t key = 60; key < 72; ++key) {
        const std::vector<uint8_t> note = {0x00, 0x90, key, 100, 0x30, 0x80, key, 0x00};
        track.insert(track.end(), note.begin(), note.end());
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0,  0,   0,   6,   0,
                                 0,   0,   1,   0,   96, 'M', 'T', 'r', 'k'};
    const auto length = static_cast<uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8) {
        file.push_back(static_cast<uint8_t>(length >> shift));
    }
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

void LoadPlayStopReplay(benchmark::State& state, bool withOutput) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::unique_ptr<platform::AudioLibrary> audio = platform::LoadAudioLibrary();
    if (withOutput &&
        (audio == nullptr || !audio->Init(platform::kDefaultAudioDevice, 44100, 0, 0))) {
        state.SkipWithError("no audio output");
        return;
    }
    const std::vector<uint8_t> song = SmallSong();
    for (auto _ : state) {
        auto bytes = std::make_unique<uint8_t[]>(song.size());
        std::memcpy(bytes.get(), song.data(), song.size());
        MidiPlayer player;
        if (!player.Load(std::move(bytes), song.size(), 0) || !player.Play(0)) {
            state.SkipWithError("the song did not play");
            break;
        }
        player.Stop(0);
        player.Play(0);
        player.Stop(0);
    }
    if (withOutput) {
        audio->Free();
    }
}

void BM_MidiSongThroughTheSynthesizer(benchmark::State& state) {
    LoadPlayStopReplay(state, true);
}
BENCHMARK(BM_MidiSongThroughTheSynthesizer)->Unit(benchmark::kMillisecond);

void BM_MidiSongSilent(benchmark::State& state) {
    LoadPlayStopReplay(state, false);
}
BENCHMARK(BM_MidiSongSilent)->Unit(benchmark::kMillisecond);

}  // namespace
