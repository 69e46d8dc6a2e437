// A screenshot from the side panel's button: the JPEG under the program
// folder's "temp" folder, named after the game, the user and the local
// time, holds the whole screen.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/ui/CorvaneButton.h"
#include "platform/ImageDecoder.h"
#include "platform/SdlEvents.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/frame_panels/SidePanelFixture.h"

namespace side_panel_test {
namespace {

constexpr int kScreenshotButtonEvent = 19840397;

class SidePanelScreenshotTest : public SidePanelTest {
protected:
    // The side panel's button that sends the event, or null.
    CCorvaneButton* ButtonFor(int event) {
        for (int id = 1; id < 5000; ++id) {
            auto* button = dynamic_cast<CCorvaneButton*>(Bars().FindObjectById(id));
            if (button != nullptr && button->GetNotify().event == event) {
                return button;
            }
        }
        return nullptr;
    }

    TempProgramFolder folder{platform::LocalDateTime{2026, 12, 7, 9, 30, 5}};
};

TEST_F(SidePanelScreenshotTest, TheButtonWritesTheScreenAndTheLineNamesTheFolder) {
    ASSERT_TRUE(platform::StartPictureCodecs());
    AddImage("qe截屏按钮", 40, 20, 0x00ff00);
    AddImage("InputBarBoxBK", 160, 26, 0xffffff);
    Open();
    Frame();
    CCorvaneButton* button = ButtonFor(kScreenshotButtonEvent);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->IsVisible());
    TakeLines();
    ClickOn(*button);

    const std::string file = folder.Path() + "/temp/pvbn_100_20261207_93005.jpg";
    ASSERT_TRUE(std::filesystem::exists(file));
    platform::DecodedPicture picture;
    std::string error;
    ASSERT_TRUE(platform::DecodePictureFile(file, picture, error)) << error;
    EXPECT_EQ(picture.width, kSceneWidth);
    EXPECT_EQ(picture.height, kSceneHeight + 30);
    const std::vector<std::string> written = TakeLines();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(written[0].find("<url_text=" + folder.Path() + "/temp\\,临时目录>"),
              std::string::npos)
        << written[0];
    EXPECT_TRUE(folder.boxes.empty());
}

TEST_F(SidePanelScreenshotTest, AnUnwritableFolderGivesNoFileAndNoLine) {
    Open();
    // A file where the folder should be: nothing can be written there.
    std::filesystem::remove_all(folder.Path() + "/temp");
    { std::ofstream(folder.Path() + "/temp") << "x"; }
    TakeLines();
    EXPECT_EQ(Send(kScreenshotButtonEvent), 1);
    EXPECT_TRUE(TakeLines().empty());
    EXPECT_TRUE(Bars().GetLastScreenshotPath().empty());
}

}  // namespace
}  // namespace side_panel_test
