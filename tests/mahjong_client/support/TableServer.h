#pragma once
// The loopback game server of the table tests: the frame's script answers
// the frame's requests, and the table's requests (ids above 220000 but the
// look-on permission, which the frame's script keeps) are taken here:
// recorded with their bodies, read through the table protocol's records and
// answered as the test scripted them. Notifications go out as real frames.
//
// Default answers (each replaceable per id by SetAnswer):
//   222080 discard, 229020 chi, 229025 peng, 229030 hu, 229045/7/9 gangs
//             -> 10 without data
//   229000 own draw, 229060 hua -> 10 with the draw reply of the next
//             scripted draw (SetNextDraw), else no tile (-1)
//   229015 gang query -> 10 with the reply of SetGangOptions
//   229040 pass, 229550 look-card ask -> sent unwaited, never answered
//   any other waited game request -> 10 without data
//
// Rules:
//  - Everything it reads or writes of a table record goes through the
//    protocol header's checked reader and writer.
//  - The script may be changed from any thread while the client runs; the
//    handler runs on the server's thread.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "tools/test_server/FrameScript.h"
#include "tools/test_server/TestGameServer.h"

namespace table_test {

class TableServer {
public:
    struct Received {
        uint32_t id = 0;
        std::vector<uint8_t> body;
        bool waited = false;
    };
    struct Answer {
        uint32_t code = table_protocol::kResultDone;
        std::vector<uint8_t> data;
        bool silent = false;  // recorded, never answered (the client times out)
    };

    // Takes the server over; the frame's script answers what is not the
    // table's.
    explicit TableServer(testserver::TestGameServer& server);
    TableServer(const TableServer&) = delete;
    TableServer& operator=(const TableServer&) = delete;

    testserver::FrameScript& FrameRequests() { return frame_; }
    testserver::TestGameServer& Server() { return server_; }

    // --- Scripting ---
    void SetAnswer(uint32_t id, Answer answer);
    void SetResult(uint32_t id, uint32_t code) { SetAnswer(id, Answer{code, {}, false}); }
    void SetSilent(uint32_t id) { SetAnswer(id, Answer{0, {}, true}); }
    void ClearAnswer(uint32_t id);
    // The tile the next own draw (229000) or hua replacement (229060) gives.
    void SetNextDraw(int32_t tile, int32_t wallIndex, int32_t options);
    // The chairs' option words of the gang query's reply.
    void SetGangOptions(const std::array<int32_t, table_protocol::kMaxChairs>& options);

    // --- Notifications, as server frames ---
    bool Notify(int32_t id, std::span<const uint8_t> record);
    template <class Record>
    bool NotifyRecord(int32_t id, const Record& record) {
        return Notify(id, table_protocol::WriteTableRecord(record));
    }

    // --- What came ---
    std::vector<Received> Requests() const;
    size_t Count(uint32_t id) const;
    bool WaitForCount(uint32_t id, size_t n, uint32_t timeoutMs);
    // The latest body of that id; empty when none came.
    std::vector<uint8_t> LastBody(uint32_t id) const;
    // The latest request of that id read as the record; nothing when none
    // came or it is too short.
    template <class Record>
    std::optional<Record> Last(uint32_t id) const {
        Record record;
        if (!table_protocol::ReadTableRecord(LastBody(id), record)) {
            return std::nullopt;
        }
        return record;
    }
    // Forgets what came (the frame's script keeps its own list).
    void ClearRequests();

private:
    static bool IsTableRequest(uint32_t id);
    void OnRequest(testserver::TestGameServer& server, const testserver::ServerRequest& request);
    std::optional<Answer> AnswerFor(uint32_t id, bool waited);

    testserver::TestGameServer& server_;
    testserver::FrameScript frame_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<uint32_t, Answer> answers_;                 // guarded by mutex_
    std::vector<Received> received_;                     // guarded by mutex_
    std::optional<table_protocol::DrawReply> nextDraw_;  // guarded by mutex_
    table_protocol::GangQueryReply gangReply_;           // guarded by mutex_
};

}  // namespace table_test
