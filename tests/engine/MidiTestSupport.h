#pragma once
// Helpers for the MIDI tests: Standard MIDI Files written byte by byte; an
// installed stream factory that hands out ManualMidiStreams and knows which
// of them are still alive; and one that hands out sequenced streams in
// simulated time, noting when each message was sent.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/MidiStream.h"

using MidiBytes = std::vector<uint8_t>;

inline MidiBytes Vlq(uint32_t value) {
    MidiBytes out{static_cast<uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0) {
        out.insert(out.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
    }
    return out;
}

// A track body: events appended with their delta times.
class TrackWriter {
public:
    TrackWriter& Event(uint32_t delta, MidiBytes bytes) {
        Append(Vlq(delta));
        Append(bytes);
        return *this;
    }
    TrackWriter& NoteOn(uint32_t delta, uint8_t channel, uint8_t key, uint8_t velocity = 100) {
        return Event(delta, {static_cast<uint8_t>(0x90 | channel), key, velocity});
    }
    TrackWriter& Tempo(uint32_t delta, uint32_t micros) {
        return Event(delta, {0xFF, 0x51, 0x03, static_cast<uint8_t>(micros >> 16),
                             static_cast<uint8_t>(micros >> 8), static_cast<uint8_t>(micros)});
    }
    TrackWriter& End(uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }
    // Raw bytes, for broken events.
    TrackWriter& Append(const MidiBytes& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const MidiBytes& Bytes() const { return bytes_; }

private:
    MidiBytes bytes_;
};

inline void PutBe32(MidiBytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

inline void PutBe16(MidiBytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

inline MidiBytes MidiFile(uint16_t division, const std::vector<MidiBytes>& tracks,
                          uint16_t format = 1) {
    MidiBytes out{'M', 'T', 'h', 'd'};
    PutBe32(out, 6);
    PutBe16(out, format);
    PutBe16(out, static_cast<uint16_t>(tracks.size()));
    PutBe16(out, division);
    for (const MidiBytes& track : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBe32(out, static_cast<uint32_t>(track.size()));
        out.insert(out.end(), track.begin(), track.end());
    }
    return out;
}

inline std::unique_ptr<uint8_t[]> CopyBytes(const MidiBytes& bytes) {
    auto copy = std::make_unique<uint8_t[]>(bytes.size() + 1);
    if (!bytes.empty()) {
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    }
    return copy;
}

// Installs a factory of manual streams for the fixture's life.
class ManualStreams {
public:
    ManualStreams() {
        platform::SetMidiStreamFactory(
            [this](int device,
                   platform::MidiStreamClient& client) -> std::unique_ptr<platform::MidiStream> {
                devices.push_back(device);
                if (refuse) {
                    return nullptr;
                }
                auto stream = std::make_unique<Tracked>(client, *this);
                stream->SetReturnsBuffersOnStop(returnBuffers);
                alive_.push_back(stream.get());
                ++made;
                return stream;
            });
    }
    ~ManualStreams() { platform::SetMidiStreamFactory(nullptr); }
    ManualStreams(const ManualStreams&) = delete;
    ManualStreams& operator=(const ManualStreams&) = delete;

    // The newest stream still alive, or null.
    platform::ManualMidiStream* Last() const { return alive_.empty() ? nullptr : alive_.back(); }
    size_t AliveCount() const { return alive_.size(); }

    bool refuse = false;
    bool returnBuffers = true;
    int made = 0;
    std::vector<int> devices;

private:
    class Tracked : public platform::ManualMidiStream {
    public:
        Tracked(platform::MidiStreamClient& client, ManualStreams& owner)
            : ManualMidiStream(client), owner_(owner) {}
        ~Tracked() override {
            auto& alive = owner_.alive_;
            alive.erase(std::remove(alive.begin(), alive.end(), this), alive.end());
        }

    private:
        ManualStreams& owner_;
    };

    std::vector<platform::ManualMidiStream*> alive_;
};

// Installs a factory of sequenced streams on one simulated clock for the
// fixture's life; what they send is recorded with its time.
class SimulatedStreams {
public:
    SimulatedStreams() {
        platform::SetMidiStreamFactory([this](int, platform::MidiStreamClient& client) {
            return platform::OpenSequencedMidiStream(
                client, platform::MakeRecordingMidiOutput(output, clock), clock);
        });
    }
    ~SimulatedStreams() { platform::SetMidiStreamFactory(nullptr); }
    SimulatedStreams(const SimulatedStreams&) = delete;
    SimulatedStreams& operator=(const SimulatedStreams&) = delete;

    const std::shared_ptr<platform::SimulatedMidiClock> clock =
        std::make_shared<platform::SimulatedMidiClock>();
    const std::shared_ptr<platform::MidiOutputRecord> output =
        std::make_shared<platform::MidiOutputRecord>();
};
