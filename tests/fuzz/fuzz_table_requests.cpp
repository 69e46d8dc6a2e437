// The client's requests as the table server takes them: a sequence of
// requests (ids of the table's protocol, bodies from the real records or
// mutated, of any length) delivered to a table server without a connection,
// its hand on a clock the input moves. Each input gets a new table.
//
// Input: one byte for the human's chair, then requests of
//   id index (1), control (1), clock step (1), length (2, little-endian),
//   and for the modes that carry them, that many bytes.
// Control: bit 0 the client waits for a reply; bits 1-2 the body: the
// record as the client builds it, that record cut or grown to the length,
// the record with the bytes written after its head, or the bytes alone.
//
// Checked: nothing crashes or overruns, the table settles after every
// request, no request is answered more than once, and a refused waited
// request has its refusal by the time the table is idle.

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tools/test_server/TableServer.h"
#include "zep/ZepWire.h"

namespace {

namespace fr = frame_requests;
namespace tp = table_protocol;
using testserver::ServerRequest;
using testserver::TableServer;
using testserver::TestGameServer;

constexpr int32_t kUser = 4242;
constexpr int32_t kRoom = 7;
constexpr int32_t kTable = 1;
constexpr size_t kRequestHeader = 5;
constexpr size_t kLargestBody = 9000;
constexpr uint64_t kClockStepMs = 50;
// Real time the table may take to settle after one request.
constexpr uint32_t kSettleMs = 5000;
// Timers run at the end of an input, so the robots' moves are taken too.
constexpr int kTrailingTimers = 64;

// Where a record's request head sits and how long the record is.
struct RequestShape {
    uint32_t id;
    size_t size;
    size_t headAt;
};

constexpr size_t kSwapHeadAt = 3 * tp::kMaxChairs * 4 + 8;

constexpr RequestShape kShapes[] = {
    {fr::kEnterGame, fr::EnterRecord::kSize, 0},
    {fr::kStartGame, fr::HeadOnlyRecord::kSize, 0},
    {fr::kQueryInGame, fr::HeadOnlyRecord::kSize, 0},
    {fr::kLeaveGame, fr::RequestHead::kSize, 0},
    {fr::kLeaveTable, fr::RequestHead::kSize, 0},
    {fr::kReportNotifyFailure, fr::HeadOnlyRecord::kSize, 0},
    {fr::kReportNetStats, fr::HeadOnlyRecord::kSize, 0},
    {fr::kCheckVersion, fr::HeadOnlyRecord::kSize, 0},
    {fr::kGetActiveConfig, fr::HeadOnlyRecord::kSize, 0},
    {fr::kChatText, fr::ChatRecord::kSize, 0},
    {fr::kQuerySafeBox, fr::HeadOnlyRecord::kSize, 0},
    {400001, fr::HeadOnlyRecord::kSize, 0},  // the boards are up
    {tp::kEnterHandRequest, fr::HeadOnlyRecord::kSize, 0},
    {229040, tp::OperationRecord::kSize, 0},  // pass
    {222070, tp::SwapThreeRequest::kSize, kSwapHeadAt},
    {222080, tp::OperationRecord::kSize, 0},
    {229000, tp::OwnDrawRecord::kSize, 0},    // draw
    {229025, tp::OperationRecord::kSize, 0},  // discard
    {229015, tp::OperationRecord::kSize, 0},
    {229045, tp::OperationRecord::kSize, 0},
    {229047, tp::OperationRecord::kSize, 0},
    {229049, tp::OperationRecord::kSize, 0},
    {229030, tp::HuClaimRecord::kSize, 0},
    {229020, tp::ChiClaimRecord::kSize, 0},
    {229060, tp::OperationRecord::kSize, 0},
    {400009, 108, 0},
    {201999, fr::HeadOnlyRecord::kSize, 0},  // an id the table does not take
};

enum class BodyMode { kRecord, kResized, kWrittenAfterHead, kBytes };

// The record of a request as the client builds it for the human's chair.
std::vector<uint8_t> ClientRecord(const RequestShape& shape, int32_t chair) {
    std::vector<uint8_t> body(shape.size);
    if (shape.id == fr::kEnterGame) {
        fr::EnterRecord enter;
        enter.userId = kUser;
        enter.roomId = kRoom;
        enter.tableNo = kTable;
        enter.chairNo = chair;
        WriteRecord(enter, body);
        return body;
    }
    ZepWireWriter writer(std::span<uint8_t>(body).subspan(shape.headAt));
    writer.WriteI32(kUser);
    writer.WriteI32(kRoom);
    writer.WriteI32(kTable);
    writer.WriteI32(chair);
    return body;
}

// Reads the input's requests; short trailing bytes are dropped.
class RequestReader {
public:
    RequestReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    struct Request {
        const RequestShape* shape = nullptr;
        bool waited = false;
        BodyMode mode = BodyMode::kRecord;
        uint64_t stepMs = 0;
        size_t length = 0;
        std::span<const uint8_t> bytes;
    };

    bool Next(Request& out) {
        if (size_ - at_ < kRequestHeader) {
            return false;
        }
        const uint8_t* h = data_ + at_;
        at_ += kRequestHeader;
        out.shape = &kShapes[h[0] % std::size(kShapes)];
        out.waited = (h[1] & 1) != 0;
        out.mode = static_cast<BodyMode>((h[1] >> 1) & 3);
        out.stepMs = h[2] * kClockStepMs;
        out.length = std::min<size_t>(h[3] | static_cast<size_t>(h[4]) << 8, kLargestBody);
        out.bytes = {};
        if (out.mode == BodyMode::kWrittenAfterHead || out.mode == BodyMode::kBytes) {
            const size_t n = std::min(out.length, size_ - at_);
            out.bytes = {data_ + at_, n};
            at_ += n;
        }
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

std::vector<uint8_t> BodyOf(const RequestReader::Request& request, int32_t chair) {
    std::vector<uint8_t> body = ClientRecord(*request.shape, chair);
    switch (request.mode) {
        case BodyMode::kRecord:
            break;
        case BodyMode::kResized:
            body.resize(request.length);
            break;
        case BodyMode::kWrittenAfterHead: {
            const size_t from = request.shape->headAt + fr::RequestHead::kSize;
            body.resize(std::max(body.size(), from + request.bytes.size()));
            std::copy(request.bytes.begin(), request.bytes.end(), body.begin() + from);
            break;
        }
        case BodyMode::kBytes:
            body.assign(request.bytes.begin(), request.bytes.end());
            break;
    }
    return body;
}

// The replies the table sent, counted by the sequence each answered.
class ReplyLedger {
public:
    void Watch(TestGameServer& server) {
        server.SetSentWatcher([this](bool reply, uint32_t sequence, const ZepMessage& message) {
            std::lock_guard lock(mutex_);
            if (reply) {
                ++replies_[sequence];
            } else {
                FuzzNote("notify", message.Code());
            }
        });
    }
    size_t RepliesTo(uint32_t sequence) const {
        std::lock_guard lock(mutex_);
        const auto it = replies_.find(sequence);
        return it == replies_.end() ? 0 : it->second;
    }
    std::map<uint32_t, size_t> Replies() const {
        std::lock_guard lock(mutex_);
        return replies_;
    }

private:
    mutable std::mutex mutex_;
    std::map<uint32_t, size_t> replies_;
};

void Settle(TableServer& table) {
    if (!table.WaitIdle(kSettleMs)) {
        FuzzFail("the table did not settle after a request");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const int32_t chair = data[0] % TableServer::kSeats;
    std::atomic<uint64_t> nowMs{1000};
    ReplyLedger ledger;
    TestGameServer server(TableServer::TransportOptions(false));
    ledger.Watch(server);
    TableServer::Options options;
    options.clock = [&nowMs] { return nowMs.load(); };
    options.pacing = TableServer::Pacing::kTest;
    options.seed = data[0];
    std::set<uint32_t> waited;
    {
        TableServer table(server, options);
        RequestReader reader(data + 1, size - 1);
        RequestReader::Request request;
        uint32_t sequence = 0;
        while (reader.Next(request)) {
            ServerRequest sent;
            sent.messageSequence = ++sequence;
            sent.callerWord = request.waited ? 1 : 0;
            const std::vector<uint8_t> body = BodyOf(request, chair);
            sent.message = testserver::MakeMessage(request.shape->id, body);
            if (request.waited) {
                waited.insert(sequence);
            }
            const size_t refusedBefore = table.GetCounters().refused;
            server.Deliver(std::move(sent));
            Settle(table);
            const bool refused = table.GetCounters().refused > refusedBefore;
            FuzzNote(refused ? "refused" : "taken", request.shape->id);
            if (refused && request.waited && ledger.RepliesTo(sequence) == 0) {
                FuzzFail("a refused waited request has no refusal");
            }
            nowMs += request.stepMs;
            table.Wake();
            Settle(table);
        }
        for (int i = 0; i < kTrailingTimers; ++i) {
            const std::optional<uint64_t> due = table.NextTimerDueMs();
            if (!due) {
                break;
            }
            nowMs = std::max(nowMs.load(), *due);
            table.Wake();
            Settle(table);
        }
        FuzzNote("hands", table.HandsReported());
        FuzzNote("hand running", table.HandRunning() ? 1 : 0);
    }
    for (const auto& [replied, count] : ledger.Replies()) {
        if (count > 1) {
            FuzzFail("a request was answered more than once");
        }
        // The hand answers a play request by its sequence whether or not
        // the client waits; the client drops such a reply.
        FuzzNote("reply to an unwaited request", waited.contains(replied) ? 0 : 1);
    }
    return 0;
}
