#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "tests/mahjong_logic/MahjongTestSupport.h"
#include "tests/mahjong_logic/TableDriverChecks.h"
#include "tools/table_driver/RobotPlayer.h"

namespace {

using TableFuzz = MahjongFixture;

// Random operations with random seats, tiles, request words and buffer
// sizes, mixed into the legal steps of robot hands.
class RandomOperations {
public:
    explicit RandomOperations(uint32_t seed) : random_(seed) {}

    void Run(CRegionalMahjongRules& table, const RoundParameters& round) {
        switch (Pick(16)) {
            case 0: {
                std::array<int32_t, 64> list;
                list.fill(-1);
                const int n = Pick(3);
                for (int k = 0; k < n; ++k) {
                    list[static_cast<size_t>(k)] = Tile(table);
                }
                table.Discard(Seat(table), list);
                break;
            }
            case 1:
                table.Peng(Request(table));
                break;
            case 2:
                table.ExposedKong(Request(table));
                break;
            case 3:
                table.ConcealedKong(Request(table));
                break;
            case 4:
                table.AddedKong(Request(table));
                break;
            case 5:
                table.AnnounceKong(Request(table));
                break;
            case 6: {
                TableRequest request = Request(table);
                table.ResolveHu(request);
                break;
            }
            case 7:
                table.WaitForHigherClaim(Request(table), 1 << Pick(4));
                table.AnswerClaim(Seat(table), Seat(table));
                break;
            case 8: {
                SwapRecord record;
                for (int k = 0; k < 12; ++k) {
                    record.words[static_cast<size_t>(k)] = Tile(table);
                }
                record.words[SwapRecord::kSubmitterWord] = Seat(table);
                if (Pick(2) == 0) {
                    table.SubmitSwapChoice(record);
                } else {
                    table.AutoSwapChoice(record);
                }
                break;
            }
            case 9:
                table.DeclareReady(Seat(table), Tile(table));
                table.SelfOptions(Seat(table), Tile(table));
                break;
            case 10: {
                std::vector<uint8_t> buffer(static_cast<size_t>(
                    Pick(2) == 0 ? Pick(20000) : table.GetGameStateSize() - 1 + Pick(3)));
                table.PackGameState(buffer, Seat(table), Pick(2) == 0);
                table.PackHeader(buffer, Seat(table), Pick(2) == 0);
                break;
            }
            case 11: {
                std::vector<uint8_t> buffer(
                    static_cast<size_t>(table.GetResultSize() - 2 + Pick(4)));
                TableResult result;
                table.PackResult(buffer, result);
                std::vector<uint8_t> player(static_cast<size_t>(Pick(2000)));
                table.PackPlayerState(player, Seat(table));
                break;
            }
            case 12: {
                TableRequest request = Request(table);
                table.SetAsideTile(request);
                HuResult result;
                table.CanHu(Seat(table), Tile(table), result, 1 << Pick(3));
                break;
            }
            case 13: {
                int chair = -1;
                table.StartGame(round, chair);
                break;
            }
            case 14:
                if (Pick(8) == 0) {
                    table.StartPlayAfterSwap();
                } else {
                    table.DrawFront(Seat(table));
                }
                break;
            default:
                if (Pick(20) == 0) {
                    table.Reset(false);
                } else {
                    table.DrawBack(Seat(table));
                }
                break;
        }
    }

private:
    int Pick(int bound) { return static_cast<int>(random_() % static_cast<uint32_t>(bound)); }
    // Mostly seats of the table, now and then one outside it.
    int Seat(const CRegionalMahjongRules& table) {
        return Pick(6) == 0 ? Pick(12) - 4 : (Pick(2) == 0 ? table.GetActiveChair() : Pick(4));
    }
    // Mostly the tiles in play, now and then any word.
    int Tile(const CRegionalMahjongRules& table) {
        switch (Pick(5)) {
            case 0:
                return table.DiscardedTile();
            case 1:
                return static_cast<int>(random_());
            default:
                return Pick(120) - 6;
        }
    }
    TableRequest Request(const CRegionalMahjongRules& table) {
        TableRequest request;
        for (auto& word : request.words) {
            word = Pick(4) == 0 ? static_cast<int32_t>(random_()) : Pick(9) - 1;
        }
        request.words[3] = Seat(table);
        request.words[4] = Pick(2) == 0 ? table.DiscarderSeat() : Seat(table);
        for (int k = 5; k < 9; ++k) {
            request.words[static_cast<size_t>(k)] = Tile(table);
        }
        request.words[6 + Pick(3)] = 1 << Pick(3);
        return request;
    }

    std::mt19937 random_;
};

TEST_F(TableFuzz, RandomOperationsAmongLegalStepsKeepEveryTile) {
    constexpr int kSequences = 200;
    constexpr int kOperations = 500;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        const uint64_t seed = 1000 + static_cast<uint64_t>(sequence);
        ScopedDriverSources sources(seed);
        CRegionalMahjongRules table;
        RobotPlayer r0(seed * 4 + 1), r1(seed * 4 + 2), r2(seed * 4 + 3), r3(seed * 4 + 4);
        TableDriverOptions options;
        options.settings[1] = sequence % 2;
        options.round.scoreBase = 1;
        options.round.silverMultiple = 1;
        options.round.feeMode = sequence % 3 == 0 ? 6 : 8;
        options.round.feeRate = 1;
        options.round.maxScore = INT_MAX;
        options.round.minScore = INT_MIN;
        options.round.maxGames = INT_MAX;
        options.round.maxPlayerGames = INT_MAX;
        options.startSilver = 5000;
        TableDriver driver(table, {&r0, &r1, &r2, &r3}, options);
        ASSERT_TRUE(driver.SeatPlayers());

        RandomOperations operations(static_cast<uint32_t>(seed));
        std::mt19937 mix(static_cast<uint32_t>(seed) * 31u);
        int done = 0;
        std::string fault;
        auto check = [&](std::string_view what) {
            ++done;
            if (fault.empty()) {
                fault = ConservationFault(table);
                if (!fault.empty()) {
                    fault +=
                        " after " + std::string(what) + " at operation " + std::to_string(done);
                }
            }
        };
        driver.afterOperation = [&](std::string_view operation) {
            check(operation);
            // Between legal steps, now and then a random operation.
            for (int k = static_cast<int>(mix() % 3); k > 0 && done < kOperations; --k) {
                if (mix() % 2 == 0) {
                    operations.Run(table, options.round);
                    check("a random operation");
                }
            }
            if (done >= kOperations || !fault.empty()) {
                driver.RequestStop();
            }
        };
        for (int guard = 0; done < kOperations && fault.empty() && guard < 4 * kOperations;
             ++guard) {
            if (!driver.PlayHand().played) {
                // A hand the random operations broke off: the table as it is,
                // then a fresh hand.
                operations.Run(table, options.round);
                check("a random operation");
                table.Reset(false);
                check("Reset");
            }
        }
        ASSERT_EQ(fault, "") << "sequence " << sequence;
        ASSERT_GE(done, kOperations) << "sequence " << sequence;
    }
}

}  // namespace
