#include "platform/Process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/Sync.h"

namespace {

// The child test below writes its arguments here when this variable names a
// file; run on its own it does nothing.
constexpr const char* kChildOutput = "PVBN_PROCESS_TEST_OUTPUT";

// Waits up to five seconds for a file that a child writes (and renames into
// place when complete); its text, or empty.
std::string WaitForFile(const TempFolder& folder, const std::string& name) {
    for (int i = 0; i < 500; ++i) {
        const std::string text = folder.Read(name);
        if (!text.empty()) {
            return text;
        }
        platform::SleepMs(10);
    }
    return {};
}

// A shell script (run as the program, not as a shell around it) that writes
// each of its arguments on a line of the file.
std::vector<std::string> PrintArguments(const std::string& file,
                                        const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {
        "-c",
        "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.part\" && mv \"$0.part\" \"$0\"",
        file};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
}

const std::vector<std::string> kAwkwardArguments = {
    "a b", "\"quoted\"", "'single'", "x;y",      "$HOME",           "`id`", "*",
    "|",   "\\",         "",         "one  two", "\xD6\xD0\xCE\xC4"};  // GBK bytes pass unchanged

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST(StartProgram, ArgumentsArriveUnchangedWithoutAShell) {
    TempFolder folder;
    ASSERT_NE(platform::StartProgram("/bin/sh", PrintArguments(folder / "out", kAwkwardArguments)),
              0);
    EXPECT_EQ(WaitForFile(folder, "out"), Lines(kAwkwardArguments));
}

TEST(StartProgram, BareNamesComeFromPathAndBackslashesSeparate) {
    TempFolder folder;
    EXPECT_NE(platform::StartProgram("sh", PrintArguments(folder / "bare", {"p"})), 0);
    EXPECT_NE(platform::StartProgram("\\bin\\sh", PrintArguments(folder / "slashed", {"q"})), 0);
    EXPECT_EQ(WaitForFile(folder, "bare"), "p\n");
    EXPECT_EQ(WaitForFile(folder, "slashed"), "q\n");

    EXPECT_EQ(platform::StartProgram("pvbn-no-such-program", {}), 0);
    EXPECT_EQ(platform::StartProgram(folder / "missing", {}), 0);
    EXPECT_EQ(platform::StartProgram("", {}), 0);
}

// A connection the parent holds, even one not marked close-on-exec, does not
// live on in the child: once the parent closes its end, the peer sees the
// end at once although the child still runs.
TEST(StartProgram, TheChildInheritsNoSocket) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);  // no close-on-exec
    ASSERT_NE(platform::StartProgram("/bin/sleep", {"3"}), 0);
    ::close(pair[0]);
    pollfd entry{pair[1], POLLIN, 0};
    ASSERT_EQ(::poll(&entry, 1, 1500), 1) << "the child holds the connection open";
    char byte = 0;
    EXPECT_EQ(::recv(pair[1], &byte, 1, 0), 0);
    ::close(pair[1]);
}

// The shared end arrives as descriptor 3 (whatever number it had here, 3
// included) and is the only one above 2: the child writes through it, and a
// second socket of the parent does not live on in it.
TEST(StartProgram, SharesOneDescriptorAsThree) {
    for (bool onThree : {false, true}) {
        SCOPED_TRACE(onThree);
        int pair[2];
        int other[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, other), 0);
        int shared = pair[1];
        int saved = -1;
        if (onThree) {
            saved = ::fcntl(3, F_GETFD) >= 0 ? ::fcntl(3, F_DUPFD_CLOEXEC, 10) : -1;
            ASSERT_EQ(::dup2(pair[1], 3), 3);
            shared = 3;
        }
        ASSERT_NE(platform::StartProgramSharing(
                      "/bin/sh", {"-c", "echo hi >&3; sleep 3; echo late >&3"}, shared),
                  0);
        if (onThree && saved >= 0) {
            ASSERT_EQ(::dup2(saved, 3), 3);
            ::close(saved);
        } else if (onThree) {
            ::close(3);
        }
        ::close(pair[1]);
        ::close(other[0]);
        pollfd entry{other[1], POLLIN, 0};
        EXPECT_EQ(::poll(&entry, 1, 1500), 1) << "the child holds another socket";
        char text[8] = {};
        ASSERT_EQ(::recv(pair[0], text, 3, MSG_WAITALL), 3);
        EXPECT_EQ(std::string(text, 3), "hi\n");
        ::close(other[1]);
        ::close(pair[0]);
    }
}

TEST(StartSelf, StartsThisProgramWithTheArguments) {
    TempFolder folder;
    ASSERT_EQ(::setenv(kChildOutput, (folder / "child").c_str(), 1), 0);
    const std::vector<std::string> arguments = {"--gtest_filter=ProcessChild.WritesItsArguments",
                                                "\"f1|host|3|4|5|6|7|8|0|1|\xD3\xCE\xCF\xB7\"",
                                                "x;y z"};
    const platform::ProcessId child = platform::StartSelf(arguments);
    ::unsetenv(kChildOutput);
    ASSERT_NE(child, 0);
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    EXPECT_EQ(WaitForFile(folder, "child"),
              Lines({self, self, arguments[0], arguments[1], arguments[2]}));
}

// Run as a child by the test above: writes its executable, then its argv.
TEST(ProcessChild, WritesItsArguments) {
    const char* output = std::getenv(kChildOutput);
    if (output == nullptr) {
        GTEST_SKIP() << "only run as the child of StartSelf's test";
    }
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string cmdline(std::istreambuf_iterator<char>(in), {});
    char self[PATH_MAX] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    std::string text = std::string(self) + "\n";
    size_t start = 0;
    while (start < cmdline.size()) {
        const size_t end = cmdline.find('\0', start);
        text += cmdline.substr(start, end - start) + "\n";
        start = end + 1;
    }
    const std::string part = std::string(output) + ".part";
    std::ofstream(part, std::ios::binary) << text;
    ASSERT_EQ(::rename(part.c_str(), output), 0);
}

}  // namespace
