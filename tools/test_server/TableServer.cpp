#include "tools/test_server/TableServer.h"

#include <algorithm>
#include <string>
#include <utility>

#include "tools/test_server/TableHand.h"

#include "frame/GameRecords.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "platform/Sync.h"
#include "zep/GameChannelSocket.h"
#include "zep/ZepWire.h"

namespace testserver {

namespace fr = frame_requests;
namespace tp = table_protocol;

namespace {

// The first hand starts this long after the enter reply when the client's
// boards have not said they are up (--start-when-full).
constexpr uint32_t kStartWhenFullMs = 2000;

// The play requests of the human's seat and the bytes each must carry.
struct PlayRequest {
    uint32_t id;
    size_t size;
};
constexpr PlayRequest kPlayRequests[] = {
    {222070, tp::SwapThreeRequest::kSize}, {222080, tp::OperationRecord::kSize},
    {229000, tp::OwnDrawRecord::kSize},    {229025, tp::OperationRecord::kSize},
    {229015, tp::OperationRecord::kSize},  {229045, tp::OperationRecord::kSize},
    {229047, tp::OperationRecord::kSize},  {229049, tp::OperationRecord::kSize},
    {229030, tp::HuClaimRecord::kSize},    {229020, tp::ChiClaimRecord::kSize},
    {229060, tp::OperationRecord::kSize},  {400009, 108},
};

const PlayRequest* FindPlayRequest(uint32_t id) {
    for (const PlayRequest& play : kPlayRequests) {
        if (play.id == id) {
            return &play;
        }
    }
    return nullptr;
}

// The ids whose body starts with the request head (user, room, table,
// chair), with the bytes they must carry.
size_t HeadRequestSize(uint32_t id) {
    switch (id) {
        case fr::kStartGame:
        case fr::kQueryInGame:
            return fr::HeadOnlyRecord::kSize;
        case fr::kLeaveGame:
        case fr::kLeaveTable:
            return fr::RequestHead::kSize;
        case fr::kExitRequest:
            return fr::ExitRequestRecord::kSize;
        default:
            return 0;
    }
}

uint64_t SteadyMs() {
    const int64_t frequency = platform::QueryPerformanceFrequency();
    const int64_t counter = platform::QueryPerformanceCounter();
    if (frequency <= 0) {
        return 0;
    }
    return static_cast<uint64_t>(counter / frequency * 1000 +
                                 counter % frequency * 1000 / frequency);
}

int32_t ChairOf(std::span<const uint8_t> body) {
    fr::RequestHead head;
    return ReadRecord(body, head) ? head.chairNo : -1;
}

}  // namespace

TestGameServer::Options TableServer::TransportOptions(bool testMode) {
    TestGameServer::Options options;
    const uint32_t length = GetGameChannelGreetingLength() + 1;
    options.expectedGreeting.resize(4 + length);
    ZepWireWriter writer(options.expectedGreeting);
    writer.WriteU32(length);
    const char* text = GetGameChannelGreeting();
    std::copy(text, text + length - 1, options.expectedGreeting.begin() + 4);
    options.checkSentFrames = testMode;
    return options;
}

namespace {

// The table's frame answers: an empty active configuration (no flag, no
// side-panel links).
FrameScript::Options TableFrame(FrameScript::Options frame) {
    frame.activeConfigFlag = 0;
    frame.links.clear();
    return frame;
}

}  // namespace

TableServer::TableServer(TestGameServer& server, Options options)
    : server_(server),
      options_(std::move(options)),
      frame_(server, TableFrame(options_.frame)),
      faults_(options_.fault, server,
              {.after = [this](uint32_t delayMs,
                               std::function<void()> action) { After(delayMs, std::move(action)); },
               .log = options_.log}),
      hands_(options_.handsKept) {
    if (!options_.clock) {
        options_.clock = SteadyMs;
    }
    frame_.SetRoomOptions(options_.roomOptions);
    if (options_.testMode && options_.log) {
        server_.SetLog(options_.log);
    }
    server_.SetHandler([this](TestGameServer&, const ServerRequest& request) {
        Push(Event{Event::Kind::kRequest, request});
    });
    server_.SetConnectionHandler([this](bool connected) {
        Push(Event{connected ? Event::Kind::kConnected : Event::Kind::kDisconnected, {}});
    });
    ownHand_ = std::make_unique<TableHand>(*this);
    handLoop_ = ownHand_.get();
    thread_ = std::thread([this] { Run(); });
}

TableServer::~TableServer() {
    server_.Stop();
    Push(Event{Event::Kind::kStop, {}});
    thread_.join();
    if (ownHand_) {
        ownHand_->Abandon();
    }
}

void TableServer::SetHandLoop(HandLoop* loop) {
    handLoop_ = loop;
}

void TableServer::Push(Event event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    changed_.notify_all();
}

void TableServer::Run() {
    for (;;) {
        std::optional<Event> event = NextEvent();
        if (event) {
            switch (event->kind) {
                case Event::Kind::kStop:
                    return;
                case Event::Kind::kConnected:
                case Event::Kind::kWake:
                    break;
                case Event::Kind::kDisconnected:
                    if (options_.log) {
                        options_.log(handRunning_
                                         ? "the connection ended mid-hand: the hand is abandoned"
                                         : "the connection ended");
                    }
                    ResetTable();
                    break;
                case Event::Kind::kRequest:
                    OnRequest(event->request);
                    break;
            }
        }
        RunDueTimers();
        {
            std::lock_guard lock(mutex_);
            busy_ = false;
        }
        changed_.notify_all();
    }
}

std::optional<TableServer::Event> TableServer::NextEvent() {
    const std::optional<uint64_t> due = NextTimerDueMs();
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return !events_.empty(); };
    uint32_t waitMs = platform::kInfinite;
    if (due) {
        const uint64_t now = options_.clock();
        waitMs = static_cast<uint32_t>(
            std::min<uint64_t>(*due > now ? *due - now : 0, platform::kInfinite - 1));
    }
    if (!platform::WaitFor(changed_, lock, waitMs, ready)) {
        busy_ = true;
        return std::nullopt;
    }
    // Taken and marked busy at once, so an idle table is never seen between.
    busy_ = true;
    Event event = std::move(events_.front());
    events_.pop_front();
    counters_.requests += event.kind == Event::Kind::kRequest ? 1 : 0;
    return event;
}

void TableServer::RunDueTimers() {
    for (;;) {
        std::vector<TimerQueue::Action> due;
        {
            std::lock_guard lock(timerMutex_);
            due = timers_.TakeDue(options_.clock());
        }
        if (due.empty()) {
            return;
        }
        for (TimerQueue::Action& action : due) {
            action();
        }
    }
}

uint64_t TableServer::After(uint32_t delayMs, TimerQueue::Action action) {
    const uint64_t due = options_.clock() + delayMs;
    std::lock_guard lock(timerMutex_);
    return timers_.Add(due, std::move(action));
}

bool TableServer::CancelTimer(uint64_t id) {
    std::lock_guard lock(timerMutex_);
    return timers_.Cancel(id);
}

std::optional<uint64_t> TableServer::NextTimerDueMs() const {
    std::lock_guard lock(timerMutex_);
    return timers_.NextDue();
}

bool TableServer::WaitIdle(uint32_t realMs) {
    std::unique_lock lock(mutex_);
    return platform::WaitFor(changed_, lock, realMs, [&] { return events_.empty() && !busy_; });
}

size_t TableServer::Resets() const {
    std::lock_guard lock(mutex_);
    return counters_.resets;
}

void TableServer::HandSettled(const HandReport& report) {
    if (humanChair_ >= 0 && humanChair_ < kSeats) {
        SetGameSilver(report.silverBefore[static_cast<size_t>(humanChair_)] +
                      report.silverChange[static_cast<size_t>(humanChair_)]);
    }
    std::lock_guard lock(mutex_);
    hands_.Add(report);
    handRunning_ = false;
    ++handsSettled_;
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        ready_[static_cast<size_t>(chair)] = chair != humanChair_;
    }
}

bool TableServer::ReplyTo(uint32_t messageSequence, uint32_t code, std::span<const uint8_t> data) {
    return faults_.Reply(messageSequence, MakeMessage(code, data));
}

void TableServer::CountRefusal(uint32_t code) {
    std::lock_guard lock(mutex_);
    ++counters_.refusalsByCode[code];
}

std::vector<TableServer::HandReport> TableServer::Hands() const {
    std::lock_guard lock(mutex_);
    return hands_.Kept();
}

size_t TableServer::HandsReported() const {
    std::lock_guard lock(mutex_);
    return hands_.Added();
}

TableDriverStats TableServer::DriverStats() const {
    HandLoop* loop = handLoop_.load();
    return loop != nullptr ? loop->DriverStats() : TableDriverStats{};
}

std::vector<uint8_t> TableServer::PackedSnapshot() const {
    HandLoop* loop = handLoop_.load();
    return loop != nullptr ? loop->PackedSnapshot() : std::vector<uint8_t>{};
}

uint64_t TableServer::NowMs() const {
    return options_.clock();
}

void TableServer::Wake() {
    Push(Event{Event::Kind::kWake, {}});
}

bool TableServer::Reply(const ServerRequest& request, uint32_t code,
                        std::span<const uint8_t> data) {
    return request.callerWord != 0 && ReplyTo(request.messageSequence, code, data);
}

bool TableServer::Notify(uint32_t id, std::span<const uint8_t> data) {
    return faults_.Notify(MakeMessage(id, data));
}

void TableServer::Refuse(const ServerRequest& request, uint32_t code) {
    {
        std::lock_guard lock(mutex_);
        ++counters_.refused;
        if (request.callerWord != 0) {
            ++counters_.refusalsByCode[code];
        }
    }
    server_.CountProtocolError(code == fr::kResultUnsupported ? "a request the table does not take"
                                                              : "a request refused");
    Reply(request, code);
}

bool TableServer::Acceptable(const ServerRequest& request) const {
    const uint32_t id = request.message.Code();
    const std::span<const uint8_t> body(request.message.data, request.message.length);
    if (id == fr::kEnterGame) {
        return body.size() >= fr::EnterRecord::kSize;
    }
    if (const size_t size = HeadRequestSize(id); size != 0) {
        return body.size() >= size && humanChair_ >= 0 && ChairOf(body) == humanChair_;
    }
    if (const PlayRequest* play = FindPlayRequest(id)) {
        return body.size() >= play->size;
    }
    return true;
}

void TableServer::OnRequest(const ServerRequest& request) {
    faults_.OnRequest(request);
    const uint32_t id = request.message.Code();
    if (!Acceptable(request)) {
        Refuse(request,
               FindPlayRequest(id) != nullptr ? tp::kResultNotCarriedOut : fr::kResultUnsupported);
        return;
    }
    switch (id) {
        case fr::kEnterGame:
            Enter(request);
            return;
        case fr::kStartGame:
            OnClientReady(request);
            return;
        case fr::kQueryInGame: {
            std::vector<uint8_t> word(4);
            ZepWireWriter(word).WriteI32(options_.roomOptions);
            Reply(request, handRunning_ ? fr::kResultGameRunning : fr::kResultOk, word);
            return;
        }
        case fr::kLeaveGame:
            Reply(request, fr::kResultOk);
            ResetTable();
            return;
        case fr::kLeaveTable:
            ResetTable();
            return;
        case fr::kExitRequest:
            LetHumanLeave();
            return;
        case fr::kReportNotifyFailure:
            if (options_.log) {
                options_.log("the client refused a notification (201162)");
            }
            {
                std::lock_guard lock(mutex_);
                ++counters_.failureReports;
            }
            return;
        case tp::kSeatBoardInfo:
            if (options_.startWhenFull) {
                StartWhenFull();
            }
            return;
        case fr::kReportNetStats:
        case tp::kEnterHandRequest:
            return;
        case tp::kPass:
            if (HandLoop* loop = handLoop_.load(); loop != nullptr && handRunning_) {
                loop->OnPlayRequest(*this, request);
            }
            return;
        case fr::kCheckVersion:
        case fr::kGetActiveConfig:
        case fr::kChatText:
            frame_.HandleRequest(server_, request);
            return;
        default:
            break;
    }
    if (ServiceScript::Handles(id)) {
        frame_.HandleRequest(server_, request);
        return;
    }
    if (FindPlayRequest(id) != nullptr) {
        if (HandLoop* loop = handLoop_.load(); loop != nullptr && handRunning_) {
            loop->OnPlayRequest(*this, request);
        } else {
            Refuse(request, tp::kResultNotCarriedOut);
        }
        return;
    }
    Refuse(request, fr::kResultUnsupported);
}

void TableServer::Enter(const ServerRequest& request) {
    fr::EnterRecord enter;
    const std::span<const uint8_t> body(request.message.data, request.message.length);
    if (!ReadRecord(body, enter) || enter.chairNo < 0 || enter.chairNo >= kSeats ||
        humanChair_ >= 0) {
        Refuse(request, fr::kResultUnsupported);
        return;
    }
    humanChair_ = enter.chairNo;
    humanUser_ = enter.userId;
    roomId_ = enter.roomId;
    tableNo_ = enter.tableNo;
    ready_ = {};
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        if (chair != humanChair_) {
            MarkReady(chair);
        }
    }
    SetGameSilver(options_.humanSilver);
    Reply(request, fr::kResultEntered, StatusBlock());
    if (options_.startWhenFull) {
        After(kStartWhenFullMs, [this] { StartWhenFull(); });
    }
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        if (chair == humanChair_) {
            continue;
        }
        ServerPlayerRecord player;
        player.userId = kRobotUserBase + chair;
        player.tableNo = tableNo_;
        player.chairNo = chair;
        player.sex = chair % 2;
        SetFieldText(player.name, RobotName(chair, humanChair_));
        player.silver = options_.robotSilver;
        player.score = kRobotStartScore;
        std::vector<uint8_t> bytes(ServerPlayerRecord::kSize);
        WriteRecord(player, bytes);
        Notify(fr::kPlayerEnterNotify, bytes);
        fr::HeadOnlyRecord started;
        started.head = {kRobotUserBase + chair, roomId_, tableNo_, chair};
        std::vector<uint8_t> startedBytes(fr::HeadOnlyRecord::kSize);
        WriteRecord(started, startedBytes);
        Notify(static_cast<uint32_t>(tp::kSeatStarted), startedBytes);
    }
}

void TableServer::OnClientReady(const ServerRequest& request) {
    if (handRunning_) {
        return;  // a hand under way: nothing to be ready for
    }
    if (options_.hands > 0 && handsSettled_ >= options_.hands) {
        EndTableByRobot();
        return;
    }
    const std::span<const uint8_t> body(request.message.data, request.message.length);
    MarkReady(humanChair_);
    Notify(static_cast<uint32_t>(tp::kSeatStarted), body.first(fr::HeadOnlyRecord::kSize));
    StartHandIfAllReady();
}

void TableServer::StartWhenFull() {
    if (firstHandStarted_ || handRunning_ || humanChair_ < 0) {
        return;
    }
    // As a table whose four seats filled: the server marks the human ready.
    MarkReady(humanChair_);
    fr::HeadOnlyRecord started;
    started.head = {humanUser_, roomId_, tableNo_, humanChair_};
    std::vector<uint8_t> bytes(fr::HeadOnlyRecord::kSize);
    WriteRecord(started, bytes);
    Notify(static_cast<uint32_t>(tp::kSeatStarted), bytes);
    StartHandIfAllReady();
}

void TableServer::StartHandIfAllReady() {
    HandLoop* loop = handLoop_.load();
    if (loop != nullptr && !handRunning_ &&
        ReadyChairs() == std::array<bool, kSeats>{true, true, true, true}) {
        firstHandStarted_ = true;
        loop->StartHand(*this);
    }
}

void TableServer::EndTableByRobot() {
    // A robot leaves: the client ends the table.
    tp::PlayerLeftNotice left;
    left.chair = (humanChair_ + 1) % kSeats;
    left.forced = 0;
    Notify(static_cast<uint32_t>(tp::kPlayerLeft), tp::WriteTableRecord(left));
    if (options_.log) {
        options_.log("hands done " + std::to_string(handsSettled_) + ", protocol errors " +
                     std::to_string(server_.ProtocolErrors()));
    }
}

void TableServer::LetHumanLeave() {
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        if (chair == humanChair_) {
            continue;
        }
        fr::HeadPairRecord agreed;
        agreed.head = {kRobotUserBase + chair, roomId_, tableNo_, chair};
        agreed.first = humanUser_;
        agreed.second = 1;  // heard as "agreed"
        std::vector<uint8_t> bytes(fr::HeadPairRecord::kSize);
        WriteRecord(agreed, bytes);
        Notify(fr::kExitAnswer, bytes);
    }
    AbandonHand();
    fr::PlayerLeaveNotice left;
    left.userId = humanUser_;
    left.chairNo = humanChair_;
    left.tableNo = tableNo_;
    left.exitAgreed = 1;
    std::vector<uint8_t> bytes(fr::PlayerLeaveNotice::kSize);
    WriteRecord(left, bytes);
    Notify(fr::kPlayerLeaveNotify, bytes);
    if (options_.log) {
        options_.log("exit request agreed: the hand is abandoned");
    }
}

void TableServer::SetGameSilver(int32_t silver) {
    ServiceScript::SafeBox box = frame_.Services().GetSafeBox();
    box.gameSilver = std::max(silver, 0);
    frame_.Services().SetSafeBox(box);
}

std::vector<uint8_t> TableServer::StatusBlock() const {
    // A fresh engine table's per-player record with the robots' chairs
    // ready; the human's own start is announced when it comes.
    const std::array<bool, kSeats> ready = ReadyChairs();
    CRegionalMahjongRules table;
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        if (ready[static_cast<size_t>(chair)] && chair != humanChair_) {
            table.MarkReady(chair);
        }
    }
    std::vector<uint8_t> block(static_cast<size_t>(table.GetPlayerStateSize()));
    table.PackPlayer(block);
    return block;
}

void TableServer::MarkReady(int32_t chair) {
    std::lock_guard lock(mutex_);
    ready_[chair] = true;
}

void TableServer::SetHandRunning(bool running) {
    std::lock_guard lock(mutex_);
    handRunning_ = running;
}

void TableServer::AbandonHand() {
    if (HandLoop* loop = handLoop_.load();
        loop != nullptr && (handRunning_ || loop == ownHand_.get())) {
        loop->Abandon();
    }
    {
        std::lock_guard lock(timerMutex_);
        timers_.Clear();
    }
    faults_.OnReset();
    std::lock_guard lock(mutex_);
    handRunning_ = false;
    ready_ = {};
}

void TableServer::ResetTable() {
    AbandonHand();
    std::lock_guard lock(mutex_);
    humanChair_ = -1;
    humanUser_ = 0;
    handsSettled_ = 0;
    firstHandStarted_ = false;
    ++counters_.resets;
}

TableServer::Counters TableServer::GetCounters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

std::array<bool, TableServer::kSeats> TableServer::ReadyChairs() const {
    std::lock_guard lock(mutex_);
    return ready_;
}

bool TableServer::HandRunning() const {
    std::lock_guard lock(mutex_);
    return handRunning_;
}

}  // namespace testserver
