#include "tests/window/game/TableWindow.h"

#include <cstdlib>

#include "engine/CorvaneObject.h"
#include "engine/ui/CorvaneButton.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/table/RegionalTableView.h"
#include "platform/BlockingSleep.h"
#include "platform/TextCodec.h"
#include "tests/game/support/RegionalSkin.h"
#include "tests/window/Pixels.h"

namespace window_test {

void TableWindowTest::SetUp() {
    std::string error;
    server = RunningXServer(error);
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (server == nullptr || driver == nullptr || std::string(driver) != "x11") {
        GTEST_SKIP() << "no X server for the table window: " << error;
    }
    ASSERT_TRUE(tableServer.Start());
    options.advertHost = "web.example";
    ASSERT_TRUE(window.Open(options)) << window.Error();
    // The safe box's pauses would only hold the window still.
    platform::SetSleeperForTesting([](uint32_t) {});
    ASSERT_TRUE(window.MakeHallUserFolder()) << window.Error();
    ASSERT_TRUE(window.ConnectTo(tableServer)) << window.Error();
    ASSERT_NE(window.View(), nullptr);

    const std::string title = platform::GbkToUtf8(window.App().GetGameName());
    ASSERT_TRUE(
        window.RunUntil([&] { return (xwindow = server->FindWindow(title)) != 0; }, kTableWaitMs))
        << "the main window is not on the X server";
    ASSERT_TRUE(window.RunUntil([&] { return server->IsMapped(xwindow); }, kTableWaitMs));
    window.Run(300);  // the first frames drawn
}

void TableWindowTest::TearDown() {
    platform::SetSleeperForTesting({});
}

std::string TableWindowTest::ClickAt(int x, int y) {
    return window_test::ClickAt(*server, xwindow, x, y, kTableWaitMs);
}

std::string TableWindowTest::Click(CCorvaneObject* part) {
    if (part == nullptr) {
        return "no part to click";
    }
    if (part->IsVisible() == 0) {
        return "the part is hidden";
    }
    return ClickAt(static_cast<int>(part->GetX()), static_cast<int>(part->GetY()));
}

std::string TableWindowTest::FocusWindow() {
    // Xvfb runs without a window manager: the test gives the window the
    // keyboard as a click-to-focus manager does.
    return RunXdotool(*server, {"windowfocus", "--sync", std::to_string(xwindow)}, kTableWaitMs);
}

std::string TableWindowTest::Type(const std::string& text) {
    if (std::string error = FocusWindow(); !error.empty()) {
        return error;
    }
    return RunXdotool(*server, {"type", "--delay", "60", text}, kTableWaitMs);
}

std::string TableWindowTest::TypeInto(const std::string& text,
                                      const std::function<std::string()>& boxText) {
    if (std::string error = FocusWindow(); !error.empty()) {
        return error;
    }
    return TypeCharacterByCharacter(*server, text, boxText, kTableWaitMs);
}

std::string TableWindowTest::Key(const std::vector<std::string>& names) {
    if (std::string error = FocusWindow(); !error.empty()) {
        return error;
    }
    std::vector<std::string> arguments = {"key", "--delay", "60"};
    arguments.insert(arguments.end(), names.begin(), names.end());
    return RunXdotool(*server, arguments, kTableWaitMs);
}

CCorvaneButton* TableWindowTest::FindButton(int event, int targetId, int skip) {
    // Parts are numbered from 1 as they are registered; the window's parts
    // are a few thousand at most.
    constexpr int kLastPartId = 20000;
    for (int id = 1; id <= kLastPartId; ++id) {
        auto* button = dynamic_cast<CCorvaneButton*>(View().FindObjectById(id));
        if (button != nullptr && button->GetNotify().event == event &&
            (targetId == 0 || button->GetNotify().target == targetId) && skip-- == 0) {
            return button;
        }
    }
    return nullptr;
}

std::optional<WindowImage> TableWindowTest::Capture() const {
    return server->Read(xwindow);
}

uint32_t TableWindowTest::ShownColour(int x, int y) const {
    // 0x00RRGGBB back to the skin's 0x00BBGGRR (the swap is its own inverse).
    return AsShown(PixelAt(Capture(), x, y));
}

bool TableWindowTest::WaitForColour(int x, int y, uint32_t skinColour, uint32_t timeoutMs) {
    if (skinColour > 0xffffffu) {
        return false;
    }
    return window.RunUntil([&] { return NearColour(ShownColour(x, y), skinColour); }, timeoutMs);
}

uint32_t TableWindowTest::PictureColour(const char* name, int frame) {
    const regional_skin::Picture* picture = regional_skin::FindPicture(name);
    if (picture == nullptr) {
        ADD_FAILURE() << "the test skin has no picture " << name;
        return 0xffffffffu;  // no shown colour is near it
    }
    return regional_skin::FrameColour(*picture, frame);
}

std::vector<testserver::FrameScript::Recorded> TableWindowTest::Requests(uint32_t id) const {
    std::vector<testserver::FrameScript::Recorded> found;
    for (const auto& request : script.Requests()) {
        if (request.id == id) {
            found.push_back(request);
        }
    }
    return found;
}

bool TableWindowTest::WaitForRequest(uint32_t id, size_t count) {
    return window.RunUntil([&] { return script.Count(id) >= count; }, kTableWaitMs);
}

}  // namespace window_test
