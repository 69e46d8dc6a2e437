// Child programs: ended at the deadline even when they ignore SIGTERM, with
// nothing of their group left behind, and with the environment they were
// given.

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tests/platform/TempFolder.h"

namespace {

using test_support::ChildOptions;
using test_support::ChildProcess;

namespace fs = std::filesystem;

std::string ReadLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

class ChildProcessTest : public ::testing::Test {
protected:
    TempFolder temp;
    const fs::path folder = temp.Path();
};

TEST_F(ChildProcessTest, AChildThatIgnoresTerminationIsKilledAtTheDeadline) {
    ChildProcess child;
    const fs::path ready = folder / "ready";
    ASSERT_TRUE(
        child.Start({"/bin/sh", "-c",
                     "trap '' TERM; : > " + ready.string() + "; while :; do sleep 0.05; done"}))
        << child.Error();
    ASSERT_TRUE(test_support::WaitUntil([&] { return fs::exists(ready); }, 5000));
    EXPECT_EQ(child.WaitForExit(100), std::nullopt);
    const pid_t pid = child.Pid();
    EXPECT_EQ(child.Stop(200), 128 + SIGKILL);
    EXPECT_TRUE(test_support::ProcessGone(pid));
    EXPECT_FALSE(child.Running());
}

TEST_F(ChildProcessTest, AKilledChildGetsNoChanceToCleanUp) {
    ChildProcess child;
    const fs::path ready = folder / "ready";
    const fs::path cleaned = folder / "cleaned";
    ASSERT_TRUE(child.Start({"/bin/sh", "-c",
                             "trap ': > " + cleaned.string() + "; exit 0' TERM; : > " +
                                 ready.string() + "; while :; do sleep 0.05; done"}))
        << child.Error();
    ASSERT_TRUE(test_support::WaitUntil([&] { return fs::exists(ready); }, 5000));
    const pid_t pid = child.Pid();
    EXPECT_EQ(child.Kill(), 128 + SIGKILL);
    EXPECT_TRUE(test_support::ProcessGone(pid));
    EXPECT_FALSE(fs::exists(cleaned));
    EXPECT_EQ(child.Kill(), 128 + SIGKILL) << "a second kill keeps the status";
}

TEST_F(ChildProcessTest, AGrandchildDoesNotOutliveTheRun) {
    const fs::path grandchild = folder / "grandchild";
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(
            {"/bin/sh", "-c", "sleep 60 & echo $! > " + grandchild.string() + "; exit 3"}))
            << child.Error();
        ASSERT_EQ(child.WaitForExit(5000), 3);
        const pid_t left = std::stoi(ReadLine(grandchild));
        ASSERT_FALSE(test_support::ProcessGone(left));
        EXPECT_FALSE(test_support::GroupGone(::getpgid(left)));
    }
    const pid_t left = std::stoi(ReadLine(grandchild));
    EXPECT_TRUE(test_support::WaitUntil([&] { return test_support::ProcessGone(left); }, 5000));
}

TEST_F(ChildProcessTest, TheChildGetsItsOwnEnvironmentAndInput) {
    ::setenv("PVBN_CHILD_DROPPED", "from the test", 1);
    ::setenv("PVBN_CHILD_REPLACED", "from the test", 1);
    ChildOptions options;
    options.environment = {"PVBN_CHILD_REPLACED=own", "PVBN_CHILD_ADDED=added"};
    options.unset = {"PVBN_CHILD_DROPPED"};
    options.inputPipe = true;
    options.logFile = (folder / "log").string();
    ChildProcess child;
    ASSERT_TRUE(child.Start({"sh", "-c",
                             "read line; echo \"$PVBN_CHILD_REPLACED|$PVBN_CHILD_ADDED|"
                             "${PVBN_CHILD_DROPPED-unset}|$line\""},
                            options))
        << child.Error();
    ASSERT_TRUE(child.WriteInput("typed\n"));
    EXPECT_EQ(child.WaitForExit(5000), 0);
    EXPECT_EQ(ReadLine(folder / "log"), "own|added|unset|typed");
    ::unsetenv("PVBN_CHILD_DROPPED");
    ::unsetenv("PVBN_CHILD_REPLACED");
}

TEST_F(ChildProcessTest, ResidentSizeIsReadWhileTheProcessLives) {
    ChildProcess child;
    ASSERT_TRUE(child.Start({"sleep", "60"})) << child.Error();
    ASSERT_TRUE(test_support::WaitUntil(
        [&] { return test_support::ResidentKilobytes(child.Pid()).has_value(); }, 5000));
    EXPECT_GT(*test_support::ResidentKilobytes(child.Pid()), 0u);
    const pid_t pid = child.Pid();
    child.Stop();
    EXPECT_EQ(test_support::ResidentKilobytes(pid), std::nullopt);
}

}  // namespace
