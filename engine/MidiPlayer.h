#pragma once
// The MIDI player: plays a Standard MIDI File held in memory through a MIDI
// stream. It turns the file's events into two stream buffers of at most 85
// events (1024 bytes of 12-byte events, about 60 ms of music each) and
// refills each one when the stream hands it back.
//
// Rules:
//  - Load takes the file once; the header, every track chunk and each
//    track's first delta time are checked against the file's size. Later
//    reads check every length, delta time and running status as well: a
//    broken event ends its track with OnParseError, never a read past the
//    track's end. A file timed in SMPTE frames is refused with a line in
//    the engine log; a tempo event of 0 is skipped and the tempo holds.
//  - State 0 playing, 100 stopping, 200 stopped, 300 end of song reached.
//    When the song has ended the player rewinds and is ready to play again
//    (its playing flag clears); Stop waits at most the stop wait (2000 ms)
//    for the stream to hand its buffers back, and a stream that does not is
//    closed so that it never touches them again.
//  - The stream's callbacks run on the stream's thread; everything they
//    share with the caller's thread is guarded by the player's lock, which
//    is never held while waiting for the stream or closing it.
//  - A controller 7 (channel volume) event is reported back when played:
//    the channel's volume is kept in percent and message 1047 goes to the
//    notification window when there is one.
//  - A class that overrides the error hooks calls Stop(0) in its own
//    destructor, so that no callback of the stream reaches it half gone.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Messages.h"
#include "platform/MidiStream.h"
#include "platform/Sync.h"

inline constexpr uint32_t kMidiVolumeMessage = 1047;

class MidiPlayer : public platform::MidiStreamClient {
public:
    static constexpr int kStatePlaying = 0;
    static constexpr int kStateStopping = 100;
    static constexpr int kStateStopped = 200;
    static constexpr int kStateEndOfSong = 300;

    // Codes given to OnMidiError.
    static constexpr int kErrorOpen = 1;
    static constexpr int kErrorTimeDivision = 2;
    static constexpr int kErrorQueue = 3;
    static constexpr int kErrorRestart = 4;

    static constexpr size_t kBufferBytes = 1024;
    static constexpr size_t kStreamEventBytes = 12;
    static constexpr size_t kEventsPerBuffer = kBufferBytes / kStreamEventBytes;
    static constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note
    static constexpr uint32_t kDefaultStopWaitMs = 2000;
    static constexpr int kMidiMapper = -1;

    MidiPlayer();
    ~MidiPlayer() override;
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Takes the file (size bytes; the block may be longer) and opens the
    // stream with its first two buffers queued. 1, or 0 for a refused file,
    // a stream that cannot be set up, or a second Load.
    int Load(std::unique_ptr<uint8_t[]> data, size_t size, platform::WindowId window);
    // A paused player resumes; a playing one starts again from its beginning
    // (or, with the loop flag set before, from where it was). 0 before Load.
    int Play(int loop);
    // Stops, then either sets the stream up again (reopen) or closes it.
    // Unless the loop flag is set, the song is rewound.
    int Stop(int reopen);
    void Pause();
    void Resume();
    void Rewind();

    int IsPlaying() const;
    int IsPaused() const;
    int GetState() const;
    uint32_t GetElapsedTicks() const;
    // Percent; 100 until a controller 7 event of that channel is played.
    int GetChannelVolume(int channel) const;
    uint16_t GetFormat() const { return format_; }
    uint16_t GetTrackCount() const { return trackCount_; }
    uint16_t GetDivision() const { return division_; }
    void SetStopWait(uint32_t ms) { stopWaitMs_ = ms; }

    virtual void OnMidiError(int code) { (void)code; }
    virtual void OnParseError(int track, const char* text) {
        (void)track;
        (void)text;
    }
    void OnStreamOpen() override {}
    void OnStreamClose() override {}
    void OnBufferDone(platform::MidiStreamBuffer& buffer) override;
    void OnPositionCallback(platform::MidiStreamBuffer& buffer,
                            const platform::MidiStreamEvent& event) override;

private:
    static constexpr uint32_t kTrackEnded = 0x2;
    static constexpr int kEndOfSong = -103;

    struct Track {
        uint32_t flags = 0;
        size_t start = 0;  // offsets into the file
        size_t end = 0;
        size_t position = 0;
        uint32_t pendingDelta = 0;  // ticks until its next event
        uint8_t runningStatus = 0;
    };

    struct Buffer {
        platform::MidiStreamBuffer stream;
        uint32_t ticks = 0;  // the time its events cover
        bool queued = false;
    };

    enum class EventRead { Emitted, Skipped, TrackEnded };

    bool ReadHeaderLocked(const uint8_t* data, size_t size);
    bool SetUpStreamLocked();
    bool QueueLocked(Buffer& buffer);
    int FillBufferLocked(Buffer& buffer);
    // The track whose next event is due first (the first one on ties), or -1.
    int NextTrackLocked() const;
    EventRead ReadEventLocked(int index, platform::MidiStreamEvent& out);
    bool ReadDelta(Track& track, uint32_t& delta) const;
    bool ReadLength(Track& track, uint32_t& length) const;
    void EndTrack(Track& track) { track.flags |= kTrackEnded; }
    void ParseErrorLocked(int index, const char* text);
    void RewindLocked();
    void SetTempoLocked(uint32_t tempo);
    // Stream handed every buffer back after the end of the song.
    void FinishSongLocked();
    // Takes the stream out under the lock and closes it outside.
    void CloseStream(std::unique_lock<std::recursive_mutex>& lock);

    mutable std::recursive_mutex mutex_;
    std::unique_ptr<uint8_t[]> data_;  // the file; tracks index into it
    uint16_t format_ = 0;
    uint16_t trackCount_ = 0;
    uint16_t division_ = 0;

    bool loaded_ = false;
    bool playing_ = false;
    bool paused_ = false;
    bool loop_ = false;
    std::unique_ptr<platform::MidiStream> stream_;
    uint32_t elapsedTicks_ = 0;
    bool startFromBeginning_ = true;
    uint32_t tempo_ = kDefaultTempo;
    uint32_t timeLimit_ = 0;     // ticks per buffer at the current tempo
    uint32_t carriedTicks_ = 0;  // time of skipped events, given to the next one
    bool songFilled_ = false;    // the filler has reached the end of the song
    int device_ = kMidiMapper;
    int queued_ = 0;
    int state_ = kStateStopped;
    platform::Event buffersBack_{platform::Event::Mode::AutoReset};
    uint32_t stopWaitMs_ = kDefaultStopWaitMs;
    platform::WindowId window_ = 0;

    std::vector<Track> tracks_;
    std::array<int, 16> channelVolumes_{};
    std::array<Buffer, 2> buffers_;
};
