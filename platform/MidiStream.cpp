#include "platform/MidiStream.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>  // the clocks too: <chrono> does not build under -fexec-charset=GBK

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

inline constexpr uint32_t kDefaultTempo = 500000;
inline constexpr uint32_t kDefaultDivision = 96;
// A single delta never waits longer than this, whatever the file says.
inline constexpr int64_t kLongestDeltaMicros = 24LL * 3600 * 1000000;

const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

bool IsSmpteDivision(uint32_t division) {
    return (division & 0x8000) != 0;
}

// Frames per second of an SMPTE division: -24, -25, -29 (30 drop) or -30 in
// the high byte.
int SmpteFramesPerSecond(uint32_t division) {
    return -static_cast<int8_t>(static_cast<uint8_t>(division >> 8));
}

// Mixes every synthesizer into the audio library's output through the
// mixer's music hook. The render callback runs on the mixer's thread under
// the mixer's lock and takes this hub's lock; registration holds its own lock
// while it hooks or unhooks, so the two orders never cross.
class SynthHub {
public:
    static SynthHub& Instance() {
        static auto* hub = new SynthHub;  // never destroyed: the hook may outlive statics
        return *hub;
    }

    void Add(fluid_synth_t* synth) {
        std::lock_guard<std::mutex> registration(registrationMutex_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            synths_.push_back(synth);
        }
        Mix_HookMusic(&SynthHub::Render, this);
    }

    // After it returns the synthesizer is no longer rendered.
    void Remove(fluid_synth_t* synth) {
        std::lock_guard<std::mutex> registration(registrationMutex_);
        bool empty = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            synths_.erase(std::remove(synths_.begin(), synths_.end(), synth), synths_.end());
            empty = synths_.empty();
        }
        if (empty) {
            Mix_HookMusic(nullptr, nullptr);
        }
    }

private:
    static void SDLCALL Render(void* hub, Uint8* stream, int length) {
        static_cast<SynthHub*>(hub)->Mix(stream, length);
    }

    void Mix(Uint8* stream, int length) {
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (length <= 0 || Mix_QuerySpec(&frequency, &format, &channels) == 0 || channels <= 0 ||
            (format != AUDIO_S16SYS && format != AUDIO_F32SYS)) {
            if (length > 0) {
                SDL_memset(stream, 0, static_cast<size_t>(length));
            }
            return;
        }
        const size_t sampleBytes = format == AUDIO_S16SYS ? 2 : 4;
        const size_t frames = static_cast<size_t>(length) / (sampleBytes * channels);
        std::lock_guard<std::mutex> lock(mutex_);
        left_.assign(frames, 0.0f);
        right_.assign(frames, 0.0f);
        partLeft_.resize(frames);
        partRight_.resize(frames);
        for (fluid_synth_t* synth : synths_) {
            fluid_synth_write_float(synth, static_cast<int>(frames), partLeft_.data(), 0, 1,
                                    partRight_.data(), 0, 1);
            for (size_t i = 0; i < frames; ++i) {
                left_[i] += partLeft_[i];
                right_[i] += partRight_[i];
            }
        }
        SDL_memset(stream, 0, static_cast<size_t>(length));
        for (size_t i = 0; i < frames; ++i) {
            for (int c = 0; c < channels && c < 2; ++c) {
                float value =
                    channels == 1 ? (left_[i] + right_[i]) * 0.5f : (c == 0 ? left_[i] : right_[i]);
                value = std::clamp(value, -1.0f, 1.0f);
                const size_t at = (i * channels + c) * sampleBytes;
                if (format == AUDIO_S16SYS) {
                    const auto sample = static_cast<Sint16>(value * 32767.0f);
                    SDL_memcpy(stream + at, &sample, sizeof sample);
                } else {
                    SDL_memcpy(stream + at, &value, sizeof value);
                }
            }
        }
    }

    std::mutex registrationMutex_;
    std::mutex mutex_;
    std::vector<fluid_synth_t*> synths_;
    std::vector<float> left_, right_, partLeft_, partRight_;
};

void QuietFluidLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

const char* FindSoundFont() {
    for (const char* path : kSoundFonts) {
        if (::access(path, R_OK) == 0) {
            return path;
        }
    }
    return nullptr;
}

// A General MIDI synthesizer rendered by the hub.
class FluidSynthOutput final : public MidiOutput {
public:
    // Null when the audio library's output is closed or no sound font loads.
    static std::unique_ptr<MidiOutput> Create() {
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
            return nullptr;
        }
        const char* soundFont = FindSoundFont();
        if (soundFont == nullptr) {
            return nullptr;
        }
        QuietFluidLogs();
        fluid_settings_t* settings = new_fluid_settings();
        if (settings == nullptr) {
            return nullptr;
        }
        fluid_settings_setnum(settings, "synth.sample-rate", frequency);
        fluid_settings_setnum(settings, "synth.gain", 0.5);
        // Samples are read when a program first needs them: the start is
        // quick, and no loader threads are spawned.
        fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        fluid_synth_t* synth = new_fluid_synth(settings);
        if (synth == nullptr || fluid_synth_sfload(synth, soundFont, 1) == FLUID_FAILED) {
            if (synth != nullptr) {
                delete_fluid_synth(synth);
            }
            delete_fluid_settings(settings);
            return nullptr;
        }
        auto output = std::unique_ptr<FluidSynthOutput>(new FluidSynthOutput(settings, synth));
        SynthHub::Instance().Add(synth);
        return output;
    }

    ~FluidSynthOutput() override {
        SynthHub::Instance().Remove(synth_);
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    void Send(uint32_t message) override {
        const int status = static_cast<int>(message & 0xFF);
        const int channel = status & 0x0F;
        const int data1 = static_cast<int>((message >> 8) & 0x7F);
        const int data2 = static_cast<int>((message >> 16) & 0x7F);
        switch (status & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(synth_, channel, data1);
                break;
            case 0x90:
                if (data2 == 0) {
                    fluid_synth_noteoff(synth_, channel, data1);
                } else {
                    fluid_synth_noteon(synth_, channel, data1, data2);
                }
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth_, channel, data1, data2);
                break;
            case 0xB0:
                fluid_synth_cc(synth_, channel, data1, data2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth_, channel, data1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth_, channel, data1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
                break;
            default:
                break;
        }
    }

    void Silence() override { fluid_synth_all_sounds_off(synth_, -1); }

private:
    FluidSynthOutput(fluid_settings_t* settings, fluid_synth_t* synth)
        : settings_(settings), synth_(synth) {}

    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
};

class SilentOutput final : public MidiOutput {
public:
    void Send(uint32_t) override {}
    void Silence() override {}
};

// Plays queued buffers in real time on its own thread.
class SequencedMidiStream final : public MidiStream {
public:
    SequencedMidiStream(MidiStreamClient& client, std::unique_ptr<MidiOutput> output)
        : client_(client), output_(std::move(output)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~SequencedMidiStream() override { Close(); }

    bool SetTimeDivision(uint32_t division) override;
    bool Out(MidiStreamBuffer* buffer) override;
    bool Restart() override;
    bool Pause() override;
    bool Stop() override;
    bool Reset() override;
    void Close() override;

private:
    void Run();
    // Moves every queued buffer to the hand-back list.
    void HandBackLocked();
    Clock::duration DeltaDuration(uint32_t ticks) const;
    void Play(const MidiStreamEvent& event);

    MidiStreamClient& client_;
    std::unique_ptr<MidiOutput> output_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<MidiStreamBuffer*> queue_;
    std::deque<MidiStreamBuffer*> handBack_;
    size_t nextEvent_ = 0;  // in the front buffer
    bool running_ = false;
    bool closing_ = false;
    // The time the last event was due, and while paused how far past it the
    // stream had got.
    Clock::time_point anchor_ = Clock::now();
    Clock::duration pausedAfterAnchor_{0};
    uint32_t tempo_ = kDefaultTempo;
    uint32_t division_ = kDefaultDivision;
    std::thread thread_;
};

bool SequencedMidiStream::SetTimeDivision(uint32_t division) {
    if (division == 0 || division > 0xFFFF) {
        return false;
    }
    if (IsSmpteDivision(division)) {
        const int fps = SmpteFramesPerSecond(division);
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || (division & 0xFF) == 0) {
            return false;
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    division_ = division;
    return true;
}

bool SequencedMidiStream::Out(MidiStreamBuffer* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_ || std::find(queue_.begin(), queue_.end(), buffer) != queue_.end() ||
        std::find(handBack_.begin(), handBack_.end(), buffer) != handBack_.end()) {
        return false;
    }
    queue_.push_back(buffer);
    wake_.notify_all();
    return true;
}

bool SequencedMidiStream::Restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_) {
        return false;
    }
    if (!running_) {
        running_ = true;
        anchor_ = Clock::now() - pausedAfterAnchor_;
        pausedAfterAnchor_ = Clock::duration{0};
        wake_.notify_all();
    }
    return true;
}

bool SequencedMidiStream::Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_) {
        return false;
    }
    if (running_) {
        running_ = false;
        pausedAfterAnchor_ = Clock::now() - anchor_;
        output_->Silence();
        wake_.notify_all();
    }
    return true;
}

bool SequencedMidiStream::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_) {
        return false;
    }
    running_ = false;
    pausedAfterAnchor_ = Clock::duration{0};
    HandBackLocked();
    output_->Silence();
    wake_.notify_all();
    return true;
}

bool SequencedMidiStream::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_) {
        return false;
    }
    HandBackLocked();
    output_->Silence();
    wake_.notify_all();
    return true;
}

void SequencedMidiStream::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        queue_.clear();
        handBack_.clear();
        wake_.notify_all();
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

void SequencedMidiStream::HandBackLocked() {
    while (!queue_.empty()) {
        handBack_.push_back(queue_.front());
        queue_.pop_front();
    }
    nextEvent_ = 0;
}

Clock::duration SequencedMidiStream::DeltaDuration(uint32_t ticks) const {
    int64_t micros = 0;
    if (IsSmpteDivision(division_)) {
        const int fps = SmpteFramesPerSecond(division_);
        const double framesPerSecond = fps == 29 ? 29.97 : fps;
        const double ticksPerSecond = framesPerSecond * static_cast<double>(division_ & 0xFF);
        micros = static_cast<int64_t>(static_cast<double>(ticks) * 1e6 / ticksPerSecond);
    } else {
        micros = static_cast<int64_t>(static_cast<uint64_t>(ticks) * tempo_ / division_);
    }
    return Micros(std::min(micros, kLongestDeltaMicros));
}

void SequencedMidiStream::Play(const MidiStreamEvent& event) {
    switch (MidiEventType(event.event)) {
        case kMidiEventShortMessage:
            output_->Send(MidiEventParameter(event.event));
            break;
        case kMidiEventTempo:
            if (MidiEventParameter(event.event) != 0) {
                tempo_ = MidiEventParameter(event.event);
            }
            break;
        default:
            break;
    }
}

void SequencedMidiStream::Run() {
    client_.OnStreamOpen();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!closing_) {
        if (!handBack_.empty()) {
            MidiStreamBuffer* buffer = handBack_.front();
            handBack_.pop_front();
            lock.unlock();
            client_.OnBufferDone(*buffer);
            lock.lock();
            continue;
        }
        if (!running_ || queue_.empty()) {
            wake_.wait(lock);
            continue;
        }
        MidiStreamBuffer* buffer = queue_.front();
        if (nextEvent_ >= buffer->events.size()) {
            queue_.pop_front();
            nextEvent_ = 0;
            lock.unlock();
            client_.OnBufferDone(*buffer);
            lock.lock();
            continue;
        }
        const MidiStreamEvent event = buffer->events[nextEvent_];
        const Clock::time_point due = anchor_ + DeltaDuration(event.deltaTicks);
        if (Clock::now() < due) {
            // Woken early by a command, or on time: look again either way.
            wake_.wait_until(lock, due);
            continue;
        }
        anchor_ = due;
        ++nextEvent_;
        Play(event);
        if ((event.event & kMidiEventCallbackFlag) != 0) {
            lock.unlock();
            client_.OnPositionCallback(*buffer, event);
            lock.lock();
        }
    }
    lock.unlock();
    output_->Silence();
    client_.OnStreamClose();
}

std::mutex factoryMutex;

MidiStreamFactory& InstalledFactory() {
    static MidiStreamFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<MidiStream> OpenMidiStream(int device, MidiStreamClient& client) {
    MidiStreamFactory factory;
    {
        std::lock_guard<std::mutex> lock(factoryMutex);
        factory = InstalledFactory();
    }
    if (factory) {
        return factory(device, client);
    }
    if (device != -1 && device != 0) {
        return nullptr;
    }
    std::unique_ptr<MidiOutput> output = FluidSynthOutput::Create();
    if (output == nullptr) {
        output = std::make_unique<SilentOutput>();
    }
    return OpenSequencedMidiStream(client, std::move(output));
}

std::unique_ptr<MidiStream> OpenSequencedMidiStream(MidiStreamClient& client,
                                                    std::unique_ptr<MidiOutput> output) {
    if (output == nullptr) {
        return nullptr;
    }
    return std::make_unique<SequencedMidiStream>(client, std::move(output));
}

void SetMidiStreamFactory(MidiStreamFactory factory) {
    std::lock_guard<std::mutex> lock(factoryMutex);
    InstalledFactory() = std::move(factory);
}

ManualMidiStream::ManualMidiStream(MidiStreamClient& client) : client_(client) {}

bool ManualMidiStream::SetTimeDivision(uint32_t division) {
    calls_.push_back("Division " + std::to_string(division));
    if (division == 0 || closed_) {
        return false;
    }
    division_ = division;
    return true;
}

bool ManualMidiStream::Out(MidiStreamBuffer* buffer) {
    calls_.push_back("Out");
    if (buffer == nullptr || closed_ ||
        std::find(queue_.begin(), queue_.end(), buffer) != queue_.end()) {
        return false;
    }
    queue_.push_back(buffer);
    return true;
}

bool ManualMidiStream::Restart() {
    calls_.push_back("Restart");
    running_ = !closed_;
    return !closed_;
}

bool ManualMidiStream::Pause() {
    calls_.push_back("Pause");
    running_ = false;
    return !closed_;
}

bool ManualMidiStream::Stop() {
    calls_.push_back("Stop");
    running_ = false;
    ReturnAll();
    return !closed_;
}

bool ManualMidiStream::Reset() {
    calls_.push_back("Reset");
    ReturnAll();
    return !closed_;
}

void ManualMidiStream::Close() {
    calls_.push_back("Close");
    closed_ = true;
    running_ = false;
    queue_.clear();
}

void ManualMidiStream::ReturnAll() {
    if (!returnsBuffersOnStop_) {
        return;
    }
    while (!queue_.empty()) {
        MidiStreamBuffer* buffer = queue_.front();
        queue_.pop_front();
        client_.OnBufferDone(*buffer);
    }
}

bool ManualMidiStream::PlayNextBuffer() {
    if (queue_.empty()) {
        return false;
    }
    MidiStreamBuffer* buffer = queue_.front();
    queue_.pop_front();
    for (const MidiStreamEvent& event : buffer->events) {
        if ((event.event & kMidiEventCallbackFlag) != 0) {
            client_.OnPositionCallback(*buffer, event);
        }
    }
    client_.OnBufferDone(*buffer);
    return true;
}

}  // namespace platform
