#include "tools/test_server/TableHand.h"

#include <utility>

#include "frame/net/FrameRequests.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_logic/RegionalMahjongRules.h"
#include "zep/ZepWire.h"

namespace testserver {

namespace tp = table_protocol;

namespace {

constexpr uint32_t kTableEndNoSilver = 211110;
constexpr size_t kChairWord = 3;

void Add(TableDriverStats& sum, const TableDriverStats& more) {
    sum.hands += more.hands;
    sum.selfDrawnWins += more.selfDrawnWins;
    sum.discardWins += more.discardWins;
    sum.robbingWins += more.robbingWins;
    sum.drawnHands += more.drawnHands;
    sum.pengs += more.pengs;
    sum.exposedKongs += more.exposedKongs;
    sum.concealedKongs += more.concealedKongs;
    sum.addedKongs += more.addedKongs;
    sum.declarations += more.declarations;
    sum.heldClaims += more.heldClaims;
    sum.robbingWindows += more.robbingWindows;
    for (size_t k = 0; k < sum.dice.size(); ++k) {
        sum.dice[k] += more.dice[k];
    }
    sum.refusedOffers += more.refusedOffers;
    for (size_t k = 0; k < sum.refusedByKind.size(); ++k) {
        sum.refusedByKind[k] += more.refusedByKind[k];
    }
}

}  // namespace

TableHand::~TableHand() {
    Abandon();
}

RegionalEngineHand::Pacing TableHand::PacingOf(TableServer::Pacing pacing) {
    RegionalEngineHand::Pacing paced;
    paced.on = true;
    if (pacing == TableServer::Pacing::kTest) {
        paced.turnSeconds = 4;
        paced.claimSeconds = 2;
        paced.robotMinMs = 100;
        paced.robotMaxMs = 200;
    } else {
        paced.turnSeconds = 15;
        paced.claimSeconds = 10;
        paced.robotMinMs = 800;
        paced.robotMaxMs = 1500;
    }
    return paced;
}

RegionalEngineHand::Options TableHand::HandOptions() {
    const TableServer::Options& table = table_.GetOptions();
    RegionalEngineHand::Options options;
    options.ownChair = table_.HumanChair();
    options.ownUserId = table_.HumanUser();
    options.roomId = table_.RoomId();
    options.tableNo = table_.TableNo();
    options.testDealReplay = false;
    options.hands = 1 << 30;
    options.ruledRobots = true;
    // Every connection's table differs, yet the same seed plays the same.
    const uint64_t seed = (uint64_t{table.seed} << 8) + static_cast<uint64_t>(table_.Resets()) + 1;
    options.seed = seed;
    options.robotSeed = seed ^ 0x5DEECE66Dull;
    options.ownSilver = table.humanSilver;
    // The safe box and welfare scripts keep the client's game silver.
    options.ownSilverNow = [this] { return table_.Frame().Services().GetSafeBox().gameSilver; };
    options.robotSilver = table.robotSilver;
    options.minSilver = table.minSilver;
    // One multiple of the engine's unit: a point is worth hundreds of
    // silver, so a hand rarely costs a player everything.
    options.baseSilver = 1;
    options.pacing = PacingOf(table.pacing);
    options.pacing.after = [this](uint32_t delayMs, std::function<void()> action) {
        return table_.After(delayMs, std::move(action));
    };
    options.pacing.cancel = [this](uint64_t id) { table_.CancelTimer(id); };
    options.pacing.now = [this] { return table_.NowMs(); };
    options.afterOperation = table.afterOperation;
    options.log = table.log;
    options.refused = [this](uint32_t code) { table_.CountRefusal(code); };
    options.afterHand = [this](const HandOutcome& outcome) { Report(outcome); };
    options.startRefused = [this](int chair) {
        // The human's silver (or score) does not let the hand start: the
        // client's box ends the table.
        std::vector<uint8_t> word(4);
        ZepWireWriter(word).WriteI32(chair == table_.HumanChair()
                                         ? table_.HumanUser()
                                         : TableServer::kRobotUserBase + chair);
        table_.SetHandRunning(false);
        table_.Notify(kTableEndNoSilver, word);
    };
    return options;
}

void TableHand::StartHand(TableServer& table) {
    if (hand_ && hand_->WaitForEnd(0)) {
        Abandon();
    }
    table.SetHandRunning(true);
    if (!hand_) {
        RegionalEngineHand::Wire wire;
        wire.reply = [this](uint32_t sequence, uint32_t code, std::vector<uint8_t> data) {
            table_.ReplyTo(sequence, code, data);
        };
        wire.notify = [this](uint32_t id, std::vector<uint8_t> data) { table_.Notify(id, data); };
        hand_ = std::make_unique<RegionalEngineHand>(std::move(wire), HandOptions());
        hand_->Start();
        return;
    }
    hand_->ClientReady();
}

void TableHand::OnPlayRequest(TableServer& table, const ServerRequest& request) {
    const uint32_t id = request.message.Code();
    const std::span<const uint8_t> body(request.message.data, request.message.length);
    // Every play request but the exchange's names the human's chair.
    const bool ownChair =
        id == tp::kSwapThree || tp::WordAt(body, kChairWord, -1) == table.HumanChair();
    if (ownChair && hand_ &&
        hand_->OnRequest(request.messageSequence, id, body, request.callerWord != 0)) {
        return;
    }
    if (request.callerWord != 0) {
        table.CountRefusal(tp::kResultNotCarriedOut);
        table.Reply(request, tp::kResultNotCarriedOut);
    }
}

void TableHand::Abandon() {
    if (!hand_) {
        return;
    }
    hand_->Stop();
    const TableDriverStats stats = hand_->DriverStats();
    hand_.reset();
    Add(earlier_, stats);
}

std::vector<uint8_t> TableHand::PackedSnapshot() const {
    return hand_ ? hand_->PackedSnapshot() : std::vector<uint8_t>{};
}

TableDriverStats TableHand::DriverStats() const {
    TableDriverStats sum = earlier_;
    if (hand_) {
        Add(sum, hand_->DriverStats());
    }
    return sum;
}

void TableHand::Report(const HandOutcome& outcome) {
    TableServer::HandReport report;
    for (size_t c = 0; c < TableServer::kSeats; ++c) {
        report.points[c] = outcome.points[c];
        report.scoreChange[c] = outcome.result.scoreChange[c];
        report.silverChange[c] = outcome.result.silverChange[c];
        report.fees[c] = outcome.result.fee[c];
        report.scoreBefore[c] = outcome.result.scoreBefore[c];
        report.silverBefore[c] = outcome.result.silverBefore[c];
    }
    report.endFlags = outcome.endFlags;
    report.winner = outcome.winner;
    report.banker = outcome.banker;
    if ((outcome.endFlags & kEndRobbing) != 0) {
        report.howWon = tp::kHuRobbingKong;
    } else if ((outcome.endFlags & kEndSelfDrawn) != 0) {
        report.howWon = tp::kHuSelfDrawn;
    } else if ((outcome.endFlags & kEndOnDiscard) != 0) {
        report.howWon = tp::kHuOnDiscard;
    }
    table_.HandSettled(report);
}

}  // namespace testserver
