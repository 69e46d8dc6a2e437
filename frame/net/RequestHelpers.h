#pragma once
// Small pieces the game connection's senders share: the request head from
// the application's state, a record as body bytes, bounded copies out of a
// reply.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "frame/GameFrameApp.h"
#include "frame/net/FrameRequests.h"
#include "zep/ZepLog.h"

namespace request_helpers {

inline frame_requests::RequestHead HeadOf(const CGameFrameApp& app) {
    frame_requests::RequestHead head;
    head.userId = app.GetUserID();
    head.roomId = app.GetRoomID();
    head.tableNo = app.GetTableNo();
    head.chairNo = app.GetMyChairNo();
    return head;
}

template <class Record>
std::vector<uint8_t> BodyOf(const Record& record) {
    std::vector<uint8_t> body(Record::kSize);
    WriteRecord(record, body);
    return body;
}

// Copies the reply into the buffer, zeroing what it leaves; logs a cut.
inline void CopyBounded(std::span<const uint8_t> reply, std::span<uint8_t> buffer,
                        const char* what) {
    std::fill(buffer.begin(), buffer.end(), uint8_t{0});
    const size_t n = std::min(reply.size(), buffer.size());
    std::copy_n(reply.begin(), n, buffer.begin());
    if (n < reply.size()) {
        ZepLog("%s: reply of %zu bytes cut to %zu", what, reply.size(), n);
    }
}

// The own user's record among the application's users; null when the
// application or the record is missing.
inline const UserRecord* OwnUserOf(const CGameFrameApp* app) {
    if (app == nullptr) {
        return nullptr;
    }
    const UserRecord* own = app->FindUser(app->GetUserID());
    return own != nullptr && own->userId != 0 ? own : nullptr;
}

// The text up to its first zero, within the bytes.
inline std::string TextWithin(std::span<const uint8_t> bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return std::string(bytes.begin(), end);
}

}  // namespace request_helpers
