#pragma once
// The sign queries put to the hall and waiting for its answer (copy-data
// dwData 14, which the communication thread's wait dialog receives). Each
// query has a token that the hall gives back at byte 268 of its answer.
//
// Rules:
//  - Any thread may answer; the asking thread waits. The blocks are guarded
//    by one lock and kept until this object ends, so a late answer still
//    writes into live memory; the answer's text is written before the
//    query's event is set.
//  - An answer that cannot be deciphered, is shorter than its record, or
//    names no open query changes nothing (one log line). One whose user id
//    is not the query's still wakes the asker, with an empty text.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Sync.h"

class CHallSignQueries {
public:
    static constexpr size_t kSignTextMax = 255;  // the answer field, less its terminator

    CHallSignQueries() = default;
    CHallSignQueries(const CHallSignQueries&) = delete;
    CHallSignQueries& operator=(const CHallSignQueries&) = delete;

    // Opens a query for the user; its token.
    uint32_t Open(int32_t userId);
    // Waits up to the time for the query's answer: its text, or nothing
    // when no answer came (or the token is unknown).
    std::optional<std::string> Wait(uint32_t token, uint32_t timeoutMs);
    // The hall's enciphered answer, as it arrived.
    void Answer(std::span<const uint8_t> enciphered);

private:
    struct Query {
        uint32_t token = 0;
        int32_t userId = 0;
        platform::Event answered{platform::Event::Mode::ManualReset};
        std::string text;  // written before `answered` is set
    };
    Query* Find(uint32_t token);

    std::mutex lock_;
    std::vector<std::unique_ptr<Query>> queries_;
    uint32_t nextToken_ = 1;
};
