#pragma once
// The audio library: sound effects and music decoded from memory into
// streams, each stream one channel that plays, pauses, stops and reports
// whether it is active, under one output volume.
//
// Rules:
//  - A library is loaded (LoadAudioLibrary), then initialised on an output
//    device; nothing plays before Init succeeds or after Free.
//  - Stream handles are nonzero and never reused by a library; an unknown or
//    freed handle fails every channel call and is inactive.
//  - A stream's bytes stay the caller's: they must outlive the stream
//    (StreamFree or Free), as with the original library.
//  - Playing without restart resumes a paused channel, leaves a playing one
//    alone and starts a stopped or finished one from its beginning; playing
//    with restart always starts from the beginning.
//  - Volumes run from 0.0 to 1.0; values outside are clamped.
//  - The default library plays through SDL2_mixer on the default device.
//    Without a device Init fails. Tests install a factory, usually one that
//    makes a RecordingAudioLibrary.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace platform {

using AudioHandle = uint32_t;

// Answers of ChannelIsActive.
inline constexpr int kChannelStopped = 0;
inline constexpr int kChannelPlaying = 1;
inline constexpr int kChannelStalled = 2;
inline constexpr int kChannelPaused = 3;

// Channel attributes.
inline constexpr uint32_t kChannelAttributeVolume = 2;

inline constexpr int kDefaultAudioDevice = -1;

class AudioLibrary {
public:
    virtual ~AudioLibrary() = default;

    // Opens the output device (-1: the default one) at the given rate. The
    // window is the one the output belongs to; flags are reserved (0).
    virtual bool Init(int device, uint32_t frequency, uint32_t flags, WindowId window) = 0;
    // Starts the output again after Stop.
    virtual bool Start() = 0;
    // Pauses every channel that is playing until Start.
    virtual bool Stop() = 0;
    // Frees every stream and closes the device.
    virtual bool Free() = 0;

    // The output volume, over every channel and the MIDI synthesizer
    // (MidiStream.h); GetVolume answers -1 before Init.
    virtual bool SetVolume(float volume) = 0;
    virtual float GetVolume() = 0;

    // A stream over a complete sound file (wave, Ogg Vorbis, MP3) in memory.
    // 0 when the data cannot be decoded or the library is not initialised.
    virtual AudioHandle StreamCreateFromMemory(const void* data, size_t size, uint32_t flags) = 0;
    virtual bool StreamFree(AudioHandle stream) = 0;

    virtual bool ChannelPlay(AudioHandle channel, bool restart) = 0;
    virtual bool ChannelPause(AudioHandle channel) = 0;
    virtual bool ChannelStop(AudioHandle channel) = 0;
    // kChannelStopped, kChannelPlaying, kChannelStalled or kChannelPaused.
    virtual int ChannelIsActive(AudioHandle channel) = 0;
    virtual bool ChannelSetAttribute(AudioHandle channel, uint32_t attribute, float value) = 0;
};

// A new library from the installed factory, or the SDL2_mixer one. Null when
// the library cannot be loaded.
std::unique_ptr<AudioLibrary> LoadAudioLibrary();

// Replaces how libraries are made; an empty function restores SDL2_mixer.
using AudioLibraryFactory = std::function<std::unique_ptr<AudioLibrary>()>;
void SetAudioLibraryFactory(AudioLibraryFactory factory);

// What a RecordingAudioLibrary was asked to do. It outlives the library, so
// a test can read it after its owner has freed the library.
struct AudioRecord {
    struct Stream {
        AudioHandle handle = 0;
        std::vector<uint8_t> bytes;  // a copy of what the stream was made from
        bool freed = false;
        int activity = kChannelStopped;
        int starts = 0;    // plays from the beginning
        int restarts = 0;  // plays asked with restart
        int resumes = 0;   // plays that resumed a paused channel
        int pauses = 0;
        int stops = 0;
        float volume = 1.0f;
    };

    // Knobs.
    bool initSucceeds = true;
    bool decodeSucceeds = true;

    // Every call in order: "Init -1 44100 0", "Start", "Stop", "Free",
    // "SetVolume 0.5", "Create 1", "Free 1", "Play 1 restart", "Play 1",
    // "Pause 1", "Stop 1", "Attribute 1 2 0.25".
    std::vector<std::string> calls;
    bool initialised = false;
    WindowId window = 0;
    float volume = 1.0f;
    std::vector<Stream> streams;

    Stream* Find(AudioHandle handle);
    // Makes a playing channel end, as if it had played to its end.
    void Finish(AudioHandle handle);
};

// A library without a device that records every call in an AudioRecord and
// keeps each stream's activity as the calls leave it.
class RecordingAudioLibrary : public AudioLibrary {
public:
    explicit RecordingAudioLibrary(std::shared_ptr<AudioRecord> record);

    bool Init(int device, uint32_t frequency, uint32_t flags, WindowId window) override;
    bool Start() override;
    bool Stop() override;
    bool Free() override;
    bool SetVolume(float volume) override;
    float GetVolume() override;
    AudioHandle StreamCreateFromMemory(const void* data, size_t size, uint32_t flags) override;
    bool StreamFree(AudioHandle stream) override;
    bool ChannelPlay(AudioHandle channel, bool restart) override;
    bool ChannelPause(AudioHandle channel) override;
    bool ChannelStop(AudioHandle channel) override;
    int ChannelIsActive(AudioHandle channel) override;
    bool ChannelSetAttribute(AudioHandle channel, uint32_t attribute, float value) override;

private:
    AudioRecord::Stream* Live(AudioHandle handle);

    std::shared_ptr<AudioRecord> record_;
};

}  // namespace platform
