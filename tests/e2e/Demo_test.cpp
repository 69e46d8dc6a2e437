// The demo's launcher as a user runs it: its options without a build, its
// refusal without a display (also from the run command, before a build), and
// a run on a private X server that ends whole when pvbn ends, leaving no
// program of its own behind.

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/ClientRun.h"
#include "tests/support/ProxyProcess.h"
#include "tests/window/XServer.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kQuickMs = 10000;
constexpr uint32_t kStartMs = 60000;
constexpr uint32_t kFailedStartMs = 20000;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DemoTest : public ::testing::Test {
protected:
    // Runs the launcher on the test's build; false when it could not start.
    bool Start(const std::vector<std::string>& arguments, std::vector<std::string> environment,
               std::vector<std::string> unset = {}) {
        std::vector<std::string> argv = {DEMO_SCRIPT, BUILD_FOLDER};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return StartProgram(argv, std::move(environment), std::move(unset));
    }
    // Runs the command line, its output in the test's log.
    bool StartProgram(const std::vector<std::string>& argv, std::vector<std::string> environment,
                      std::vector<std::string> unset) {
        test_support::ChildOptions options;
        options.environment = std::move(environment);
        options.unset = std::move(unset);
        options.logFile = Log().string();
        return demo.Start(argv, options);
    }
    fs::path Log() const { return run.Root() / "demo.log"; }
    std::string Output() const { return ReadText(Log()); }

    test_support::ClientRun run{""};
    test_support::ChildProcess demo;
};

TEST_F(DemoTest, HelpListsTheOptionsAndBadOnesAreRefused) {
    ASSERT_TRUE(Start({"--help"}, {}));
    EXPECT_EQ(demo.WaitForExit(kQuickMs), std::optional<int>(0));
    for (const char* option :
         {"--server HOST:PORT", "--user N", "--room N", "--table N", "--chair N",
          "--proxy KIND:HOST:PORT", "--seed N", "--pacing demo|test"}) {
        EXPECT_NE(Output().find(option), std::string::npos) << option;
    }
    ASSERT_TRUE(StartProgram({DEMO_SCRIPT, "--help"}, {}, {}));  // the script alone, no build
    EXPECT_EQ(demo.WaitForExit(kQuickMs), std::optional<int>(0)) << Output();
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--pacing", "fast"},
                                               {"--seed", "x"},
                                               {"--server", "nohost"},
                                               {"--proxy", "ftp:h:1"},
                                               {"--chair", "4"},
                                               {"--table", "2"},
                                               {"--what"}}) {
        ASSERT_TRUE(Start(bad, {}));
        EXPECT_EQ(demo.WaitForExit(kQuickMs), std::optional<int>(1)) << bad.front();
    }
}

TEST_F(DemoTest, WithoutADisplayItSaysSoAndFails) {
    ASSERT_TRUE(Start({}, {}, {"DISPLAY", "WAYLAND_DISPLAY"}));
    EXPECT_EQ(demo.WaitForExit(kQuickMs), std::optional<int>(1));
    EXPECT_NE(Output().find("no display"), std::string::npos) << Output();
}

// A display that no server answers: pvbn names it and fails, and the
// launcher ends the rest and fails too, rather than pvbn running on with no
// window to close.
TEST_F(DemoTest, ADisplayThatCannotBeOpenedEndsTheDemoWithAFailure) {
    int number = 199;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
           fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
        ++number;
    }
    const std::string display = ":" + std::to_string(number);
    std::vector<std::string> environment = run.Environment();
    environment.push_back("DISPLAY=" + display);
    ASSERT_TRUE(Start({"--pacing", "test"}, environment, {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}));
    const pid_t group = demo.Pid();
    EXPECT_EQ(demo.WaitForExit(kFailedStartMs), std::optional<int>(1)) << Output();
    EXPECT_NE(Output().find("cannot open the X display \"" + display + "\""), std::string::npos)
        << Output();
    EXPECT_TRUE(test_support::GroupGone(group)) << "a program of the demo outlived it";
}

// A proxy where nothing listens: pvbn says why on the terminal, in UTF-8,
// before the launcher says it could not start, and nothing of the demo stays.
TEST_F(DemoTest, AProxyThatRefusesIsNamedOnTheTerminal) {
    const std::string proxy =
        "socks5:127.0.0.1:" + std::to_string(test_support::FreeLoopbackPort());
    std::vector<std::string> environment = run.Environment();
    environment.insert(environment.end(), {"DISPLAY=:0", "SDL_VIDEODRIVER=dummy"});
    ASSERT_TRUE(Start({"--pacing", "test", "--proxy", proxy}, environment));
    const pid_t group = demo.Pid();
    EXPECT_EQ(demo.WaitForExit(kFailedStartMs), std::optional<int>(1)) << Output();
    const std::u8string words = u8"无法连接代理服务器【127.0.0.1】，请检查设置是否正确。";
    const size_t said = Output().find(std::string(words.begin(), words.end()));
    EXPECT_LT(said, Output().find("pvbn could not start")) << Output();
    EXPECT_TRUE(test_support::GroupGone(group)) << "a program of the demo outlived it";
}

// The run command checks the launcher's options and the display before it
// installs or builds anything: a mistake costs no build.
TEST_F(DemoTest, TheRunCommandRefusesABadOptionBeforeAnyBuild) {
    const fs::path buildScript = fs::path(DEMO_SCRIPT).parent_path().parent_path() / "build.sh";
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"run", "--seed", "x"}, {"run"}}) {
        std::vector<std::string> argv = {buildScript.string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ASSERT_TRUE(StartProgram(argv, {}, {"DISPLAY", "WAYLAND_DISPLAY"}));
        EXPECT_EQ(demo.WaitForExit(kQuickMs), std::optional<int>(1)) << Output();
        EXPECT_NE(Output().find(arguments.size() > 1 ? "--seed needs a number" : "no display"),
                  std::string::npos)
            << Output();
    }
}

TEST_F(DemoTest, EndingPvbnEndsTheServerAndTheHall) {
    window_test::XServer xserver;
    ASSERT_TRUE(xserver.Start(1024, 768)) << xserver.Error();
    std::vector<std::string> environment = run.Environment();
    environment.push_back("DISPLAY=" + xserver.DisplayName());
    environment.push_back("SDL_VIDEODRIVER=x11");
    // The X client libraries keep a few allocations to the end.
    for (std::string& entry : environment) {
        if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
            entry += ":detect_leaks=0";
        }
    }
    ASSERT_TRUE(Start({"--seed", "4242", "--pacing", "test"}, environment));
    // The launcher leads a process group of its own, which its programs join.
    const pid_t group = demo.Pid();
    // The launcher names the client's process once the hall started it.
    const std::regex started("pvbn runs \\(pid ([0-9]+)\\)");
    pid_t client = 0;
    test_support::WaitUntil(
        [&] {
            const std::string output = Output();
            std::smatch found;
            if (std::regex_search(output, found, started)) {
                client = static_cast<pid_t>(std::stol(found[1].str()));
            }
            return client != 0 || !demo.Running();
        },
        kStartMs);
    const std::string output = Output();
    ASSERT_NE(client, 0) << output;
    EXPECT_NE(output.find("seed 4242, test pacing"), std::string::npos) << output;

    // pvbn goes as a crash would take it: the launcher ends the rest.
    ASSERT_EQ(::kill(client, SIGKILL), 0);
    EXPECT_EQ(demo.WaitForExit(kQuickMs), std::optional<int>(0)) << Output();
    EXPECT_TRUE(test_support::GroupGone(group)) << "a program of the demo outlived it";
    EXPECT_NE(Output().find("pvbn ended"), std::string::npos) << Output();
}

}  // namespace
