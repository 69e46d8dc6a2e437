#include "tools/test_server/FrameScript.h"

#include <algorithm>

#include "frame/net/FrameRequests.h"
#include "platform/Sync.h"

namespace testserver {

using namespace frame_requests;

namespace {

constexpr uint32_t kTableChatNotify = 211200;

template <class Record>
std::vector<uint8_t> RecordVector(const Record& record) {
    std::vector<uint8_t> bytes(Record::kSize);
    WriteRecord(record, bytes);
    return bytes;
}

void PutWord(std::span<uint8_t> bytes, size_t offset, int32_t value) {
    ZepWireWriter(bytes.subspan(offset)).WriteI32(value);
}

}  // namespace

FrameScript::FrameScript(TestGameServer& server) : FrameScript(server, Options{}) {}

FrameScript::FrameScript(TestGameServer& server, Options options)
    : server_(server), options_(std::move(options)) {
    services_.SetSafeBox(options_.safeBox);
    services_.SetWelfare(options_.welfare);
    server_.SetHandler(
        [this](TestGameServer& self, const ServerRequest& request) { OnRequest(self, request); });
}

FrameScript::~FrameScript() {
    server_.Stop();
}

std::vector<uint8_t> FrameScript::VersionReplyBytes(int32_t version, int32_t subVersion) {
    VersionReply reply;
    reply.version = version;
    reply.subVersion = subVersion;
    return RecordVector(reply);
}

std::vector<uint8_t> FrameScript::ActiveConfigBytes(int32_t flag, const std::vector<Link>& links) {
    ActiveConfigBlock block;
    block.flag = flag;
    const size_t count = std::min<size_t>(links.size(), ActiveConfigBlock::kMaxEntries);
    block.count = static_cast<int32_t>(count);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        block.linkIndex[i] = links[i].index;
        text += (i == 0 ? "" : "|") + links[i].item;
    }
    SetFieldText(block.text, text);
    return RecordVector(block);
}

void FrameScript::SetAnswer(uint32_t requestId, Answer answer) {
    std::lock_guard lock(mutex_);
    answers_[requestId] = std::move(answer);
}

void FrameScript::SetReply(uint32_t requestId, uint32_t code, std::vector<uint8_t> data) {
    SetAnswer(requestId, Answer{code, std::move(data), false});
}

void FrameScript::RefuseWithText(uint32_t requestId, const std::string& text, bool terminated) {
    std::vector<uint8_t> data(text.begin(), text.end());
    if (terminated) {
        data.push_back(0);
    }
    SetReply(requestId, kResultRefusedWithText, std::move(data));
}

void FrameScript::QueueAnswer(uint32_t requestId, Answer answer) {
    std::lock_guard lock(mutex_);
    queued_[requestId].push_back(std::move(answer));
}

void FrameScript::SetSilent(uint32_t requestId) {
    SetAnswer(requestId, Answer{0, {}, true});
}

void FrameScript::ClearAnswer(uint32_t requestId) {
    std::lock_guard lock(mutex_);
    answers_.erase(requestId);
}

void FrameScript::SetVersion(int32_t version, int32_t subVersion) {
    std::lock_guard lock(mutex_);
    options_.version = version;
    options_.subVersion = subVersion;
}

void FrameScript::SetRoomOptions(int32_t options) {
    std::lock_guard lock(mutex_);
    options_.roomOptions = options;
}

void FrameScript::SetGameRunning(bool running) {
    std::lock_guard lock(mutex_);
    gameRunning_ = running;
}

bool FrameScript::Notify(uint32_t id, std::span<const uint8_t> data) {
    return server_.Notify(MakeMessage(id, data));
}

std::vector<FrameScript::Recorded> FrameScript::Requests() const {
    std::lock_guard lock(mutex_);
    return recorded_;
}

std::vector<uint32_t> FrameScript::RequestIds() const {
    std::lock_guard lock(mutex_);
    std::vector<uint32_t> ids;
    for (const Recorded& request : recorded_) {
        ids.push_back(request.id);
    }
    return ids;
}

size_t FrameScript::Count(uint32_t requestId) const {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count_if(recorded_.begin(), recorded_.end(),
                                             [&](const Recorded& r) { return r.id == requestId; }));
}

bool FrameScript::WaitForCount(uint32_t requestId, size_t n, uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return platform::WaitFor(changed_, lock, timeoutMs, [&] {
        return static_cast<size_t>(
                   std::count_if(recorded_.begin(), recorded_.end(),
                                 [&](const Recorded& r) { return r.id == requestId; })) >= n;
    });
}

std::vector<uint8_t> FrameScript::LastBody(uint32_t requestId) const {
    std::lock_guard lock(mutex_);
    for (auto it = recorded_.rbegin(); it != recorded_.rend(); ++it) {
        if (it->id == requestId) {
            return it->body;
        }
    }
    return {};
}

void FrameScript::OnRequest(TestGameServer& server, const ServerRequest& request) {
    const uint32_t id = request.message.Code();
    const std::span<const uint8_t> body(request.message.data, request.message.length);
    const bool waited = request.callerWord != 0;
    const Recorded record{id, std::vector<uint8_t>(body.begin(), body.end()), waited};
    std::optional<Answer> answer;
    std::optional<Forward> forward;
    std::function<void(const Recorded&)> observer;
    bool scripted = false;
    {
        std::lock_guard lock(mutex_);
        recorded_.push_back(record);
        const auto found = answers_.find(id);
        scripted = found != answers_.end();
        answer = scripted ? std::optional<Answer>(found->second) : DefaultAnswer(id, body, waited);
        if (const auto queue = queued_.find(id); queue != queued_.end() && !queue->second.empty()) {
            scripted = true;
            answer = std::move(queue->second.front());
            queue->second.pop_front();
        }
        observer = options_.onRequest;
        forward = ForwardOf(id, body);
    }
    if (!scripted && ServiceScript::Handles(id)) {
        ServiceScript::Outcome outcome = services_.Answer(id, body);
        answer = Answer{outcome.reply.code, std::move(outcome.reply.data), false};
        if (outcome.notice) {
            forward = Forward{outcome.notice->id, std::move(outcome.notice->data)};
        }
    }
    changed_.notify_all();
    if (observer) {
        observer(record);
    }
    if (answer && !answer->silent && waited) {
        server.Reply(request.messageSequence, MakeMessage(answer->code, answer->data));
    }
    if (forward) {
        server.Notify(MakeMessage(forward->id, forward->data));
    }
}

std::vector<uint8_t> FrameScript::TableChatBytes(int32_t speaker, const std::string& text) {
    constexpr size_t kKindAt = 8;
    constexpr size_t kTextAt = 36;
    constexpr int32_t kChatKind = 8;
    const std::string line = text + "\r\n";
    std::vector<uint8_t> bytes(kTextAt + line.size() + 1);
    PutWord(bytes, 0, speaker);
    PutWord(bytes, kKindAt, kChatKind);
    std::copy(line.begin(), line.end(), bytes.begin() + kTextAt);
    return bytes;
}

// The notification that the server passes on to the table for a request:
// a chat line, a call, an exit request or its answer. Empty for others.
std::optional<FrameScript::Forward> FrameScript::ForwardOf(uint32_t id,
                                                           std::span<const uint8_t> body) const {
    switch (id) {
        case kChatText: {
            ChatRecord chat;
            if (!ReadRecord(body, chat)) {
                return std::nullopt;
            }
            return Forward{kTableChatNotify,
                           TableChatBytes(chat.head.userId, FieldText(chat.message))};
        }
        case kCallPlayer:
        case kExitAnswer: {
            HeadPairRecord pair;
            if (!ReadRecord(body, pair)) {
                return std::nullopt;
            }
            std::vector<uint8_t> bytes(body.begin(), body.end());
            if (id == kExitAnswer) {
                // The box sends 0 for "agreed"; the table hears a nonzero flag.
                constexpr size_t kAgreedAt = 20;
                PutWord(bytes, kAgreedAt, pair.second == 0 ? 1 : 0);
            }
            return Forward{id, std::move(bytes)};
        }
        case kExitRequest: {
            ExitRequestRecord request;
            if (!ReadRecord(body, request)) {
                return std::nullopt;
            }
            ExitRequestRecord notice;
            notice.head.userId = request.head.userId;
            const auto name = options_.userNames.find(request.head.userId);
            SetFieldText(notice.reason, name != options_.userNames.end() ? name->second : "");
            return Forward{id, RecordVector(notice)};
        }
        default:
            return std::nullopt;
    }
}

// Called with mutex_ held.
std::optional<FrameScript::Answer> FrameScript::DefaultAnswer(uint32_t id,
                                                              std::span<const uint8_t> body,
                                                              bool waited) const {
    switch (id) {
        case kCheckVersion:
            return Answer{kResultOk, VersionReplyBytes(options_.version, options_.subVersion)};
        case kGetActiveConfig:
            return Answer{kResultOk, ActiveConfigBytes(options_.activeConfigFlag, options_.links)};
        case kEnterGame:
            return Answer{kResultEntered, std::vector<uint8_t>(kEnterReplySize)};
        case kMatchLogin: {
            std::vector<uint8_t> info(kMatchInfoReplySize);
            ZepWireWriter(info).WriteI32(WordAt(body, 0));
            return Answer{kResultMatchInfo, std::move(info)};
        }
        case kQueryInGame: {
            std::vector<uint8_t> options(4);
            ZepWireWriter(options).WriteI32(options_.roomOptions);
            return Answer{gameRunning_ ? kResultGameRunning : kResultOk, std::move(options)};
        }
        case kLeaveGame:
            return Answer{kResultOk, {}};
        case kSilverCheck:
        case kRequest201302:
        case kSilverRewardClaim:
        case kChangeTable:
            return Answer{kResultOk, {}};
        case kWelfareRewardClaim: {
            std::vector<uint8_t> amount(4);
            ZepWireWriter(amount).WriteI32(options_.welfare.amount);
            return Answer{kResultOk, std::move(amount)};
        }
        // Reports and table actions the server takes in silence, even when
        // a client waits for them.
        case kReportNetStats:
        case kLeaveTable:
        case kStartGame:
        case kRoundRequest:
        case kReportNotifyFailure:
        case kRequest201180:
        case kRequest201210:
        case kRequest201221:
        case kUserInfo:
        case kMatchSignUp:
        case kMatchGiveUp:
        case kLookOnPermission:
        case kRequest214102:
        case kRequest214104:
        case kRequest214110:
            return std::nullopt;
        default:
            if (waited) {
                return Answer{kResultUnsupported, {}};
            }
            return std::nullopt;
    }
}

void InstallEchoScript(TestGameServer& server) {
    server.SetHandler([](TestGameServer& self, const ServerRequest& r) {
        if (r.callerWord != 0) {
            self.Reply(r.messageSequence,
                       MakeMessage(10, std::span<const uint8_t>(r.message.data, r.message.length)));
        }
    });
}

}  // namespace testserver
