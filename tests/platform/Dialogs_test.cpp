#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class MessageBoxTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetMessageBoxSink({}); }
};

TEST_F(MessageBoxTest, SinkReceivesTheBoxAndAnswers) {
    std::vector<platform::MessageBoxRequest> shown;
    platform::SetMessageBoxSink([&](const platform::MessageBoxRequest& request) {
        shown.push_back(request);
        return platform::kAnswerNo;
    });
    const int answer = platform::ShowMessageBox(42, "模块:测试因故障关闭!", "错误",
                                                platform::kBoxYesNo | platform::kBoxIconError);
    EXPECT_EQ(answer, platform::kAnswerNo);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, 42u);
    EXPECT_EQ(shown[0].text, "模块:测试因故障关闭!");
    EXPECT_EQ(shown[0].caption, "错误");
    EXPECT_EQ(shown[0].style, platform::kBoxYesNo | platform::kBoxIconError);
}

TEST_F(MessageBoxTest, SinkMayShowAnotherBox) {
    int depth = 0;
    platform::SetMessageBoxSink([&](const platform::MessageBoxRequest&) {
        if (++depth == 1) {
            platform::ShowMessageBox(0, "inner", "", platform::kBoxOk);
        }
        return platform::kAnswerOk;
    });
    EXPECT_EQ(platform::ShowMessageBox(0, "outer", "", platform::kBoxOk), platform::kAnswerOk);
    EXPECT_EQ(depth, 2);
}

TEST_F(MessageBoxTest, DefaultWritesUtf8ToStandardErrorAndAccepts) {
    ::testing::internal::CaptureStderr();
    const int yes = platform::ShowMessageBox(0, "确定退出吗？", "", platform::kBoxYesNo);
    const int ok = platform::ShowMessageBox(0, "done", "Note", platform::kBoxOkCancel);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(yes, platform::kAnswerYes);
    EXPECT_EQ(ok, platform::kAnswerOk);
    // The default caption, then the text, both in UTF-8.
    EXPECT_EQ(written,
              "\xE9\x94\x99\xE8\xAF\xAF: \xE7\xA1\xAE\xE5\xAE\x9A\xE9\x80\x80\xE5\x87\xBA"
              "\xE5\x90\x97\xEF\xBC\x9F\nNote: done\n");
}

TEST(MainWindow, IsProcessWide) {
    platform::SetMainWindow(7);
    EXPECT_EQ(platform::MainWindow(), 7u);
    platform::SetMainWindow(0);
    EXPECT_EQ(platform::MainWindow(), 0u);
}

}  // namespace
