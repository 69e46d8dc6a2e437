// The program itself, started with no arguments as a user might start it:
// it asks whether to start the hall (the default box writes the question to
// standard error and answers Yes), starts the hall program the shared
// settings name, and ends at once.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "platform/Sync.h"
#include "platform/TextCodec.h"
#include "tests/game/support/ProgramFolder.h"

namespace {

struct ProgramRun {
    std::string output;  // standard output and error
    int status = -1;
    uint32_t elapsedMs = 0;
};

// Runs the program with the system folder given and no arguments.
ProgramRun RunProgram(const std::string& systemFolder) {
    ProgramRun run;
    const std::string command =
        "env -u DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
        "PVBN_SYSTEM_FOLDER='" +
        systemFolder + "' '" + PVBN_PROGRAM + "' 2>&1 </dev/null";
    const uint32_t start = platform::GetTickCount32();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, got);
    }
    run.status = ::pclose(pipe);
    run.elapsedMs = platform::GetTickCount32() - start;
    return run;
}

TEST(ProgramWithoutHall, ItAsksStartsTheHallAndEndsWithinTwoSeconds) {
    game_test::ProgramFolder folder{{.skin = false, .leaveOut = {}, .pointProgramFolder = false}};
    ASSERT_TRUE(folder.Ok()) << folder.Error();
    // The hall program of the shared settings leaves a mark when it runs.
    const std::string mark = folder / "hall-started";
    ASSERT_TRUE(folder.Write("hall.sh", "#!/bin/sh\ntouch '" + mark + "'\n"));
    ASSERT_EQ(::chmod(folder.File("hall.sh").c_str(), 0755), 0);
    ASSERT_TRUE(
        folder.Write("system/hmbt.ini", "[SYSTEM]\nExePath=" + folder.File("hall.sh") + "\n"));

    const ProgramRun run = RunProgram(folder.SystemFolder());
    EXPECT_TRUE(WIFEXITED(run.status)) << run.output;
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.output;
    EXPECT_LT(run.elapsedMs, 2000u);
    // The terminal's text is UTF-8.
    EXPECT_NE(run.output.find(platform::GbkToUtf8("该程序必须从游戏大厅中启动,是否启动游戏大厅？")),
              std::string::npos)
        << run.output;
    for (int i = 0; i < 200 && !folder.Exists("hall-started"); ++i) {
        platform::SleepMs(10);
    }
    EXPECT_TRUE(folder.Exists("hall-started")) << "the hall program was not started";
}

TEST(ProgramWithoutHall, WithoutAHallProgramItOnlyAsks) {
    game_test::ProgramFolder folder{{.skin = false, .leaveOut = {}, .pointProgramFolder = false}};
    ASSERT_TRUE(folder.Ok()) << folder.Error();
    const ProgramRun run = RunProgram(folder.SystemFolder());
    EXPECT_TRUE(WIFEXITED(run.status)) << run.output;
    EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.output;
    EXPECT_LT(run.elapsedMs, 2000u);
    EXPECT_NE(run.output.find(platform::GbkToUtf8("是否启动游戏大厅")), std::string::npos)
        << run.output;
}

}  // namespace
