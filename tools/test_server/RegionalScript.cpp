#include "tools/test_server/RegionalScript.h"

#include <algorithm>
#include <cstring>

#include "frame/GameRecords.h"
#include "frame/RecordFields.h"
#include "frame/net/FrameRequests.h"
#include "platform/Sync.h"

namespace testserver {

namespace tp = table_protocol;

namespace {

constexpr uint32_t kSliceMs = 50;
constexpr uint32_t kLeaveRequest = 201020;
constexpr int32_t kSeats = 4;
constexpr int32_t kRobotSilver = 10000;
constexpr int32_t kRobotScore = 1000;

// The tiles each chair holds at the deal (ids: suit = id / 36, value =
// id % 9 + 1). The banker holds fourteen.
const std::vector<int32_t> kDealt[kSeats] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 36, 37, 38, 72},
    {49, 27, 28, 29, 30, 31, 32, 33, 34, 35, 43, 44, 45},
    {85, 94, 103, 18, 19, 20, 21, 22, 23, 24, 25, 26, 42},
    {9, 58, 67, 76, 10, 11, 12, 13, 14, 15, 16, 17, 39, 41},
};
// What each chair gives away in the swap (the client's, when it chose
// none the script knows of).
const std::array<int32_t, 3> kGiven[kSeats] = {
    {36, 37, 38}, {43, 44, 45}, {19, 20, 21}, {15, 16, 17}};
// The plays.
constexpr int32_t kFirstThrow = 9;    // chair 3
constexpr int32_t kSecondThrow = 42;  // chair 2
constexpr int32_t kPengTile = 49;     // chair 1 throws, chair 3 pengs
constexpr int32_t kGangTile = 76;     // chair 3 throws, chair 2 gangs
constexpr int32_t kWinTile = 26;      // chair 2 throws, chair 1 wins
constexpr int32_t kFirstDrawWall = 53;
constexpr int32_t kReplacementWall = 107;

// The chair the die's swap gives chair i its tiles from.
int32_t SwapSource(int32_t chair, int32_t die) {
    switch (((die % 3) + 3) % 3) {
        case 0:
            return (chair + 1) % kSeats;
        case 1:
            return (chair + 3) % kSeats;
        default:
            return (chair + 2) % kSeats;
    }
}

std::vector<uint8_t> ThrowNotice(int32_t thrower, int32_t tile) {
    tp::CardThrownNotice notice;
    notice.thrower = thrower;
    notice.tile = tile;
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> DrawNotice(int32_t chair, int32_t wallIndex) {
    tp::SeatDrawNotice notice;
    notice.chair = chair;
    notice.laidAside = tp::kNoTile;
    notice.tile = tp::kHiddenTile;
    notice.wallIndex = wallIndex;
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> MeldNotice(const RegionalScript::Options& options, int32_t claimant,
                                int32_t source, int32_t tile, bool gang) {
    tp::OperationRecord meld;
    meld.head = {kRobotUserBase + claimant, options.roomId, options.tableNo, claimant};
    meld.offerChair = source;
    meld.tile = tile;
    meld.handTiles = {tp::kHiddenTile, tp::kHiddenTile, gang ? tp::kHiddenTile : tp::kNoTile};
    return tp::WriteTableRecord(meld);
}

std::vector<uint8_t> PlayerEnter(const RegionalScript::Options& options, int32_t chair) {
    ServerPlayerRecord player;
    player.userId = kRobotUserBase + chair;
    player.tableNo = options.tableNo;
    player.chairNo = chair;
    player.sex = chair % 2;
    SetFieldText(player.name, RobotName(chair, RegionalScript::kOwnChair));
    player.silver = kRobotSilver;
    player.score = kRobotScore;
    std::vector<uint8_t> bytes(ServerPlayerRecord::kSize);
    WriteRecord(player, bytes);
    return bytes;
}

std::vector<uint8_t> SeatStarted(const RegionalScript::Options& options, int32_t chair) {
    tp::SeatStartedNotice notice;
    notice.head = {kRobotUserBase + chair, options.roomId, options.tableNo, chair};
    return tp::WriteTableRecord(notice);
}

std::vector<uint8_t> SwapReady(int32_t chair) {
    tp::SwapReadyNotice notice;
    notice.chair = chair;
    notice.kind = tp::kSwapReadyKind;
    notice.pointerChair = chair;
    return tp::WriteTableRecord(notice);
}

// The swap with the client's choice (when it sent one) as its part.
std::vector<uint8_t> SwapDice(std::span<const uint8_t> ownChoice) {
    std::array<std::array<int32_t, 3>, kSeats> given{};
    std::copy(std::begin(kGiven), std::end(kGiven), given.begin());
    tp::SwapThreeRequest choice;
    if (tp::ReadTableRecord(ownChoice, choice)) {
        for (size_t i = 0; i < 3; ++i) {
            given[RegionalScript::kOwnChair][i] =
                choice.chairTiles[RegionalScript::kOwnChair * 3 + i];
        }
    }
    tp::SwapDiceNotice notice;
    notice.die = RegionalScript::kSwapDie;
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        const int32_t source = SwapSource(chair, notice.die);
        for (size_t i = 0; i < 3; ++i) {
            notice.given[static_cast<size_t>(chair) * 3 + i] = given[chair][i];
            notice.received[static_cast<size_t>(chair) * 3 + i] = given[source][i];
        }
    }
    notice.tingList.fill(tp::kNoTile);
    return tp::WriteTableRecord(notice);
}

void CopyText(tp::Bytes<tp::GameResultRecord::kItemNamesBytes>& out, const std::string& text) {
    const size_t n = std::min(text.size(), out.size() - 1);
    std::memcpy(out.data(), text.data(), n);
}

}  // namespace

RegionalScript::RegionalScript(TestGameServer& server) : RegionalScript(server, Options{}) {}

RegionalScript::RegionalScript(TestGameServer& server, Options options)
    : options_(std::move(options)), server_(server), frame_(server, [this] {
          FrameScript::Options frame = options_.frame;
          userObserver_ = frame.onRequest;
          frame.onRequest = [this](const FrameScript::Recorded& r) { Observe(r); };
          return frame;
      }()) {
    frame_.SetReply(tp::kSwapThree, tp::kResultDone);
    frame_.SetReply(tp::kOwnDraw, tp::kResultDone, OwnDrawReply());
    frame_.SetReply(tp::kDiscard, tp::kResultDone);
    frame_.SetSilent(tp::kSeatBoardInfo);
    frame_.SetSilent(tp::kEnterHandRequest);
    frame_.SetSilent(kLeaveRequest);
    frame_.SetSilent(frame_requests::kStartGame);
    if (options_.engine) {
        RegionalEngineHand::Wire wire;
        wire.reply = [&server](uint32_t sequence, uint32_t code, std::vector<uint8_t> data) {
            server.Reply(sequence, MakeMessage(code, data));
        };
        wire.notify = [this](uint32_t id, std::vector<uint8_t> data) { frame_.Notify(id, data); };
        RegionalEngineHand::Options hand = options_.engineHand;
        hand.roomId = options_.roomId;
        hand.tableNo = options_.tableNo;
        engineHand_ = std::make_unique<RegionalEngineHand>(std::move(wire), std::move(hand));
        // The hand answers its requests itself; the frame script records them.
        for (const uint32_t id : {tp::kSwapThree, tp::kOwnDraw, tp::kDiscard, tp::kTingThrow,
                                  tp::kPengClaim, tp::kDiscardGang, tp::kConcealedGang,
                                  tp::kAddedGang, tp::kHuClaim, tp::kPass, tp::kGangQuery}) {
            frame_.SetSilent(id);
        }
        server.SetHandler([this](TestGameServer& s, const ServerRequest& request) {
            frame_.HandleRequest(s, request);
            engineHand_->OnRequest(
                request.messageSequence, request.message.Code(),
                std::span<const uint8_t>(request.message.data, request.message.length));
        });
    }
    thread_ = std::thread([this] { Run(); });
}

RegionalScript::~RegionalScript() {
    {
        std::lock_guard lock(mutex_);
        going_ = true;
    }
    changed_.notify_all();
    if (engineHand_) {
        engineHand_->Stop();
    }
    thread_.join();
    if (engineHand_) {
        server_.SetHandler([this](TestGameServer& s, const ServerRequest& request) {
            frame_.HandleRequest(s, request);
        });
        engineHand_.reset();
    }
}

void RegionalScript::Observe(const FrameScript::Recorded& request) {
    if (request.id == frame_requests::kStartGame) {
        frame_.Notify(static_cast<uint32_t>(tp::kSeatStarted), request.body);
        if (engineHand_) {
            engineHand_->ClientReady();
        }
    }
    if (request.id == frame_requests::kEnterGame) {
        StartHand();
    }
    if (userObserver_) {
        userObserver_(request);
    }
}

void RegionalScript::StartHand() {
    {
        std::lock_guard lock(mutex_);
        start_ = true;
    }
    changed_.notify_all();
}

bool RegionalScript::WaitForHandEnd(uint32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    return platform::WaitFor(changed_, lock, timeoutMs, [this] { return handEnded_; });
}

std::vector<std::string> RegionalScript::StepsSent() const {
    std::lock_guard lock(mutex_);
    return steps_;
}

bool RegionalScript::Going() const {
    std::lock_guard lock(mutex_);
    return going_;
}

bool RegionalScript::Pause(uint32_t ms) {
    std::unique_lock lock(mutex_);
    return !platform::WaitFor(changed_, lock, ms, [this] { return going_; });
}

bool RegionalScript::WaitForRequest(uint32_t id, size_t n, uint32_t timeoutMs) {
    for (uint32_t waited = 0; waited < timeoutMs; waited += kSliceMs) {
        if (Going()) {
            return false;
        }
        if (frame_.WaitForCount(id, n, kSliceMs)) {
            return true;
        }
    }
    return false;
}

bool RegionalScript::Step(const std::string& name, uint32_t delayMs, int32_t id,
                          const std::vector<uint8_t>& record) {
    if (!Pause(delayMs)) {
        return false;
    }
    if (options_.onStep) {
        options_.onStep(name);
    }
    if (Going()) {
        return false;
    }
    frame_.Notify(static_cast<uint32_t>(id), record);
    std::lock_guard lock(mutex_);
    steps_.push_back(name);
    return true;
}

void RegionalScript::Run() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return start_ || going_; });
        if (going_) {
            return;
        }
    }
    const bool played = PlayHand();
    std::lock_guard lock(mutex_);
    handEnded_ = played;
    changed_.notify_all();
}

bool RegionalScript::PlayEngineHand() {
    engineHand_->Start();
    while (!engineHand_->WaitForEnd(kSliceMs)) {
        if (Going()) {
            engineHand_->Stop();
            return false;
        }
    }
    return engineHand_->Played();
}

bool RegionalScript::PlayHand() {
    const Options& o = options_;
    if (!Pause(o.startAfterMs)) {
        return false;
    }
    for (int32_t chair = 1; chair < kSeats; ++chair) {
        if (!Step("211011 " + std::to_string(chair), 0, frame_requests::kPlayerEnterNotify,
                  PlayerEnter(o, chair)) ||
            !Step("201160 " + std::to_string(chair), 0, tp::kSeatStarted, SeatStarted(o, chair))) {
            return false;
        }
    }
    if (engineHand_) {
        return Pause(o.stepMs) && PlayEngineHand();
    }
    if (!o.scriptedPlays) {
        return true;
    }
    if (!Step("211040", o.stepMs, tp::kHandStart, tp::WriteTableRecord(HandStart(o)))) {
        return false;
    }
    for (int32_t chair = 1; chair < kSeats; ++chair) {
        if (!Step("229480 " + std::to_string(chair), chair == 1 ? o.dealMs : o.claimMs,
                  tp::kSwapReady, SwapReady(chair))) {
            return false;
        }
    }
    WaitForRequest(tp::kSwapThree, 1, o.swapWaitMs);
    if (!Step("222168", 0, tp::kSwapDice, SwapDice(frame_.LastBody(tp::kSwapThree))) ||
        !Step("222170 3", o.swapDiceMs, tp::kCardThrown, ThrowNotice(3, kFirstThrow)) ||
        !Step("229160 2", o.stepMs, tp::kSeatDraw, DrawNotice(2, kFirstDrawWall)) ||
        !Step("222170 2", o.stepMs, tp::kCardThrown, ThrowNotice(2, kSecondThrow)) ||
        !Step("229160 1", o.stepMs, tp::kSeatDraw, DrawNotice(1, kFirstDrawWall + 1)) ||
        !Step("222170 1", o.stepMs, tp::kCardThrown, ThrowNotice(1, kPengTile))) {
        return false;
    }
    int32_t pengSource = 1;
    int32_t pengTile = kPengTile;
    if (o.ownTurn) {
        if (!WaitForRequest(tp::kOwnDraw, 1, o.ownActionMs) ||
            !WaitForRequest(tp::kDiscard, 1, o.ownActionMs)) {
            return false;
        }
        tp::OperationRecord thrown;
        tp::ReadTableRecord(frame_.LastBody(tp::kDiscard), thrown);
        pengSource = kOwnChair;
        pengTile = thrown.tile;
    }
    return Step("229185 3", o.claimMs, tp::kPengNotice,
                MeldNotice(o, 3, pengSource, pengTile, false)) &&
           Step("222170 3", o.stepMs, tp::kCardThrown, ThrowNotice(3, kGangTile)) &&
           Step("229195 2", o.claimMs, tp::kGangNotice, MeldNotice(o, 2, 3, kGangTile, true)) &&
           Step("229160 2", o.stepMs, tp::kSeatDraw, DrawNotice(2, kReplacementWall)) &&
           Step("222170 2", o.stepMs, tp::kCardThrown, ThrowNotice(2, kWinTile)) &&
           Step("211080", o.stepMs, tp::kHandResult, tp::WriteTableRecord(HandResult(o)));
}

std::vector<int32_t> RegionalScript::OwnTiles() {
    return kDealt[kOwnChair];
}

std::array<int32_t, 3> RegionalScript::OwnReceivedTiles() {
    return kGiven[SwapSource(kOwnChair, kSwapDie)];
}

tp::HandStartRecord RegionalScript::HandStart(const Options& options) {
    tp::HandStartRecord start;
    start.handNumber = 1;
    start.baseSilver = options.baseSilver;
    start.baseScore = options.baseScore;
    start.banker = kBanker;
    start.turnChair = kBanker;
    start.startFlags = tp::kStartHandRunning | tp::kStartSwapPhase;
    start.reactionTime = kClockSeconds;
    start.discardTime = kClockSeconds;
    start.dice = {kSwapDie, 0, 0, 0};
    start.claimSkipRule = options.claimSkipRule;
    start.wallStart = 0;
    start.wildTiles = {kWildTile, kWildTile};
    start.wildIndicator = kWildTile;
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        start.seatTileCounts[static_cast<size_t>(chair)] =
            static_cast<int32_t>(kDealt[chair].size());
    }
    start.ownTiles.fill(tp::kNoTile);
    std::copy(kDealt[kOwnChair].begin(), kDealt[kOwnChair].end(), start.ownTiles.begin());
    return start;
}

tp::GameResultRecord RegionalScript::HandResult(const Options& options) {
    tp::GameResultRecord result;
    result.playerCount = kSeats;
    result.scoreBase.fill(kRobotScore);
    result.silverBase.fill(kRobotSilver);
    result.scoreChange = {0, 2 * options.baseScore, -2 * options.baseScore, 0};
    result.silverChange = {0, 2 * options.baseSilver, -2 * options.baseSilver, 0};
    result.nextBaseSilver = options.baseSilver;
    result.winFlags = {0, 1, 0, 0};
    result.discarder = 2;
    result.winner = 1;
    result.winTile = kWinTile;
    result.nextBanker = 1;
    result.winnerCount = 1;
    result.seatTiles.fill(tp::kNoTile);
    for (int32_t chair = 0; chair < kSeats; ++chair) {
        const std::vector<int32_t>& tiles = kDealt[chair];
        const size_t count = std::min<size_t>(tiles.size(), 13);
        std::copy_n(tiles.begin(), count, result.seatTiles.begin() + chair * 32);
        result.tileCounts[static_cast<size_t>(chair)] = static_cast<int32_t>(count);
    }
    CopyText(result.itemNames, "平胡|带根|清一色");
    result.itemValues[0] = 1;
    result.itemValues[1] = 1;
    result.itemMultipliers[2] = 4;
    result.exposedKongColumn = {0, 0, 1, 0};
    return result;
}

std::vector<uint8_t> RegionalScript::OwnDrawReply() {
    tp::DrawReply draw;
    draw.tile = kOwnDrawTile;
    draw.wallIndex = kOwnDrawWall;
    draw.options = 0;
    return tp::WriteTableRecord(draw);
}

}  // namespace testserver
