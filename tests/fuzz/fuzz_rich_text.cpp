// Chat text from other players in a rich-text box: the markup is scanned,
// laid out in a ten-line box, and the box then takes a line of its own and
// the mouse and keys the input scripts. Rules checked: the line the box
// takes last is shown, and the element list agrees with the element count.
//
// Input: the text up to its first zero byte; after it, steps of three bytes
// (what, x, y) for the mouse, the keys and the engine's frames.

#include <cstring>
#include <memory>
#include <string>

#include "engine/CorvaneVisual.h"
#include "engine/GameCore.h"
#include "engine/GdiPaintModule.h"
#include "engine/InputModule.h"
#include "engine/ObjectModule.h"
#include "engine/ResourceModule.h"
#include "engine/ui/RichText.h"
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/Input.h"
#include "platform/Messages.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/TempProgramFolder.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

constexpr int kSceneWidth = 800;
constexpr int kSceneHeight = 600;
constexpr int kBoxLeft = 100;
constexpr int kBoxTop = 100;
constexpr int kBoxWidth = 300;
constexpr int kBoxHeight = 160;
constexpr int kMaxLines = 10;
constexpr size_t kMaxSteps = 64;
constexpr char kOwnLine[] = "hello\n";

// Takes the engine's failure notices and drops them.
class NoticeSink : public ModuleBase {
public:
    int Init() override { return 1; }
    int Uninit() override { return 1; }
    int Tick() override {
        DrainMessages();
        return 1;
    }
    int GetModuleID() const override { return kFailureNoticeModuleId; }
    const char* GetModuleName() const override { return "Notices"; }
    int HandleMessage(int, void*, int) override { return kEngineOk; }
};

// The headless engine the box lives in: a core on a hand-driven clock with
// resources, the real painter, objects and input, in a window of SDL's dummy
// driver.
struct Scene {
    TempProgramFolder folder;
    ManualTime time;
    platform::Window window;
    std::unique_ptr<GameCore> core;
    ObjectModule* objects = nullptr;
    InputModule* input = nullptr;
    CCorvaneVisual* visual = nullptr;

    bool Start() {
        platform::RegisterWindowClass("FuzzRichTextWindow");
        if (!window.Create("FuzzRichTextWindow")) {
            return false;
        }
        auto clock = time.MakeClock();
        clock->Reset(5000);
        core = std::make_unique<GameCore>(std::move(clock));
        core->Start(window.Id());
        auto* paint = new GdiPaintModule;
        objects = new ObjectModule;
        input = new InputModule;
        if (core->LoadModule(new ResourceModule, 1, 1) != kEngineOk ||
            core->LoadModule(new NoticeSink, 1, 0) != kEngineOk ||
            core->LoadModule(paint, 1, 1) != kEngineOk ||
            !paint->SetBufferSize(kSceneWidth, kSceneHeight) ||
            core->LoadModule(objects, 1, 0) != kEngineOk ||
            core->LoadModule(input, 1, 1) != kEngineOk) {
            return false;
        }
        objects->SetSceneCentre(kSceneWidth / 2, kSceneHeight / 2);
        objects->SetSceneSize(kSceneWidth, kSceneHeight);
        visual = new CCorvaneVisual;
        objects->RegisterObject(visual, nullptr);
        return true;
    }

    void Frame() {
        time.AdvanceMs(30);
        core->RunFrame();
    }
};

Scene* g_scene = nullptr;

// The characters of the elements, objects left out.
std::string TextOf(CCorvaneRichText& box) {
    std::string text;
    for (RichTextElement* e = box.GetFirstElement(); e != nullptr; e = e->next) {
        char bytes[3] = {};
        text.append(bytes, e->IsObject() ? 0 : static_cast<size_t>(e->CharBytes(bytes)));
    }
    return text;
}

void CheckElementCount(CCorvaneRichText& box) {
    int listed = 0;
    for (RichTextElement* e = box.GetFirstElement(); e != nullptr; e = e->next) {
        ++listed;
    }
    if (listed != box.GetElementCount()) {
        FuzzFail("the element count differs from the element list");
    }
}

// One scripted step of the mouse, the keys or the clock.
void Step(CCorvaneRichText& box, uint8_t what, uint8_t x, uint8_t y) {
    InputModule& input = *g_scene->input;
    const int sx = kBoxLeft - 10 + x * (kBoxWidth + 20) / 256;
    const int sy = kBoxTop - 10 + y * (kBoxHeight + 20) / 256;
    switch (what % 10) {
        case 0:
            input.OnMouseMove(sx, sy, 0);
            break;
        case 1:
            input.OnMouseMove(sx, sy, 0);
            input.OnLButtonDown(sx, sy, platform::kMouseFlagLeft);
            break;
        case 2:
            input.OnMouseMove(sx, sy, platform::kMouseFlagLeft);
            break;
        case 3:
            input.OnLButtonUp(sx, sy, 0);
            break;
        case 4:
            input.OnLButtonDblClk(sx, sy, platform::kMouseFlagLeft);
            break;
        case 5:
            input.OnKeyDown(x, 0, 0);
            input.OnKeyUp(x, 0, 0);
            break;
        case 6:
            input.OnMouseWheel(sx, sy, y < 128 ? 120 : -120, 0);
            break;
        case 7:
            box.SelectAll();
            box.CopySelection();
            break;
        case 8:
            box.ScrollTo(static_cast<int>(y) * 8 - 64);
            break;
        default:
            g_scene->Frame();
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    g_scene = new Scene;
    if (!g_scene->Start()) {
        FuzzFail("the headless engine does not start");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* chars = reinterpret_cast<const char*>(data);
    const size_t textLength = strnlen(chars, size);
    const std::string text(chars, textLength);

    auto* box = new CCorvaneRichText;
    g_scene->visual->Register(box);
    box->Create(kBoxWidth, kBoxHeight,
                kRichDefaultStyle | kRichSelectable | kRichScrollBars | kRichLiveLinks, 0);
    box->SetPos(kBoxLeft + kBoxWidth / 2.0, kBoxTop + kBoxHeight / 2.0);
    box->SetMaxLines(kMaxLines);
    box->Show();
    g_scene->Frame();

    box->AppendText(text.c_str());
    g_scene->Frame();
    box->AppendText(kOwnLine);
    g_scene->Frame();
    FuzzNote("lines", static_cast<uint64_t>(box->GetLineCount()));
    const std::string shown = TextOf(*box);
    if (!shown.ends_with(kOwnLine)) {
        FuzzFail("the line the box took last is not shown");
    }
    CheckElementCount(*box);

    for (size_t at = textLength + 1, steps = 0; at + 3 <= size && steps < kMaxSteps;
         at += 3, ++steps) {
        Step(*box, data[at], data[at + 1], data[at + 2]);
    }
    g_scene->Frame();
    CheckElementCount(*box);
    FuzzNote("links", box->GetLinkCount() < 4 ? box->GetLinkCount() : 4);

    g_scene->input->OnLButtonUp(0, 0, 0);
    g_scene->visual->DestroyObject(box, 0);
    g_scene->Frame();
    platform::DefaultBrowser().Clear();
    platform::DefaultClipboard().Clear();
    return 0;
}
