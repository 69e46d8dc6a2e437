#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ZepTestFolder.h"
#include "platform/Messages.h"
#include "zep/ZepCrcJob.h"

namespace {

constexpr char kClass[] = "ZepCrcJobTestWindow";

struct Posted {
    uint32_t id;
    platform::WParam wParam;
    platform::LParam lParam;
};

// A window that keeps what is posted to it.
class RecordingWindow : public platform::Window {
public:
    platform::LResult WindowProc(uint32_t id, platform::WParam wParam,
                                 platform::LParam lParam) override {
        if (id == ZepCrcJob::kMsgProgress || id == ZepCrcJob::kMsgProgressRange ||
            id == ZepCrcJob::kMsgResult) {
            received.push_back({id, wParam, lParam});
            return 0;
        }
        return platform::Window::WindowProc(id, wParam, lParam);
    }
    std::vector<Posted> received;
};

class CrcJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegisterWindowClass(kClass);
        platform::EnsureMessageQueue();
        ASSERT_TRUE(progress_.Create(kClass));
        ASSERT_TRUE(result_.Create(kClass));
    }
    void TearDown() override {
        ZepCrcJob::WaitForAll();
        DispatchWaiting();
    }

    // Dispatches until the result window has its message (bounded, so that a
    // lost message fails the test instead of hanging it).
    void PumpUntilResult() {
        for (int rounds = 0; rounds < 1000 && result_.received.empty(); ++rounds) {
            platform::WaitMessage(100);
            DispatchWaiting();
        }
        ASSERT_EQ(result_.received.size(), 1u);
    }
    static void DispatchWaiting() {
        platform::Message message;
        while (platform::PeekMessage(message, platform::PeekMode::Remove)) {
            platform::DispatchMessage(message);
        }
    }

    std::vector<uint8_t> Data(size_t n) {
        std::mt19937 random(static_cast<uint32_t>(n));
        std::vector<uint8_t> bytes(n);
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        return bytes;
    }

    RecordingWindow progress_;
    RecordingWindow result_;
};

std::vector<platform::WParam> ProgressValues(const std::vector<Posted>& received) {
    std::vector<platform::WParam> values;
    for (const Posted& p : received) {
        if (p.id == ZepCrcJob::kMsgProgress) {
            values.push_back(p.wParam);
        }
    }
    return values;
}

}  // namespace

TEST_F(CrcJobTest, MemoryJobReportsProgressAndTheResult) {
    std::vector<uint8_t> data = Data(250000);
    const auto expected = static_cast<platform::LParam>(crc32(0, data.data(), uInt(data.size())));
    const uint32_t job =
        ZepCrcJob::StartMemory(nullptr, data.data(), data.size(), progress_.Id(), result_.Id());
    ASSERT_NE(job, 0u);
    data.assign(data.size(), 0);  // the job works on its own copy
    PumpUntilResult();
    ZepCrcJob::WaitForAll();
    DispatchWaiting();

    EXPECT_EQ(result_.received[0].id, ZepCrcJob::kMsgResult);
    EXPECT_EQ(result_.received[0].wParam, job);
    EXPECT_EQ(result_.received[0].lParam, expected);
    ASSERT_GE(progress_.received.size(), 2u);
    EXPECT_EQ(progress_.received[1].id, ZepCrcJob::kMsgProgressRange);
    EXPECT_EQ(progress_.received[1].lParam, 100);
    // 0 at the start, then after each 102400-byte chunk.
    EXPECT_EQ(ProgressValues(progress_.received), (std::vector<platform::WParam>{0, 40, 81, 100}));
}

TEST_F(CrcJobTest, FileJobChecksumsTheFile) {
    zeptest::TempFolder folder;
    const std::vector<uint8_t> data = Data(204801);
    zeptest::WriteFileBytes(folder.Path() / "big.bin", std::string(data.begin(), data.end()));
    const uint32_t job = ZepCrcJob::StartFile(nullptr, (folder.Path() / "big.bin").string(),
                                              progress_.Id(), result_.Id());
    ASSERT_NE(job, 0u);
    PumpUntilResult();
    EXPECT_EQ(result_.received[0].lParam,
              static_cast<platform::LParam>(crc32(0, data.data(), uInt(data.size()))));
    ZepCrcJob::WaitForAll();
    DispatchWaiting();
    EXPECT_EQ(ProgressValues(progress_.received), (std::vector<platform::WParam>{0, 49, 99, 100}));

    // An empty file gives 0, as an empty block does; a missing one starts nothing.
    zeptest::WriteFileBytes(folder.Path() / "empty.bin", "");
    result_.received.clear();
    ASSERT_NE(
        ZepCrcJob::StartFile(nullptr, (folder.Path() / "empty.bin").string(), 0, result_.Id()), 0u);
    PumpUntilResult();
    EXPECT_EQ(result_.received[0].lParam, 0);
    EXPECT_EQ(ZepCrcJob::StartFile(nullptr, (folder.Path() / "missing.bin").string(),
                                   progress_.Id(), result_.Id()),
              0u);
}

TEST_F(CrcJobTest, NothingStartsForEmptyDataAndGoneWindowsHearNothing) {
    const uint8_t byte = 1;
    EXPECT_EQ(ZepCrcJob::StartMemory(nullptr, &byte, 0, progress_.Id(), result_.Id()), 0u);
    const platform::WindowId gone = progress_.Id();
    progress_.Destroy();
    ASSERT_NE(ZepCrcJob::StartMemory(nullptr, &byte, 1, gone, 0), 0u);
    ZepCrcJob::WaitForAll();
    DispatchWaiting();
    EXPECT_TRUE(progress_.received.empty());
    EXPECT_TRUE(result_.received.empty());
}
