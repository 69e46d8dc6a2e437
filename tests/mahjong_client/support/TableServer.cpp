#include "tests/mahjong_client/support/TableServer.h"

#include <condition_variable>

namespace table_test {

namespace tp = table_protocol;
using testserver::MakeMessage;
using testserver::ServerRequest;
using testserver::TestGameServer;

TableServer::TableServer(TestGameServer& server) : server_(server), frame_(server) {
    server_.SetHandler(
        [this](TestGameServer& self, const ServerRequest& request) { OnRequest(self, request); });
}

bool TableServer::IsTableRequest(uint32_t id) {
    return id > tp::kGameRequestFloor && id != tp::kLookOnPermission;
}

void TableServer::SetAnswer(uint32_t id, Answer answer) {
    std::lock_guard lock(mutex_);
    answers_[id] = std::move(answer);
}

void TableServer::ClearAnswer(uint32_t id) {
    std::lock_guard lock(mutex_);
    answers_.erase(id);
}

void TableServer::SetNextDraw(int32_t tile, int32_t wallIndex, int32_t options) {
    tp::DrawReply reply;
    reply.tile = tile;
    reply.wallIndex = wallIndex;
    reply.options = options;
    std::lock_guard lock(mutex_);
    nextDraw_ = reply;
}

void TableServer::SetGangOptions(const std::array<int32_t, tp::kMaxChairs>& options) {
    std::lock_guard lock(mutex_);
    gangReply_.chairOptions = options;
}

bool TableServer::Notify(int32_t id, std::span<const uint8_t> record) {
    return server_.Notify(MakeMessage(static_cast<uint32_t>(id), record));
}

std::optional<TableServer::Answer> TableServer::AnswerFor(uint32_t id, bool waited) {
    std::lock_guard lock(mutex_);
    if (const auto scripted = answers_.find(id); scripted != answers_.end()) {
        return scripted->second;
    }
    switch (id) {
        case tp::kOwnDraw:
        case tp::kHua: {
            tp::DrawReply reply;  // no tile unless one is scripted
            if (nextDraw_) {
                reply = *nextDraw_;
                nextDraw_.reset();
            }
            return Answer{tp::kResultDone, tp::WriteTableRecord(reply), false};
        }
        case tp::kGangQuery:
            return Answer{tp::kResultDone, tp::WriteTableRecord(gangReply_), false};
        default:
            break;
    }
    if (!waited) {
        return std::nullopt;
    }
    return Answer{};
}

void TableServer::OnRequest(TestGameServer& server, const ServerRequest& request) {
    const uint32_t id = request.message.Code();
    if (!IsTableRequest(id)) {
        frame_.HandleRequest(server, request);
        return;
    }
    const bool waited = request.callerWord != 0;
    {
        std::lock_guard lock(mutex_);
        received_.push_back(
            Received{id,
                     std::vector<uint8_t>(request.message.data,
                                          request.message.data + request.message.length),
                     waited});
    }
    changed_.notify_all();
    const std::optional<Answer> answer = AnswerFor(id, waited);
    if (answer && !answer->silent && waited) {
        server.Reply(request.messageSequence, MakeMessage(answer->code, answer->data));
    }
}

std::vector<TableServer::Received> TableServer::Requests() const {
    std::lock_guard lock(mutex_);
    return received_;
}

size_t TableServer::Count(uint32_t id) const {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (const Received& r : received_) {
        n += r.id == id ? 1 : 0;
    }
    return n;
}

bool TableServer::WaitForCount(uint32_t id, size_t n, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        size_t count = 0;
        for (const Received& r : received_) {
            count += r.id == id ? 1 : 0;
        }
        return count >= n;
    });
}

std::vector<uint8_t> TableServer::LastBody(uint32_t id) const {
    std::lock_guard lock(mutex_);
    for (auto it = received_.rbegin(); it != received_.rend(); ++it) {
        if (it->id == id) {
            return it->body;
        }
    }
    return {};
}

void TableServer::ClearRequests() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

}  // namespace table_test
