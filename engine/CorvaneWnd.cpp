#include "engine/CorvaneWnd.h"

#include <atomic>
#include <utility>

#include "engine/CorvaneView.h"
#include "engine/EngineClock.h"
#include "engine/EngineCursors.h"
#include "engine/FailureNoticeModule.h"
#include "engine/GdiPaintModule.h"
#include "engine/InputModule.h"
#include "engine/ModuleMessage.h"
#include "engine/MusicModule.h"
#include "engine/ObjectModule.h"
#include "engine/PaintModule.h"
#include "engine/ResourceModule.h"
#include "platform/Cursor.h"

namespace {

constexpr const char* kWindowClassName = "CCorvaneWnd";

// Frame timer ids are counted for the whole process; the window's timer
// message carries the id in a range no derived window uses for its own.
std::atomic<int> g_nextFrameTimerId{0};
constexpr uint32_t kFrameTimerBase = 0x80000000u;

}  // namespace

CCorvaneWnd::CCorvaneWnd() = default;

CCorvaneWnd::CCorvaneWnd(std::unique_ptr<EngineClock> clock) : core_(std::move(clock)) {}

CCorvaneWnd::~CCorvaneWnd() {
    Destroy();
}

// --- creation ---

int CCorvaneWnd::Create(const char* title, uint32_t style, uint32_t,
                        const platform::ScreenRect& rect, platform::WindowId) {
    return CreateTopLevel(kWindowClassName, platform::TopLevelOptionsFromStyle(
                                                title != nullptr ? title : "", style, rect));
}

int CCorvaneWnd::CreateTopLevel(std::string_view className,
                                const platform::TopLevelOptions& options) {
    if (Id() != 0) {
        return 0;
    }
    platform::RegisterWindowClass(className);
    if (!Window::Create(className)) {
        return 0;
    }
    topLevel_ = std::make_unique<platform::TopLevelWindow>(Id(), options);
    // As a new window on the original platform, it learns its size at once.
    const platform::WParam kind =
        topLevel_->IsMinimised() ? platform::kSizeMinimised : platform::kSizeRestored;
    platform::SendMessage(
        Id(), platform::kMsgSize, kind,
        kind == platform::kSizeMinimised
            ? 0
            : platform::PackSize(topLevel_->ClientWidth(), topLevel_->ClientHeight()));
    return 1;
}

int CCorvaneWnd::Initialize(CCorvaneView* root, ResourceModule* resources) {
    if (Id() == 0 || frameTimerId_ >= 0) {
        return 0;
    }
    ModuleBase* resourceModule = resources != nullptr ? resources : new ResourceModule;
    ModuleBase* objects = new ObjectModule;
    ModuleBase* paint = new GdiPaintModule;
    ModuleBase* music = new MusicModule;
    ModuleBase* input = new InputModule;
    RegisterEngineCursors();
    core_.Start(Id());
    core_.LoadModule(resourceModule, 1, 1);
    core_.LoadModule(objects, 1, 0);
    core_.LoadModule(paint, 1, 1);
    core_.LoadModule(music, 1, 0);
    core_.LoadModule(input, 1, 1);
    core_.LoadModule(new FailureNoticeModule, 1, 1);
    AttachRoot(root);
    frameTimerId_ = g_nextFrameTimerId++;
    platform::SetTimer(Id(), PlatformTimerId(), kFrameTimerIntervalMs);
    return 1;
}

void CCorvaneWnd::AttachRoot(CCorvaneView* root) {
    if (GdiPaintModule* paint = Painter()) {
        paint->SetBufferSize(width_, height_);
    }
    ObjectModule* objects = Objects();
    if (objects == nullptr) {
        delete root;  // nobody would ever destroy it
        return;
    }
    FitSceneToClient(*objects);
    root_ = root;
    if (root_ != nullptr) {
        objects->RegisterObject(root_, nullptr);
        root_->Relayout();
    }
    objects->RedrawAll();
}

void CCorvaneWnd::FitSceneToClient(ObjectModule& objects) const {
    objects.SetSceneCentre(width_ / 2, height_ / 2);
    objects.SetSceneSize(width_, height_);
}

// --- the engine ---

void CCorvaneWnd::OnResize() {
    if (GdiPaintModule* paint = Painter()) {
        paint->SetBufferSize(width_, height_);
    }
    if (ObjectModule* objects = Objects()) {
        FitSceneToClient(*objects);
        if (root_ != nullptr) {
            root_->Relayout();
        }
        objects->RedrawAll();
    }
}

void CCorvaneWnd::RunFrame() {
    core_.RunFrame();
}

InputModule* CCorvaneWnd::Input() const {
    return dynamic_cast<InputModule*>(core_.FindModule(kInputModuleId));
}

ObjectModule* CCorvaneWnd::Objects() const {
    return dynamic_cast<ObjectModule*>(core_.FindModule(kObjectModuleId));
}

GdiPaintModule* CCorvaneWnd::Painter() const {
    return dynamic_cast<GdiPaintModule*>(core_.FindModule(kPaintModuleId));
}

uint32_t CCorvaneWnd::PlatformTimerId() const {
    return kFrameTimerBase | static_cast<uint32_t>(frameTimerId_);
}

// --- messages ---

platform::LResult CCorvaneWnd::WindowProc(uint32_t id, platform::WParam wParam,
                                          platform::LParam lParam) {
    if (id == platform::kMsgTimer && frameTimerId_ >= 0 && wParam == PlatformTimerId()) {
        RunFrame();
        return 0;
    }
    const platform::LResult result = OnMessage(id, wParam, lParam);
    if (id == platform::kMsgDestroy) {
        topLevel_.reset();
    }
    return result;
}

platform::LResult CCorvaneWnd::OnMessage(uint32_t id, platform::WParam wParam,
                                         platform::LParam lParam) {
    if (IsInputMessage(id)) {
        FollowButtons(id);
        if (InputModule* input = Input()) {
            ForwardInput(*input, id, wParam, lParam);
        }
        return 0;
    }
    switch (id) {
        case platform::kMsgPaint:
            core_.SendMessage(kPaintModuleId, kMsgPresent, nullptr, 0);
            break;
        case platform::kMsgEraseBackground:
            return 1;
        case platform::kMsgSize:
            platform::DefaultWindowProc(*this, id, wParam, lParam);
            OnSizeMessage(platform::SizeWidth(lParam), platform::SizeHeight(lParam));
            return 0;
        case platform::kMsgSetCursor:
            if (InputModule* input = Input()) {
                input->ApplyCursor();
            }
            return 0;
        case platform::kMsgKillFocus:
            if (InputModule* input = Input()) {
                input->OnKillFocus();
            }
            break;
        case platform::kMsgCopyData:
            if (root_ != nullptr && lParam != 0) {
                root_->OnCopyData(reinterpret_cast<const CopyDataRecord*>(lParam));
            }
            break;
        case platform::kMsgDestroy:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return platform::DefaultWindowProc(*this, id, wParam, lParam);
}

void CCorvaneWnd::OnSizeMessage(int width, int height) {
    if (width == 0 || height == 0 || (width == width_ && height == height_)) {
        return;
    }
    width_ = width;
    height_ = height;
    OnResize();
}

bool CCorvaneWnd::IsInputMessage(uint32_t id) {
    using namespace platform;
    return (id >= kMsgMouseMove && id <= kMsgMouseWheel) || id == kMsgKeyDown || id == kMsgKeyUp ||
           id == kMsgChar;
}

void CCorvaneWnd::FollowButtons(uint32_t id) {
    using namespace platform;
    switch (id) {
        case kMsgLButtonDown:
            SetFocus(Id());
            SetCapture(Id());
            break;
        case kMsgRButtonDown:
            SetCapture(Id());
            break;
        case kMsgLButtonUp:
        case kMsgRButtonUp:
            ReleaseCapture();
            break;
        default:
            break;
    }
}

void CCorvaneWnd::ForwardInput(InputModule& input, uint32_t id, platform::WParam wParam,
                               platform::LParam lParam) {
    using namespace platform;
    const int x = PointX(lParam);
    const int y = PointY(lParam);
    const auto flags = static_cast<uint32_t>(wParam);
    const int key = static_cast<int>(wParam);
    switch (id) {
        case kMsgMouseMove:
            input.OnMouseMove(x, y, flags);
            break;
        case kMsgLButtonDown:
            input.OnLButtonDown(x, y, flags);
            break;
        case kMsgLButtonUp:
            input.OnLButtonUp(x, y, flags);
            break;
        case kMsgLButtonDblClk:
            input.OnLButtonDblClk(x, y, flags);
            break;
        case kMsgRButtonDown:
            input.OnRButtonDown(x, y, flags);
            break;
        case kMsgRButtonUp:
            input.OnRButtonUp(x, y, flags);
            break;
        case kMsgMButtonDown:
            input.OnMButtonDown(x, y, flags);
            break;
        case kMsgMButtonUp:
            input.OnMButtonUp(x, y, flags);
            break;
        case kMsgMouseWheel: {
            // The wheel's point is on the screen.
            const ScreenPoint client = ScreenToClient(Id(), ScreenPoint{x, y});
            input.OnMouseWheel(client.x, client.y, WheelDelta(wParam), WheelKeyState(wParam));
            break;
        }
        case kMsgKeyDown:
            input.OnKeyDown(key, KeyRepeat(lParam), KeyFlags(lParam));
            break;
        case kMsgKeyUp:
            input.OnKeyUp(key, KeyRepeat(lParam), KeyFlags(lParam));
            break;
        case kMsgChar:
            input.OnChar(key, KeyRepeat(lParam), KeyFlags(lParam));
            break;
        default:
            break;
    }
}

void CCorvaneWnd::OnDestroy() {
    core_.UnloadAll();
    root_ = nullptr;
    if (frameTimerId_ >= 0) {
        platform::KillTimer(Id(), PlatformTimerId());
    }
    if (platform::GetCapture() == Id()) {
        platform::ReleaseCapture();
    }
}
