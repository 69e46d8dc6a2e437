#include "engine/EngineLog.h"

#include <gtest/gtest.h>

#include <string>

#include "TempProgramFolder.h"

namespace {

const char kStamp[] = "2024/03/05     07:08:09";

TEST(EngineLogTest, WritesDatedFileWithSixSpacesAndCrLf) {
    TempProgramFolder folder;
    EngineLog("first %d", 1);
    EngineLog("%s", "second");
    EXPECT_EQ(folder.Read("Game20240305.log"),
              std::string(kStamp) + "      first 1\r\n" + kStamp + "      second\r\n");
}

TEST(EngineLogTest, StartRunLogEmptiesTheFileAndRunLogAppends) {
    TempProgramFolder folder;
    folder.Write("GameRun.log", "left over from the last run\r\n");
    StartRunLog();
    RunLog("CorvaneVesion:%f", 1.0);
    EXPECT_EQ(folder.Read("GameRun.log"), std::string(kStamp) + "     GameCore Start\r\n" + kStamp +
                                              "     CorvaneVesion:1.000000\r\n");
}

// The fixed text of a line around the text itself.
size_t TextLength(const std::string& line, size_t padding) {
    return line.size() - (sizeof kStamp - 1) - padding - 2;
}

TEST(EngineLogTest, LongTextsAreCutAt1035BytesWithoutHalfCharacters) {
    TempProgramFolder folder;
    EngineLog("%s", std::string(5000, 'a').c_str());
    EXPECT_EQ(TextLength(folder.Read("Game20240305.log"), 6), 1035u);

    // 600 double-byte characters: the one that would straddle the limit goes.
    std::string wide;
    for (int i = 0; i < 600; ++i) {
        wide += "中";
    }
    ASSERT_EQ(wide.size(), 1200u);  // GBK at run time
    RunLog("%s", wide.c_str());
    const std::string line = folder.Read("GameRun.log");
    EXPECT_EQ(TextLength(line, 5), 1034u);
    EXPECT_EQ(line.substr(line.size() - 4), wide.substr(0, 2) + "\r\n");
}

TEST(EngineLogTest, ShowLastErrorNamesTheActionInAnErrorBox) {
    TempProgramFolder folder;
    ShowLastError("字体创建");
    ASSERT_EQ(folder.boxes.size(), 1u);
    const platform::MessageBoxRequest& box = folder.boxes[0];
    EXPECT_EQ(box.text.rfind(std::string("字体创建") + " 由于以下错误而失败: ", 0), 0u);
    EXPECT_EQ(box.caption, "错误");
    EXPECT_EQ(box.style & platform::kBoxIconError, platform::kBoxIconError);
}

}  // namespace
