// The folders of a client run: two runs share none, the placed binary runs
// from its own folder with the run's environment, and a sanitizer report or
// a nonzero exit fails the run.

#include "tests/support/ClientRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using test_support::ClientRun;

std::string ReadLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

TEST(ClientRunTest, TwoRunsShareNoFolder) {
    ClientRun first("/bin/sh");
    ClientRun second("/bin/sh");
    ASSERT_TRUE(first.Ok()) << first.Error();
    ASSERT_TRUE(second.Ok()) << second.Error();
    for (const auto& folder :
         {&ClientRun::ProgramFolder, &ClientRun::HallFolder, &ClientRun::LinkFolder,
          &ClientRun::SystemFolder, &ClientRun::SanitizerFolder}) {
        EXPECT_TRUE(fs::is_directory((first.*folder)()));
        EXPECT_NE((first.*folder)(), (second.*folder)());
    }
    // The hall link takes only a folder of the user's own that nobody else
    // may enter.
    EXPECT_EQ(fs::status(first.LinkFolder()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(ClientRunTest, TheBinaryRunsBesideItsSkinsWithTheRunsEnvironment) {
    const fs::path skins = fs::temp_directory_path() / ("pvbn-skins-" + std::to_string(::getpid()));
    fs::create_directories(skins / "table");
    std::ofstream(skins / "table" / "skin.ini") << "[SKIN]\n";
    fs::path root;
    {
        test_support::ClientRunOptions options;
        options.skins = skins;
        ClientRun run("/bin/sh", options);
        ASSERT_TRUE(run.Ok()) << run.Error();
        root = run.Root();
        EXPECT_EQ(run.Program(), run.ProgramFolder() / "sh");
        EXPECT_TRUE(fs::exists(run.ProgramFolder() / "skins" / "table" / "skin.ini"));

        test_support::ChildOptions child;
        child.environment = run.Environment();
        child.logFile = (run.Root() / "out").string();
        test_support::ChildProcess shell;
        ASSERT_TRUE(shell.Start({run.Program().string(), "-c",
                                 "echo \"$PVBN_SYSTEM_FOLDER|$PVBN_WINDOW_FOLDER|$ASAN_OPTIONS\""},
                                child));
        const std::optional<int> status = shell.WaitForExit(5000);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(run.CheckEnded(*status));
        const std::string line = ReadLine(run.Root() / "out");
        EXPECT_NE(line.find(run.SystemFolder().string() + "/|" + run.LinkFolder().string() + "|"),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find("log_path=" + run.SanitizerFolder().string() + "/asan"),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find("detect_leaks=1"), std::string::npos) << line;

        EXPECT_FALSE(run.CheckEnded(1));
        std::ofstream(run.SanitizerFolder() / "asan.1234") << "ERROR: AddressSanitizer";
        const ::testing::AssertionResult reported = run.CheckEnded(0);
        EXPECT_FALSE(reported);
        EXPECT_NE(std::string(reported.message()).find("ERROR: AddressSanitizer"),
                  std::string::npos);
    }
    EXPECT_FALSE(fs::exists(root));
    fs::remove_all(skins);
}

}  // namespace
