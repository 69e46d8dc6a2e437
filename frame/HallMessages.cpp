// The application's side of the hall: the launch line, starting the hall or
// this program again, and every message the client sends to the hall.

#include <cstring>

#include "frame/FrameFunctions.h"
#include "frame/FramePlatform.h"
#include "frame/GameFrameApp.h"
#include "frame/HallRecords.h"
#include "frame/WaitCursor.h"
#include "platform/Dialogs.h"
#include "zep/ZepLog.h"

namespace {}  // namespace

bool CGameFrameApp::ParseLaunchCommandLine() {
    if (offline_) {
        return true;
    }
    LaunchFields fields;
    const int count = ParseLaunchLine(commandLine_, fields);
    if (count < LaunchFields::kMinFields) {
        ZepLog("ParseLaunchCommandLine: %d fields in the command line", count);
        const int answer = platform::ShowMessageBox(
            0, "该程序必须从游戏大厅中启动,是否启动游戏大厅？\r\n\r\n(frame2.0)", "",
            platform::kBoxYesNo | platform::kBoxIconInformation);
        if (answer == platform::kAnswerYes) {
            StartHall();
        }
        return false;
    }
    SetLaunchFields(fields);
    return true;
}

bool CGameFrameApp::StartHall() {
    const std::string hall = GetHallExePath();
    if (hall.empty()) {
        ZepLog("StartHall: no hall program in the shared settings");
        return false;
    }
    return frame::StartProgram(hall, {});
}

bool CGameFrameApp::RelaunchSelf() {
    launch_.relaunched = 1;
    launch_.lookOn = 0;
    return frame::StartProgram({}, {FormatLaunchLine(launch_)});
}

bool CGameFrameApp::RelaunchWithArgs(const std::string& text) {
    launch_.relaunched = 1;
    launch_.lookOn = 0;
    return frame::StartProgram({}, {text});
}

bool CGameFrameApp::IsHallWindowAlive() const {
    return GetHallWnd() != 0 && platform::IsWindow(GetHallWnd());
}

void CGameFrameApp::RegisterGameWindow(platform::WindowId window) {
    const platform::ThreadId comm = GetCommThreadId();
    if (comm != 0 && !platform::PostThreadMessage(comm, kMsgCommSetTarget, window, 0)) {
        ZepLog("RegisterGameWindow: the communication thread takes no messages");
    }
    if (offline_ || !IsHallWindowAlive()) {
        return;
    }
    if (IsMatch()) {
        platform::PostMessage(GetHallWnd(), kMsgHallRegisterMatch, window, launch_.userId);
    } else {
        platform::PostMessage(GetHallWnd(), kMsgHallRegisterGame, window, GetTableNo());
    }
}

void CGameFrameApp::NotifyHallLeaving(platform::WindowId window) {
    if (relaunchOnExit_ || offline_ || !IsHallWindowAlive()) {
        return;
    }
    HallLeaveRecord record;
    record.gameWindow = static_cast<int32_t>(window);
    record.userId = launch_.userId;
    record.tableNo = GetTableNo();
    record.chairNo = chairNo_;
    record.requiredVersion = requiredVersion_;
    record.requiredSubVersion = requiredSubVersion_;
    record.lookOn = launch_.lookOn;
    record.disconnectedInGame = disconnectedInGame_ ? 1 : 0;
    record.gameId = launch_.gameId;
    record.roomId = GetRoomID();
    const auto bytes = RecordBytes(record);
    frame::SendCopyData(GetHallWnd(), window,
                        disconnectedInGame_ ? kHallDataLeaveDisconnected : kHallDataLeave, bytes,
                        kHallSendTimeoutMs);
}

int CGameFrameApp::OpenUrlInHall(const std::string& url, int flag) {
    if (!IsHallWindowAlive()) {
        return 0;
    }
    HallUrlRecord record;
    record.mainWindow = static_cast<int32_t>(GetMainWindow());
    record.userId = launch_.userId;
    record.gameId = launch_.gameId;
    record.hallRoomId = launch_.hallRoomId;
    record.flag = flag;
    if (url.size() > HallUrlRecord::kUrlMax) {
        ZepLog("OpenUrlInHall: an address of %zu bytes is cut to %zu", url.size(),
               HallUrlRecord::kUrlMax);
    }
    SetFieldText(record.url, url);
    const std::vector<uint8_t> enciphered = EncipherHallRecord(RecordBytes(record));
    if (enciphered.size() < HallUrlRecord::kSize) {
        return 0;
    }
    frame::SendCopyData(GetHallWnd(), GetMainWindow(), kHallDataOpenUrl,
                        std::span(enciphered).first(HallUrlRecord::kSize), kHallSendTimeoutMs);
    return 1;
}

bool CGameFrameApp::PostToHallFrame(uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam) {
    const platform::WindowId hall = platform::FindWindowByClass(kHallWindowClass);
    return hall != 0 && platform::PostMessage(hall, message, wParam, lParam);
}

std::string CGameFrameApp::GetHallSign() {
    if (!IsHallWindowAlive()) {
        return {};
    }
    WaitCursor waitCursor;
    const uint32_t token = signQueries_->Open(launch_.userId);
    if (!platform::PostMessage(GetHallWnd(), kMsgHallSignQuery, signAnswerWindow_,
                               static_cast<platform::LParam>(token))) {
        ZepLog("GetHallSign: the hall took no sign query");
        return {};
    }
    std::optional<std::string> text = signQueries_->Wait(token, signWaitMs_);
    if (!text) {
        ZepLog("GetHallSign: no answer within %u ms", signWaitMs_);
        return {};
    }
    return std::move(*text);
}

void CGameFrameApp::OnHallSignAnswer(std::span<const uint8_t> enciphered) {
    signQueries_->Answer(enciphered);
}

// --- Moving to another room ---

int CGameFrameApp::SwitchToPrevRoom() {
    return SwitchRoom(-1);
}

int CGameFrameApp::SwitchToNextRoom() {
    return SwitchRoom(1);
}

int CGameFrameApp::SwitchRoom(int direction) {
    if (IsGamePlaying()) {
        return 0;
    }
    size_t current = roomList_.size();
    for (size_t i = 0; i < roomList_.size(); ++i) {
        if (roomList_[i].roomId == launch_.hallRoomId) {
            current = i;
            break;
        }
    }
    if (current == roomList_.size()) {
        return 0;
    }
    int32_t target = -1;
    const int64_t index = int64_t(current) + direction;
    if (index >= 0 && index < int64_t(roomList_.size())) {
        const RoomListEntry& entry = roomList_[size_t(index)];
        const UserRecord& own = GetSeat(chairNo_);
        bool eligible = true;
        if (roomListMode_ == 0) {
            eligible = entry.scoreLower < own.score && own.score <= entry.scoreUpper;
        } else if (roomListMode_ == 1) {
            eligible = own.silver > entry.silverFloor && own.score <= entry.scoreCeiling;
        }
        if (eligible) {
            target = entry.roomId;
        }
    }
    HallRoomSwitchRecord record;
    record.listMode = roomListMode_;
    record.userId = launch_.userId;
    record.gameId = launch_.gameId;
    record.hallRoomId = launch_.hallRoomId;
    record.tableNo = GetTableNo();
    record.chairNo = chairNo_;
    record.targetRoomId = target;
    const std::vector<uint8_t> enciphered = EncipherHallRecord(RecordBytes(record));
    const bool hallAlive = IsHallWindowAlive();
    const bool delivered =
        hallAlive && enciphered.size() >= HallRoomSwitchRecord::kSize &&
        frame::SendCopyData(GetHallWnd(), 0, kHallDataSwitchRoom,
                            std::span(enciphered).first(HallRoomSwitchRecord::kSize),
                            kHallSendTimeoutMs);
    if (delivered && GetMainWindow() != 0) {
        platform::PostMessage(GetMainWindow(), platform::kMsgClose, 0, 0);
    }
    return 1;
}
