#pragma once
// The safe box in an engine window on SDL's dummy driver, in a silver room
// that allows the safe box, with a real game connection to the loopback
// test server and its safe-box service. The frame view's information boxes
// are recorded and answered by delivering their first record.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/ui/CorvaneButton.h"
#include "frame/FrameFunctions.h"
#include "frame/panels/InputBar.h"
#include "frame/panels/InputBoxes.h"
#include "frame/panels/safebox/DepositDlgs.h"
#include "frame/panels/safebox/NumKeyPadDlg.h"
#include "frame/panels/safebox/SafeBoxDlg.h"
#include "frame/panels/safebox/SetDepositDlg.h"
#include "platform/Files.h"
#include "platform/Input.h"
#include "platform/Profile.h"
#include "platform/Screen.h"
#include "tests/frame/ConnectionFixture.h"
#include "tests/frame_panels/PanelWindow.h"

namespace safebox_test {

using namespace connection_test;
using testserver::ServiceScript;

constexpr int kSceneWidth = 1024;
constexpr int kSceneHeight = 738;
constexpr int32_t kCarried = 1234;
constexpr int32_t kBalance = 5000;

// The window tests' application: a launched table whose own seat carries
// kCarried silver, in a room that allows the safe box.
class SafeBoxTest : public PanelWindowTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.Path() / "system");
        std::filesystem::create_directories(folder.Path() / "hall" / "users");
        std::filesystem::create_directories(folder.Path() / "game");
        ::setenv("PVBN_SYSTEM_FOLDER", (folder.Path() / "system").c_str(), 1);
        platform::WritePrivateProfileString(
            "SYSTEM", "ExePath", ((folder.Path() / "hall").string() + "/hall.exe").c_str(),
            GetHallSettingsFile().c_str());
        platform::SetProgramFolderForTesting((folder.Path() / "game").string() + "/");
        platform::SetScreenForTesting({0, 0, kSceneWidth, kSceneHeight + 30},
                                      {0, 0, kSceneWidth, kSceneHeight});
        ZepRegisterSocketWindowClass();
        platform::SetEthernetAddressesForTesting(
            std::vector<platform::EthernetAddress>{{0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}});

        LaunchFields fields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = kOwnChair;
        fields.hallRoomId = kRoomId;
        fields.gameName = "麻将";
        app.SetLaunchFields(fields);
        LaunchRecordBuilder builder;
        builder.room.roomId = kRoomId;
        builder.room.flags = RoomInfo::kFlagSafeBoxInGame;
        builder.room.options = RoomInfo::kOptionSilverRoom;
        builder.table.tableNo = kTableNo;
        UserRecord own = MakeLaunchUser(kOwnId, kOwnChair, "自己");
        own.silver = kCarried;
        builder.seats = {MakeLaunchUser(4000, 0, "甲"), own};
        ASSERT_TRUE(app.InitGameData(builder.Build()));

        ServiceScript::SafeBox state;
        state.gameSilver = kCarried;
        state.balance = kBalance;
        script.Services().SetSafeBox(state);
        ASSERT_TRUE(server.Start());
        connection.SetupTransform();
        connection.SetNotifyThread(owner.Id());
        int proxyFailed = 0;
        ASSERT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
        ASSERT_TRUE(server.WaitForClients(1, 5000));
        app.realConnection = &connection;

        for (const auto& [name, width, height] :
             std::vector<std::tuple<std::string, int, int>>{{"系统通知框_按钮", 60, 24},
                                                            {"保险箱按钮", 80, 24},
                                                            {"系统信息框_关闭", 16, 16},
                                                            {"InputBoxBkg", 100, 22},
                                                            {"btnQuickChat", 16, 16}}) {
            AddImage(name, width, height, 0x336699);
        }
        view = new ObservedFrameView;
        app.AttachFrameView(view);
        OpenWindow(view, "游戏", {0, 0, kSceneWidth, kSceneHeight});
    }
    void TearDown() override {
        CloseWindow();
        app.DetachFrameView();
        connection.Close();
        platform::ResetScreenForTesting();
        platform::SetProgramFolderForTesting({});
        platform::SetEthernetAddressesForTesting(std::nullopt);
        ::unsetenv("PVBN_SYSTEM_FOLDER");
    }

    void WindowCreated() override { app.SetMainWindow(Id()); }

    static std::string TextOf(CDropInputBox* box) {
        std::unique_ptr<char, void (*)(void*)> text(box != nullptr ? box->GetText() : nullptr,
                                                    FreeEventBlock);
        return text != nullptr ? text.get() : "";
    }

    // The safe box as the input bar opens it: made once, centred, shown.
    CSafeBoxDlg* OpenSafeBox(int32_t silver = kBalance) {
        auto* dialog = new CSafeBoxDlg;
        view->Register(dialog);
        dialog->Create(silver);
        dialog->EnableDrag(1);
        dialog->CenterInScene();
        dialog->Show();
        dialog->Invalidate();
        Frame();
        return dialog;
    }

    // The last information box shown and its first record's event; the
    // box is answered by delivering that record.
    std::string LastBox() const {
        for (auto it = view->calls.rbegin(); it != view->calls.rend(); ++it) {
            if (it->rfind("ShowInfoBox ", 0) == 0) {
                return it->substr(12);
            }
        }
        return "";
    }
    int BoxCount() const { return view->Count("ShowInfoBox "); }
    void ConfirmLastBox() {
        const EventRecord ok = view->lastOkEvent;
        ASSERT_NE(ok.event, 0);
        CCorvaneObject* target = view->FindObjectById(ok.target);
        ASSERT_NE(target, nullptr);
        target->OnEvent(ok);
        Frame();
    }
    // Hands the notifications the server sent since the last call to the
    // application's own notification dispatch, as its communication thread
    // does; returns how many there were.
    size_t DispatchNotifications() {
        EXPECT_TRUE(owner.Flush());
        const std::vector<zeptest::Delivered> received = owner.Received();
        app.handler.dispatch = true;
        size_t count = 0;
        for (; dispatched < received.size(); ++dispatched, ++count) {
            const zeptest::Delivered& notice = received[dispatched];
            app.GetNotifyHandler()->OnNotify(static_cast<int32_t>(notice.code), notice.data.data(),
                                             notice.data.size());
        }
        Frame();
        return count;
    }
    std::string GameIni() const { return (folder.Path() / "game" / "pvbn.ini").string(); }
    std::string IniValue(const std::string& file, const char* section, const char* key) const {
        char value[256] = {};
        platform::GetPrivateProfileString(section, key, "<none>", value, sizeof value,
                                          file.c_str());
        return value;
    }
    FrameScript::Recorded Received(uint32_t id, size_t n = 1) {
        EXPECT_TRUE(script.WaitForCount(id, n, kWaitMs)) << id;
        FrameScript::Recorded last;
        for (const FrameScript::Recorded& request : script.Requests()) {
            if (request.id == id) {
                last = request;
            }
        }
        return last;
    }

    zeptest::TempFolder folder;
    ConnectedApp app;
    zeptest::OwnerThread owner;
    TestGameServer server;
    FrameScript script{server};
    CGameConnection connection;
    ObservedFrameView* view = nullptr;  // the engine's once opened
    size_t dispatched = 0;              // notifications handed on so far
};

}  // namespace safebox_test
