#include "frame/panels/SplitterBar.h"

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/SceneGeometry.h"
#include "frame/GameFrameApp.h"
#include "frame/view/GameFrameView.h"

namespace {

constexpr char kBackImage[] = "左右分隔条_bg";
constexpr char kArrowRight[] = "箭头右";
constexpr char kArrowLeft[] = "箭头左";
constexpr uint32_t kColourKey = 0xff00ff;
constexpr int kSurfaceHeight = 10;
constexpr double kArrowAbove = 0.001;
// The arrow follows the bar's position, depth, visibility and redraws, and
// dies with it; it keeps its own size.
constexpr uint32_t kArrowLink =
    kLinkOwned | kLinkAlpha | kLinkInvalidate | kLinkZ | kLinkPosition | kLinkShow | kLinkHide;

void ResizeCanvas(CCorvaneCanvas& canvas, int width, int height) {
    canvas.Resize(width, height);
    canvas.CCorvaneObject::Resize(width, height);
}

// The frame view whose side panel the bar folds.
CGameFrameView* FrameView() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetFrameView() : nullptr;
}

}  // namespace

void CSplitterBar::Create() {
    SetName(kName);
    FrameRecord arrow;
    GetResourceFrame(&arrow, kArrowRight, 0);
    const int width = arrow.width > 0 ? arrow.width : kDefaultArrowWidth;
    const int height = arrow.height > 0 ? arrow.height : kDefaultArrowHeight;

    CCorvaneCanvas* surface = CreateCanvas(width, kSurfaceHeight, kColourKey);
    CCorvaneCanvas* arrowCanvas = CreateCanvas(width, height, kColourKey);
    if (surface == nullptr || arrowCanvas == nullptr) {
        DestroyObject(surface, 0);
        DestroyObject(arrowCanvas, 0);
        return;
    }
    surface->Show();
    surfaceId_ = surface->GetId();
    PeerSetUp(surface, kPeerLinkFlags);

    arrowCanvas->AddEventBinding(kEventLButtonDown,
                                 MakeEventRecord(GetId(), kSplitterArrowPress, 0, 0));
    arrowCanvas->AddEventBinding(kEventMouseEnter,
                                 MakeEventRecord(GetId(), kSplitterArrowEnter, 0, 0));
    arrowCanvas->AddEventBinding(kEventMouseLeave,
                                 MakeEventRecord(GetId(), kSplitterArrowLeave, 0, 0));
    arrowCanvas->EnableInput(1);
    arrowCanvas->SetZ(surface->GetZ() + kArrowAbove);
    arrowCanvas->SetPos(surface->GetX(), surface->GetY());
    arrowCanvas->Show();
    arrowId_ = arrowCanvas->GetId();
    surface->AttachChild(arrowCanvas, kArrowLink);
    Redraw();
}

CCorvaneCanvas* CSplitterBar::GetSurface() {
    return FindCanvasById(surfaceId_);
}

CCorvaneCanvas* CSplitterBar::GetArrow() {
    return FindCanvasById(arrowId_);
}

const char* CSplitterBar::ArrowImage() const {
    return collapsed_ != 0 ? kArrowLeft : kArrowRight;
}

void CSplitterBar::Relayout() {
    CCorvaneCanvas* surface = GetSurface();
    if (surface == nullptr) {
        return;
    }
    const int width = TruncToInt(GetWidth());
    const int height = TruncToInt(GetHeight());
    if (width > 0 && height > 0) {
        ResizeCanvas(*surface, width, height);
    }
    surface->SetPos(GetX(), GetY());
    if (CCorvaneCanvas* arrow = GetArrow()) {
        arrow->SetZ(GetZ() + kArrowAbove);
        arrow->SetPos(GetX(), GetY());
    }
    Redraw();
}

void CSplitterBar::Redraw() {
    if (CCorvaneCanvas* surface = GetSurface()) {
        surface->Clear();
        FrameRecord back;
        GetResourceFrame(&back, kBackImage, 0);
        surface->DrawImage(back, 0, 0, surface->GetCanvasWidth(), surface->GetCanvasHeight(), 0.0,
                           1.0);
    }
    DrawArrow(0);
}

void CSplitterBar::DrawArrow(int frame) {
    CCorvaneCanvas* arrow = GetArrow();
    if (arrow == nullptr) {
        return;
    }
    arrow->Clear();
    FrameRecord image;
    GetResourceFrame(&image, ArrowImage(), frame);
    arrow->DrawImage(image, 0, 0, arrow->GetCanvasWidth(), arrow->GetCanvasHeight(), 0.0, 1.0);
}

void CSplitterBar::SetCollapsed(int collapsed) {
    collapsed_ = collapsed;
}

int CSplitterBar::IsCollapsed() {
    return collapsed_;
}

int CSplitterBar::IsExpanded() {
    return collapsed_ == 0 ? 1 : 0;
}

void CSplitterBar::Toggle() {
    PlaySound("SndHitButton", 1, nullptr);
    CGameFrameView* view = FrameView();
    if (collapsed_ == 0) {
        collapsed_ = 1;
        if (view != nullptr) {
            view->SetSidePanelWidth(0);
        }
    } else {
        collapsed_ = 0;
        if (view != nullptr) {
            // The default width, not the width before the fold.
            view->SetSidePanelWidth(view->GetDefaultSidePanelWidth());
        }
    }
    if (view != nullptr) {
        view->Relayout();
    }
    DrawArrow(0);
}

int CSplitterBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kSplitterArrowEnter:
            DrawArrow(1);
            PlaySound("SndTouchButton", 1, nullptr);
            return 1;
        case kSplitterArrowLeave:
            DrawArrow(0);
            return 1;
        case kSplitterArrowPress:
            Toggle();
            return 1;
        default:
            return CFrameSplitter::OnEvent(record);
    }
}
