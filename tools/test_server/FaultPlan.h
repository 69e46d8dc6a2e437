#pragma once
// A fault the table server makes on purpose, to see how a client lives
// through it. It acts once in a server's run, at one moment of the first
// hand that reaches it: the reply to the human's first accepted discard
// (222080 answered 10), or for the draw copy the first draw notice (229160)
// sent after that reply.
//
//  close                   the reply goes out, then the connection is closed
//                          both ways (the table resets as for any end);
//  withhold-discard-reply  the discard is carried out and announced, the
//                          reply never goes out;
//  late-discard-reply      the same reply goes out 6 s late;
//  bad-crc                 the reply's frame goes out with a wrong CRC;
//  bad-length              the reply's frame goes out with a length field
//                          no frame may carry;
//  truncated-draw-copy     after the draw notice, a second copy of it cut
//                          to half its bytes.
//
// Rules: everything else passes through unchanged; each fault logs one line
// starting "fault " when it acts; the table's thread calls every method.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tools/test_server/TestGameServer.h"

namespace testserver {

class FaultPlan {
public:
    enum class Kind {
        kNone,
        kClose,
        kWithholdDiscardReply,
        kLateDiscardReply,
        kBadCrc,
        kBadLength,
        kTruncatedDrawCopy,
    };
    static constexpr uint32_t kLateReplyMs = 6000;

    // The kind of a --fault name; empty for a name no fault has.
    static std::optional<Kind> Parse(std::string_view name);
    static std::string_view NameOf(Kind kind);
    // Every name, joined with '|' (for the program's help).
    static std::string Names();

    struct Hooks {
        // Runs the action on the table's thread delayMs from now (the
        // table's timers, dropped when the table resets).
        std::function<void(uint32_t delayMs, std::function<void()> action)> after;
        std::function<void(const std::string& line)> log;
    };

    FaultPlan(Kind kind, TestGameServer& server, Hooks hooks);

    Kind GetKind() const { return kind_; }
    // Whether the fault has acted.
    bool Done() const { return stage_ == Stage::kDone; }

    // A request of the client, before the table takes it.
    void OnRequest(const ServerRequest& request);
    // Sends a reply or a notification as the plan has it; the result is
    // what the table is told (a withheld reply counts as sent).
    bool Reply(uint32_t messageSequence, const ZepMessage& reply);
    bool Notify(const ZepMessage& message);
    // The table reset: a fault that has not acted waits for the next
    // connection's discard.
    void OnReset();

private:
    enum class Stage { kWaitingForDiscard, kDiscardAsked, kDrawAwaited, kDone };

    bool IsDiscardReply(uint32_t messageSequence, const ZepMessage& reply) const;
    // Acts on the discard's reply; the result as Reply's.
    bool ActOnDiscardReply(uint32_t messageSequence, const ZepMessage& reply);
    // Sends the reply's frames spoiled as the kind says.
    bool SendSpoiled(uint32_t messageSequence, const ZepMessage& reply);
    void Log(const std::string& what) const;

    Kind kind_;
    TestGameServer& server_;
    Hooks hooks_;
    Stage stage_ = Stage::kWaitingForDiscard;
    uint32_t discardSequence_ = 0;
};

}  // namespace testserver
