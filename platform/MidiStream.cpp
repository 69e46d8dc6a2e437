#include "platform/MidiStream.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <thread>  // the clocks too: <chrono> does not build under -fexec-charset=GBK

namespace platform {

namespace {

inline constexpr uint32_t kDefaultTempo = 500000;
inline constexpr uint32_t kDefaultDivision = 96;
inline constexpr uint32_t kSmpteDivisionBit = 0x8000;
// A single delta never waits longer than this, whatever the file says.
inline constexpr int64_t kLongestDeltaMicros = 24LL * 3600 * 1000000;

const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
};

// Real time.
class SteadyMidiClock final : public MidiClock {
public:
    int64_t NowMicros() override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
              int64_t dueMicros) override {
        if (dueMicros == kNoDueTime) {
            wake.wait(lock);
            return;
        }
        const std::chrono::steady_clock::time_point due{std::chrono::microseconds(dueMicros)};
        wake.wait_until(lock, due);
    }
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

// The process's one General MIDI synthesizer. It is made, and the sound font
// loaded, the first time a stream asks for it while the audio output is
// open, and made again only for an output at another rate. Each new user
// gets it reset. While it has users it is mixed into the output through the
// mixer's music hook, under the mixer's master volume.
//
// The render callback runs on the mixer's thread under the mixer's lock and
// takes mutex_; hooking and unhooking hold registrationMutex_ but never
// mutex_, so the two orders never cross.
class SharedSynth {
public:
    static SharedSynth& Instance() {
        static auto* synth = new SharedSynth;  // never destroyed: the hook may outlive statics
        return *synth;
    }

    // False (and no user added) when the output is closed or no sound font
    // loads.
    bool Acquire() {
        std::lock_guard<std::mutex> registration(registrationMutex_);
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
            return false;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!MakeLocked(frequency)) {
                return false;
            }
            fluid_synth_system_reset(synth_);
            ++users_;
        }
        Mix_HookMusic(&SharedSynth::Render, this);
        return true;
    }

    // After the last user has gone the synthesizer is no longer rendered.
    void Release() {
        std::lock_guard<std::mutex> registration(registrationMutex_);
        bool unused = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (users_ > 0) {
                --users_;
            }
            unused = users_ == 0;
            if (unused && synth_ != nullptr) {
                fluid_synth_all_sounds_off(synth_, -1);
            }
        }
        if (unused) {
            Mix_HookMusic(nullptr, nullptr);
        }
    }

    void Send(uint32_t message) {
        const int status = static_cast<int>(message & 0xFF);
        const int channel = status & 0x0F;
        const int data1 = static_cast<int>((message >> 8) & 0x7F);
        const int data2 = static_cast<int>((message >> 16) & 0x7F);
        std::lock_guard<std::mutex> lock(mutex_);
        if (synth_ == nullptr) {
            return;
        }
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

    void Silence() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (synth_ != nullptr) {
            fluid_synth_all_sounds_off(synth_, -1);
        }
    }

    int Made() {
        std::lock_guard<std::mutex> lock(mutex_);
        return made_;
    }

private:
    bool MakeLocked(int frequency) {
        if (synth_ != nullptr && frequency == frequency_) {
            return true;
        }
        const char* soundFont = FindSoundFont();
        if (soundFont == nullptr) {
            return false;
        }
        QuietFluidLogs();
        fluid_settings_t* settings = new_fluid_settings();
        if (settings == nullptr) {
            return false;
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
            return false;
        }
        ++made_;
        if (synth_ != nullptr) {
            delete_fluid_synth(synth_);
            delete_fluid_settings(settings_);
        }
        settings_ = settings;
        synth_ = synth;
        frequency_ = frequency;
        return true;
    }

    static void SDLCALL Render(void* self, Uint8* stream, int length) {
        static_cast<SharedSynth*>(self)->Mix(stream, length);
    }

    void Mix(Uint8* stream, int length) {
        if (length <= 0) {
            return;
        }
        SDL_memset(stream, 0, static_cast<size_t>(length));
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || channels <= 0 ||
            (format != AUDIO_S16SYS && format != AUDIO_F32SYS)) {
            return;
        }
        const float volume = static_cast<float>(Mix_MasterVolume(-1)) / MIX_MAX_VOLUME;
        const size_t sampleBytes = format == AUDIO_S16SYS ? 2 : 4;
        const size_t frames = static_cast<size_t>(length) / (sampleBytes * channels);
        std::lock_guard<std::mutex> lock(mutex_);
        if (synth_ == nullptr || users_ == 0) {
            return;
        }
        left_.assign(frames, 0.0f);
        right_.assign(frames, 0.0f);
        fluid_synth_write_float(synth_, static_cast<int>(frames), left_.data(), 0, 1, right_.data(),
                                0, 1);
        for (size_t i = 0; i < frames; ++i) {
            for (int c = 0; c < channels && c < 2; ++c) {
                const float mixed =
                    channels == 1 ? (left_[i] + right_[i]) * 0.5f : (c == 0 ? left_[i] : right_[i]);
                float value = std::clamp(mixed * volume, -1.0f, 1.0f);
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
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    int frequency_ = 0;
    int users_ = 0;
    int made_ = 0;
    std::vector<float> left_, right_;
};

// A stream's hold on the shared synthesizer.
class FluidSynthOutput final : public MidiOutput {
public:
    // Null when the synthesizer cannot be had.
    static std::unique_ptr<MidiOutput> Create() {
        if (!SharedSynth::Instance().Acquire()) {
            return nullptr;
        }
        return std::unique_ptr<MidiOutput>(new FluidSynthOutput);
    }

    ~FluidSynthOutput() override { SharedSynth::Instance().Release(); }

    void Send(uint32_t message) override { SharedSynth::Instance().Send(message); }
    void Silence() override { SharedSynth::Instance().Silence(); }

private:
    FluidSynthOutput() = default;
};

class SilentOutput final : public MidiOutput {
public:
    void Send(uint32_t) override {}
    void Silence() override {}
};

// Plays queued buffers on its own thread, in the clock's time.
class SequencedMidiStream final : public MidiStream {
public:
    SequencedMidiStream(MidiStreamClient& client, std::unique_ptr<MidiOutput> output,
                        std::shared_ptr<MidiClock> clock)
        : client_(client), output_(std::move(output)), clock_(std::move(clock)) {
        anchor_ = clock_->NowMicros();
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
    int64_t DeltaMicros(uint32_t ticks) const;
    void Play(const MidiStreamEvent& event);

    MidiStreamClient& client_;
    std::unique_ptr<MidiOutput> output_;
    std::shared_ptr<MidiClock> clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<MidiStreamBuffer*> queue_;
    std::deque<MidiStreamBuffer*> handBack_;
    size_t nextEvent_ = 0;  // in the front buffer
    bool running_ = false;
    bool closing_ = false;
    // The time the last event was due, and while paused how far past it the
    // stream had got (microseconds of the clock).
    int64_t anchor_ = 0;
    int64_t pausedAfterAnchor_ = 0;
    uint32_t tempo_ = kDefaultTempo;
    uint32_t division_ = kDefaultDivision;
    std::thread thread_;
};

bool SequencedMidiStream::SetTimeDivision(uint32_t division) {
    if (division == 0 || division > 0xFFFF || (division & kSmpteDivisionBit) != 0) {
        return false;
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
        anchor_ = clock_->NowMicros() - pausedAfterAnchor_;
        pausedAfterAnchor_ = 0;
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
        pausedAfterAnchor_ = clock_->NowMicros() - anchor_;
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
    pausedAfterAnchor_ = 0;
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

int64_t SequencedMidiStream::DeltaMicros(uint32_t ticks) const {
    // tempo_ is below 2^24 and ticks below 2^32: the product fits.
    const auto micros = static_cast<int64_t>(uint64_t{ticks} * tempo_ / division_);
    return std::min(micros, kLongestDeltaMicros);
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
            clock_->Wait(lock, wake_, MidiClock::kNoDueTime);
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
        const int64_t due = anchor_ + DeltaMicros(event.deltaTicks);
        if (clock_->NowMicros() < due) {
            // Woken early by a command, or on time: look again either way.
            clock_->Wait(lock, wake_, due);
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
                                                    std::unique_ptr<MidiOutput> output,
                                                    std::shared_ptr<MidiClock> clock) {
    if (output == nullptr) {
        return nullptr;
    }
    if (clock == nullptr) {
        clock = std::make_shared<SteadyMidiClock>();
    }
    return std::make_unique<SequencedMidiStream>(client, std::move(output), std::move(clock));
}

int MidiSynthesizersMade() {
    return SharedSynth::Instance().Made();
}

int64_t SimulatedMidiClock::NowMicros() {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

void SimulatedMidiClock::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                              int64_t dueMicros) {
    {
        std::lock_guard<std::mutex> clockLock(mutex_);
        if (dueMicros != kNoDueTime && now_ >= dueMicros) {
            return;
        }
        ++waits_;
        waiting_.notify_all();
    }
    // Neither Advance nor Settle knows the stream: it looks again soon, and
    // each look counts as a new wait.
    wake.wait_for(lock, std::chrono::milliseconds(1));
}

bool SimulatedMidiClock::Advance(int64_t micros) {
    std::unique_lock<std::mutex> lock(mutex_);
    now_ += micros;
    const uint64_t before = waits_;
    return waiting_.wait_for(lock, std::chrono::seconds(5), [&] { return waits_ > before; });
}

bool SimulatedMidiClock::Settle() {
    std::unique_lock<std::mutex> lock(mutex_);
    const uint64_t before = waits_;
    return waiting_.wait_for(lock, std::chrono::seconds(5), [&] { return waits_ > before; });
}

void SetMidiStreamFactory(MidiStreamFactory factory) {
    std::lock_guard<std::mutex> lock(factoryMutex);
    InstalledFactory() = std::move(factory);
}

class RecordingMidiOutput final : public MidiOutput {
public:
    RecordingMidiOutput(std::shared_ptr<MidiOutputRecord> record, std::shared_ptr<MidiClock> clock)
        : record_(std::move(record)), clock_(std::move(clock)) {}

    void Send(uint32_t message) override {
        const int64_t now = clock_ != nullptr ? clock_->NowMicros() : 0;
        std::lock_guard<std::mutex> lock(record_->mutex_);
        record_->sent_.push_back(MidiOutputRecord::Sent{now, message});
    }
    void Silence() override {
        std::lock_guard<std::mutex> lock(record_->mutex_);
        ++record_->silences_;
    }

private:
    std::shared_ptr<MidiOutputRecord> record_;
    std::shared_ptr<MidiClock> clock_;
};

std::vector<MidiOutputRecord::Sent> MidiOutputRecord::SentSoFar() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

std::vector<uint32_t> MidiOutputRecord::Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint32_t> messages;
    for (const Sent& sent : sent_) {
        messages.push_back(sent.message);
    }
    return messages;
}

int MidiOutputRecord::Silences() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return silences_;
}

void MidiOutputRecord::Forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    sent_.clear();
    silences_ = 0;
}

std::ostream& operator<<(std::ostream& out, const MidiOutputRecord::Sent& sent) {
    char bytes[16];
    std::snprintf(bytes, sizeof bytes, "%02X %02X %02X", sent.message & 0xFF,
                  (sent.message >> 8) & 0xFF, (sent.message >> 16) & 0xFF);
    return out << bytes << " at " << sent.micros << " us";
}

std::unique_ptr<MidiOutput> MakeRecordingMidiOutput(std::shared_ptr<MidiOutputRecord> record,
                                                    std::shared_ptr<MidiClock> clock) {
    if (record == nullptr) {
        return nullptr;
    }
    return std::make_unique<RecordingMidiOutput>(std::move(record), std::move(clock));
}

ManualMidiStream::ManualMidiStream(MidiStreamClient& client) : client_(client) {}

bool ManualMidiStream::SetTimeDivision(uint32_t division) {
    calls_.push_back("Division " + std::to_string(division));
    if (division == 0 || division > 0xFFFF || (division & kSmpteDivisionBit) != 0 || closed_) {
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
