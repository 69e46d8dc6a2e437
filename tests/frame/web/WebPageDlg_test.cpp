#include "frame/web/WebPageDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/web/NoTemplateDialog.h"
#include "platform/Files.h"
#include "platform/Screen.h"
#include "platform/TextCodec.h"
#include "tests/frame/FrameDoubles.h"
#include "tests/frame/web/WebTestSupport.h"
#include "tests/platform/TempFolder.h"

namespace {

using webtest::FakeBackendScope;
using webtest::Pump;

// The little-endian words of a block from an offset.
uint32_t Word16(const std::vector<uint8_t>& block, size_t offset) {
    return block[offset] | block[offset + 1] << 8;
}

TEST(NoTemplateDialogTest, TheDefaultTemplateIsLaidOutInSeventySixBytes) {
    const CNoTemplateDialog dialog;
    const std::vector<uint8_t> block = dialog.BuildTemplate();
    ASSERT_EQ(block.size(), 76u);
    const std::vector<uint8_t> head(block.begin(), block.begin() + 22);
    EXPECT_EQ(head, (std::vector<uint8_t>{0xC0, 0x00, 0xCB, 0x90, 0, 0,  0, 0, 0, 0, 0,
                                          0,    0,    0,    200,  0, 50, 0, 0, 0, 0, 0}));
    const std::u16string caption = u"无资源模板的对话框";
    for (size_t i = 0; i < 19; ++i) {  // 18 bytes in GBK: 19 units with the NUL
        EXPECT_EQ(Word16(block, 22 + 2 * i), i < caption.size() ? caption[i] : 0u) << i;
    }
    EXPECT_EQ(Word16(block, 60), 11u);
    const std::u16string face = u"ARIAL";
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Word16(block, 62 + 2 * i), i < face.size() ? face[i] : 0u);
    }
    EXPECT_EQ(Word16(block, 74), 0u);
}

TEST(NoTemplateDialogTest, BlockSizesClearBitOneAndReadBack) {
    DialogTemplateFields fields;
    fields.style = 0x80000000;
    fields.x = -3;
    fields.width = 187;
    fields.height = 97;
    for (const std::string caption : {"", "a", "ab", "abc", "网页"}) {
        const std::vector<uint8_t> block = BuildDialogTemplate(caption, fields);
        const size_t units = caption.size() + 1;
        EXPECT_EQ(block.size(), (2 * units + 38) & ~size_t{2}) << caption;
        EXPECT_GE(block.size(), 36 + 2 * units);
        const auto read = ReadDialogTemplate(block, units);
        ASSERT_TRUE(read) << caption;
        EXPECT_EQ(read->caption, caption);
        EXPECT_EQ(read->fields.x, -3);
        EXPECT_EQ(read->fields.width, 187);
        EXPECT_EQ(read->pointSize, 11);
        EXPECT_EQ(read->face, "ARIAL");
    }
}

TEST(NoTemplateDialogTest, ACutOrForeignBlockIsRefused) {
    const std::vector<uint8_t> block = BuildDialogTemplate("网页", {});
    for (size_t length = 0; length < 36 + 2 * 5; ++length) {
        EXPECT_FALSE(ReadDialogTemplate(std::span(block).first(length), 5)) << length;
    }
    EXPECT_TRUE(ReadDialogTemplate(std::span(block).first(36 + 2 * 5), 5));
    EXPECT_FALSE(ReadDialogTemplate(block, 40)) << "a caption field past the block";
    std::vector<uint8_t> menu = block;
    menu[18] = 1;
    EXPECT_FALSE(ReadDialogTemplate(menu, 5));
    std::vector<uint8_t> items = block;
    items[8] = 2;
    EXPECT_FALSE(ReadDialogTemplate(items, 5));
}

TEST(NoTemplateDialogTest, TheWindowIsSizedInTheFontsUnitsAndCentred) {
    const DialogBaseUnits units = MeasureDialogBaseUnits("ARIAL", 11);
    ASSERT_GT(units.width, 0);
    ASSERT_GT(units.height, 0);
    CNoTemplateDialog dialog;
    ASSERT_TRUE(dialog.Create());
    platform::TopLevelWindow* top = dialog.GetTopLevel();
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->IsVisible());
    EXPECT_EQ(top->ClientWidth(), 200 * units.width / 4);
    EXPECT_EQ(top->ClientHeight(), 50 * units.height / 8);
    const platform::ScreenRect area = platform::WorkArea();
    const platform::ScreenRect client = top->ClientRect();
    EXPECT_EQ(client.left, area.left + (area.right - area.left - top->ClientWidth()) / 2);
    EXPECT_EQ(client.top, area.top + (area.bottom - area.top - top->ClientHeight()) / 2);
    EXPECT_FALSE(dialog.Create()) << "one window per dialog";
    platform::PostMessage(dialog.Id(), platform::kMsgClose, 0, 0);
    Pump();
    EXPECT_FALSE(dialog.IsOpen());
}

// A 24-bit bottom-up BMP of the colour function's pixels (0x00RRGGBB).
std::string Bmp(int width, int height, uint32_t (*color)(int x, int y)) {
    const int rowBytes = (width * 3 + 3) & ~3;
    std::string bytes;
    auto le = [&bytes](uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes.push_back(static_cast<char>(value >> (8 * i)));
        }
    };
    bytes += "BM";
    le(54 + rowBytes * height, 4);
    le(0, 4);
    le(54, 4);
    le(40, 4);
    le(width, 4);
    le(height, 4);
    le(1, 2);
    le(24, 2);
    le(0, 4);
    le(rowBytes * height, 4);
    le(2835, 4);
    le(2835, 4);
    le(0, 4);
    le(0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            le(color(x, y), 3);  // blue, green, red
        }
        bytes.append(rowBytes - width * 3, '\0');
    }
    return bytes;
}

// The web-page dialog over the work area (no frame view), its skin in a
// program folder of its own, on the fake back end.
class WebPageDlgTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetProgramFolderForTesting(folder.Path()); }
    void TearDown() override {
        dialog.CloseWindow();
        Pump();
        platform::SetProgramFolderForTesting("");
        EXPECT_EQ(CWebUrlCommand::Alive(), 0);
    }
    void WriteSkin() {
        // Four faces of 20 x 16: red, green, blue, grey.
        folder.Write("skins/reswebcharge/btnChargeClose.bmp", Bmp(80, 16, [](int x, int) {
                         static const uint32_t faces[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
                         return faces[x / 20];
                     }));
        // Left half teal, right half yellow.
        folder.Write("skins/reswebcharge/charge_frame.bmp",
                     Bmp(10, 10, [](int x, int) { return x < 5 ? 0x008080u : 0xFFFF00u; }));
    }
    const platform::FakeWebBackend::View* Page() {
        return backend->Find(dialog.Browser().Page().Id());
    }

    TestFrameApp app;
    FakeBackendScope backend;
    TempFolder folder;
    CWebPageDlg dialog;
};

TEST_F(WebPageDlgTest, AnEmptyAddressOpensNothing) {
    EXPECT_EQ(dialog.Navigate("标题", "", "a=1"), 0);
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.Browser().Page().Id(), 0u);
}

TEST_F(WebPageDlgTest, ItOpensOverTheTableAreaWithItsPageInside) {
    dialog.SetSize(300, 0);
    dialog.SetSize(-1, 200);
    EXPECT_EQ(dialog.Width(), 300);
    EXPECT_EQ(dialog.Height(), 200);
    ASSERT_EQ(dialog.Navigate("活动", "http://web.example/act.aspx", "uid=1"), 1);
    ASSERT_TRUE(dialog.IsOpen());
    platform::TopLevelWindow* top = dialog.GetTopLevel();
    const platform::ScreenRect area = platform::WorkArea();
    const int left = (area.right - area.left) / 2 - 150;
    const int topEdge = (area.bottom - area.top) / 2 - 100;
    EXPECT_EQ(top->ClientRect(), (platform::ScreenRect{left, topEdge, left + 308, topEdge + 216}));
    EXPECT_EQ(top->CaptionStrip(), CWebPageDlg::kCaptionHeight);
    EXPECT_TRUE(top->IsVisible());

    ASSERT_NE(Page(), nullptr);
    EXPECT_EQ(Page()->rect,
              (platform::ScreenRect{left + 4, topEdge + 22, left + 304, topEdge + 212}));
    EXPECT_TRUE(Page()->visible);
    EXPECT_TRUE(Page()->scrollBarHidden);
    ASSERT_EQ(Page()->navigations.size(), 1u);
    EXPECT_EQ(Page()->navigations[0].url, "http://web.example/act.aspx?uid=1");
    EXPECT_FALSE(dialog.HasCloseButton()) << "no skin, no button";

    // The page follows the window.
    top->MoveTo({50, 60, 358, 276});
    Pump();
    EXPECT_EQ(Page()->rect, (platform::ScreenRect{54, 82, 354, 272}));
}

TEST_F(WebPageDlgTest, NavigatingWhileOpenReplacesTheWindow) {
    ASSERT_EQ(dialog.Navigate("一", "http://web.example/1", ""), 1);
    const platform::WindowId first = dialog.Id();
    const platform::WebViewId firstPage = dialog.Browser().Page().Id();
    ASSERT_EQ(dialog.Navigate("二", "http://web.example/2", ""), 1);
    EXPECT_FALSE(platform::IsWindow(first));
    EXPECT_EQ(backend->Find(firstPage), nullptr) << "the first page still stands";
    ASSERT_TRUE(dialog.IsOpen());
    EXPECT_NE(dialog.Id(), first);
    ASSERT_NE(Page(), nullptr);
    EXPECT_EQ(Page()->navigations[0].url, "http://web.example/2");
    EXPECT_EQ(dialog.Title(), "二");
}

TEST_F(WebPageDlgTest, TheSkinIsDrawnAndTheCloseButtonClosesIt) {
    WriteSkin();
    ASSERT_EQ(dialog.Navigate("Title", "http://web.example/", ""), 1);
    ASSERT_TRUE(dialog.HasCloseButton());
    EXPECT_EQ(dialog.CloseButtonRect(), (platform::PixelRect{428, -1, 448, 15}));
    Pump();  // paints
    const platform::WindowSurface& surface = dialog.GetTopLevel()->Surface();
    // Read back as 0x00BBGGRR.
    EXPECT_EQ(surface.ColorAt(2, 200), 0x808000u);    // teal
    EXPECT_EQ(surface.ColorAt(455, 200), 0x00FFFFu);  // yellow
    EXPECT_EQ(surface.ColorAt(430, 5), 0x0000FFu);    // the normal face, red
    bool titleDrawn = false;
    for (int y = 6; y < 19 && !titleDrawn; ++y) {
        for (int x = 10; x < 40 && !titleDrawn; ++x) {
            titleDrawn = surface.ColorAt(x, y) == 0;
        }
    }
    EXPECT_TRUE(titleDrawn) << "no black title pixel";

    const platform::WebViewId page = dialog.Browser().Page().Id();
    platform::SendMessage(dialog.Id(), platform::kMsgLButtonDown, 0, platform::PackPoint(100, 100));
    Pump();
    EXPECT_TRUE(dialog.IsOpen()) << "a press outside the button does nothing";
    platform::SendMessage(dialog.Id(), platform::kMsgLButtonDown, 0, platform::PackPoint(435, 5));
    Pump();
    EXPECT_EQ(dialog.GetTopLevel()->Surface().ColorAt(430, 5), 0x00FF00u) << "pressed face";
    platform::SendMessage(dialog.Id(), platform::kMsgLButtonUp, 0, platform::PackPoint(435, 5));
    Pump();
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(backend->Find(page), nullptr);

    // It opens again, in a new window.
    ASSERT_EQ(dialog.Navigate("Title", "http://web.example/", ""), 1);
    EXPECT_TRUE(dialog.IsOpen());
}

TEST_F(WebPageDlgTest, MemberCloseFromItsPageIsRunAndFreedByTheDialog) {
    ASSERT_EQ(dialog.Navigate("会员", "http://web.example/member", ""), 1);
    dialog.Browser().EnableLinkCommands(true);
    backend->FireBeforeNavigate(dialog.Browser().Page().Id(), "qelapp://memberclose/", "", true);
    Pump();
    ASSERT_EQ(backend->Decisions().size(), 1u);
    EXPECT_FALSE(backend->Decisions()[0].allow);
    EXPECT_EQ(CWebUrlCommand::Alive(), 0) << "the dialog left the command alive";
}

}  // namespace
