#pragma once
// The music module (id 1004): plays the sound effects and the music of the
// resource packs. Sounds (".sound" resources) are streams of the audio
// library; MIDI resources (extension ".mid" or ".midi") are played by one
// MIDI player at a time, whose handle is 0.
//
// Rules:
//  - Init fails when the resource module is not loaded or the audio library
//    cannot open an output device; the game then runs without sound.
//  - A sound is loaded on its first play and kept, with the bytes taken
//    from the resource module, until it is unloaded or the module stops.
//  - Each play is remembered with its remaining plays. The tick (every
//    100 ms) starts a finished sound again until its plays are used up, then
//    forgets it and, when its notification names an event, posts a copy to
//    the object module as message 1019. Stopping a remembered sound notifies
//    at once.
//  - While the sound-off flag is set, PlaySound starts nothing.
//  - Everything runs on the UI thread; the MIDI player keeps its own lock
//    for its stream's thread.

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>

#include "engine/EventRecord.h"
#include "engine/MemPool.h"
#include "engine/MidiPlayer.h"
#include "engine/ModuleBase.h"
#include "engine/ResKey.h"
#include "platform/Audio.h"

inline constexpr uint32_t kMusicModuleMaxQueue = 8096;
inline constexpr uint32_t kMusicModuleInterval = 100;
inline constexpr uint32_t kMidiHandle = 0;

class MusicModule : public ModuleBase {
public:
    MusicModule();
    ~MusicModule() override;

    int Init() override;
    int Uninit() override;
    int Tick() override;
    int GetModuleID() const override { return kMusicModuleId; }
    const char* GetModuleName() const override { return "MusicModule"; }
    // Every message is ignored.
    int HandleMessage(int id, void* p, int n) override;
    uint32_t GetMaxQueue() const override { return kMusicModuleMaxQueue; }

    virtual void SetSoundOff(int flag);
    // The stream handle; 0 for a MIDI resource or when nothing plays. A null
    // notification asks for none.
    virtual uint32_t PlaySoundByKey(const ResKey& key, int plays, const EventRecord* notification);
    // The name's title followed by ".sound" is the resource's name.
    virtual uint32_t PlaySound(std::string_view name, int plays, const EventRecord* notification);
    virtual void SetVolume(float volume);
    virtual float GetVolume();
    // Frees a loaded sound; a name that is not loaded deletes the MIDI player.
    virtual void UnloadSound(std::string_view name);
    virtual int PauseSound(uint32_t handle);
    virtual int StopSound(uint32_t handle);
    virtual int ResumeSound(uint32_t handle, int restart);
    virtual void StopAllSounds();
    // An audio channel's activity (0 stopped, 1 playing, 3 paused), or for
    // handle 0 whether the MIDI player plays.
    virtual int IsSoundActive(uint32_t handle);
    // 1 when the resource is loaded (handle 0 for MIDI, which makes a new
    // MIDI player), 0 when it is missing or cannot be decoded.
    virtual int LoadSound(const ResKey& key, uint32_t& handle);
    virtual uint32_t PlayChannel(uint32_t handle, int plays, const EventRecord* notification);
    virtual int PlayMidi(int plays, const EventRecord* notification);
    virtual void NotifySoundEnd(const EventRecord& notification);
    // Straight to the audio library (attribute 2 is the volume, 0.0 to 1.0).
    int SetChannelAttribute(uint32_t handle, uint32_t attribute, float value);

    // The table view's by-name forms of IsSoundActive and StopSound: the
    // sound loaded under the name, or the MIDI player when it came from that
    // name. 0 when neither.
    int IsSoundPlaying(std::string_view name);
    int StopSoundByName(std::string_view name);

    int IsSoundOff() const { return soundOff_; }
    size_t PlayingCount() const;
    size_t LoadedSoundCount() const { return sounds_.size(); }
    // The MIDI player, for reading its state; null when there is none.
    const MidiPlayer* GetMidiPlayer() const { return midi_.get(); }

private:
    struct PlayRecord {
        uint32_t channel = 0;  // 0: the MIDI player
        int remainingPlays = 0;
        EventRecord notification;
        PlayRecord* next = nullptr;
    };

    struct LoadedSound {
        platform::AudioHandle stream = 0;
        std::unique_ptr<uint8_t[]> data;  // the stream plays from these bytes
    };

    static ResKey SoundKey(std::string_view name);
    void AppendRecord(uint32_t channel, int plays, const EventRecord* notification);
    // Forgets every record of the channel, notifying each.
    void EndRecordsOf(uint32_t channel);
    void FreeRecords();
    // Ends the MIDI player's plays and deletes it.
    void DeleteMidiPlayer();
    void RestartMidi();

    float masterVolume_ = 1.0f;
    int soundOff_ = 0;
    CMemPool recordPool_;
    PlayRecord* playing_ = nullptr;
    // Declared so that they go in this order: the MIDI player, then the
    // library (which frees the streams), then the bytes the streams read.
    std::map<ResKey, LoadedSound, ResKeyLess> sounds_;
    std::unique_ptr<platform::AudioLibrary> audio_;
    std::unique_ptr<MidiPlayer> midi_;
    ResKey midiKey_;
};
