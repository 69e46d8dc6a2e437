#pragma once
// A stand-in for the game hall: it owns the hall's main window
// ("GameHallFrame", exported to the user's other processes), starts the
// client with a real launch line, hands it the enciphered launch record when
// it registers, plays a script of hall messages, answers its sign queries and
// records everything the client sends, deciphered.
//
// Rules:
//  - The hall runs on its own thread; every public call is safe from any
//    thread. Records are sent with a 5000 ms time-out and never block the
//    caller on the client's own thread.
//  - What the client sends is checked as the real hall would: a record of
//    the wrong size or not in whole cipher blocks is recorded as refused and
//    answered 0, never read past its bytes.
//  - The script starts once, after the first launch record was delivered;
//    each step waits its delay after the one before.
//  - Vanishing destroys the window: the client's IsWindow turns false.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frame/HallRecords.h"
#include "frame/LaunchLine.h"
#include "frame/LaunchRecordBuilder.h"
#include "platform/Messages.h"
#include "platform/Process.h"
#include "platform/Thread.h"

namespace fakehall {

// Messages the client posts to the hall.
inline constexpr uint32_t kMsgRegisterGame = platform::kMsgApp + 4357;
inline constexpr uint32_t kMsgRegisterMatch = platform::kMsgApp + 4376;
inline constexpr uint32_t kMsgSignQuery = platform::kMsgApp + 4364;
inline constexpr uint32_t kMsgTableNotice = platform::kMsgApp + 4359;
// wParam the client's window, lParam a user: answered with that user's
// record (dwData 7).
inline constexpr uint32_t kMsgPlayerDetails = platform::kMsgApp + 4360;
// From the client's web pages, wParam the user.
inline constexpr uint32_t kMsgChangeClothing = platform::kMsgApp + 1775;
inline constexpr uint32_t kMsgBecomeMember = platform::kMsgApp + 1776;

// One message of the hall's script.
struct ScriptStep {
    enum class Kind {
        AddLooker,   // dwData 4: a user record of a new looker-on
        PlayerLeft,  // dwData 6: hall window, user, table, chair
        ShowPlayer,  // dwData 7: a user record to show on a card
        NoAction,    // dwData 13
        Vanish,      // the hall's window goes away
    };
    Kind kind = Kind::NoAction;
    uint32_t delayMs = 0;    // after the step before (the first: after the launch record)
    int32_t userId = 0;      // 4, 6, 7
    int32_t chairNo = 0;     // 4, 6, 7
    int32_t tableNo = -1;    // 6 (-1: the launch's table)
    int32_t hallWindow = 0;  // 6 (0: this hall's window)
    std::string name;        // 4, 7
    // Faulty records on purpose: the plain record cut to this many bytes
    // before enciphering, and the byte count sent.
    std::optional<uint32_t> plainBytes;
    std::optional<uint32_t> sentBytes;
};

// Parses "delayMs:kind[:arguments]" as the program's --step takes it; kind 4
// "user:chair[:name]", 6 "user:table:chair[:hallWindow]", 7 "user:chair[:name]",
// 13, "vanish"; a trailing ",cut=N" or ",send=N" makes the record faulty.
std::optional<ScriptStep> ParseScriptStep(const std::string& text);

// The proxy the hall's settings give the client: "Sock" 1 SOCKS4, 3 SOCKS5,
// 4 HTTP CONNECT.
struct HallProxy {
    int sock = 3;
    std::string host = "127.0.0.1";
    int port = 1080;
    std::string user;
    std::string password;
};

// Parses "KIND:HOST:PORT[:USER[:PASSWORD]]" with KIND socks4, socks5 or
// http (the password is the rest of the text); nothing when it is not that.
std::optional<HallProxy> ParseHallProxy(const std::string& text);

// The launch record of a room and a table of `players` players, the own
// user on the launch's chair (a looker-on watches with the others seated).
// The other seats are the table server's robots when `robots` is set, else
// made-up players.
LaunchRecordBuilder MakeTableLaunchRecord(const LaunchFields& launch, int players, bool robots);

// Something the client did to the hall.
struct HallEvent {
    enum class Kind {
        Registered,     // +4357 (wParam window, lParam table) or +4376 (lParam user)
        LaunchSent,     // the launch record went to the client's window
        SignQuery,      // +4364, answered with dwData 14
        TableNotice,    // +4359
        PlayerDetails,  // +4360, answered with dwData 7
        WebCommand,     // +1775 or +1776
        Leave,          // dwData 2 or 5, plain
        OpenUrl,        // dwData 11, deciphered
        SwitchRoom,     // dwData 15, deciphered
        Refused,        // a copy-data record the hall could not read
        StepSent,       // a script step went to the client
        Vanished,
    };
    Kind kind = Kind::Vanished;
    uint32_t message = 0;  // the post id, or the copy-data's dwData
    platform::WParam wParam = 0;
    platform::LParam lParam = 0;
    bool delivered = false;  // LaunchSent, SignQuery, StepSent, PlayerDetails: the client took it
    std::vector<uint8_t> bytes;  // the record deciphered (as sent for 2 and 5)
    std::optional<HallLeaveRecord> leave;
    std::optional<HallUrlRecord> url;
    std::optional<HallRoomSwitchRecord> roomSwitch;

    // One line of text, as the program records it.
    std::string Describe() const;
};

struct FakeHallOptions {
    // The launch line's fields; the hall writes its own window as field 4.
    LaunchFields launch;
    // The launch record handed over on +4357; on +4376 its match form.
    LaunchRecordBuilder launchRecord;
    std::string matchName = "fake match";
    // The sign answered to every query of the launch's user.
    std::string signText = "fake-hall-sign";
    std::vector<ScriptStep> script;
    // Written as [SYSTEM] "ExePath" of the shared "hmbt.ini"; empty: the
    // running program's file.
    std::string exePath;
    // Written as the "PROXY" section of the hall's own settings file
    // ("GameHall.ini" in the folder of "ExePath") when set.
    std::optional<HallProxy> proxy;
};

class FakeHall {
public:
    explicit FakeHall(FakeHallOptions options);
    ~FakeHall();  // vanishes and ends the hall's thread
    FakeHall(const FakeHall&) = delete;
    FakeHall& operator=(const FakeHall&) = delete;

    // Writes "ExePath", lays out the hall's folder as the hall has it (its
    // "users" folder of per-user settings), opens and exports the window.
    // False when the window could not be made or exported.
    bool Start();
    platform::WindowId Window() const { return window_; }

    // The launch fields with this hall's window, and the line made of them.
    LaunchFields Launch() const;
    std::string LaunchLine() const;
    // Starts the client program with the launch line as its one argument;
    // its process id, or 0.
    platform::ProcessId StartClient(const std::string& program);

    // The client's window from its last registration, 0 before.
    platform::WindowId ClientWindow() const;
    // Sends one step now (from any thread); true when the client took it.
    bool RunStep(const ScriptStep& step);
    void Vanish();

    std::vector<HallEvent> Events() const;
    // Waits for an event of that kind (the count-th one, from 1); none after
    // the time-out.
    std::optional<HallEvent> WaitForEvent(HallEvent::Kind kind, uint32_t timeoutMs, int count = 1);
    // Called on the hall's thread for every event as it is recorded.
    void SetEventSink(std::function<void(const HallEvent&)> sink);

private:
    class HallWindow;
    void RunThread(platform::Event& ready);
    void OnPost(uint32_t id, platform::WParam wParam, platform::LParam lParam);
    platform::LResult OnCopyData(platform::WParam sender, const platform::CopyDataRecord& record);
    void SendLaunchRecord(platform::WindowId client, bool match);
    void AnswerSignQuery(platform::WindowId answerWindow, platform::LParam token);
    void AnswerPlayerDetails(platform::WindowId client, platform::LParam userId);
    void ScheduleNextStep();
    void OnScriptTimer();
    bool SendRecord(platform::WindowId target, uintptr_t dwData, std::span<const uint8_t> plain,
                    const ScriptStep* faults);
    void Record(HallEvent event);
    void DestroyWindowOnHallThread();

    FakeHallOptions options_;
    platform::Thread thread_;
    platform::WindowId window_ = 0;
    std::unique_ptr<HallWindow> hallWindow_;  // lives on the hall's thread

    // Hall thread only.
    bool scriptStarted_ = false;
    size_t nextStep_ = 0;
    uint32_t scriptTimer_ = 0;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<HallEvent> events_;
    platform::WindowId clientWindow_ = 0;
    bool vanished_ = false;
    std::function<void(const HallEvent&)> sink_;
};

}  // namespace fakehall
