// The frame view's chrome: the tiled table background, the top bar with the
// title and the title buttons, the borders, and the parts CreateFrameButtons
// makes. A missing image falls back to the default sizes and the fill colour;
// an image of no width or height is never tiled.

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ImageRecord.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/GameFrameApp.h"
#include "frame/view/GameFrameView.h"
#include "platform/Screen.h"

namespace {

constexpr double kTopBarZ = 100100;
constexpr double kBorderZ = 100000;
constexpr double kBottomBarZ = 100001;
constexpr double kTitleAboveBar = 0.0000001;
constexpr int kTitleCanvasWidth = 200;
constexpr int kTitleButtonMargin = 4;

bool HasImage(const FrameRecord& frame) {
    return frame.record != nullptr && frame.width > 0 && frame.height > 0;
}

// Draws the image at its own size from x = 0 in steps of its width while x
// lies inside the canvas.
void TileAcross(CCorvaneCanvas& canvas, const FrameRecord& image) {
    if (!HasImage(image)) {
        return;
    }
    for (int x = 0; x < canvas.GetCanvasWidth(); x += image.width) {
        canvas.DrawImage(image, x, 0, -1, -1, 0.0, 1.0);
    }
}

// Sizes the canvas and clears it; without its picture it shows the fill
// colour.
void ResetCanvas(CCorvaneCanvas& canvas, int width, int height, bool hasImage) {
    if (canvas.GetCanvasWidth() != width || canvas.GetCanvasHeight() != height) {
        canvas.Resize(width, height);
    }
    canvas.Clear();
    if (!hasImage) {
        canvas.SetPenColor(kChromeFillColor, 1.0);
        canvas.DrawRect(0, 0, width, height, 1);
    }
}

}  // namespace

int CGameFrameView::TopBarHeight() {
    const int height = ImageFrame("Frame_Top").height;
    return height > 0 ? height : defaultTopHeight_;
}

int CGameFrameView::BorderWidth(const char* image) {
    const int width = ImageFrame(image).width;
    return width > 0 ? width : defaultBorderWidth_;
}

int CGameFrameView::BottomBarHeight() {
    const int height = ImageFrame("Frame_Bottom").height;
    return height > 0 ? height : defaultBottomHeight_;
}

void CGameFrameView::CreateFrameButtons() {
    const int width = GetBufferWidth();
    const int height = GetBufferHeight();
    auto makeCanvas = [&](int& id, int w, int h) {
        if (FindPart<CCorvaneCanvas>(id) != nullptr) {
            return false;
        }
        CCorvaneCanvas* canvas = CreateCanvas(std::max(w, 1), std::max(h, 1), kChromeColorKey);
        id = canvas != nullptr ? canvas->GetId() : 0;
        return canvas != nullptr;
    };
    if (makeCanvas(topBarId_, width, TopBarHeight())) {
        CCorvaneCanvas* bar = FindPart<CCorvaneCanvas>(topBarId_);
        const int self = GetId();
        bar->BindEvent(kEventDoubleClick, self, kEventToggleMaximize, 0, 0);
        bar->BindEvent(kEventDrag, self, kEventTopBarDrag, 0, 0);
        bar->BindEvent(kEventLButtonDown, self, kEventDragBegin, 0, 0);
        bar->BindEvent(kEventLButtonUp, self, kEventDragEnd, 0, 0);
        bar->BindEvent(kEventFocusLost, self, kEventDragEnd, 0, 0);
    }
    makeCanvas(leftBorderId_, BorderWidth("Frame_Left"), height);
    makeCanvas(rightBorderId_, BorderWidth("Frame_Right"), height);
    makeCanvas(bottomBorderId_, width, BottomBarHeight());

    auto makeButton = [&](int& id, const char* image, int event, bool optional) {
        if (FindPart<CCorvaneButton>(id) != nullptr) {
            return;
        }
        if (optional && !HasImage(ImageFrame(image))) {
            return;
        }
        id = MakeImageButton(image, event);
    };
    makeButton(closeButtonId_, "btnFrameClose", kEventCloseButton, false);
    makeButton(fitButtonId_, "btnFrameFit", kEventToggleMaximize, false);
    makeButton(minimizeButtonId_, "btnFrameMin", kEventMinimize, false);
    makeButton(settingsButtonId_, "btnSet2", kEventSettingsButton, true);
    makeButton(helpButtonId_, "btnHelp2", kEventHelpButton, true);
    makeButton(shopButtonId_, "btnShop2", kEventShopButton, true);

    if (FindPart<CFrameSplitter>(splitterId_) == nullptr && PanelFactories().splitterBar) {
        splitterId_ = AdoptPart(PanelFactories().splitterBar());
    }
    FoldSplitterOnSmallScreen();
}

void CGameFrameView::PaintBackground() {
    const int width = GetBufferWidth();
    const int height = GetBufferHeight();
    const FrameRecord pattern = ImageFrame("TablePatten");
    if (HasImage(pattern)) {
        for (int y = 0; y < height; y += pattern.height) {
            for (int x = 0; x < width; x += pattern.width) {
                DrawImageToBackground(pattern, x, y, pattern.width, pattern.height, 0.0);
            }
        }
    }
    if (GetMainGame() != nullptr) {
        const IntRect area = MainGameRect();
        const int w = area.right - area.left;
        const int h = area.bottom - area.top;
        const int side = std::min(w, h);
        const FrameRecord halo = ImageFrame("TableHalo");
        if (HasImage(halo) && side > 0) {
            DrawImageToBackground(halo, area.left + (w - side) / 2, area.top + (h - side) / 2, side,
                                  side, 0.0);
        }
        auto corner = [&](const char* name, bool right, bool bottom) {
            const FrameRecord image = ImageFrame(name);
            if (HasImage(image)) {
                DrawImageToBackground(image, right ? area.right - image.width : area.left,
                                      bottom ? area.bottom - image.height : area.top, image.width,
                                      image.height, 0.0);
            }
        };
        corner("TableCornerLT", false, false);
        corner("TableCornerRT", true, false);
        corner("TableCornerLB", false, true);
        corner("TableCornerRB", true, true);
    }
    PaintTopBar();
    PaintLeftBorder();
    PaintRightBorder();
    PaintBottomBorder();
    LayoutSplitter();
}

void CGameFrameView::PaintTopBar() {
    CCorvaneCanvas* bar = FindPart<CCorvaneCanvas>(topBarId_);
    const int width = GetBufferWidth();
    const int barHeight = TopBarHeight();
    if (bar == nullptr || width <= 0) {
        return;
    }
    const FrameRecord top = ImageFrame("Frame_Top");
    ResetCanvas(*bar, width, barHeight, HasImage(top));
    TileAcross(*bar, top);
    const FrameRecord left = ImageFrame("FramePatternLeft");
    if (HasImage(left)) {
        bar->DrawImage(left, 0, 0, -1, -1, 0.0, 1.0);
    }
    const FrameRecord right = ImageFrame("FramePatternRight");
    if (HasImage(right)) {
        bar->DrawImage(right, bar->GetCanvasWidth() - right.width, 0, -1, -1, 0.0, 1.0);
    }
    const FrameRecord middle = ImageFrame("FramePatternMiddle");
    if (HasImage(middle)) {
        bar->DrawImage(middle, width / 2 - middle.width / 2, 0, -1, -1, 0.0, 1.0);
    }
    const double centreY = (barHeight + 1) / 2;
    bar->SetZ(kTopBarZ);
    bar->SetPos(width / 2, centreY);
    bar->Show();
    bar->Invalidate();

    // Title buttons from the right edge leftwards, each touching the next.
    double right_edge = width - kTitleButtonMargin;
    for (int id : {closeButtonId_, fitButtonId_, minimizeButtonId_, helpButtonId_,
                   settingsButtonId_, shopButtonId_}) {
        CCorvaneButton* button = FindPart<CCorvaneButton>(id);
        if (button == nullptr) {
            continue;
        }
        const double buttonWidth = button->GetWidth();
        button->SetPos(right_edge - buttonWidth / 2, centreY);
        button->Show();
        button->Invalidate();
        right_edge -= buttonWidth;
    }

    CCorvaneCanvas* title = FindPart<CCorvaneCanvas>(titleCanvasId_);
    if (title == nullptr) {
        title = CreateCanvas(kTitleCanvasWidth, barHeight, kChromeColorKey);
        if (title == nullptr) {
            return;
        }
        titleCanvasId_ = title->GetId();
        const FrameRecord icon = ImageFrame("GameIcon");
        const int iconWidth = HasImage(icon) ? icon.width : 0;
        if (HasImage(icon)) {
            title->DrawImage(icon, 10, (barHeight + 1) / 2 - icon.height / 2, -1, -1, 0.0, 1.0);
        }
        title->SetFont(12, 400, "宋体");
        CGameFrameApp* app = CGameFrameApp::Current();
        title->SetPenColor(app != nullptr ? app->GetTitleTextColor() : 0, 1.0);
        if (app != nullptr) {
            title->DrawText(iconWidth + 15, (barHeight + 1) / 2 - 7, app->GetGameName().c_str());
        }
        title->SetZ(kTopBarZ + kTitleAboveBar);
        title->Show();
        bar->AttachChild(title, kLinkPosition | kLinkZ | kLinkHiddenByParent);
    }
    title->SetPos(bar->GetLeft() + title->GetWidth() / 2, bar->GetY());
    title->Invalidate();
}

namespace {

// A side border: sized width x the scene height, the picture stretched over
// it (or the fill colour), centred at x.
void PaintSideBorder(CCorvaneCanvas* border, const FrameRecord& image, int width, int height,
                     int centreX) {
    if (border == nullptr || height <= 0) {
        return;
    }
    ResetCanvas(*border, width, height, HasImage(image));
    if (HasImage(image)) {
        border->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
    }
    border->SetZ(kBorderZ);
    border->SetPos(centreX, height / 2);
    border->Show();
    border->Invalidate();
}

}  // namespace

void CGameFrameView::PaintLeftBorder() {
    const int width = BorderWidth("Frame_Left");
    PaintSideBorder(FindPart<CCorvaneCanvas>(leftBorderId_), ImageFrame("Frame_Left"), width,
                    GetBufferHeight(), width / 2);
}

void CGameFrameView::PaintRightBorder() {
    const int width = BorderWidth("Frame_Right");
    PaintSideBorder(FindPart<CCorvaneCanvas>(rightBorderId_), ImageFrame("Frame_Right"), width,
                    GetBufferHeight(), GetBufferWidth() - width / 2);
}

void CGameFrameView::PaintBottomBorder() {
    CCorvaneCanvas* bottom = FindPart<CCorvaneCanvas>(bottomBorderId_);
    const int width = GetBufferWidth();
    const int height = GetBufferHeight();
    if (bottom == nullptr || width <= 0) {
        return;
    }
    const int bottomHeight = BottomBarHeight();
    const FrameRecord image = ImageFrame("Frame_Bottom");
    ResetCanvas(*bottom, width, bottomHeight, HasImage(image));
    if (HasImage(image)) {
        bottom->DrawImage(image, 0, 0, 0, 0, 0.0, 1.0);
        const FrameRecord left = ImageFrame("Frame_Left");
        const FrameRecord right = ImageFrame("Frame_Right");
        if (HasImage(left) && HasImage(right) && image.height > 1) {
            bottom->DrawImage(left, 0, 0, left.width, image.height - 1, 0.0, 1.0);
            bottom->DrawImage(right, width - right.width, 0, right.width, image.height - 1, 0.0,
                              1.0);
        }
    }
    bottom->SetZ(kBottomBarZ);
    bottom->SetPos(width / 2, height - bottomHeight / 2);
    bottom->Show();
    bottom->Invalidate();
}
