#pragma once
// The table server's hands: the regional engine hand, paced on the table's
// timers, with seeded robots that win, meld and declare, and the human's
// seat fed by the wire.
// One engine hand serves a connection's hands one after the other (the
// table driver's between-hands sequence keeps the banker); a reset drops
// it, and the next client gets a fresh table.
//
// Rules kept:
//  - Everything runs on the table's thread or while it waits for the hand.
//  - Each settled hand is reported to the table before its result goes out.

#include <memory>
#include <vector>

#include "tools/test_server/RegionalEngineHand.h"
#include "tools/test_server/TableServer.h"

namespace testserver {

class TableHand : public TableServer::HandLoop {
public:
    explicit TableHand(TableServer& table) : table_(table) {}
    ~TableHand() override;

    void StartHand(TableServer& table) override;
    void OnPlayRequest(TableServer& table, const ServerRequest& request) override;
    void Abandon() override;
    std::vector<uint8_t> PackedSnapshot() const override;
    TableDriverStats DriverStats() const override;

    // The pacing values of a table: the client's clocks and the robots' time.
    static RegionalEngineHand::Pacing PacingOf(TableServer::Pacing pacing);

private:
    RegionalEngineHand::Options HandOptions();
    void Report(const HandOutcome& outcome);

    TableServer& table_;
    std::unique_ptr<RegionalEngineHand> hand_;
    TableDriverStats earlier_;  // of the hands of earlier connections
};

}  // namespace testserver
