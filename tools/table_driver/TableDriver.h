#pragma once
// TableDriver: plays whole regional hands headless on a CRegionalMahjongRules
// table, in the order the engine expects: seating, the deal, the swap-three
// exchange, turns and claims with their phase bits, kongs with their robbing
// windows, and the end of the hand through settlement to the next banker.
//
// Rules kept:
//  - Each seat's decisions come from its SeatPlayer, chosen among the actions
//    the engine offers; the driver never carries out anything else.
//  - Only the seat after the discarder draws from the front, and only once
//    the claim window has closed unclaimed; a kong draws from the back.
//  - A held claim waits for the higher claims of other seats, or for the
//    claim time-out less one second on the clock.
//  - Time comes only from DriverClock and randomness only from the driver's
//    engine generator; ScopedDriverSources installs both for its life.
//  - Hands chain: between hands the table is reset without the full flag,
//    so the banker chosen by the last hand's settlement stays.

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "mahjong_logic/RegionalMahjongRules.h"
#include "tools/table_driver/SeatPlayer.h"

// The injected clock of the engine: starts above 0 and moves only when told.
struct DriverClock {
    static inline uint32_t now = 1000;
    static uint32_t Read() { return now; }
    static void Advance(uint32_t ms) { now += ms; }
};

// Installs DriverClock and a seeded engine generator (every reseed is mixed
// with the salt, so hands differ) and restores the defaults on destruction.
class ScopedDriverSources {
public:
    explicit ScopedDriverSources(uint64_t salt);
    ~ScopedDriverSources();
    ScopedDriverSources(const ScopedDriverSources&) = delete;
    ScopedDriverSources& operator=(const ScopedDriverSources&) = delete;
    // Changes the salt mixed into the engine's reseeds.
    static void SetSalt(uint64_t salt);
};

struct TableDriverOptions {
    std::array<int32_t, kSettingsWords> settings{};  // word 1 set: a silver table
    RoundParameters round;
    int32_t startScore = 0;
    int32_t startSilver = 0;
    bool testDealReplay = false;  // replay "test.ini" instead of shuffling
    int maxOperationsPerHand = 4000;
    // Claims are asked in play order after the discarder, the seats that
    // may win first (else in an order that varies from discard to discard).
    bool claimsInPlayOrder = false;
    uint32_t playerFlags = 0;  // each chair's user flags (4: plays for silver)
};

// What the driver has seen over its hands.
struct TableDriverStats {
    int hands = 0;
    int selfDrawnWins = 0;
    int discardWins = 0;
    int robbingWins = 0;
    int drawnHands = 0;
    int pengs = 0;
    int exposedKongs = 0;
    int concealedKongs = 0;
    int addedKongs = 0;
    int declarations = 0;
    int heldClaims = 0;         // a lower claim held for a higher one
    int robbingWindows = 0;     // kong announcements others could rob
    std::array<int, 7> dice{};  // exchange dice 1..6
    // Actions the engine offered but then refused (should stay 0), and
    // concealed kongs refused for a declared seat's waits (allowed).
    int refusedOffers = 0;
    std::array<int, 12> refusedByKind{};  // by SeatActionKind; the set-aside as kPass
};

struct HandOutcome {
    bool played = false;    // false: the hand could not start or ran too long
    int startRefusal = 0;   // StartGame's answer (1: started; 0: not tried)
    int refusedChair = -1;  // the chair a refused start names
    uint32_t endFlags = 0;
    int winner = -1;
    int banker = -1;
    TableResult result;
    std::vector<uint8_t> record;  // the packed result
    PerSeat<int32_t> points{};    // the regional points of the hand
};

class TableDriver {
public:
    TableDriver(CRegionalMahjongRules& table, std::array<SeatPlayer*, 4> players,
                TableDriverOptions options);

    // Settings, four players and their ready marks; false when refused.
    bool SeatPlayers();
    // Plays one hand from the deal to the reset for the next one.
    HandOutcome PlayHand();

    const TableDriverStats& Stats() const { return stats_; }
    // Ends the hand under way at the next operation: PlayHand returns it
    // as not played, with the table left as it is.
    void RequestStop() { stopRequested_ = true; }
    // Called after every operation the driver makes, with its name.
    std::function<void(std::string_view)> afterOperation;
    // Called with the claims a discard drew and the one carried out.
    struct ClaimRound {
        int source = -1;
        std::vector<std::pair<int, int32_t>> claims;  // seat, rank
        int carriedOut = -1;                          // seat, -1 when none
        int32_t carriedRank = 0;
    };
    std::function<void(const ClaimRound&)> afterClaims;

private:
    enum class Next { kTurn, kDrawnHand, kWon, kStuck };

    void Step(std::string_view operation);
    void Refused(SeatActionKind kind);
    bool RunSwap();
    // The seat's turn on the tile it drew (-1 when none): what follows.
    Next Turn(int seat, int drawn);
    // The claim window on the seat's discard: the next turn's seat and draw.
    Next Claims(int source, int tile, int& nextSeat, int& drawn);
    // A kong that others may rob: announced, robbed or made, then the draw.
    Next AnnouncedKong(TableRequest request, int& nextSeat, int& drawn);
    Next DrawFor(int seat, bool fromBack, int& drawn);
    void BeginTurn(int seat);
    void EndHand(HandOutcome& outcome, bool won);
    SeatAction Ask(int seat, std::vector<SeatAction> options);
    // The meant action names the offered one's tiles or other held copies.
    bool IsCopyOf(int seat, const SeatAction& meant, const SeatAction& offered) const;
    std::vector<int32_t> HeldIdsOfIndex(int seat, int index) const;

    CRegionalMahjongRules& table_;
    std::array<SeatPlayer*, 4> players_;
    TableDriverOptions options_;
    TableDriverStats stats_;
    int operations_ = 0;
    bool stopRequested_ = false;
    // What the engine offered the seat whose turn it is.
    int32_t turnOptions_ = 0;
};

// A request of the driver's kind: seat, source, tile and hand tiles.
TableRequest MakeTableRequest(int seat, int source, int tile,
                              std::array<int32_t, 3> handTiles = {-1, -1, -1});
