// The frame view's construction, children, side-panel widths and layout.

#include "frame/view/GameFrameView.h"

#include <algorithm>
#include <utility>

#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/EngineLog.h"
#include "engine/ImageRecord.h"
#include "engine/ObjectModule.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneEventQueue.h"
#include "engine/ui/CorvaneImageSequence.h"
#include "frame/GameFrameApp.h"
#include "platform/Screen.h"

namespace {

// Engine settings the side panel's score table and the chat lines read.
constexpr int kSettingScoreTable1 = 50007;
constexpr int kSettingScoreTable2 = 50008;
constexpr int kSettingScoreRowHeight = 50009;
constexpr int kSettingScoreTable3 = 50010;
constexpr int kSettingScrollBarHeight = 50011;
constexpr int kSettingInfoBoxCount = 50012;
constexpr int kSettingOwnChatName = 50013;
constexpr int kSettingOtherChatName = 50014;
constexpr int kStringSettingScrollBarImage = 27;

constexpr int kLayoutTop = 25;
constexpr int kLayoutMargin = 4;

int WorkAreaWidth() {
    const platform::ScreenRect work = platform::WorkArea();
    return work.right - work.left;
}

}  // namespace

int DefaultSidePanelWidthFor(int maximized) {
    if (maximized == 0) {
        return CGameFrameView::kNormalSidePanelWidth;
    }
    const int width = WorkAreaWidth();
    if (width >= 1280) {
        return 282;
    }
    return std::max(CGameFrameView::kNormalSidePanelWidth, (2 * width) / 9);
}

CGameFrameView::CGameFrameView() {
    // The view starts maximised: the widths the first maximise would give.
    sidePanelWidth_ = DefaultSidePanelWidthFor(maximized_);
    visibleSidePanelWidth_ = sidePanelWidth_;
}

CGameFrameView::~CGameFrameView() = default;

void CGameFrameView::SetPanelFactories(FramePanelFactories factories) {
    factories_ = std::move(factories);
}

const FramePanelFactories& CGameFrameView::PanelFactories() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && !factories_.splitterBar && !factories_.forceQuitBox &&
        !factories_.exitRequestBox && !factories_.infoBox && !factories_.systemBars) {
        return app->GetFramePanelFactories();
    }
    return factories_;
}

void CGameFrameView::Create() {
    CGameFrameApp* app = CGameFrameApp::Current();
    SetName(kViewName);
    OnCreateBegin();
    ApplyLayoutSettings();
    CreateFrameButtons();
    PaintBackground();
    OnCreateEnd();
    if (app != nullptr && app->IsMatch()) {
        BuildMatchObjects();
    }
}

void CGameFrameView::OnCreateBegin() {}
void CGameFrameView::OnCreateEnd() {}

void CGameFrameView::ApplyLayoutSettings() {
    SetIntSetting(kSettingScoreTable1, 28);
    SetIntSetting(kSettingScoreRowHeight, 26);
    SetIntSetting(kSettingScoreTable3, 70);
    SetIntSetting(kSettingScoreTable2, 22);
    const char* scrollBar = GetStringSetting(kStringSettingScrollBarImage);
    SetIntSetting(kSettingScrollBarHeight,
                  scrollBar != nullptr && scrollBar[0] != '\0' ? ImageFrame(scrollBar).height : 0);
    SetIntSetting(kSettingOwnChatName, 0x147800);
    SetIntSetting(kSettingOtherChatName, 0xe6641e);
    SetIntSetting(kSettingInfoBoxCount, 1);
}

// --- children ---

namespace {

// Names the child and, when the frame view has an engine, registers it; the
// child's id then, else 0.
int AdoptChild(CCorvaneView& frame, CCorvaneView* child, const char* name) {
    if (child == nullptr) {
        return 0;
    }
    child->SetName(name);
    if (frame.IsRegistered() == 0) {
        return 0;
    }
    frame.Register(child);
    return child->GetId();
}

// The child, unless the engine that took it no longer holds it under its id
// (then it is forgotten). A child set before the view had an engine belongs
// to its setter.
CCorvaneView* HeldChild(CCorvaneView& frame, CCorvaneView*& child, int& id) {
    if (id != 0 && frame.FindObjectById(id) != child) {
        child = nullptr;
        id = 0;
    }
    return child;
}

}  // namespace

void CGameFrameView::SetMainGame(CCorvaneView* view) {
    mainGame_ = view;
    mainGameId_ = AdoptChild(*this, view, kMainGameName);
}

void CGameFrameView::SetSubSystem(CCorvaneView* view) {
    subSystem_ = view;
    subSystemId_ = AdoptChild(*this, view, kSubSystemName);
}

CCorvaneView* CGameFrameView::GetMainGame() {
    return HeldChild(*this, mainGame_, mainGameId_);
}

CCorvaneView* CGameFrameView::GetSubSystem() {
    return HeldChild(*this, subSystem_, subSystemId_);
}

CCorvaneEventQueue* CGameFrameView::GetEventQueue() {
    return FindPart<CCorvaneEventQueue>(eventQueueId_);
}

void CGameFrameView::SetSidePanelWidth(int width) {
    visibleSidePanelWidth_ = width;
}

int CGameFrameView::GetDefaultSidePanelWidth() {
    return DefaultSidePanelWidthFor(maximized_);
}

void CGameFrameView::SendToChild(CCorvaneView* child, int event, intptr_t param1, intptr_t param2) {
    if (child != nullptr) {
        child->OnEvent(MakeEventRecord(child->GetId(), event, param1, param2));
    }
}

void CGameFrameView::OnGameDataReady() {
    if (CCorvaneView* game = GetMainGame()) {
        game->OnEnterRoom();
    }
    if (CCorvaneView* side = GetSubSystem()) {
        side->OnEnterRoom();
    }
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        app->EnterGame();
    }
}

// --- parts ---

int CGameFrameView::AdoptPart(CCorvaneObject* object) {
    if (object == nullptr) {
        return 0;
    }
    if (IsRegistered() == 0) {
        delete object;
        return 0;
    }
    Register(object);
    return object->GetId();
}

FrameRecord CGameFrameView::ImageFrame(const char* name, int frame) {
    return GetSkinFrame(name, frame);
}

int CGameFrameView::MakeImageButton(const char* image, int event) {
    const FrameRecord face = ImageFrame(image);
    if (IsRegistered() == 0) {
        return 0;
    }
    auto* button = new CCorvaneButton;
    Register(button);
    const EventRecord notify = MakeEventRecord(GetId(), event, 0, 0);
    button->Create(face, &notify, 0, 0);
    button->SetSound(kButtonLookHover, "SndTouchButton");
    button->SetSound(kButtonLookPressed, "SndHitButton");
    return button->GetId();
}

bool CGameFrameView::IsSplitterExpanded() {
    CFrameSplitter* splitter = FindPart<CFrameSplitter>(splitterId_);
    return splitter != nullptr && splitter->IsExpanded();
}

void CGameFrameView::FoldSplitterOnSmallScreen() {
    if (WorkAreaWidth() < 801 && IsSplitterExpanded()) {
        FindPart<CFrameSplitter>(splitterId_)->SetCollapsed(1);
        SetSidePanelWidth(0);
    }
}

IntRect CGameFrameView::MainGameRect() {
    if (CCorvaneView* game = GetMainGame()) {
        return game->GetViewRect();
    }
    return GetViewRect();
}

uint32_t CGameFrameView::MainWindow() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetMainWindow() : 0;
}

// --- layout ---

void CGameFrameView::Relayout() {
    const int width = GetBufferWidth();
    const int height = GetBufferHeight();
    if (width <= 0 || height <= 0) {
        return;
    }
    CAdvertBarPage* advert = nullptr;
    if (CCorvaneView* side = GetSubSystem()) {
        advert = dynamic_cast<CAdvertBarPage*>(side->FindObjectByName("AdvertBar"));
    }
    const bool pageWasShowing = advert != nullptr && advert->IsPageShowing();
    if (pageWasShowing) {
        advert->HidePageWindow();
    }

    const bool expanded = IsSplitterExpanded();
    CFrameSplitter* splitter = FindPart<CFrameSplitter>(splitterId_);
    const int splitterWidth = splitter != nullptr ? static_cast<int>(splitter->GetWidth()) : 0;
    const int x = expanded ? width - visibleSidePanelWidth_ - kLayoutMargin : width;
    const IntRect side{x, kLayoutTop, x + sidePanelWidth_, height - kLayoutMargin};
    const IntRect game{kLayoutMargin, kLayoutTop,
                       (expanded ? x : width - kLayoutMargin) - splitterWidth,
                       height - kLayoutMargin};
    if (CCorvaneView* view = GetSubSystem()) {
        view->SetViewRect(side);
    }
    if (CCorvaneView* view = GetMainGame()) {
        view->SetViewRect(game);
    }
    PaintBackground();
    PlaceMatchObjects(game);

    if (pageWasShowing && advert->IsPageShowing()) {
        advert->ShowPageWindow();
    }
}

void CGameFrameView::PlaceMatchObjects(const IntRect& area) {
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    const double centreX = area.left + w / 2;
    const double centreY = area.top + h / 2;
    auto place = [](CCorvaneObject* object, double x, double y) {
        if (object != nullptr) {
            object->SetPos(x, y);
            object->Invalidate();
        }
    };
    place(FindPart<CCorvaneObject>(bigAnimationId_), centreX, area.top + h / 3);
    if (CCorvaneObject* waiting = FindPart<CCorvaneObject>(waitingPictureId_)) {
        place(waiting, centreX, centreY);
        if (CCorvaneObject* rest = FindPart<CCorvaneObject>(restTablesTextId_)) {
            place(rest, centreX, waiting->GetTop() - rest->GetHeight() / 2 - 5);
        }
    }
    place(FindPart<CCorvaneObject>(resultPanelId_), centreX, area.top + 3 * h / 5);
    place(FindPart<CCorvaneObject>(countdownTextId_), centreX, centreY);
    place(FindPart<CCorvaneObject>(roundTextId_), centreX, centreY);
    place(FindPart<CCorvaneObject>(autoPlayPictureId_), centreX, centreY);
    if (CCorvaneObject* giveUp = FindPart<CCorvaneObject>(giveUpButtonId_)) {
        place(giveUp, area.left + giveUp->GetWidth() / 2, area.top + h - giveUp->GetHeight() / 2);
    }
    place(FindPart<CCorvaneObject>(signUpButtonId_), centreX, area.top + 2 * h / 3);
}

void CGameFrameView::LayoutSplitter() {
    CFrameSplitter* splitter = FindPart<CFrameSplitter>(splitterId_);
    if (splitter == nullptr) {
        return;
    }
    const IntRect area = MainGameRect();
    const int width = ImageFrame("左右分隔条_bg").width;
    const int height = area.bottom - area.top;
    splitter->SetSize(width, height);
    splitter->SetPos(area.right + width / 2, area.top + (height + 1) / 2);
    splitter->Show();
    splitter->Invalidate();
    splitter->Relayout();
}

// --- match objects ---

namespace {

// An image-sequence text of the glyph set and digits, registered; its id.
int MakeGlyphText(CGameFrameView& view, const char* glyphs, const char* glyphImage,
                  const char* digitImage) {
    if (view.IsRegistered() == 0) {
        return 0;
    }
    auto* text = new CCorvaneImageSequence;
    view.Register(text);
    const FrameRecord cell = view.GetResourceFrame(glyphImage, 0);
    text->Create(std::max(cell.width, 1), std::max(cell.height, 1), 0);
    text->AddGlyphStrip(glyphs, glyphImage);
    if (digitImage != nullptr) {
        text->AddGlyphStrip("0123456789", digitImage);
    }
    text->Invalidate();
    return text->GetId();
}

}  // namespace

void CGameFrameView::BuildMatchObjects() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const bool begun = app != nullptr && app->IsMatchRoom();
    const FrameRecord waiting = ImageFrame("animation_WaitArrangeTable");
    if (CCorvanePicture* picture = CreatePicture(waiting)) {
        picture->SetTopmost();
        waitingPictureId_ = picture->GetId();
    }
    if (IsRegistered() != 0) {
        auto* queue = new CCorvaneEventQueue;
        Register(queue);
        eventQueueId_ = queue->GetId();
    }
    if (!begun) {
        countdownTextId_ = MakeGlyphText(*this, "比赛倒计时:天时分秒小", "word_waitmatchstart",
                                         "digit_waitmatchstart");
    }
    signUpButtonId_ = MakeImageButton("btn_signup", kEventSignUp);
    giveUpButtonId_ = MakeImageButton("btn_giveup", kEventGiveUp);
    if (!begun) {
        feeTextId_ = MakeGlyphText(*this, "比赛倒计时:天时分秒小报名费银两通宝",
                                   "word_waitmatchstart", "digit_waitmatchstart");
        CCorvaneObject* fee = FindPart<CCorvaneObject>(feeTextId_);
        CCorvaneObject* signUp = FindPart<CCorvaneObject>(signUpButtonId_);
        if (fee != nullptr && signUp != nullptr) {
            signUp->AttachChild(fee, kLinkPosition | kLinkZ | kLinkHiddenByParent);
        }
    }
    roundTextId_ = MakeGlyphText(*this, "定局淘汰第轮", "word_washturn", nullptr);
    restTablesTextId_ = MakeGlyphText(*this, "还有桌游戏中前名晋级，", "word_resttable", nullptr);
    CCorvaneObject* picture = FindPart<CCorvaneObject>(waitingPictureId_);
    CCorvaneObject* rest = FindPart<CCorvaneObject>(restTablesTextId_);
    if (picture != nullptr && rest != nullptr) {
        rest->SetPos(picture->GetX(), picture->GetTop() - rest->GetHeight() / 2 - 10);
    }
    for (int id : {waitingPictureId_, countdownTextId_, signUpButtonId_, giveUpButtonId_,
                   feeTextId_, roundTextId_, restTablesTextId_}) {
        if (CCorvaneObject* object = FindPart<CCorvaneObject>(id)) {
            object->Invalidate();
        }
    }
}

// --- free functions ---

namespace {

IntRect ChildRect(bool mainGame) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view == nullptr) {
        return IntRect{};
    }
    CCorvaneView* child = mainGame ? view->GetMainGame() : view->GetSubSystem();
    return child != nullptr ? child->GetViewRect() : view->GetViewRect();
}

}  // namespace

IntRect GetMainGameRect() {
    return ChildRect(true);
}

IntRect GetSubSystemRect() {
    return ChildRect(false);
}
