#include "platform/Audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

namespace platform {

namespace {

float ClampVolume(float volume) {
    if (!(volume >= 0.0f)) {  // also NaN
        return 0.0f;
    }
    return volume > 1.0f ? 1.0f : volume;
}

int MixerVolume(float volume) {
    return static_cast<int>(std::lround(ClampVolume(volume) * MIX_MAX_VOLUME));
}

// The library on SDL2_mixer. Each stream is a decoded chunk that plays on at
// most one mixer channel at a time; a channel belongs to the stream that last
// started on it, so a finished stream whose channel was taken by another one
// reads as stopped.
class MixerAudioLibrary final : public AudioLibrary {
public:
    ~MixerAudioLibrary() override { Free(); }

    bool Init(int device, uint32_t frequency, uint32_t flags, WindowId window) override;
    bool Start() override;
    bool Stop() override;
    bool Free() override;
    bool SetVolume(float volume) override;
    float GetVolume() override { return open_ ? volume_ : -1.0f; }
    AudioHandle StreamCreateFromMemory(const void* data, size_t size, uint32_t flags) override;
    bool StreamFree(AudioHandle stream) override;
    bool ChannelPlay(AudioHandle channel, bool restart) override;
    bool ChannelPause(AudioHandle channel) override;
    bool ChannelStop(AudioHandle channel) override;
    int ChannelIsActive(AudioHandle channel) override;
    bool ChannelSetAttribute(AudioHandle channel, uint32_t attribute, float value) override;

private:
    struct Stream {
        Mix_Chunk* chunk = nullptr;
        int channel = -1;  // the mixer channel it last started on
        float volume = 1.0f;
    };

    Stream* Find(AudioHandle handle);
    // Whether the stream still owns its mixer channel and it has not ended
    // (a paused channel has not ended).
    bool IsOnChannel(AudioHandle handle, const Stream& stream) const;
    bool StartOnFreeChannel(AudioHandle handle, Stream& stream);
    void Halt(AudioHandle handle, Stream& stream);

    // SDL_mixer has one device per process.
    static std::atomic<bool> deviceTaken_;

    bool open_ = false;
    float volume_ = 1.0f;
    AudioHandle nextHandle_ = 1;
    std::map<AudioHandle, Stream> streams_;
    std::vector<AudioHandle> channelOwner_;
    std::vector<int> pausedByStop_;
};

std::atomic<bool> MixerAudioLibrary::deviceTaken_{false};

// SDL's audio subsystem after a failed open is left up until the process
// ends (or the next open takes it over): shutting it down waits for its
// device-detection thread, which on a machine without a sound device cost the
// UI thread up to 100 ms at start-up. An open library owns its start of the
// subsystem and ends it in Free.
std::mutex g_subsystemMutex;
bool g_subsystemLeftUp = false;  // guarded by g_subsystemMutex

bool StartAudioSubsystem() {
    std::lock_guard lock(g_subsystemMutex);
    if (std::exchange(g_subsystemLeftUp, false)) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3);
    return true;
}

void LeaveAudioSubsystemUp() {
    std::lock_guard lock(g_subsystemMutex);
    g_subsystemLeftUp = true;
}

bool MixerAudioLibrary::Init(int device, uint32_t frequency, uint32_t flags, WindowId window) {
    (void)flags;
    (void)window;
    if (open_ || (device != kDefaultAudioDevice && device != 1) || frequency == 0 ||
        frequency > INT_MAX) {
        return false;
    }
    bool expected = false;
    if (!deviceTaken_.compare_exchange_strong(expected, true)) {
        return false;
    }
    if (!StartAudioSubsystem()) {
        deviceTaken_ = false;
        return false;
    }
    if (Mix_OpenAudio(static_cast<int>(frequency), MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
        std::fprintf(stderr, "audio: no output device: %s\n", Mix_GetError());
        LeaveAudioSubsystemUp();
        deviceTaken_ = false;
        return false;
    }
    const int channels = Mix_AllocateChannels(16);
    channelOwner_.assign(static_cast<size_t>(std::max(channels, 0)), 0);
    Mix_MasterVolume(MIX_MAX_VOLUME);
    volume_ = 1.0f;
    open_ = true;
    return true;
}

bool MixerAudioLibrary::Start() {
    if (!open_) {
        return false;
    }
    for (const int channel : pausedByStop_) {
        Mix_Resume(channel);
    }
    pausedByStop_.clear();
    return true;
}

bool MixerAudioLibrary::Stop() {
    if (!open_) {
        return false;
    }
    for (size_t channel = 0; channel < channelOwner_.size(); ++channel) {
        const int c = static_cast<int>(channel);
        if (Mix_Playing(c) && !Mix_Paused(c)) {
            Mix_Pause(c);
            pausedByStop_.push_back(c);
        }
    }
    return true;
}

bool MixerAudioLibrary::Free() {
    if (!open_) {
        return false;
    }
    Mix_HaltChannel(-1);
    for (auto& [handle, stream] : streams_) {
        Mix_FreeChunk(stream.chunk);
    }
    streams_.clear();
    channelOwner_.clear();
    pausedByStop_.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
    deviceTaken_ = false;
    return true;
}

bool MixerAudioLibrary::SetVolume(float volume) {
    if (!open_) {
        return false;
    }
    volume_ = ClampVolume(volume);
    Mix_MasterVolume(MixerVolume(volume_));
    return true;
}

AudioHandle MixerAudioLibrary::StreamCreateFromMemory(const void* data, size_t size,
                                                      uint32_t flags) {
    (void)flags;
    if (!open_ || data == nullptr || size == 0 || size > INT_MAX) {
        return 0;
    }
    SDL_RWops* source = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (source == nullptr) {
        return 0;
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 1);
    if (chunk == nullptr) {
        return 0;
    }
    const AudioHandle handle = nextHandle_++;
    if (nextHandle_ == 0) {
        nextHandle_ = 1;
    }
    streams_[handle] = Stream{chunk, -1, 1.0f};
    return handle;
}

bool MixerAudioLibrary::StreamFree(AudioHandle handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return false;
    }
    Halt(handle, *stream);
    Mix_FreeChunk(stream->chunk);
    streams_.erase(handle);
    return true;
}

MixerAudioLibrary::Stream* MixerAudioLibrary::Find(AudioHandle handle) {
    if (!open_) {
        return nullptr;
    }
    const auto it = streams_.find(handle);
    return it == streams_.end() ? nullptr : &it->second;
}

bool MixerAudioLibrary::IsOnChannel(AudioHandle handle, const Stream& stream) const {
    if (stream.channel < 0 || static_cast<size_t>(stream.channel) >= channelOwner_.size() ||
        channelOwner_[static_cast<size_t>(stream.channel)] != handle) {
        return false;
    }
    return Mix_Playing(stream.channel) != 0 && Mix_GetChunk(stream.channel) == stream.chunk;
}

bool MixerAudioLibrary::StartOnFreeChannel(AudioHandle handle, Stream& stream) {
    int channel = Mix_PlayChannel(-1, stream.chunk, 0);
    if (channel < 0) {
        // Every channel is busy: make room and try once more.
        const int count = static_cast<int>(channelOwner_.size());
        Mix_AllocateChannels(std::max(count * 2, 16));
        channel = Mix_PlayChannel(-1, stream.chunk, 0);
    }
    if (channel < 0) {
        stream.channel = -1;
        return false;
    }
    const auto index = static_cast<size_t>(channel);
    if (index >= channelOwner_.size()) {
        channelOwner_.resize(index + 1, 0);
    }
    channelOwner_[index] = handle;
    stream.channel = channel;
    Mix_Volume(channel, MixerVolume(stream.volume));
    return true;
}

void MixerAudioLibrary::Halt(AudioHandle handle, Stream& stream) {
    if (IsOnChannel(handle, stream)) {
        Mix_HaltChannel(stream.channel);
    }
    stream.channel = -1;
}

bool MixerAudioLibrary::ChannelPlay(AudioHandle handle, bool restart) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return false;
    }
    if (IsOnChannel(handle, *stream)) {
        if (!restart) {
            if (Mix_Paused(stream->channel)) {
                Mix_Resume(stream->channel);
            }
            return true;
        }
        Halt(handle, *stream);
    }
    return StartOnFreeChannel(handle, *stream);
}

bool MixerAudioLibrary::ChannelPause(AudioHandle handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr || !IsOnChannel(handle, *stream) || Mix_Paused(stream->channel)) {
        return false;
    }
    Mix_Pause(stream->channel);
    return true;
}

bool MixerAudioLibrary::ChannelStop(AudioHandle handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) {
        return false;
    }
    Halt(handle, *stream);
    return true;
}

int MixerAudioLibrary::ChannelIsActive(AudioHandle handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr || !IsOnChannel(handle, *stream)) {
        return kChannelStopped;
    }
    return Mix_Paused(stream->channel) ? kChannelPaused : kChannelPlaying;
}

bool MixerAudioLibrary::ChannelSetAttribute(AudioHandle handle, uint32_t attribute, float value) {
    Stream* stream = Find(handle);
    if (stream == nullptr || attribute != kChannelAttributeVolume) {
        return false;
    }
    stream->volume = ClampVolume(value);
    if (IsOnChannel(handle, *stream)) {
        Mix_Volume(stream->channel, MixerVolume(stream->volume));
    }
    return true;
}

std::mutex factoryMutex;

AudioLibraryFactory& InstalledFactory() {
    static AudioLibraryFactory factory;
    return factory;
}

std::string FormatFloat(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

}  // namespace

std::unique_ptr<AudioLibrary> LoadAudioLibrary() {
    AudioLibraryFactory factory;
    {
        std::lock_guard<std::mutex> lock(factoryMutex);
        factory = InstalledFactory();
    }
    if (factory) {
        return factory();
    }
    return std::make_unique<MixerAudioLibrary>();
}

void SetAudioLibraryFactory(AudioLibraryFactory factory) {
    std::lock_guard<std::mutex> lock(factoryMutex);
    InstalledFactory() = std::move(factory);
}

AudioRecord::Stream* AudioRecord::Find(AudioHandle handle) {
    for (Stream& stream : streams) {
        if (stream.handle == handle) {
            return &stream;
        }
    }
    return nullptr;
}

void AudioRecord::Finish(AudioHandle handle) {
    if (Stream* stream = Find(handle)) {
        stream->activity = kChannelStopped;
    }
}

RecordingAudioLibrary::RecordingAudioLibrary(std::shared_ptr<AudioRecord> record)
    : record_(std::move(record)) {}

bool RecordingAudioLibrary::Init(int device, uint32_t frequency, uint32_t flags, WindowId window) {
    record_->calls.push_back("Init " + std::to_string(device) + " " + std::to_string(frequency) +
                             " " + std::to_string(flags));
    if (!record_->initSucceeds || record_->initialised) {
        return false;
    }
    record_->initialised = true;
    record_->window = window;
    return true;
}

bool RecordingAudioLibrary::Start() {
    record_->calls.push_back("Start");
    return record_->initialised;
}

bool RecordingAudioLibrary::Stop() {
    record_->calls.push_back("Stop");
    return record_->initialised;
}

bool RecordingAudioLibrary::Free() {
    record_->calls.push_back("Free");
    if (!record_->initialised) {
        return false;
    }
    for (AudioRecord::Stream& stream : record_->streams) {
        stream.freed = true;
        stream.activity = kChannelStopped;
    }
    record_->initialised = false;
    return true;
}

bool RecordingAudioLibrary::SetVolume(float volume) {
    record_->calls.push_back("SetVolume " + FormatFloat(volume));
    if (!record_->initialised) {
        return false;
    }
    record_->volume = ClampVolume(volume);
    return true;
}

float RecordingAudioLibrary::GetVolume() {
    return record_->initialised ? record_->volume : -1.0f;
}

AudioHandle RecordingAudioLibrary::StreamCreateFromMemory(const void* data, size_t size,
                                                          uint32_t flags) {
    (void)flags;
    if (!record_->initialised || data == nullptr || size == 0 || !record_->decodeSucceeds) {
        record_->calls.push_back("Create failed");
        return 0;
    }
    AudioRecord::Stream stream;
    stream.handle = static_cast<AudioHandle>(record_->streams.size() + 1);
    const auto* bytes = static_cast<const uint8_t*>(data);
    stream.bytes.assign(bytes, bytes + size);
    record_->streams.push_back(stream);
    record_->calls.push_back("Create " + std::to_string(stream.handle));
    return stream.handle;
}

AudioRecord::Stream* RecordingAudioLibrary::Live(AudioHandle handle) {
    AudioRecord::Stream* stream = record_->Find(handle);
    return stream != nullptr && !stream->freed && record_->initialised ? stream : nullptr;
}

bool RecordingAudioLibrary::StreamFree(AudioHandle handle) {
    record_->calls.push_back("Free " + std::to_string(handle));
    AudioRecord::Stream* stream = Live(handle);
    if (stream == nullptr) {
        return false;
    }
    stream->freed = true;
    stream->activity = kChannelStopped;
    return true;
}

bool RecordingAudioLibrary::ChannelPlay(AudioHandle handle, bool restart) {
    record_->calls.push_back("Play " + std::to_string(handle) + (restart ? " restart" : ""));
    AudioRecord::Stream* stream = Live(handle);
    if (stream == nullptr) {
        return false;
    }
    if (restart) {
        ++stream->restarts;
    }
    if (!restart && stream->activity == kChannelPaused) {
        ++stream->resumes;
    } else if (restart || stream->activity == kChannelStopped) {
        ++stream->starts;
    }
    stream->activity = kChannelPlaying;
    return true;
}

bool RecordingAudioLibrary::ChannelPause(AudioHandle handle) {
    record_->calls.push_back("Pause " + std::to_string(handle));
    AudioRecord::Stream* stream = Live(handle);
    if (stream == nullptr || stream->activity != kChannelPlaying) {
        return false;
    }
    ++stream->pauses;
    stream->activity = kChannelPaused;
    return true;
}

bool RecordingAudioLibrary::ChannelStop(AudioHandle handle) {
    record_->calls.push_back("Stop " + std::to_string(handle));
    AudioRecord::Stream* stream = Live(handle);
    if (stream == nullptr) {
        return false;
    }
    ++stream->stops;
    stream->activity = kChannelStopped;
    return true;
}

int RecordingAudioLibrary::ChannelIsActive(AudioHandle handle) {
    AudioRecord::Stream* stream = Live(handle);
    return stream == nullptr ? kChannelStopped : stream->activity;
}

bool RecordingAudioLibrary::ChannelSetAttribute(AudioHandle handle, uint32_t attribute,
                                                float value) {
    record_->calls.push_back("Attribute " + std::to_string(handle) + " " +
                             std::to_string(attribute) + " " + FormatFloat(value));
    AudioRecord::Stream* stream = Live(handle);
    if (stream == nullptr || attribute != kChannelAttributeVolume) {
        return false;
    }
    stream->volume = ClampVolume(value);
    return true;
}

}  // namespace platform
