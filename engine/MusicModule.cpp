#include "engine/MusicModule.h"

#include <new>
#include <string>

#include "engine/EngineUtils.h"
#include "engine/GameCore.h"
#include "engine/MissedResources.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"

namespace {

constexpr uint32_t kOutputFrequency = 44100;
constexpr size_t kRecordsPerChunk = 32;

bool IsMidiExtension(uint32_t extensionHash) {
    return extensionHash == GetNameHash(".mid") || extensionHash == GetNameHash(".midi");
}

}  // namespace

MusicModule::MusicModule() {
    recordPool_.Init(sizeof(PlayRecord), kRecordsPerChunk);
}

MusicModule::~MusicModule() {
    FreeRecords();
    midi_.reset();
    if (audio_ != nullptr) {
        audio_->Free();
    }
}

int MusicModule::Init() {
    if (FindModule(kResourceModuleId) == nullptr) {
        return 0;
    }
    std::unique_ptr<platform::AudioLibrary> audio = platform::LoadAudioLibrary();
    const platform::WindowId window = GetCore() != nullptr ? GetCore()->GetWindowHandle() : 0;
    if (audio == nullptr ||
        !audio->Init(platform::kDefaultAudioDevice, kOutputFrequency, 0, window)) {
        return 0;
    }
    audio->Start();
    const float volume = audio->GetVolume();
    masterVolume_ = volume >= 0.0f ? volume : 1.0f;
    audio_ = std::move(audio);
    SetInterval(kMusicModuleInterval);
    return 1;
}

int MusicModule::Uninit() {
    // The object module has gone by now: the plays end without notices.
    FreeRecords();
    midi_.reset();
    midiKey_ = ResKey{};
    if (audio_ != nullptr) {
        audio_->Stop();
        audio_->Free();
    }
    sounds_.clear();
    audio_.reset();
    return 1;
}

int MusicModule::HandleMessage(int id, void* p, int n) {
    (void)id;
    (void)p;
    (void)n;
    return 1;
}

int MusicModule::Tick() {
    DrainMessages();
    PlayRecord** link = &playing_;
    while (*link != nullptr) {
        PlayRecord* record = *link;
        if (IsSoundActive(record->channel) != platform::kChannelStopped) {
            link = &record->next;
            continue;
        }
        if (--record->remainingPlays <= 0) {
            *link = record->next;
            const EventRecord notification = record->notification;
            recordPool_.Free(record);
            NotifySoundEnd(notification);
            continue;
        }
        ResumeSound(record->channel, 1);
        link = &record->next;
    }
    return 1;
}

void MusicModule::SetSoundOff(int flag) {
    soundOff_ = flag;
}

ResKey MusicModule::SoundKey(std::string_view name) {
    return GetResKey(GetFileTitle(name) + ".sound");
}

uint32_t MusicModule::PlaySound(std::string_view name, int plays, const EventRecord* notification) {
    if (audio_ == nullptr || soundOff_ != 0) {
        return 0;
    }
    const ResKey key = SoundKey(name);
    auto* resources = dynamic_cast<ResourceModule*>(FindModule(kResourceModuleId));
    if (resources != nullptr && !resources->HasResource(key) && !name.empty()) {
        NoteMissedResource(name);
    }
    return PlaySoundByKey(key, plays, notification);
}

uint32_t MusicModule::PlaySoundByKey(const ResKey& key, int plays,
                                     const EventRecord* notification) {
    if (audio_ == nullptr) {
        return 0;
    }
    const auto loaded = sounds_.find(key);
    if (loaded != sounds_.end()) {
        return PlayChannel(loaded->second.stream, plays, notification);
    }
    uint32_t handle = 0;
    if (!LoadSound(key, handle)) {
        return 0;
    }
    if (handle != kMidiHandle) {
        return PlayChannel(handle, plays, notification);
    }
    PlayMidi(plays, notification);
    return 0;
}

int MusicModule::LoadSound(const ResKey& key, uint32_t& handle) {
    handle = 0;
    auto* resources = dynamic_cast<ResourceModule*>(FindModule(kResourceModuleId));
    if (audio_ == nullptr || resources == nullptr || !resources->HasResource(key)) {
        return 0;
    }
    const auto loaded = sounds_.find(key);
    if (loaded != sounds_.end()) {
        handle = loaded->second.stream;
        return 1;
    }
    ResourceData data = resources->TakeResourceData(key);
    if (data.bytes == nullptr) {
        return 0;
    }
    if (IsMidiExtension(data.extensionHash)) {
        DeleteMidiPlayer();
        auto player = std::make_unique<MidiPlayer>();
        if (!player->Load(std::move(data.bytes), data.size, 0)) {
            return 0;
        }
        midi_ = std::move(player);
        midiKey_ = key;
        return 1;
    }
    const platform::AudioHandle stream =
        audio_->StreamCreateFromMemory(data.bytes.get(), data.size, 0);
    if (stream == 0) {
        // Nothing to keep: a handle of 0 would stand for the MIDI player.
        return 0;
    }
    sounds_.emplace(key, LoadedSound{stream, std::move(data.bytes)});
    handle = stream;
    return 1;
}

uint32_t MusicModule::PlayChannel(uint32_t handle, int plays, const EventRecord* notification) {
    if (audio_ == nullptr || handle == kMidiHandle) {
        return 0;
    }
    audio_->ChannelPlay(handle, false);
    AppendRecord(handle, plays, notification);
    return handle;
}

int MusicModule::PlayMidi(int plays, const EventRecord* notification) {
    if (midi_ == nullptr) {
        return 0;
    }
    RestartMidi();
    AppendRecord(kMidiHandle, plays, notification);
    return 1;
}

void MusicModule::RestartMidi() {
    if (midi_->IsPaused()) {
        midi_->Stop(1);
    }
    midi_->Play(0);
}

void MusicModule::AppendRecord(uint32_t channel, int plays, const EventRecord* notification) {
    void* memory = recordPool_.Alloc(sizeof(PlayRecord));
    if (memory == nullptr) {
        return;
    }
    auto* record = new (memory) PlayRecord;
    record->channel = channel;
    record->remainingPlays = plays;
    if (notification != nullptr) {
        record->notification = *notification;
    }
    PlayRecord** link = &playing_;
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    *link = record;
}

void MusicModule::EndRecordsOf(uint32_t channel) {
    PlayRecord** link = &playing_;
    while (*link != nullptr) {
        PlayRecord* record = *link;
        if (record->channel != channel) {
            link = &record->next;
            continue;
        }
        *link = record->next;
        const EventRecord notification = record->notification;
        recordPool_.Free(record);
        NotifySoundEnd(notification);
    }
}

void MusicModule::FreeRecords() {
    while (playing_ != nullptr) {
        PlayRecord* record = playing_;
        playing_ = record->next;
        recordPool_.Free(record);
    }
}

size_t MusicModule::PlayingCount() const {
    size_t count = 0;
    for (const PlayRecord* record = playing_; record != nullptr; record = record->next) {
        ++count;
    }
    return count;
}

void MusicModule::SetVolume(float volume) {
    masterVolume_ = volume;
    if (audio_ != nullptr) {
        audio_->SetVolume(volume);
    }
}

float MusicModule::GetVolume() {
    return audio_ != nullptr ? audio_->GetVolume() : masterVolume_;
}

void MusicModule::UnloadSound(std::string_view name) {
    const auto loaded = sounds_.find(SoundKey(name));
    if (loaded == sounds_.end()) {
        DeleteMidiPlayer();
        return;
    }
    // The stream's plays end here rather than wait out their count on a
    // freed handle.
    EndRecordsOf(loaded->second.stream);
    if (audio_ != nullptr) {
        audio_->StreamFree(loaded->second.stream);
    }
    sounds_.erase(loaded);
}

void MusicModule::DeleteMidiPlayer() {
    if (midi_ == nullptr) {
        return;
    }
    EndRecordsOf(kMidiHandle);
    midi_.reset();
    midiKey_ = ResKey{};
}

int MusicModule::PauseSound(uint32_t handle) {
    if (handle != kMidiHandle) {
        return audio_ != nullptr && audio_->ChannelPause(handle) ? 1 : 0;
    }
    if (midi_ == nullptr) {
        return 0;
    }
    midi_->Pause();
    return 1;
}

int MusicModule::ResumeSound(uint32_t handle, int restart) {
    if (handle != kMidiHandle) {
        return audio_ != nullptr && audio_->ChannelPlay(handle, restart != 0) ? 1 : 0;
    }
    if (midi_ == nullptr) {
        return 0;
    }
    if (restart != 0) {
        RestartMidi();
    } else {
        midi_->Play(0);
    }
    return 1;
}

int MusicModule::StopSound(uint32_t handle) {
    EndRecordsOf(handle);
    if (handle != kMidiHandle) {
        return audio_ != nullptr && audio_->ChannelStop(handle) ? 1 : 0;
    }
    return midi_ != nullptr ? midi_->Stop(0) : 0;
}

void MusicModule::StopAllSounds() {
    while (playing_ != nullptr) {
        PlayRecord* record = playing_;
        playing_ = record->next;
        if (record->channel != kMidiHandle) {
            if (audio_ != nullptr) {
                audio_->ChannelStop(record->channel);
            }
        } else if (midi_ != nullptr) {
            midi_->Stop(0);
        }
        const EventRecord notification = record->notification;
        recordPool_.Free(record);
        NotifySoundEnd(notification);
    }
}

int MusicModule::IsSoundActive(uint32_t handle) {
    if (handle != kMidiHandle) {
        return audio_ != nullptr ? audio_->ChannelIsActive(handle) : platform::kChannelStopped;
    }
    return midi_ != nullptr ? midi_->IsPlaying() : 0;
}

void MusicModule::NotifySoundEnd(const EventRecord& notification) {
    // Nothing is posted to a module that is not there: the record would
    // never be freed.
    if (notification.event == 0 || FindModule(kObjectModuleId) == nullptr) {
        return;
    }
    EventRecord* copy = NewHeapEventRecord(notification);
    if (copy != nullptr) {
        PostMessage(kObjectModuleId, kMsgDeliverHeapEvent, copy, 0);
    }
}

int MusicModule::SetChannelAttribute(uint32_t handle, uint32_t attribute, float value) {
    return audio_ != nullptr && audio_->ChannelSetAttribute(handle, attribute, value) ? 1 : 0;
}

int MusicModule::IsSoundPlaying(std::string_view name) {
    const ResKey key = SoundKey(name);
    const auto loaded = sounds_.find(key);
    if (loaded != sounds_.end()) {
        return IsSoundActive(loaded->second.stream) != platform::kChannelStopped ? 1 : 0;
    }
    return midi_ != nullptr && midiKey_ == key ? midi_->IsPlaying() : 0;
}

int MusicModule::StopSoundByName(std::string_view name) {
    const ResKey key = SoundKey(name);
    const auto loaded = sounds_.find(key);
    if (loaded != sounds_.end()) {
        return StopSound(loaded->second.stream);
    }
    return midi_ != nullptr && midiKey_ == key ? StopSound(kMidiHandle) : 0;
}
