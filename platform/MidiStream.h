#pragma once
// MIDI streams: an owner queues buffers of timed MIDI events; the stream
// plays them in order on its own thread and hands each buffer back through
// the owner's done callback when its last event has been played.
//
// Rules:
//  - A stream opens paused: queued buffers wait until Restart.
//  - Event times are delta ticks from the event before, converted with the
//    time division (ticks per quarter note; SMPTE divisions are refused) and
//    the tempo (microseconds per quarter note, 500000 until a tempo event
//    changes it; a tempo of 0 is ignored and the old one holds).
//  - The owner does not touch a buffer from Out until its done callback.
//  - Callbacks (open, close, done, position) run on the stream's thread,
//    with no lock of the stream held, so they may queue buffers again and
//    call Stop or Reset. Stop and Reset hand every queued buffer back
//    through done callbacks from the stream's thread, never inside the call;
//    nothing is called back after Close returns. A stream is never closed or
//    destroyed from inside its own callbacks.
//  - The default stream sounds through the process's one FluidSynth
//    synthesizer, made with the General MIDI sound font on first use and
//    reset (every note off, every channel's program and controllers back to
//    their defaults) for each new stream. It is rendered into the audio
//    library's output (Audio.h) under the output's volume while that is
//    open; without it, or without the sound font, the stream keeps its
//    timing and callbacks but is silent. Tests install a factory, often one
//    that makes a ManualMidiStream.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// One event of a stream buffer: the event word holds the type in its high
// byte (with the callback flag) and the parameter in the low 24 bits.
struct MidiStreamEvent {
    uint32_t deltaTicks = 0;
    uint32_t streamId = 0;
    uint32_t event = 0;
};

inline constexpr uint32_t kMidiEventShortMessage = 0x00;  // status | data1 << 8 | data2 << 16
inline constexpr uint32_t kMidiEventTempo = 0x01;         // microseconds per quarter note
inline constexpr uint32_t kMidiEventNop = 0x02;
inline constexpr uint32_t kMidiEventCallbackFlag = 0x40000000;

constexpr uint32_t MakeMidiEvent(uint32_t type, uint32_t parameter) {
    return (type << 24) | (parameter & 0xFFFFFF);
}
constexpr uint32_t MidiEventType(uint32_t event) {
    return (event >> 24) & 0x3F;
}
constexpr uint32_t MidiEventParameter(uint32_t event) {
    return event & 0xFFFFFF;
}

// A buffer of events lent to a stream.
struct MidiStreamBuffer {
    std::vector<MidiStreamEvent> events;
};

// What a stream calls back.
class MidiStreamClient {
public:
    virtual ~MidiStreamClient() = default;
    virtual void OnStreamOpen() {}
    virtual void OnStreamClose() {}
    virtual void OnBufferDone(MidiStreamBuffer& buffer) = 0;
    // After an event with kMidiEventCallbackFlag has been played.
    virtual void OnPositionCallback(MidiStreamBuffer& buffer, const MidiStreamEvent& event) = 0;
};

class MidiStream {
public:
    virtual ~MidiStream() = default;

    // Ticks per quarter note, 1 to 32767. False for 0 and for SMPTE
    // divisions (bit 15 set), which are not played.
    virtual bool SetTimeDivision(uint32_t division) = 0;
    // Queues the buffer behind the others. False for null, a buffer already
    // queued, or a closed stream.
    virtual bool Out(MidiStreamBuffer* buffer) = 0;
    // Starts or resumes playing.
    virtual bool Restart() = 0;
    // Holds the position; sounding notes are silenced.
    virtual bool Pause() = 0;
    // Stops at position 0, silences every note and hands back every buffer.
    virtual bool Stop() = 0;
    // Silences every note and hands back every buffer.
    virtual bool Reset() = 0;
    // Ends the stream's thread; buffers still queued are forgotten.
    virtual void Close() = 0;
};

// Where a sequenced stream sends its short messages.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    virtual void Send(uint32_t shortMessage) = 0;
    // Every note on every channel off at once.
    virtual void Silence() = 0;
};

// Where a sequenced stream reads the time and waits for it.
class MidiClock {
public:
    static constexpr int64_t kNoDueTime = -1;

    virtual ~MidiClock() = default;
    // Microseconds from a fixed start; never goes back.
    virtual int64_t NowMicros() = 0;
    // Called on the stream's thread with the stream's lock held: waits until
    // wake is notified or, unless dueMicros is kNoDueTime, the clock reaches
    // dueMicros. It may return early; the stream looks again.
    virtual void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                      int64_t dueMicros) = 0;
};

// The installed factory's stream, or a sequenced stream to the default
// output. The device is -1 (the default synthesizer) or 0. Null when the
// stream cannot be opened.
std::unique_ptr<MidiStream> OpenMidiStream(int device, MidiStreamClient& client);

// A sequenced stream on its own thread to the given output, timed by the
// clock (null: real time).
std::unique_ptr<MidiStream> OpenSequencedMidiStream(MidiStreamClient& client,
                                                    std::unique_ptr<MidiOutput> output,
                                                    std::shared_ptr<MidiClock> clock = nullptr);

// How many General MIDI synthesizers this process has made, each with its
// own load of the sound font: one, unless the audio output reopened at
// another rate.
int MidiSynthesizersMade();

// Replaces how OpenMidiStream makes streams; an empty function restores the
// default.
using MidiStreamFactory = std::function<std::unique_ptr<MidiStream>(int, MidiStreamClient&)>;
void SetMidiStreamFactory(MidiStreamFactory factory);

// Simulated time for sequenced streams: it moves only when told, and then
// waits until the stream's thread has caught up with it. Meant for one
// stream at a time.
class SimulatedMidiClock : public MidiClock {
public:
    int64_t NowMicros() override;
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
              int64_t dueMicros) override;

    // Moves the time on by micros, then Settle.
    bool Advance(int64_t micros);
    // Waits (5 s at most) until the stream's thread has gone back to waiting
    // after what the caller did last: everything due has been played and
    // called back. False when it did not in time.
    bool Settle();

private:
    std::mutex mutex_;
    std::condition_variable waiting_;
    int64_t now_ = 0;
    uint64_t waits_ = 0;  // how often the stream's thread has begun to wait
};

// What a recording output was sent: each short message with its clock's
// time then, and how often it was silenced. It outlives the output, so a
// test can read it while the stream's thread plays and after it has gone.
class MidiOutputRecord {
public:
    struct Sent {
        int64_t micros = 0;
        uint32_t message = 0;
        bool operator==(const Sent&) const = default;
    };

    std::vector<Sent> SentSoFar() const;
    std::vector<uint32_t> Messages() const;
    int Silences() const;
    void Forget();

private:
    friend class RecordingMidiOutput;

    mutable std::mutex mutex_;
    std::vector<Sent> sent_;
    int silences_ = 0;
};

// "90 3C 64 at 500000 us": the message's bytes in hex and its time.
std::ostream& operator<<(std::ostream& out, const MidiOutputRecord::Sent& sent);

// An output that only records, timed by the clock (null: every time is 0).
std::unique_ptr<MidiOutput> MakeRecordingMidiOutput(std::shared_ptr<MidiOutputRecord> record,
                                                    std::shared_ptr<MidiClock> clock = nullptr);

// A stream without a thread or a clock: the caller plays its buffers one at
// a time, on the caller's thread. By default Stop and Reset hand the
// buffers back at once, inside the call; a stream told not to keeps them
// for ever, like a driver that never returns its buffers.
class ManualMidiStream : public MidiStream {
public:
    explicit ManualMidiStream(MidiStreamClient& client);

    bool SetTimeDivision(uint32_t division) override;
    bool Out(MidiStreamBuffer* buffer) override;
    bool Restart() override;
    bool Pause() override;
    bool Stop() override;
    bool Reset() override;
    void Close() override;

    // Plays the oldest queued buffer: a position callback for each flagged
    // event, then its done callback. False when nothing is queued.
    bool PlayNextBuffer();
    void SetReturnsBuffersOnStop(bool returns) { returnsBuffersOnStop_ = returns; }

    size_t QueuedCount() const { return queue_.size(); }
    const MidiStreamBuffer& Queued(size_t index) const { return *queue_.at(index); }
    bool IsRunning() const { return running_; }
    bool IsClosed() const { return closed_; }
    uint32_t TimeDivision() const { return division_; }
    // "Division 96", "Out", "Restart", "Pause", "Stop", "Reset", "Close".
    const std::vector<std::string>& Calls() const { return calls_; }

private:
    void ReturnAll();

    MidiStreamClient& client_;
    std::deque<MidiStreamBuffer*> queue_;
    std::vector<std::string> calls_;
    uint32_t division_ = 96;
    bool running_ = false;
    bool closed_ = false;
    bool returnsBuffersOnStop_ = true;
};

}  // namespace platform
