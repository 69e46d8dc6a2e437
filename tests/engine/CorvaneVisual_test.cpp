#include "engine/CorvaneVisual.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/InputModule.h"
#include "engine/MissedResources.h"
#include "engine/PpsCodec.h"
#include "platform/Cursors.h"
#include "tests/engine/VisualTestSupport.h"
#include "tests/platform/CursorBytes.h"

namespace {

constexpr char kLog[] = "Game20240305.log";

// The parts of the last panel made.
MessagePanelParts g_lastPanel;

// Builds message panels the way the toolkit's panel does: a plain panel
// object of 10 x 10 with its canvas as an owned decoration, 80 x 30 buttons
// and a 40 x 20 countdown.
bool MakeTestPanel(CCorvaneVisual& owner, int width, int height, const EventRecord* ok,
                   const EventRecord* cancel, int seconds, MessagePanelParts& parts) {
    parts.panel = owner.CreateObject();
    parts.panel->SetSize(10, 10);
    parts.canvas = owner.CreateCanvas(width, height, kDefaultColorKey);
    parts.panel->AttachChild(parts.canvas, kLinkDecoration);
    const auto addPart = [&](int w, int h) {
        CCorvaneCanvas* part = owner.CreateCanvas(w, h, kDefaultColorKey);
        parts.panel->AttachChild(part, 0x1BC0AB);
        return part;
    };
    parts.okButton = ok != nullptr ? addPart(80, 30) : nullptr;
    parts.cancelButton = cancel != nullptr ? addPart(80, 30) : nullptr;
    parts.countdown = seconds > 0 ? addPart(40, 20) : nullptr;
    g_lastPanel = parts;
    return true;
}

class VisualFacadeTest : public VisualTest {
protected:
    void SetUp() override {
        VisualTest::SetUp();
        CCorvaneVisual::SetMessagePanelMaker(MakeTestPanel);
    }
    void TearDown() override { CCorvaneVisual::SetMessagePanelMaker(nullptr); }

    bool HasInk(const CCorvaneCanvas& canvas) const {
        for (int y = 0; y < canvas.GetCanvasHeight(); ++y) {
            for (int x = 0; x < canvas.GetCanvasWidth(); ++x) {
                if (canvas.GetAlpha(x, y) != 0) {
                    return true;
                }
            }
        }
        return false;
    }
};

}  // namespace

TEST_F(VisualFacadeTest, SettingsComeFromTheCoreAndNothingWorksWithoutOne) {
    EXPECT_EQ(visual->GetIntSetting(17), kEventSettings);  // the core's default
    EXPECT_EQ(visual->GetIntSetting(12345), -1);
    EXPECT_EQ(visual->GetImageWidth(), kWidth);

    CCorvaneVisual lone;
    EXPECT_EQ(lone.GetIntSetting(5), -2);
    EXPECT_EQ(lone.GetStringSetting(22), nullptr);
    EXPECT_EQ(lone.CreateCanvas(10, 10, kDefaultColorKey), nullptr);
    EXPECT_EQ(lone.FadeAction(&lone, 0.1, 1, 0, 1.0, 0.0, nullptr), 0u);
    EXPECT_EQ(lone.BeginGroup(), 0u);
    lone.ShowSystemBoard("text", 3);
    lone.DestroyObject(&lone, 1);
    EXPECT_EQ(lone.IsVisible(), 0);
}

TEST_F(VisualFacadeTest, ResourceFramesAreAnsweredAndBadRequestsLogged) {
    MakeAnimation("anim", 3);
    const FrameRecord missing = visual->GetResourceFrame("nothing", 0);
    EXPECT_EQ(missing.record, nullptr);
    const FrameRecord second = visual->GetResourceFrame("anim", 2);
    ASSERT_NE(second.record, nullptr);
    EXPECT_EQ(second.frame, 2);
    EXPECT_EQ(folder.Read(kLog).find("anim"), std::string::npos);
    visual->GetResourceFrame("anim", 3);
    visual->GetResourceFrame("anim", -1);
    const std::string log = folder.Read(kLog);
    EXPECT_NE(log.find("res \"nothing\" does not exists!"), std::string::npos);
    EXPECT_NE(log.find("res \"anim\" invalid frame(3)!"), std::string::npos);
    EXPECT_NE(log.find("res \"anim\" invalid frame(-1)!"), std::string::npos);

    // Saved as pps, the picture reads back with its size and frames.
    const std::string path = folder.Path() + "/anim.pps";
    EXPECT_EQ(visual->SaveFrameAsPps("anim", path.c_str()), 1);
    const std::string file = folder.Read("anim.pps");
    ImageRecord decoded;
    EXPECT_GT(DecodePpsImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), decoded),
              0u);
    EXPECT_EQ(decoded.width, 2);
    EXPECT_EQ(decoded.frameCount, 3);
    ReleaseImageRecord(decoded);
    EXPECT_EQ(visual->SaveFrameAsPps("nothing", path.c_str()), 0);

    // Removing the picture with its resource leaves neither.
    visual->RemoveImage("anim", 1);
    EXPECT_FALSE(paint->HasImage("anim"));
    EXPECT_EQ(resources->HasResource(GetResKey("anim.imge")), 0);
}

TEST_F(VisualFacadeTest, ResourceOperationsAnswerWhatWasAdded) {
    std::filesystem::create_directories(folder.Path() + "/more");
    folder.Write("more/a.txt", "abc");
    folder.Write("more/b.txt", "2");
    EXPECT_EQ(visual->AddResourceFolder((folder.Path() + "/more").c_str()), 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(visual->GetResourceData("a.txt")), "abc");
    const char junk[16] = "not a pack";
    EXPECT_EQ(visual->AddResourcePackFromMemory(junk, sizeof junk), 0);
}

TEST_F(VisualFacadeTest, MadeObjectsTakeTheOwnersEventTargetAndDieAsAsked) {
    RecordingObject* listener = Make();
    visual->SetEventTarget(listener);
    CCorvaneCanvas* canvas = visual->CreateCanvas(30, 20, 0x8000);
    ASSERT_NE(canvas, nullptr);
    EXPECT_NE(canvas->GetId(), 0);
    EXPECT_EQ(canvas->GetEventTarget(), listener);
    EXPECT_EQ(canvas->GetCanvasColorKey(), 0x8000u);
    EXPECT_EQ(canvas->GetFont(), objects->GetTextRenderer());
    EXPECT_EQ(canvas->GetWidth(), 30.0);

    CCorvanePicture* picture = MakeAnimation("pic", 2);
    EXPECT_EQ(picture->GetEventTarget(), listener);
    EXPECT_EQ(picture->GetWidth(), 2.0);
    EXPECT_EQ(visual->FindObjectById(picture->GetId()), picture);
    picture->SetName("pic");
    EXPECT_EQ(visual->FindObjectByName("pic"), picture);

    RecordingObject* now = Make();
    visual->DestroyObject(now, 0);
    EXPECT_EQ(deaths, 1);

    RecordingObject* later = Make();
    const int laterId = later->GetId();
    visual->DestroyObject(later, 1);
    visual->DestroyObject(later, 1);  // twice: the second destroy finds nothing
    EXPECT_EQ(later->IsVisible(), 0);
    Frame();
    EXPECT_EQ(deaths, 1);
    Frames(2);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(visual->FindObjectById(laterId), nullptr);
}

TEST_F(VisualFacadeTest, TheSystemBoardStaysUpOrHidesItselfAfterItsSeconds) {
    visual->ShowSystemBoard("hello", 0);
    auto* board = dynamic_cast<CCorvaneCanvas*>(visual->GetSystemBoard());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board, visual->FindObjectByName("object-systemboard"));
    EXPECT_EQ(board->GetCanvasWidth(), 15 * 5 / 2 + 20);
    EXPECT_EQ(board->GetX(), kWidth / 2);
    EXPECT_EQ(board->GetAlpha(), 0.0);
    EXPECT_TRUE(HasInk(*board));
    Frames(200);
    EXPECT_EQ(board->IsVisible(), 1);
    EXPECT_EQ(board->GetAlpha(), 1.0);
    visual->CloseSystemBoard();
    EXPECT_EQ(board->IsVisible(), 0);

    visual->ShowSystemBoard("again", 3);
    EXPECT_EQ(visual->GetSystemBoard(), board);  // made once, reused
    Frame();
    Frames(99);  // 2970 ms
    EXPECT_EQ(board->IsVisible(), 1);
    Frame();
    EXPECT_EQ(board->IsVisible(), 0);

    // A later showing without seconds is not cut short by an earlier timer.
    visual->ShowSystemBoard("timed", 3);
    Frames(10);
    visual->ShowSystemBoard("lasting", 0);
    Frames(150);
    EXPECT_EQ(board->IsVisible(), 1);
}

TEST_F(VisualFacadeTest, TheSystemNoteRefreshesOnceASecondUntilHidden) {
    visual->ShowSystemNote(1);
    auto* note = dynamic_cast<CCorvaneCanvas*>(visual->FindObjectByName(kSystemNoteName));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->IsVisible(), 1);
    EXPECT_EQ(note->GetX(), 50.0);
    EXPECT_FALSE(HasInk(*note));
    Frame();
    EXPECT_TRUE(HasInk(*note));
    visual->ShowSystemNote(0);
    Frame();
    EXPECT_EQ(note->IsVisible(), 0);
    EXPECT_EQ(objects->CountLiveActions(), 0);
    visual->ShowSystemNote(1);
    EXPECT_EQ(visual->FindObjectByName(kSystemNoteName), note);
}

TEST_F(VisualFacadeTest, MessageBoxesWidenInStepsOf50UpTo500) {
    const EventRecord ok = MakeEventRecord(visual->GetId(), 80000010, 0, 0);
    const EventRecord cancel = MakeEventRecord(visual->GetId(), 80000011, 0, 0);
    const auto show = [&](const std::string& text, const EventRecord* cancelNotify, int seconds) {
        visual->ShowMessageBox(text.c_str(), &ok, cancelNotify, seconds);
        return g_lastPanel;
    };

    const MessagePanelParts shortBox = show(std::string(20, 'x'), &cancel, 0);
    EXPECT_EQ(shortBox.panel->GetWidth(), 200.0);
    EXPECT_EQ(shortBox.canvas->GetCanvasWidth(), 200);
    EXPECT_EQ(shortBox.canvas->GetWidth(), 200.0);
    const int height = shortBox.canvas->GetCanvasHeight();
    EXPECT_GT(height, 70);
    EXPECT_EQ(shortBox.panel->GetX(), kWidth / 2);
    const double buttonY = kHeight / 2 + height / 2 - 20;
    EXPECT_EQ(shortBox.okButton->GetX(), kWidth / 2 - 50);
    EXPECT_EQ(shortBox.cancelButton->GetX(), kWidth / 2 + 50);
    EXPECT_EQ(shortBox.okButton->GetY(), buttonY);
    EXPECT_EQ(shortBox.panel->GetZ(), 100000.0);
    EXPECT_EQ(shortBox.panel->GetAlpha(), 0.0);
    EXPECT_TRUE(HasInk(*shortBox.canvas));
    Frame();
    EXPECT_NEAR(shortBox.panel->GetAlpha(), 0.1, 1e-9);

    const MessagePanelParts medium = show(std::string(400, 'x'), nullptr, 5);
    const int width = medium.canvas->GetCanvasWidth();
    EXPECT_GT(width, 200);
    EXPECT_LT(width, 500);
    EXPECT_EQ(width % 50, 0);
    EXPECT_GE(width, medium.canvas->GetCanvasHeight());
    EXPECT_EQ(medium.okButton->GetX(), kWidth / 2);
    EXPECT_EQ(medium.countdown->GetX(), kWidth / 2 + width / 2 - 10);
    EXPECT_EQ(medium.countdown->GetY(), medium.okButton->GetY());

    const MessagePanelParts tall = show(std::string(4000, 'x') + "\nend", nullptr, 0);
    EXPECT_EQ(tall.canvas->GetCanvasWidth(), 500);
    EXPECT_GT(tall.canvas->GetCanvasHeight(), 500);

    visual->ShowSystemDetails();
    EXPECT_EQ(g_lastPanel.canvas->GetCanvasWidth(), 300);
    EXPECT_EQ(g_lastPanel.canvas->GetCanvasColorKey(), 0x8000u);
    EXPECT_EQ(g_lastPanel.panel->GetY(), kHeight / 2);
    EXPECT_TRUE(HasInk(*g_lastPanel.canvas));

    // Without a panel maker nothing is made; the text goes to the log.
    CCorvaneVisual::SetMessagePanelMaker(nullptr);
    const int count = objects->GetObjectCount();
    visual->ShowMessageBox("no toolkit", &ok, nullptr, 0);
    EXPECT_EQ(objects->GetObjectCount(), count);
    EXPECT_NE(folder.Read(kLog).find("no toolkit"), std::string::npos);
}

TEST_F(VisualFacadeTest, SettingsEventsReachTheirTargetOrFreeTheirBlock) {
    RecordingObject* target = Make();
    auto* block = static_cast<char*>(AllocEventBlock(8));
    visual->SetIntSetting(kSettingsEventTarget, target->GetId());
    visual->SendSettingsEvent(EventParam(block), 7);
    EXPECT_EQ(
        Of(kEventSettings),
        (std::vector<Delivery>{{target->GetId(), kEventSettings, EventParam(block), 7, false}}));
    // No target, or one that is gone: the block is freed here (the leak
    // checker would report it otherwise).
    visual->SetIntSetting(kSettingsEventTarget, 0);
    visual->SendSettingsEvent(EventParam(AllocEventBlock(8)), 0);
    visual->SetIntSetting(kSettingsEventTarget, 99999);
    visual->SendSettingsEvent(EventParam(AllocEventBlock(8)), 0);
    EXPECT_EQ(Of(kEventSettings).size(), 1u);
}

TEST_F(VisualFacadeTest, ShadowsBlurThePicturesAlphaJustBehindIt) {
    AddPicture("ring.gif",
               picture_bytes::Gif(3, 3, {0, 0, 0, 255, 255, 255},
                                  {picture_bytes::Frame({0, 0, 0, 0, 1, 0, 0, 0, 0}, 10, 1)}));
    CCorvanePicture* ring = visual->CreatePicture(visual->GetResourceFrame("ring", 0));
    ring->SetPos(100, 100);
    ring->Show();
    CCorvaneCanvas* shadow = visual->CreateShadow(ring);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->GetCanvasWidth(), 5);
    EXPECT_EQ(shadow->GetCanvasHeight(), 5);
    EXPECT_EQ(shadow->GetX(), 98.5 + 1 + 2.0);
    EXPECT_LT(shadow->GetZ(), ring->GetZ());
    EXPECT_EQ(shadow->GetParent(), ring);
    EXPECT_EQ(shadow->IsVisible(), 1);
    EXPECT_EQ(shadow->GetAlpha(0, 0), 255 / 4);
    EXPECT_EQ(shadow->GetAlpha(2, 0), 3 * 255 / 6);
    EXPECT_EQ(shadow->GetAlpha(2, 2), 8 * 255 / 9);  // the hole is blurred over
    EXPECT_EQ(shadow->GetPixel(2, 2), 0u);           // black

    EXPECT_EQ(visual->CreateShadow(Make()), nullptr);  // no picture frame
    EXPECT_EQ(visual->CreateShadow(nullptr), nullptr);
    // It dies with its picture.
    const int shadowId = shadow->GetId();
    visual->DestroyObject(ring, 0);
    EXPECT_EQ(visual->FindObjectById(shadowId), nullptr);
}

TEST_F(VisualFacadeTest, InputOperationsReachTheInputModule) {
    EXPECT_EQ(visual->SetInputTarget(3), 0);  // no input module yet
    auto* input = new InputModule;
    ASSERT_EQ(core->LoadModule(input, 1, 1), kEngineOk);
    EXPECT_EQ(visual->SetInputTarget(5), 0);
    EXPECT_EQ(visual->SetInputTarget(7), 5);
    visual->SetModalObject(9);
    EXPECT_EQ(input->GetModalTarget(), 9);
    RecordingObject* field = Make();
    field->SetFocusable(1);
    visual->SetFocus(field->GetId());
    EXPECT_NE(field->GetFlags() & kObjectHasFocus, 0u);
}

TEST_F(VisualFacadeTest, ACursorFileBecomesTheInputCursorOnlyWhenItLoads) {
    platform::RecordingInputBackend backend;
    platform::SetInputBackend(&backend);
    EXPECT_EQ(visual->LoadCursorFile(nullptr), 0u);
    auto* input = new InputModule;
    ASSERT_EQ(core->LoadModule(input, 1, 1), kEngineOk);
    const platform::CursorHandle before = input->GetCursorHandle();

    folder.Write("point.cur", cursor_bytes::AsString(cursor_bytes::SmallCursor()));
    folder.Write("broken.cur", "not a cursor");
    EXPECT_EQ(visual->LoadCursorFile((folder.Path() + "\\missing.cur").c_str()), 0u);
    EXPECT_EQ(visual->LoadCursorFile((folder.Path() + "/broken.cur").c_str()), 0u);
    EXPECT_EQ(input->GetCursorHandle(), before);
    EXPECT_NE(folder.Read(kLog).find("broken.cur"), std::string::npos);

    const platform::CursorHandle loaded =
        visual->LoadCursorFile((folder.Path() + "\\point.cur").c_str());
    ASSERT_NE(loaded, 0u);
    EXPECT_NE(platform::FindLoadedCursor(loaded), nullptr);
    EXPECT_EQ(input->GetCursorHandle(), loaded);
    EXPECT_EQ(backend.CurrentCursor(), loaded);
    platform::SetInputBackend(nullptr);
}

namespace {

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

TEST_F(VisualFacadeTest, MissedNamesAreKeptOnceAndLoggedOnceWhenSwitchedOn) {
    MakeAnimation("anim", 2);
    ClearMissedResourcesForTesting();
    ::setenv(kMissedResourcesVariable, "1", 1);
    visual->GetResourceFrame("nothing", 0);
    visual->GetResourceFrame("anim", 0);
    visual->GetResourceFrame("nothing", 1);
    visual->GetResourceFrame("另一个", 0);
    EXPECT_EQ(MissedResourceNames(), (std::vector<std::string>{"nothing", "另一个"}));
    const std::string log = folder.Read(kLog);
    EXPECT_EQ(CountOf(log, "missed resource \"nothing\""), 1u);
    EXPECT_EQ(CountOf(log, "missed resource \"另一个\""), 1u);
    EXPECT_EQ(CountOf(log, "missed resource \"anim\""), 0u);

    // Switched off ("0"), names are still kept but not written.
    ClearMissedResourcesForTesting();
    ::setenv(kMissedResourcesVariable, "0", 1);
    visual->GetResourceFrame("quiet", 0);
    EXPECT_EQ(MissedResourceNames(), std::vector<std::string>{"quiet"});
    EXPECT_EQ(folder.Read(kLog).find("missed resource \"quiet\""), std::string::npos);
    ::unsetenv(kMissedResourcesVariable);
    ClearMissedResourcesForTesting();
}
