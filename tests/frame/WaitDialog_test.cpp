// The wait dialog and its colour band bar: the gradient, the rotation and
// the painting of the bar; the dialog's size, skin and frames, read back
// from its panel; and its frames reaching the display while the UI thread
// blocks in a request.

#include "frame/WaitDialog.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "frame/HallRecords.h"
#include "frame/HallSignQueries.h"
#include "frame/RecordFields.h"
#include "platform/Font.h"
#include "platform/SdlWindow.h"
#include "tests/frame/ConnectionFixture.h"

namespace {

using Colors = std::array<uint32_t, 6>;

constexpr platform::ScreenRect kWorkArea{0, 0, 1024, 740};
constexpr uint32_t kDefaultFg = CWaitDialog::kDefaultBarForeground;
constexpr uint32_t kDefaultBg = CWaitDialog::kDefaultBarBackground;
// The default skin's bands: three rising to the foreground, two falling.
constexpr Colors kDefaultBands = {0x419473, 0x347A5C, 0x276045, 0x1A462E, 0x276045, 0x347A5C};

// A bottom-up 24-bit BMP of one colour (0x00BBGGRR) with a differently
// coloured top-left pixel.
std::vector<char> SolidBmp(int width, int height, uint32_t color, uint32_t corner) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const uint32_t pixelBytes = static_cast<uint32_t>(stride * height);
    std::vector<char> out;
    auto le = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    out.push_back('B');
    out.push_back('M');
    le(54 + pixelBytes, 4), le(0, 4), le(54, 4);
    le(40, 4), le(static_cast<uint32_t>(width), 4), le(static_cast<uint32_t>(height), 4);
    le(1, 2), le(24, 2), le(0, 4), le(pixelBytes, 4), le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = row == 0 && x == 0 ? corner : color;
            out.push_back(static_cast<char>((c >> 16) & 0xFF));
            out.push_back(static_cast<char>((c >> 8) & 0xFF));
            out.push_back(static_cast<char>(c & 0xFF));
        }
        out.resize(out.size() + static_cast<size_t>(stride - width * 3), 0);
    }
    return out;
}

platform::PanelFrame BarFrame(const CColorBandBar& bar, int width, int height) {
    platform::PanelFrame frame = platform::PanelFrame::Filled(width + 2, height + 2, 0x123456);
    bar.Paint(frame, {1, 1, width, height});
    return frame;
}

TEST(ColorBandBar, TheDefaultSkinsSixBands) {
    CColorBandBar bar;
    bar.SetColors(kDefaultFg, kDefaultBg);
    EXPECT_EQ(bar.Colors(), kDefaultBands);

    // Bright bands over a dark background step down and stop at it.
    bar.SetColors(0xFFFFFF, 0x000000);
    EXPECT_EQ(bar.Colors(), (Colors{0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF, 0xAAAAAA, 0x555555}));
    bar.SetColors(0xC8C8C8, 0xB4B4B4);  // step 6: the last bands reach the background
    EXPECT_EQ(bar.Colors(), (Colors{0xB6B6B6, 0xBCBCBC, 0xC2C2C2, 0xC8C8C8, 0xC2C2C2, 0xBCBCBC}));
}

TEST(ColorBandBar, AChannelWithAZeroStepKeepsOrTakesTheBackground) {
    CColorBandBar bar;
    // Red: 100 against 102 (step 0, below the background: the background's
    // value); green: 150 against 149 (step 0, above: kept); blue equal.
    bar.SetColors(0x0A9664, 0x0A9566);
    const uint32_t others = 0x0A9666;
    EXPECT_EQ(bar.Colors(), (Colors{others, others, others, 0x0A9664, others, others}));
}

TEST(ColorBandBar, RotatesOneBandEitherWay) {
    CColorBandBar bar;
    bar.SetColors(kDefaultFg, kDefaultBg);
    bar.Rotate();  // direction 1: towards higher indices
    EXPECT_EQ(bar.Colors(), (Colors{0x347A5C, 0x419473, 0x347A5C, 0x276045, 0x1A462E, 0x276045}));
    for (int i = 0; i < 5; ++i) {
        bar.Rotate();
    }
    EXPECT_EQ(bar.Colors(), kDefaultBands);  // once round in six ticks
    bar.SetDirection(0);
    bar.Rotate();
    EXPECT_EQ(bar.Colors(), (Colors{0x347A5C, 0x276045, 0x1A462E, 0x276045, 0x347A5C, 0x419473}));
}

TEST(ColorBandBar, PaintsSixBandsTheLastToTheEdge) {
    CColorBandBar bar;
    bar.SetColors(kDefaultFg, kDefaultBg);
    const platform::PanelFrame frame = BarFrame(bar, 40, 3);  // bands of 6, the last 10
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(frame.ColorAt(1 + 6 * i, 2), kDefaultBands[i]) << i;
    }
    EXPECT_EQ(frame.ColorAt(40, 3), kDefaultBands[5]);
    EXPECT_EQ(frame.ColorAt(41, 2), 0x123456u) << "painted outside its rectangle";
    EXPECT_EQ(frame.ColorAt(5, 4), 0x123456u);

    bar.SetHorizontal(false);
    const platform::PanelFrame tall = BarFrame(bar, 2, 13);  // bands of 2, the last 3
    EXPECT_EQ(tall.ColorAt(1, 1), kDefaultBands[0]);
    EXPECT_EQ(tall.ColorAt(2, 12), kDefaultBands[5]);
    EXPECT_EQ(tall.ColorAt(2, 13), kDefaultBands[5]);
}

TEST(ColorBandBar, ABarUnderSixPixelsIsAllTheLastBand) {
    CColorBandBar bar;
    bar.SetColors(kDefaultFg, kDefaultBg);
    const platform::PanelFrame frame = BarFrame(bar, 5, 4);
    for (int x = 1; x <= 5; ++x) {
        EXPECT_EQ(frame.ColorAt(x, 1), kDefaultBands[5]) << x;
    }
    const platform::PanelFrame none = BarFrame(bar, 0, 4);
    EXPECT_EQ(none.ColorAt(1, 1), 0x123456u);
}

class WaitDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::RegisterWindowClass("CGameCommThreadWnd")); }

    std::string WriteSkin(const std::filesystem::path& folder, const std::string& body) {
        std::filesystem::create_directories(folder);
        const std::filesystem::path ini = folder / "skin.ini";
        std::ofstream(ini) << body;
        return ini.string();
    }

    zeptest::TempFolder folder;
};

TEST_F(WaitDialogTest, TemplateUnitsBecomePixelsOfTheTemplateFont) {
    EXPECT_EQ(CWaitDialog::DialogUnitsToPixels(5, 32, 197, 9, 6, 12).left, 7);
    const auto bar = CWaitDialog::DialogUnitsToPixels(5, 32, 197, 9, 6, 12);
    EXPECT_EQ(bar.top, 48);
    EXPECT_EQ(bar.width, 295);
    EXPECT_EQ(bar.height, 13);

    const auto font = platform::OpenFont({"宋体", 12});
    const int w = font->CellWidth("x");
    CWaitDialog dialog({}, kWorkArea);
    EXPECT_EQ(dialog.Width(), 207 * w / 4);
    EXPECT_EQ(dialog.Height(), 45 * 12 / 8);
    ASSERT_TRUE(dialog.Open());
    dialog.ShowWaitText("正在连接游戏服务器......", 0);
    const platform::PanelFrame frame = dialog.Panel().NewestFrame();
    ASSERT_EQ(frame.width, dialog.Width());
    EXPECT_EQ(frame.height, dialog.Height());
    EXPECT_EQ(dialog.Panel().Position(),
              (platform::ScreenPoint{(1024 - dialog.Width()) / 2, (740 - dialog.Height()) / 2}));
    EXPECT_TRUE(dialog.Panel().IsVisible());
    // No skin: the face colour, the default bands and black text.
    EXPECT_EQ(frame.ColorAt(0, 0), CWaitDialog::kFaceColor);
    const auto barRect = dialog.BarRect();
    EXPECT_EQ(frame.ColorAt(barRect.left, barRect.top), kDefaultBands[0]);
    const auto text = dialog.TextRect();
    int inked = 0;
    for (int y = text.top; y < text.top + text.height; ++y) {
        for (int x = text.left; x < text.left + text.width; ++x) {
            inked += frame.ColorAt(x, y) != CWaitDialog::kFaceColor ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 50) << "no text drawn";
}

TEST_F(WaitDialogTest, TheSkinsBitmapIsStretchedAndItsColoursTakeTheBar) {
    const std::string ini = WriteSkin(folder.Path() / "skins",
                                      "[BitmapResource]\r\nCommDlgBK=wait.bmp\r\n"
                                      "[CommColors]\r\nWaitBarfg=255 255 255\r\n"
                                      "WaitBarbg=0 0 0\r\n");
    const auto bmp = SolidBmp(4, 2, 0x3366AA, 0x0000FF);
    std::ofstream(folder.Path() / "skins" / "wait.bmp", std::ios::binary)
        .write(bmp.data(), static_cast<std::streamsize>(bmp.size()));

    CWaitDialog dialog(ini, kWorkArea);
    ASSERT_TRUE(dialog.Open());
    EXPECT_TRUE(dialog.HasBackgroundBitmap());
    EXPECT_EQ(dialog.Bar().Colors()[3], 0xFFFFFFu);
    EXPECT_EQ(dialog.Bar().Colors()[0], 0x000000u);
    dialog.ShowWaitText("", 0);
    const platform::PanelFrame frame = dialog.Panel().NewestFrame();
    EXPECT_EQ(frame.ColorAt(0, 0), 0x0000FFu);  // the corner pixel, stretched
    EXPECT_EQ(frame.ColorAt(dialog.Width() / 4 - 1, 0), 0x0000FFu);
    EXPECT_EQ(frame.ColorAt(dialog.Width() - 1, dialog.Height() - 1), 0x3366AAu);
    EXPECT_EQ(frame.ColorAt(dialog.Width() / 2, 2), 0x3366AAu);

    // A skin whose bitmap is missing falls back to the face colour.
    const std::string missing =
        WriteSkin(folder.Path() / "other", "[BitmapResource]\r\nCommDlgBK=gone.bmp\r\n");
    CWaitDialog plain(missing, kWorkArea);
    ASSERT_TRUE(plain.Open());
    EXPECT_FALSE(plain.HasBackgroundBitmap());
    EXPECT_EQ(plain.Bar().Colors(), kDefaultBands);
    plain.ShowWaitText("x", 0);
    EXPECT_EQ(plain.Panel().NewestFrame().ColorAt(0, 0), CWaitDialog::kFaceColor);
}

TEST_F(WaitDialogTest, ASkinPathOfAnyLengthReachesTheDialogWhole) {
    std::filesystem::path deep = folder.Path();
    while (deep.string().size() < 300) {
        deep /= "a-rather-long-folder-name";
    }
    const std::string ini = WriteSkin(deep, "[CommColors]\r\nWaitBarfg=10 20 30\r\n");
    ASSERT_GT(ini.size(), 260u);
    CWaitDialog dialog(ini, kWorkArea);
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(dialog.SkinIni(), ini);
    EXPECT_EQ(dialog.Bar().Colors()[3], 0x1E140Au);

    // Sent again, it replaces the skin; the dialog owns and frees the copy.
    auto* path = new std::string(WriteSkin(folder.Path(), "[CommColors]\r\nWaitBarfg=1 2 3\r\n"));
    EXPECT_EQ(platform::SendMessage(dialog.Id(), kMsgWaitSkinPath,
                                    reinterpret_cast<platform::WParam>(path), 0),
              1);
    EXPECT_EQ(dialog.Bar().Colors()[3], 0x030201u);
}

TEST_F(WaitDialogTest, TheBarMovesOnlyWhileShownAndTheAutoHideIsKept) {
    CWaitDialog dialog({}, kWorkArea);
    ASSERT_TRUE(dialog.Open());
    dialog.ShowWaitText("first", 1);
    dialog.ShowWaitText("second", 0);  // the auto-hide keeps running
    std::set<uint32_t> peaks;
    const int peakX = dialog.BarRect().left + 3 * (dialog.BarRect().width / 6);
    const int barY = dialog.BarRect().top;
    ASSERT_TRUE(PumpUntil(
        [&] {
            const platform::PanelFrame frame = dialog.Panel().NewestFrame();
            peaks.insert(frame.ColorAt(peakX, barY));
            return !dialog.Panel().IsVisible();
        },
        5000));
    EXPECT_GE(peaks.size(), 3u) << "the bands did not move";
    const platform::PanelFrame hidden = dialog.Panel().NewestFrame();
    platform::SleepMs(450);
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(dialog.Panel().NewestFrame().pixels, hidden.pixels) << "moved while hidden";
}

TEST_F(WaitDialogTest, TheAutoHideIsRestartedByANewTime) {
    CWaitDialog dialog({}, kWorkArea);
    ASSERT_TRUE(dialog.Open());
    dialog.ShowWaitText("first", 1);
    PumpUntil([] { return false; }, 600);
    dialog.ShowWaitText("second", 2);
    const uint32_t restarted = platform::GetTickCount32();
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Panel().IsVisible(); }, 5000));
    EXPECT_GE(platform::GetTickCount32() - restarted, 1900u);
}

TEST_F(WaitDialogTest, TheHallsSignAnswerReachesItsQueryThroughTheDialog) {
    auto queries = std::make_shared<CHallSignQueries>();
    CWaitDialog dialog({}, kWorkArea);
    dialog.SetSignQueries(queries);
    ASSERT_TRUE(dialog.Open());
    const uint32_t token = queries->Open(77);
    auto send = [&](uintptr_t kind, int32_t userId, const char* text, uint32_t answerToken) {
        HallSignAnswer answer;
        answer.userId = userId;
        answer.token = static_cast<int32_t>(answerToken);
        SetFieldText(answer.text, text);
        const auto enciphered = EncipherHallRecord(RecordBytes(answer));
        platform::CopyDataRecord record{kind, static_cast<uint32_t>(enciphered.size()),
                                        const_cast<uint8_t*>(enciphered.data())};
        return platform::SendMessage(dialog.Id(), platform::kMsgCopyData, 0,
                                     reinterpret_cast<platform::LParam>(&record));
    };
    EXPECT_EQ(send(13, 77, "other data", token), 0);
    EXPECT_EQ(send(14, 77, "wrong token", token + 1), 1);
    EXPECT_FALSE(queries->Wait(token, 0).has_value());
    EXPECT_EQ(send(14, 77, "signed", token), 1);
    EXPECT_EQ(queries->Wait(token, 0), "signed");
}

// The UI thread owns the display and blocks in a request's wait; the
// dialog on the communication thread keeps publishing and the display's
// waits keep putting its frames on the screen.
class WaitDialogDuringARequest : public connection_test::GameConnectionTest {};

TEST_F(WaitDialogDuringARequest, FramesArePresentedWhileTheUiThreadBlocks) {
    ASSERT_TRUE(platform::TakeDisplay());
    std::atomic<CWaitDialog*> made{nullptr};
    app.SetWaitDisplayFactory([&]() -> std::unique_ptr<CWaitDisplay> {
        auto dialog = std::make_unique<CWaitDialog>("", kWorkArea);
        made.store(dialog.get());
        return dialog;
    });
    ASSERT_TRUE(app.StartCommThread());
    ASSERT_NE(made.load(), nullptr);
    const platform::PanelWindow& panel = made.load()->Panel();

    connection_test::QuickConnection quick;
    Connect(quick);
    script.SetSilent(200040);
    app.ShowWaitText("正在查询保险箱......", 0);
    ASSERT_TRUE(PumpUntil([&] { return panel.PresentedFrames() >= 1; }, 5000));
    const int before = panel.PresentedFrames();
    std::string text;
    std::array<uint8_t, 32> safeBox{};
    const uint32_t start = platform::GetTickCount32();
    EXPECT_EQ(quick.QuerySafeBox(text, safeBox), 0);  // no reply: a second's wait
    EXPECT_GE(platform::GetTickCount32() - start, 900u);
    EXPECT_GE(panel.PresentedFrames() - before, 3) << "the bands stood still during the wait";

    app.StopCommThread();
    platform::GiveBackDisplay();
}

}  // namespace
