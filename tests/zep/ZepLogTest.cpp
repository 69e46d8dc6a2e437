#include "zep/ZepLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "platform/System.h"
#include "tests/zep/ZepTestFolder.h"

namespace {

using zeptest::ReadFileBytes;

// Each test gets an empty program folder and a fixed clock; afterwards the
// log is back in its state before ZepLogInit.
class ZepLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetProgramFolderForTesting(folder_.WithSlash());
        SetClock({2026, 3, 7, 9, 5, 3});
        platform::SetLocalTimeSourceForTesting([this] {
            std::lock_guard<std::mutex> guard(clockLock_);
            return now_;
        });
    }
    void TearDown() override {
        ZepLogInit("ZEPLog", kZepLogDefaultOptions);
        platform::SetLocalTimeSourceForTesting({});
        platform::SetProgramFolderForTesting("");
    }

    void SetClock(platform::LocalDateTime now) {
        std::lock_guard<std::mutex> guard(clockLock_);
        now_ = now;
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(folder_.Path() / name); }
    size_t FileCount() const {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator(folder_.Path()),
                          std::filesystem::directory_iterator()));
    }

    // Splits at "\r\n"; fails the test on a bare '\r' or '\n' or a missing end.
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find("\r\n", start);
            if (end == std::string::npos) {
                ADD_FAILURE() << "unterminated tail: " << text.substr(start);
                break;
            }
            const std::string line = text.substr(start, end - start);
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
            lines.push_back(line);
            start = end + 2;
        }
        return lines;
    }

    zeptest::TempFolder folder_;

private:
    std::mutex clockLock_;
    platform::LocalDateTime now_;
};

TEST_F(ZepLogTest, WritesExactLinesToTheDailyFile) {
    ZepLogInit("Game", 0xA001D);
    ZepLog("ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", 229045L, 1030L);
    SetClock({2026, 3, 7, 23, 59, 59});
    ZepLog("%s", "second");
    EXPECT_EQ(Read("Game20260307.log"),
              "2026/03/07  09:05:03  ProcoessRequest Faild,ReQuestid:229045,nResponse:1030\r\n"
              "2026/03/07  23:59:59  second\r\n");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(ZepLogTest, EntriesEitherSideOfMidnightGoToTwoFiles) {
    ZepLogInit("Game", 0xA001D);
    SetClock({2026, 12, 31, 23, 59, 59});
    ZepLog("old year");
    SetClock({2027, 1, 1, 0, 0, 0});
    ZepLog("new year");
    EXPECT_EQ(Read("Game20261231.log"), "2026/12/31  23:59:59  old year\r\n");
    EXPECT_EQ(Read("Game20270101.log"), "2027/01/01  00:00:00  new year\r\n");
}

TEST_F(ZepLogTest, LongMessageIsCutTo3999Characters) {
    ZepLogInit("Game", 0xA001D);
    const std::string text(5000, 'x');
    ZepLog("%s", text.c_str());
    const std::string expected = "2026/03/07  09:05:03  " + std::string(3999, 'x') + "\r\n";
    EXPECT_EQ(Read("Game20260307.log"), expected);
}

TEST_F(ZepLogTest, LongStemIsCutTo259Characters) {
    // "d/" repeated: the cut stem ends inside a folder chain made beforehand.
    std::string stem;
    while (stem.size() < 300) {
        stem += "d/";
    }
    const std::string kept = stem.substr(0, 259);  // ..."d/d"
    std::filesystem::create_directories(folder_.Path() / kept.substr(0, 258));
    ZepLogInit(stem.c_str(), 0);
    ZepLog("deep");
    EXPECT_EQ(ReadFileBytes(folder_.Path() / (kept + "20260307.log")),
              "2026/03/07  09:05:03  deep\r\n");
}

TEST_F(ZepLogTest, OptionsChooseTheLineEndAndWhetherToWrite) {
    ZepLogInit("Game", kZepLogLineEnd | 0x20000);
    ZepLog("dropped");
    EXPECT_EQ(FileCount(), 0u);

    ZepLogInit("Plain", kZepLogToFile);
    ZepLog("one");
    ZepLog("two");
    EXPECT_EQ(Read("Plain20260307.log"), "2026/03/07  09:05:03  one2026/03/07  09:05:03  two");
}

TEST_F(ZepLogTest, DefaultsBeforeInitAndNothingAfterTermUntilReopened) {
    ZepLog("before init");
    ZepLogTerm();
    ZepLog("closed");
    ZepLogTerm();            // twice is harmless
    ZepLogInit(nullptr, 0);  // reopens with the settings it had
    ZepLog("reopened");
    EXPECT_EQ(Read("ZEPLog20260307.log"),
              "2026/03/07  09:05:03  before init\r\n"
              "2026/03/07  09:05:03  reopened\r\n");
}

TEST_F(ZepLogTest, ConcurrentWritersLeaveWholeLinesInThreadOrder) {
    ZepLogInit("Game", 0xA001D);
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLinesEach; ++i) {
                ZepLog("thread %d line %04d", t, i);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    const auto lines = Lines(Read("Game20260307.log"));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        int t = -1;
        int i = -1;
        char tail = 0;
        ASSERT_EQ(
            std::sscanf(line.c_str(), "2026/03/07  09:05:03  thread %d line %d%c", &t, &i, &tail),
            2)
            << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        EXPECT_EQ(i, next[static_cast<size_t>(t)]) << line;
        next[static_cast<size_t>(t)] = i + 1;
    }
    EXPECT_EQ(next, std::vector<int>(kThreads, kLinesEach));
}

TEST_F(ZepLogTest, SharedFileWithAnotherAppenderKeepsEveryLineWhole) {
    ZepLogInit("Game", 0xA001D);
    constexpr int kLines = 1000;
    const std::string shared = folder_.WithSlash() + "Game20260307.log";
    std::thread engine([&shared] {
        for (int i = 0; i < kLines; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "2026/03/07     09:05:03      engine %04d\r\n", i);
            platform::AppendToFile(shared, line);
        }
    });
    for (int i = 0; i < kLines; ++i) {
        ZepLog("zep %04d", i);
    }
    engine.join();

    int zep = 0;
    int engineLines = 0;
    for (const std::string& line : Lines(Read("Game20260307.log"))) {
        char expected[96];
        if (line.find("zep") != std::string::npos) {
            std::snprintf(expected, sizeof expected, "2026/03/07  09:05:03  zep %04d", zep++);
        } else {
            std::snprintf(expected, sizeof expected, "2026/03/07     09:05:03      engine %04d",
                          engineLines++);
        }
        EXPECT_EQ(line, expected);
    }
    EXPECT_EQ(zep, kLines);
    EXPECT_EQ(engineLines, kLines);
}

}  // namespace
