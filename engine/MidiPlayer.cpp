#include "engine/MidiPlayer.h"

#include <algorithm>
#include <cstring>

#include "engine/EngineLog.h"

namespace {

using platform::MidiStreamEvent;

// The tempo as written; a faster or slower tempo would scale it.
constexpr uint32_t kTempoPercent = 100;
// Delta times and lengths are at most four bytes of seven bits.
constexpr int kMaxQuantityBytes = 4;

constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysExEvent = 0xF0;
constexpr uint8_t kSysExEscape = 0xF7;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kChannelVolumeController = 7;

constexpr uint16_t kSmpteDivisionBit = 0x8000;
constexpr size_t kHeaderChunkSize = 14;
constexpr size_t kChunkHeaderSize = 8;

uint32_t ReadBe32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t ReadBe16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// A variable-length quantity (seven bits a byte, high bit set on all but the
// last) at position, which moves past it. False when it runs past end or
// over four bytes.
bool ReadQuantity(const uint8_t* data, size_t& position, size_t end, uint32_t& value) {
    value = 0;
    for (int count = 0; count < kMaxQuantityBytes; ++count) {
        if (position >= end) {
            return false;
        }
        const uint8_t byte = data[position++];
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

bool IsChannelVolumeEvent(uint32_t event) {
    if (platform::MidiEventType(event) != platform::kMidiEventShortMessage) {
        return false;
    }
    const uint32_t message = platform::MidiEventParameter(event);
    return (message & 0xF0) == kControlChange &&
           ((message >> 8) & 0x7F) == kChannelVolumeController;
}

}  // namespace

MidiPlayer::MidiPlayer() {
    channelVolumes_.fill(100);
    for (Buffer& buffer : buffers_) {
        buffer.stream.events.reserve(kEventsPerBuffer);
    }
}

MidiPlayer::~MidiPlayer() {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    CloseStream(lock);
}

int MidiPlayer::Load(std::unique_ptr<uint8_t[]> data, size_t size, platform::WindowId window) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    if (loaded_ || data == nullptr || !ReadHeaderLocked(data.get(), size)) {
        return 0;
    }
    data_ = std::move(data);
    window_ = window;
    channelVolumes_.fill(100);
    RewindLocked();
    state_ = kStateStopped;
    if (!SetUpStreamLocked()) {
        CloseStream(lock);
        return 0;
    }
    loaded_ = true;
    return 1;
}

bool MidiPlayer::ReadHeaderLocked(const uint8_t* data, size_t size) {
    if (size < kHeaderChunkSize || std::memcmp(data, "MThd", 4) != 0 || ReadBe32(data + 4) != 6) {
        return false;
    }
    const uint16_t division = ReadBe16(data + 12);
    // Without ticks per quarter note no time can be computed.
    if (division == 0) {
        return false;
    }
    if ((division & kSmpteDivisionBit) != 0) {
        EngineLog("MIDI file refused: SMPTE time division (%d frames a second, %d ticks a frame)",
                  -static_cast<int8_t>(division >> 8), division & 0xFF);
        return false;
    }
    const uint16_t trackCount = ReadBe16(data + 10);
    std::vector<Track> tracks;
    size_t position = kHeaderChunkSize;
    for (uint16_t i = 0; i < trackCount; ++i) {
        if (size - position < kChunkHeaderSize || std::memcmp(data + position, "MTrk", 4) != 0) {
            return false;
        }
        const uint32_t length = ReadBe32(data + position + 4);
        position += kChunkHeaderSize;
        if (length > size - position) {
            return false;
        }
        Track track;
        track.start = position;
        track.end = position + length;
        // A track's first delta time must lie inside it.
        size_t at = track.start;
        uint32_t delta = 0;
        if (length > 0 && !ReadQuantity(data, at, track.end, delta)) {
            return false;
        }
        tracks.push_back(track);
        position += length;
    }
    format_ = ReadBe16(data + 8);
    trackCount_ = trackCount;
    division_ = division;
    tracks_ = std::move(tracks);
    return true;
}

bool MidiPlayer::SetUpStreamLocked() {
    if (stream_ == nullptr) {
        stream_ = platform::OpenMidiStream(device_, *this);
        if (stream_ == nullptr) {
            OnMidiError(kErrorOpen);
            return false;
        }
    }
    if (!stream_->SetTimeDivision(division_)) {
        OnMidiError(kErrorTimeDivision);
        return false;
    }
    for (Buffer& buffer : buffers_) {
        if (buffer.queued || songFilled_) {
            continue;
        }
        if (FillBufferLocked(buffer) == kEndOfSong) {
            songFilled_ = true;
        }
        if (!buffer.stream.events.empty() && !QueueLocked(buffer)) {
            return false;
        }
    }
    return true;
}

bool MidiPlayer::QueueLocked(Buffer& buffer) {
    if (stream_ == nullptr || !stream_->Out(&buffer.stream)) {
        OnMidiError(kErrorQueue);
        return false;
    }
    buffer.queued = true;
    ++queued_;
    return true;
}

int MidiPlayer::Play(int loop) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    if (!loaded_) {
        return 0;
    }
    if (paused_) {
        paused_ = false;
        if (stream_ != nullptr) {
            stream_->Restart();
        }
        return 1;
    }
    if (playing_) {
        // Stop waits for the stream's thread, which needs the lock.
        lock.unlock();
        Stop(1);
        lock.lock();
    }
    if (stream_ == nullptr && !SetUpStreamLocked()) {
        return 0;
    }
    loop_ = loop != 0;
    if (queued_ == 0) {
        // Nothing left to play: the song is over as soon as it starts.
        state_ = kStateStopped;
        return 1;
    }
    state_ = kStatePlaying;
    if (!stream_->Restart()) {
        OnMidiError(kErrorRestart);
        state_ = kStateStopped;
        return 0;
    }
    playing_ = true;
    return 1;
}

int MidiPlayer::Stop(int reopen) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    if (!loaded_) {
        return 0;
    }
    playing_ = false;
    paused_ = false;
    if (queued_ > 0 && stream_ != nullptr) {
        state_ = kStateStopping;
        buffersBack_.Reset();
        // A stream may hand the buffers back inside these calls or later, on
        // its own thread.
        stream_->Stop();
        stream_->Reset();
        if (queued_ > 0) {
            lock.unlock();
            buffersBack_.Wait(stopWaitMs_);
            lock.lock();
        }
        if (queued_ > 0) {
            // The stream kept its buffers: it must never touch them again.
            CloseStream(lock);
        }
    }
    state_ = kStateStopped;
    if (!loop_) {
        RewindLocked();
    }
    if (reopen) {
        SetUpStreamLocked();
    } else {
        CloseStream(lock);
    }
    return 1;
}

void MidiPlayer::CloseStream(std::unique_lock<std::recursive_mutex>& lock) {
    std::unique_ptr<platform::MidiStream> stream = std::move(stream_);
    for (Buffer& buffer : buffers_) {
        buffer.queued = false;
    }
    queued_ = 0;
    // Whatever was queued goes with the stream; the song is filled again.
    if (stream == nullptr) {
        return;
    }
    lock.unlock();
    stream->Close();
    stream.reset();
    lock.lock();
}

void MidiPlayer::Pause() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!playing_ || paused_ || stream_ == nullptr) {
        return;
    }
    stream_->Pause();
    paused_ = true;
}

void MidiPlayer::Resume() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!paused_ || stream_ == nullptr) {
        return;
    }
    stream_->Restart();
    paused_ = false;
}

void MidiPlayer::Rewind() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (loaded_) {
        RewindLocked();
    }
}

void MidiPlayer::RewindLocked() {
    for (Track& track : tracks_) {
        track.position = track.start;
        track.runningStatus = 0;
        track.pendingDelta = 0;
        track.flags = 0;
        if (track.start == track.end || !ReadDelta(track, track.pendingDelta)) {
            EndTrack(track);
        }
    }
    elapsedTicks_ = 0;
    carriedTicks_ = 0;
    songFilled_ = false;
    startFromBeginning_ = true;
    SetTempoLocked(kDefaultTempo);
}

void MidiPlayer::SetTempoLocked(uint32_t tempo) {
    tempo_ = tempo;
    // Ticks in 60 ms at this tempo: division x 375 x 160 / tempo. A tempo of
    // 0 never comes here.
    const uint64_t limit = uint64_t{division_} * 375 * 160 / tempo;
    timeLimit_ = static_cast<uint32_t>(std::min<uint64_t>(limit, 0xFFFFFFFFu));
}

int MidiPlayer::IsPlaying() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return playing_ ? 1 : 0;
}

int MidiPlayer::IsPaused() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return paused_ ? 1 : 0;
}

int MidiPlayer::GetState() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return state_;
}

uint32_t MidiPlayer::GetElapsedTicks() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return elapsedTicks_;
}

int MidiPlayer::GetChannelVolume(int channel) const {
    if (channel < 0 || channel >= static_cast<int>(channelVolumes_.size())) {
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return channelVolumes_[static_cast<size_t>(channel)];
}

int MidiPlayer::NextTrackLocked() const {
    int next = -1;
    for (size_t i = 0; i < tracks_.size(); ++i) {
        const Track& track = tracks_[i];
        if ((track.flags & kTrackEnded) != 0) {
            continue;
        }
        if (next < 0 || track.pendingDelta < tracks_[static_cast<size_t>(next)].pendingDelta) {
            next = static_cast<int>(i);
        }
    }
    return next;
}

int MidiPlayer::FillBufferLocked(Buffer& buffer) {
    std::vector<MidiStreamEvent>& events = buffer.stream.events;
    events.clear();
    buffer.ticks = 0;
    if (startFromBeginning_) {
        startFromBeginning_ = false;
        events.push_back(MidiStreamEvent{
            0, 0,
            platform::MakeMidiEvent(platform::kMidiEventTempo, tempo_ * 100 / kTempoPercent)});
    }
    while (events.size() < kEventsPerBuffer) {
        if (!events.empty() && buffer.ticks > timeLimit_) {
            return 0;
        }
        const int index = NextTrackLocked();
        if (index < 0) {
            if (carriedTicks_ > 0) {
                // The rest after the last event, so the song keeps its length.
                events.push_back(MidiStreamEvent{
                    carriedTicks_, 0, platform::MakeMidiEvent(platform::kMidiEventNop, 0)});
                buffer.ticks += carriedTicks_;
                carriedTicks_ = 0;
            }
            return kEndOfSong;
        }
        // Time moves on to the chosen event for every track.
        const uint32_t delta = tracks_[static_cast<size_t>(index)].pendingDelta;
        for (Track& track : tracks_) {
            if ((track.flags & kTrackEnded) == 0) {
                track.pendingDelta -= delta;
            }
        }
        const uint64_t carried = uint64_t{carriedTicks_} + delta;
        carriedTicks_ = static_cast<uint32_t>(std::min<uint64_t>(carried, 0x0FFFFFFF));
        MidiStreamEvent event;
        if (ReadEventLocked(index, event) != EventRead::Emitted) {
            continue;
        }
        event.deltaTicks = carriedTicks_;
        buffer.ticks += carriedTicks_;
        carriedTicks_ = 0;
        events.push_back(event);
    }
    return 0;
}

bool MidiPlayer::ReadDelta(Track& track, uint32_t& delta) const {
    return ReadLength(track, delta);
}

bool MidiPlayer::ReadLength(Track& track, uint32_t& value) const {
    return ReadQuantity(data_.get(), track.position, track.end, value);
}

void MidiPlayer::ParseErrorLocked(int index, const char* text) {
    EndTrack(tracks_[static_cast<size_t>(index)]);
    OnParseError(index, text);
}

MidiPlayer::EventRead MidiPlayer::ReadEventLocked(int index, MidiStreamEvent& out) {
    Track& track = tracks_[static_cast<size_t>(index)];
    const uint8_t* data = data_.get();
    if (track.position >= track.end) {
        EndTrack(track);
        return EventRead::TrackEnded;
    }
    uint8_t status = data[track.position];
    if ((status & 0x80) != 0) {
        ++track.position;
    } else if (track.runningStatus != 0) {
        status = track.runningStatus;
    } else {
        ParseErrorLocked(index, "Reference to missing running status.");
        return EventRead::TrackEnded;
    }

    EventRead result = EventRead::Skipped;
    if (status < kSysExEvent) {
        track.runningStatus = status;
        const uint8_t kind = status & 0xF0;
        const size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (track.end - track.position < dataBytes) {
            ParseErrorLocked(index, "Channel event truncated");
            return EventRead::TrackEnded;
        }
        const uint32_t data1 = data[track.position] & 0x7F;
        const uint32_t data2 = dataBytes == 2 ? (data[track.position + 1] & 0x7F) : 0;
        track.position += dataBytes;
        out.streamId = 0;
        out.event = platform::MakeMidiEvent(platform::kMidiEventShortMessage,
                                            status | (data1 << 8) | (data2 << 16));
        if (kind == kControlChange && data1 == kChannelVolumeController) {
            out.event |= platform::kMidiEventCallbackFlag;
        }
        result = EventRead::Emitted;
    } else if (status == kMetaEvent) {
        uint32_t length = 0;
        if (track.position >= track.end) {
            ParseErrorLocked(index, "Meta event truncated (length)");
            return EventRead::TrackEnded;
        }
        const uint8_t type = data[track.position++];
        if (!ReadLength(track, length)) {
            ParseErrorLocked(index, "Meta event truncated (length)");
            return EventRead::TrackEnded;
        }
        if (length > track.end - track.position) {
            ParseErrorLocked(index, "Meta event truncated");
            return EventRead::TrackEnded;
        }
        const uint8_t* body = data + track.position;
        track.position += length;
        if (type == kMetaEndOfTrack) {
            EndTrack(track);
            return EventRead::TrackEnded;
        }
        if (type == kMetaTempo && length == 3) {
            const uint32_t tempo = (uint32_t{body[0]} << 16) | (uint32_t{body[1]} << 8) | body[2];
            // A tempo of 0 would stop time; it is ignored.
            if (tempo != 0) {
                SetTempoLocked(tempo);
                out.streamId = 0;
                out.event =
                    platform::MakeMidiEvent(platform::kMidiEventTempo, tempo * 100 / kTempoPercent);
                result = EventRead::Emitted;
            }
        }
    } else if (status == kSysExEvent || status == kSysExEscape) {
        uint32_t length = 0;
        if (!ReadLength(track, length)) {
            ParseErrorLocked(index, "SysEx event truncated (length)");
            return EventRead::TrackEnded;
        }
        if (length > track.end - track.position) {
            ParseErrorLocked(index, "SysEx event truncated");
            return EventRead::TrackEnded;
        }
        track.position += length;
    } else {
        ParseErrorLocked(index, "Unknown event status");
        return EventRead::TrackEnded;
    }

    if (track.position >= track.end) {
        // A track without an end-of-track event ends with its data.
        EndTrack(track);
    } else if (!ReadDelta(track, track.pendingDelta)) {
        ParseErrorLocked(index, "Delta time truncated");
    }
    return result;
}

void MidiPlayer::OnBufferDone(platform::MidiStreamBuffer& returned) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    Buffer* buffer = nullptr;
    for (Buffer& candidate : buffers_) {
        if (&candidate.stream == &returned && candidate.queued) {
            buffer = &candidate;
        }
    }
    if (buffer == nullptr) {
        return;
    }
    buffer->queued = false;
    --queued_;
    switch (state_) {
        case kStateStopped:
            return;
        case kStateStopping:
            if (queued_ == 0) {
                state_ = kStateStopped;
                buffersBack_.Set();
            }
            return;
        case kStateEndOfSong:
            if (queued_ == 0) {
                FinishSongLocked();
            }
            return;
        default:
            break;
    }
    elapsedTicks_ += buffer->ticks;
    if (!songFilled_) {
        if (FillBufferLocked(*buffer) == kEndOfSong) {
            songFilled_ = true;
        }
        if (!buffer->stream.events.empty()) {
            QueueLocked(*buffer);
        }
    }
    if (songFilled_) {
        state_ = kStateEndOfSong;
        if (queued_ == 0) {
            FinishSongLocked();
        }
    }
}

void MidiPlayer::FinishSongLocked() {
    // Ready to play again from the beginning: the stream is stopped (so the
    // new buffers wait) and the first two buffers are queued.
    state_ = kStateStopped;
    playing_ = false;
    paused_ = false;
    if (stream_ != nullptr) {
        stream_->Stop();
    }
    RewindLocked();
    if (stream_ != nullptr) {
        SetUpStreamLocked();
    }
    buffersBack_.Set();
}

void MidiPlayer::OnPositionCallback(platform::MidiStreamBuffer& buffer,
                                    const MidiStreamEvent& event) {
    (void)buffer;
    if (!IsChannelVolumeEvent(event.event)) {
        return;
    }
    const uint32_t message = platform::MidiEventParameter(event.event);
    const uint32_t channel = message & 0x0F;
    const uint32_t value = (message >> 16) & 0x7F;
    platform::WindowId window = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        channelVolumes_[channel] = static_cast<int>(value * 100 / 127);
        window = window_;
    }
    if (window != 0) {
        const auto level = static_cast<platform::LParam>(value * 5 * 20 / 127);
        platform::PostMessage(window, kMidiVolumeMessage, reinterpret_cast<platform::WParam>(this),
                              (level << 16) | static_cast<platform::LParam>(channel));
    }
}
