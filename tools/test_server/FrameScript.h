#pragma once
// The frame's script for the loopback test server: it answers the game
// frame's requests as the game server does, records every request it gets,
// and sends notifications when asked.
//
// Default answers (frame/net/FrameRequests.h holds the layouts):
//   201001 -> 10, version reply {version, subVersion, 0, 0, 0, 0, 0}
//   201308 -> 10, the 1104-byte block with the flag and the side-panel links
//   200110 -> 210200, the table's 1096-byte status block
//   201220 -> 210500, 82 words (word 0 the requesting user)
//   201130 -> 10 with the room options as word 0 (210030 while a game runs)
//   201125 -> 10 without data
//   201165, 201302, 201303, 201300 -> 10 without data
//   200040, 200041, 200042, 200043, 214010, 214000 -> the safe box and
//             welfare service with its state (ServiceScript.h)
//   214001 -> 10 with the welfare amount as word 0
//   201020, 201120, 201160, 201161, 201162, 201180, 201210, 201221,
//   201230, 201231, 201232, 229560, 214102, 214104, 214110 -> recorded,
//   never answered (also when the client waits)
//   other requests that wait -> 10000 without data; others are recorded,
//   never answered.
// Passed on to the table as notifications (after the answer, if any):
//   201211 -> 211200 (speaker at 0, kind 8 at 8, the text and "\r\n" at 36)
//   201200 -> 201200 as sent (caller at 0, called user at 16)
//   201212 -> 201212 (the requester's id at 0, his name at 20)
//   201213 -> 201213 as sent, with word 5 nonzero when the answer b is 0
//
// Rules:
//  - Queued answers come first, one per request; scripted answers replace
//    the default for their id until cleared; the script may be changed
//    from any thread while the client runs.
//  - Every request is recorded (id, body, whether the client waits) before
//    it is answered, so a test that sees the reply also sees the record.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/test_server/ServiceScript.h"
#include "tools/test_server/TestGameServer.h"

namespace testserver {

class FrameScript {
public:
    // One request as the script saw it.
    struct Recorded {
        uint32_t id = 0;
        std::vector<uint8_t> body;
        bool waited = false;
    };
    struct Link {
        int32_t index = 0;  // the side-panel button it belongs to
        std::string item;   // "WxH!URL"
    };
    struct Options {
        int32_t version = 13;
        int32_t subVersion = 1;
        int32_t roomOptions = 0;
        int32_t activeConfigFlag = 1;
        std::vector<Link> links = {{0, "800x600!http://127.0.0.1/frame/link0.html"},
                                   {1, "640x480!http://127.0.0.1/frame/link1.html"}};
        // The service's starting state (game silver, balance, password).
        ServiceScript::SafeBox safeBox;
        ServiceScript::Welfare welfare;
        // Names the server knows the users by (for 201212).
        std::map<int32_t, std::string> userNames;
        // Told of every request after it is recorded (on the server's thread).
        std::function<void(const Recorded&)> onRequest;
    };
    // A scripted answer: a result code and its data, or silence.
    struct Answer {
        uint32_t code = 0;
        std::vector<uint8_t> data;
        bool silent = false;
    };

    // Installs itself as the server's handler. Going, it stops the server,
    // so no request can reach a script that is gone.
    explicit FrameScript(TestGameServer& server);
    FrameScript(TestGameServer& server, Options options);
    ~FrameScript();
    FrameScript(const FrameScript&) = delete;
    FrameScript& operator=(const FrameScript&) = delete;

    // --- Scripting ---
    void SetAnswer(uint32_t requestId, Answer answer);
    void SetReply(uint32_t requestId, uint32_t code, std::vector<uint8_t> data = {});
    // Answers the next request of the id once; queued answers go in order
    // and before the scripted or default answer, which applies again when
    // the queue is empty.
    void QueueAnswer(uint32_t requestId, Answer answer);
    // 60031 with the text (terminated unless `terminated` is false).
    void RefuseWithText(uint32_t requestId, const std::string& text, bool terminated = true);
    // Recorded, never answered (the client times out).
    void SetSilent(uint32_t requestId);
    void ClearAnswer(uint32_t requestId);
    void SetVersion(int32_t version, int32_t subVersion);
    void SetRoomOptions(int32_t options);
    // 201130 answers 210030 while on.
    void SetGameRunning(bool running);

    // Records and answers one request as the script's own handler does; a
    // test's handler that took the server over passes the requests it does
    // not answer itself on through this.
    void HandleRequest(TestGameServer& server, const ServerRequest& request) {
        OnRequest(server, request);
    }

    // --- Notifications ---
    bool Notify(uint32_t id, std::span<const uint8_t> data = {});

    // The safe box and welfare state; tests read and change it at will.
    ServiceScript& Services() { return services_; }

    // --- What came ---
    std::vector<Recorded> Requests() const;
    std::vector<uint32_t> RequestIds() const;
    size_t Count(uint32_t requestId) const;
    // Waits until n requests of that id came in all; false at the time-out.
    bool WaitForCount(uint32_t requestId, size_t n, uint32_t timeoutMs);
    // The body of the latest request of that id; empty when none came.
    std::vector<uint8_t> LastBody(uint32_t requestId) const;

    // The default answers (also for tests that build expectations).
    static std::vector<uint8_t> VersionReplyBytes(int32_t version, int32_t subVersion);
    static std::vector<uint8_t> ActiveConfigBytes(int32_t flag, const std::vector<Link>& links);
    static std::vector<uint8_t> TableChatBytes(int32_t speaker, const std::string& text);

private:
    struct Forward {
        uint32_t id = 0;
        std::vector<uint8_t> data;
    };
    std::optional<Forward> ForwardOf(uint32_t id, std::span<const uint8_t> body) const;
    void OnRequest(TestGameServer& server, const ServerRequest& request);
    std::optional<Answer> DefaultAnswer(uint32_t id, std::span<const uint8_t> body,
                                        bool waited) const;

    TestGameServer& server_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Options options_;                                // guarded by mutex_
    bool gameRunning_ = false;                       // guarded by mutex_
    std::map<uint32_t, Answer> answers_;             // guarded by mutex_
    std::map<uint32_t, std::deque<Answer>> queued_;  // guarded by mutex_
    std::vector<Recorded> recorded_;                 // guarded by mutex_
    ServiceScript services_;                         // keeps its own lock
};

// The first script: every request that waits gets 10 and its own data back.
void InstallEchoScript(TestGameServer& server);

}  // namespace testserver
