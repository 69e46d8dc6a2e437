#pragma once
// The program's application with its main window, connected to the
// loopback test server's regional script, at a dealt table: the script's
// robots entered, the test sends the hand's records and answers the
// client's requests through the script. The view is described as one text
// (rows, thrown tiles, offers, state, pointer, ready-hand badges, chat) so a
// record that must change nothing is checked whole.
//
// Rules:
//  - Every wait is bounded; the turn clocks are long, so no time-out plays
//    for the player while a test runs.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "mahjong_client/TableProtocol.h"
#include "tests/game/support/GameWindow.h"
#include "tests/game/support/RecordCuts.h"
#include "tools/test_server/RegionalScript.h"
#include "tools/test_server/TestGameServer.h"

class CRegionalTableView;
class CGameNotifyHandler;

namespace badinput_test {

namespace tp = table_protocol;

// The own tiles dealt: three of one face (0, 9, 18), pairs of two more.
inline const std::vector<int32_t> kOwnTiles = {0, 9, 18, 1, 10, 19, 2, 11, 3, 12, 5, 14, 6};
inline constexpr int32_t kOwnChair = 0;
inline constexpr int32_t kLongClockSeconds = 600;

// A throw notice (222170, and 400010's layout) with the own option word.
std::vector<uint8_t> Throw(int32_t thrower, int32_t tile, int32_t ownOptions);

// What a notification must do to the client.
enum class Outcome {
    kApplied,  // taken, no failure report
    kDropped,  // read and left (a log line), no failure report
    kRefused,  // too short: one failure report (201162) at the server
};

class BadInputTable : public ::testing::Test {
protected:
    void SetUp() override;

    // The hand start the script would send, with the own tiles above, long
    // clocks and `flags` (running, with or without the swap phase).
    static tp::HandStartRecord HandStart(int32_t flags);
    // Sends the hand start and waits until the own row shows its tiles and
    // the swap choice is open.
    void Deal(const tp::HandStartRecord& start);
    // Deals, then swaps each chair's three tiles back to it (die 4): the
    // banker's turn with the own row as dealt.
    void DealAndPlay();

    // Sends a marker every client takes whole, then the record; waits until
    // the client handled it and checks the outcome (the failure report).
    void Send(int32_t id, const std::vector<uint8_t>& record, Outcome outcome);
    // Sends each cut of the record (lengths) and checks each is refused and
    // leaves the view as it was.
    void SendCuts(int32_t id, const std::vector<uint8_t>& record,
                  const std::vector<size_t>& lengths);

    // The view as one text; equal texts: nothing a player sees changed.
    std::string Describe();
    // The active tiles of a row by hand index (-1 for an empty place).
    std::vector<int32_t> Row(int position);
    // The own row's tiles, sorted, without empty places.
    std::vector<int32_t> OwnTilesShown();
    int PositionOf(int32_t chair);

    CRegionalTableView& View();
    CGameNotifyHandler& Handler();
    size_t Reports();
    bool Connected();

    // Told of every request on the server's thread (after the script saw
    // it); a test sets it before the request is made.
    void OnRequest(std::function<void(const testserver::FrameScript::Recorded&)> observer);

    std::mutex observerLock_;
    std::function<void(const testserver::FrameScript::Recorded&)> observer_;  // by observerLock_
    testserver::TestGameServer server;
    testserver::RegionalScript script{server, [this] {
                                          testserver::RegionalScript::Options options;
                                          options.frame.onRequest = [this](const auto& request) {
                                              std::lock_guard lock(observerLock_);
                                              if (observer_) {
                                                  observer_(request);
                                              }
                                          };
                                          options.scriptedPlays = false;
                                          options.startAfterMs = 0;
                                          options.roomId = game_test::kWindowRoomId;
                                          options.tableNo = game_test::kWindowTableNo;
                                          return options;
                                      }()};
    game_test::GameWindow window;
};

// The lengths a record is refused at: each field's start short of the
// record's minimum, and the minimum less one byte.
template <class R>
std::vector<size_t> FieldCuts() {
    std::vector<size_t> starts = game_test::FieldStarts<R>();
    starts.push_back(tp::TableRecordMinimum<R>() - 1);
    std::vector<size_t> cuts;
    for (size_t at : starts) {
        if (at < tp::TableRecordMinimum<R>()) {
            cuts.push_back(at);
        }
    }
    return cuts;
}

}  // namespace badinput_test
