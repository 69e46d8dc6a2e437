// The test server's program as the demo runs it: the frame's script by
// default, commands on its standard input.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/net/FrameRequests.h"
#include "frame/net/GameConnection.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProxyProcess.h"
#include "tests/zep/SocketTestSupport.h"
#include "zep/ZepSocketUtils.h"

namespace {

using namespace frame_requests;

// The program on a free port, its standard input a pipe; killed at the end.
class ServerProgram {
public:
    explicit ServerProgram(const std::vector<std::string>& arguments)
        : port_(test_support::FreeLoopbackPort()) {
        std::vector<std::string> all = {TEST_SERVER_PROGRAM, "--frame", "--port",
                                        std::to_string(port_)};
        all.insert(all.end(), arguments.begin(), arguments.end());
        test_support::ChildOptions options;
        options.inputPipe = true;
        program_.Start(all, options);
    }
    ServerProgram(const ServerProgram&) = delete;
    ServerProgram& operator=(const ServerProgram&) = delete;

    uint16_t Port() const { return port_; }
    bool Command(const std::string& line) { return program_.WriteInput(line + "\n"); }
    // Connects within a few seconds of the program's start.
    bool ConnectTo(CGameConnection& connection, platform::ThreadId owner) {
        connection.SetupTransform();
        connection.SetNotifyThread(owner);
        for (int attempt = 0; attempt < 100; ++attempt) {
            int proxyFailed = 0;
            if (connection.ConnectServer("", "127.0.0.1", port_, proxyFailed)) {
                return true;
            }
            platform::SleepMs(50);
        }
        return false;
    }

private:
    uint16_t port_;
    test_support::ChildProcess program_;
};

class TestServerProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ZepRegisterSocketWindowClass();
        LaunchFields fields;
        fields.userId = 5001;
        app.SetLaunchFields(fields);
    }
    zeptest::OwnerThread owner;
    TestFrameApp app;
};

TEST_F(TestServerProgramTest, RunsTheFrameScriptAndTakesCommands) {
    ServerProgram program({"--room-options", "16388"});
    CGameConnection connection;
    ASSERT_TRUE(program.ConnectTo(connection, owner.Id()));
    std::string text;
    int32_t newVersion = 0;
    int32_t newSubVersion = 0;
    EXPECT_EQ(connection.CheckVersion(text, newVersion, newSubVersion), 1);
    EXPECT_EQ(connection.QueryInGame(), 0);
    EXPECT_EQ(app.GetRoomOptions(), 16388);

    ASSERT_TRUE(program.Command("refuse 201125 请稍候"));
    ASSERT_TRUE(program.Command("notify 211000 01020304"));
    ASSERT_TRUE(owner.WaitFor(1));
    EXPECT_EQ(owner.Received()[0].code, 211000u);
    EXPECT_EQ(owner.Received()[0].data, std::string("\x01\x02\x03\x04", 4));
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    EXPECT_EQ(connection.ProcessRequest(text, kLeaveGame, {}, result, reply, 1), 0);
    EXPECT_EQ(result, kResultRefusedWithText);
    EXPECT_EQ(text, "请稍候");
}

TEST_F(TestServerProgramTest, CommandsOnTheCommandLineScriptTheFirstAnswers) {
    ServerProgram program({"--command", "reply 201140 10 0a0b0c", "--command", "silent 201125",
                           "--command", "refuse 200110 满了"});
    CGameConnection connection;
    ASSERT_TRUE(program.ConnectTo(connection, owner.Id()));
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    EXPECT_EQ(connection.ProcessRequest(text, kRequest201140, {}, result, reply, 1), 1);
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(reply, (std::vector<uint8_t>{0x0a, 0x0b, 0x0c}));
    EXPECT_EQ(connection.ProcessRequest(text, kEnterGame, {}, result, reply, 1), 0);
    EXPECT_EQ(result, kResultRefusedWithText);
    EXPECT_EQ(text, "满了");
}

TEST_F(TestServerProgramTest, EchoScriptOnRequest) {
    ServerProgram program({"--echo"});
    CGameConnection connection;
    ASSERT_TRUE(program.ConnectTo(connection, owner.Id()));
    const uint8_t body[] = {9, 8, 7};
    std::string text;
    uint32_t result = 0;
    std::vector<uint8_t> reply;
    EXPECT_EQ(connection.ProcessRequest(text, 123456, body, result, reply, 1), 1);
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(reply, (std::vector<uint8_t>{9, 8, 7}));
}

}  // namespace
