#pragma once
// A launched table, the loopback test server running the frame's script and
// a real game connection: the ground of the connection and catalogue tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "frame/LaunchRecordBuilder.h"
#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "platform/System.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/zep/SocketTestSupport.h"
#include "tests/zep/ZepTestFolder.h"
#include "tools/test_server/FrameScript.h"
#include "zep/ZepSocketUtils.h"

namespace connection_test {

using namespace frame_requests;
using testserver::FrameScript;
using testserver::TestGameServer;

constexpr int32_t kOwnId = 5001;
constexpr int32_t kOwnChair = 2;
constexpr int32_t kRoomId = 300;
constexpr int32_t kTableNo = 7;
constexpr uint32_t kWaitMs = 10000;
// The machine id the fake adapter gives.
constexpr char kMachineId[] = "0a1b2c3d4e5f0000000000000000000";

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

inline std::vector<uint8_t> Words(std::initializer_list<int32_t> words) {
    std::vector<uint8_t> bytes(words.size() * 4);
    ZepWireWriter writer(bytes);
    for (int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

// The application of these tests: a launched table with the game's reply
// buffers.
class ConnectedApp : public TestFrameApp {
public:
    // The connection the application's own steps use: the one given, else
    // the scripted double.
    CGameConnection* GetConnection() override {
        return realConnection != nullptr ? realConnection : TestFrameApp::GetConnection();
    }
    CGameConnection* realConnection = nullptr;
    std::span<uint8_t> GetResponseBuffer() override { return responseBuffer; }
    std::span<uint8_t> GetTableReplyBuffer() override { return tableReplyBuffer; }
    void OnSilverTooLow(std::span<const uint8_t> record) override {
        silverLimits.push_back("low " + std::to_string(record.size()));
    }
    void OnSilverTooHigh(std::span<const uint8_t> record) override {
        silverLimits.push_back("high " + std::to_string(record.size()));
    }
    void UpdateOtherSeats(std::span<const uint8_t> record) override {
        otherSeatBytes.push_back(record.size());
    }
    void ShowTextAndQuit(const std::string& text) override { quitTexts.push_back(text); }
    std::vector<std::string> silverLimits;
    std::vector<size_t> otherSeatBytes;
    std::vector<std::string> quitTexts;
    std::array<uint8_t, 1096> responseBuffer{};
    std::array<uint8_t, 15156> tableReplyBuffer{};
};

// Waits one second for any reply, so time-outs are quick.
class QuickConnection : public CGameConnection {
public:
    uint32_t GetRequestTimeout(uint32_t) override { return 1; }
};

class GameConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ZepRegisterSocketWindowClass();
        platform::SetEthernetAddressesForTesting(
            std::vector<platform::EthernetAddress>{{0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}});
        LaunchFields& fields = launchFields;
        fields.gameId = 30;
        fields.userId = kOwnId;
        fields.tableNo = kTableNo;
        fields.chairNo = kOwnChair;
        fields.hallRoomId = kRoomId;
        fields.gameName = "麻将";
        app.SetLaunchFields(fields);
        ASSERT_TRUE(app.InitGameData(Launch(0).Build()));
        app.BuildSidePanelButtons();
        app.AttachFrameView(&view);
        ASSERT_TRUE(server.Start());
    }
    void TearDown() override {
        app.DetachFrameView();
        platform::SetEthernetAddressesForTesting(std::nullopt);
    }

    static LaunchRecordBuilder Launch(int32_t roomFlags) {
        LaunchRecordBuilder builder;
        builder.room.roomId = kRoomId;
        builder.room.flags = roomFlags;
        builder.room.requestValue = 77;
        builder.table.tableNo = kTableNo;
        UserRecord own = MakeLaunchUser(kOwnId, kOwnChair, "自己");
        own.flags = 0x21;
        builder.seats = {MakeLaunchUser(4000, 0, "甲"), own};
        return builder;
    }

    // Launches the table again from the builder, as a player or a looker-on.
    void Relaunch(LaunchRecordBuilder builder, int32_t lookOn = 0) {
        if (lookOn != 0) {
            const auto own = std::find_if(builder.seats.begin(), builder.seats.end(),
                                          [](const UserRecord& u) { return u.userId == kOwnId; });
            if (own != builder.seats.end()) {
                own->lookOn = 1;
                builder.lookers.push_back(*own);
                builder.seats.erase(own);
            }
        }
        LaunchFields fields = launchFields;
        fields.lookOn = lookOn;
        app.SetLaunchFields(fields);
        ASSERT_TRUE(app.InitGameData(builder.Build()));
    }

    // Connects a connection directly to the test server.
    void Connect(CGameConnection& connection) {
        connection.SetupTransform();
        connection.SetNotifyThread(owner.Id());
        int proxyFailed = 0;
        ASSERT_EQ(connection.ConnectServer("", "127.0.0.1", server.Port(), proxyFailed), 1);
        ASSERT_EQ(proxyFailed, 0);
        // The client is connected once its greeting is sent; the server may
        // not have taken it yet, and only then can it send to it.
        ASSERT_TRUE(server.WaitForClients(++connects, 5000));
    }
    size_t connects = 0;

    // A hall settings file with the given "PROXY" section.
    std::string WriteProxyIni(const std::string& section) {
        const std::string path = (folder.Path() / "GameHall.ini").string();
        std::ofstream(path) << "[PROXY]\r\n" << section;
        return path;
    }

    LaunchFields launchFields;
    zeptest::TempFolder folder;
    zeptest::OwnerThread owner;
    ConnectedApp app;
    ObservedFrameView view;
    TestGameServer server;
    FrameScript script{server};
    CGameConnection connection;
};

}  // namespace connection_test
