// The frame view's match result panel, the player card in a match, the
// character pictures and the stacking of boxes at the bottom right.

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/PaintModule.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneNumberDisplay.h"
#include "engine/ui/RichText.h"
#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/view/FramePanelSeams.h"
#include "frame/view/GameFrameView.h"
#include "frame/view/MatchPanelTexts.h"
#include "frame/view/MatchRecords.h"
#include "platform/Files.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kEventResultShown = 80000052;
constexpr int kEventResultArrived = 80000053;
constexpr int kSettingInfoBoxCount = 50012;
constexpr double kResultPanelZ = 60000;
constexpr double kResultCoverZ = 50000;
constexpr double kPlayerCardZ = 70000;
constexpr uint32_t kWhite = 0xffffff;
constexpr int kAvatarSize = 48;

CGameFrameApp* App() {
    return CGameFrameApp::Current();
}

int32_t OwnUserId() {
    const CGameFrameApp* app = App();
    return app != nullptr ? app->GetUserID() : 0;
}

}  // namespace

// --- character pictures ---

std::string CGameFrameView::GetCharacterImageFile(int character, int sizeKind) {
    const std::string key = FormatText("Character%dType%d", character, sizeKind);
    PaintModule* paint = GetPaintModule();
    if (paint != nullptr && paint->HasImage(key)) {
        return key;
    }
    const CGameFrameApp* app = App();
    if (app == nullptr) {
        return {};
    }
    const char* file = sizeKind == 1 ? "32x32.png" : sizeKind == 2 ? "48x48.png" : "135x270.png";
    const std::string path = app->GetCharacterDir(character) + file;
    if (platform::FileExists(path) && AddResourceFile(path.c_str(), key.c_str()) != 0) {
        return key;
    }
    return character != 0 ? GetCharacterImageFile(0, sizeKind) : std::string();
}

std::string GetCharacterImageFile(int character, int sizeKind) {
    const CGameFrameApp* app = App();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    return view != nullptr ? view->GetCharacterImageFile(character, sizeKind) : std::string();
}

// --- result panel ---

void CGameFrameView::EnsureResultPanel() {
    if (FindPart<CCorvanePicture>(resultPanelId_) != nullptr || IsRegistered() == 0) {
        return;
    }
    CCorvanePicture* panel = CreatePicture(ImageFrame("MatchResultDlg"));
    if (panel == nullptr) {
        return;
    }
    panel->SetKeyColor(kChromeColorKey);
    panel->SetTopmost();
    panel->EnableDrag(1);
    resultPanelId_ = panel->GetId();

    auto* rank = new CCorvaneNumberDisplay;
    Register(rank);
    rank->Create("digit_MatchRank", 0);
    rank->AddGlyph("第", ImageFrame("char_第"));
    rank->AddGlyph("名", ImageFrame("char_名"));
    rank->SetZ(panel->GetZ() + 0.01);
    panel->AttachChild(rank, kLinkDecoration);
    rankDisplayId_ = rank->GetId();

    auto* reward = new CCorvaneRichText;
    Register(reward);
    reward->Create(std::max(1, int(panel->GetWidth()) - 150),
                   std::max(1, int(panel->GetHeight()) - 150), kRichBackgroundColor, 0);
    reward->SetBackgroundColor(kChromeColorKey);
    reward->SetTextColor(kWhite);
    reward->SetPos(panel->GetLeft() + 140 + reward->GetWidth() / 2,
                   panel->GetTop() + 140 + reward->GetHeight() / 2);
    reward->SetZ(panel->GetZ() + 0.01);
    panel->AttachChild(reward, kLinkDecoration);
    rewardTextId_ = reward->GetId();
}

void CGameFrameView::ReplaceResultButton(int& id, const char* image, int event, double x,
                                         double y) {
    if (CCorvaneObject* previous = FindPart<CCorvaneButton>(id)) {
        DestroyObject(previous, 0);
    }
    id = 0;
    CCorvanePicture* panel = FindPart<CCorvanePicture>(resultPanelId_);
    if (panel == nullptr) {
        return;
    }
    id = MakeImageButton(image, event);
    CCorvaneButton* button = FindPart<CCorvaneButton>(id);
    if (button == nullptr) {
        return;
    }
    if (y < 0) {  // placed on the panel's bottom edge
        y = panel->GetBottom() - button->GetHeight() / 2 - 10;
    }
    button->SetPos(x, y);
    button->SetZ(panel->GetZ() + 0.02);
    panel->AttachChild(button, kLinkDecoration);
    button->Show();
}

void CGameFrameView::ShowMatchResult(const uint8_t* body, size_t length) {
    const auto block = ZeroPaddedCopy<MatchResultRecord::kSize>(body, length);
    MatchResultRecord result;
    ReadRecord(block, result);
    for (size_t i = 0; i < matchResult_.size(); ++i) {
        matchResult_[i] = WordAt(block, i * 4);
    }
    HideMatchWait();
    SendToChild(GetMainGame(), kEventResultArrived, 0, 0);
    CCorvanePicture* shown = FindPart<CCorvanePicture>(resultPanelId_);
    if (shown != nullptr && shown->IsVisible() != 0) {
        return;
    }
    if (CGameFrameApp* app = App()) {
        app->SetLastMatchResult(result.rank, result.resultValue);
        app->SetMatchPlayerRank(result.userId, result.newRankLevel, result.newRankPoints,
                                result.nextRankPoints);
    }
    EnsureResultPanel();
    CCorvanePicture* panel = FindPart<CCorvanePicture>(resultPanelId_);
    if (panel == nullptr) {
        return;
    }
    const IntRect area = MainGameRect();
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    panel->SetPos(area.left + width / 2, area.top + (height * 3) / 5);
    panel->SetZ(kResultPanelZ);

    DrawResultAvatar(*panel);
    if (auto* rank = FindPart<CCorvaneNumberDisplay>(rankDisplayId_)) {
        rank->SetText(FormatText("第%d名", result.rank).c_str());
        rank->SetPos(panel->GetLeft() + 170 + rank->GetWidth() / 2,
                     panel->GetTop() + 30 + rank->GetHeight() / 2);
        rank->SetZ(panel->GetZ() + 0.01);
        rank->Show();
    }
    if (auto* reward = FindPart<CCorvaneRichText>(rewardTextId_)) {
        reward->Reset();
        reward->AppendText(MatchRewardText(result).c_str());
        reward->SetPos(panel->GetLeft() + 140 + reward->GetWidth() / 2,
                       panel->GetTop() + 140 + reward->GetHeight() / 2);
        reward->SetZ(panel->GetZ() + 0.01);
        reward->Show();
    }
    panel->Show();

    ReplaceResultButton(resultCloseButtonId_, "btn_redcrossEx", kEventCloseWindow,
                        panel->GetRight() - 20, panel->GetTop() + 20);
    if (result.awardId < 1) {
        ReplaceResultButton(resultPageButtonId_, "btn_ExChange", kEventExchangePage, panel->GetX(),
                            -1);
    } else {
        ReplaceResultButton(resultPageButtonId_, "btn_Award", kEventAwardPage, panel->GetX(), -1);
    }
    ShowResultCover(area);
    RequestCardUserInfo();
    SendToChild(GetMainGame(), kEventResultShown, 0, 0);
}

void CGameFrameView::DrawResultAvatar(CCorvanePicture& panel) {
    const CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const int32_t character = app->GetSeat(app->GetMyChairNo()).characterId;
    const std::string key = GetCharacterImageFile(character, 2);
    const FrameRecord avatar = key.empty() ? FrameRecord{} : ImageFrame(key.c_str());
    if (avatar.record == nullptr) {
        return;
    }
    // The panel shows a shared picture: the avatar goes on a canvas over it.
    CCorvaneCanvas* canvas = FindPart<CCorvaneCanvas>(resultAvatarId_);
    if (canvas == nullptr) {
        canvas = CreateCanvas(kAvatarSize, kAvatarSize, kChromeColorKey);
        if (canvas == nullptr) {
            return;
        }
        resultAvatarId_ = canvas->GetId();
        panel.AttachChild(canvas, kLinkDecoration);
    }
    canvas->Clear();
    FrameRecord square = avatar;
    square.offsetX += std::max(0, (avatar.width - kAvatarSize) / 2);
    square.offsetY += std::max(0, (avatar.height - kAvatarSize) / 2);
    square.width = std::min(avatar.width, kAvatarSize);
    square.height = std::min(avatar.height, kAvatarSize);
    canvas->DrawImage(square, 0, 0, -1, -1, 0.0, 1.0);
    canvas->SetPos(panel.GetLeft() + 15 + kAvatarSize / 2, panel.GetTop() + 15 + kAvatarSize / 2);
    canvas->SetZ(panel.GetZ() + 0.01);
    canvas->Show();
}

void CGameFrameView::ShowResultCover(const IntRect& area) {
    const int width = std::max(1, area.right - area.left);
    const int height = std::max(1, area.bottom - area.top);
    CCorvaneCanvas* cover = FindPart<CCorvaneCanvas>(resultCoverId_);
    if (cover == nullptr) {
        cover = CreateCanvas(width, height, 0);
        if (cover == nullptr) {
            return;
        }
        resultCoverId_ = cover->GetId();
        cover->Clear();  // opaque black under the alpha
    }
    cover->SetAlpha(0.7);
    cover->SetTopmost();
    cover->EnableInput(1);
    cover->SetPos(area.left + width / 2.0, area.top + height / 2.0);
    cover->SetZ(kResultCoverZ);
    cover->Show();
}

void CGameFrameView::CloseMatchResult() {
    if (CCorvaneObject* panel = FindPart<CCorvanePicture>(resultPanelId_)) {
        panel->Hide();
    }
    if (CCorvaneObject* cover = FindPart<CCorvaneCanvas>(resultCoverId_)) {
        cover->Hide();
    }
}

void CGameFrameView::RequestCardUserInfo() {
    CCorvaneCanvas* card = FindPart<CCorvaneCanvas>(detailCanvasId_);
    CGameFrameApp* app = App();
    if (card == nullptr || card->IsVisible() == 0 || app == nullptr) {
        return;
    }
    if (CGameConnection* connection = app->GetConnection()) {
        connection->RequestUserInfo(detailUserId_);
    }
}

// --- the player card in a match ---

void CGameFrameView::ShowPlayerCard(int32_t userId, int x, int y) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    if (app->IsRoomFlag64() && !app->IsLookOn() && userId != app->GetUserID()) {
        return;
    }
    if (!app->IsMatch()) {
        ShowPlayerDetail(userId, 1);
        return;
    }
    const MatchPlayerRecord* player = app->FindMatchPlayer(userId);
    if (player == nullptr) {
        detailUserId_ = -1;
        detailCharacterId_ = -1;
        if (CCorvaneObject* card = FindPart<CCorvaneCanvas>(detailCanvasId_)) {
            card->Hide();
        }
        return;
    }
    FillMatchPlayerCard(MakeMatchPlayerCard(*player));
    // Drawn only, the card would stay hidden: it opens beside the pointer.
    PlacePlayerCardAt(userId, x, y);
}

void CGameFrameView::FadeOutPlayerCard(int32_t userId) {
    CCorvaneCanvas* card = FindPart<CCorvaneCanvas>(detailCanvasId_);
    if (card == nullptr || userId != detailUserId_) {
        return;
    }
    StopObjectActions(card->GetId());
    const EventRecord hide = MakeEventRecord(card->GetId(), kEventHide, 0, 0);
    AlphaAction(card, -0.2, 0.0, 0, &hide);
}

void CGameFrameView::OnMatchPlayerInfo(const uint8_t* record, size_t length) {
    if (record == nullptr || length < sizeof(int32_t)) {
        ZepLog("match player card: %zu bytes, no user id", record != nullptr ? length : 0);
        return;
    }
    const auto card = ReadPaddedRecord<MatchPlayerCard>(std::span<const uint8_t>(record, length));
    FillMatchPlayerCard(card);
    PlacePlayerCard(card.userId, 1);
}

void CGameFrameView::ShowCardOf(CCorvaneCanvas& card, int32_t userId, double x, double y) {
    card.SetZ(kPlayerCardZ);
    card.Show();
    card.SetAlpha(1.0);
    card.SetPos(x, y);
    // Filled while hidden, the card has not been drawn where it now shows.
    card.Invalidate();
    if (CCorvaneObject* second = FindPart<CCorvaneObject>(secondCardItemId_)) {
        if (userId == OwnUserId()) {
            second->Hide();
        } else {
            second->Show();
        }
    }
}

void CGameFrameView::PlacePlayerCard(int32_t userId, int pinned) {
    detailCardPinned_ = pinned;
    CCorvaneCanvas* card = FindPart<CCorvaneCanvas>(detailCanvasId_);
    if (card == nullptr) {
        return;
    }
    const IntRect area = MainGameRect();
    const double halfHeight = card->GetHeight() / 2;
    double y = area.top + (area.bottom - area.top) / 3;
    CCorvaneView* side = GetSubSystem();
    CCorvaneObject* userList = side != nullptr ? side->FindObjectByName("UserListBar") : nullptr;
    if (userList != nullptr) {
        y = std::min(userList->GetTop() + halfHeight, area.bottom - halfHeight);
    }
    ShowCardOf(*card, userId, area.right - card->GetWidth() / 2, y);
}

void CGameFrameView::PlacePlayerCardAt(int32_t userId, int x, int y) {
    CCorvaneCanvas* card = FindPart<CCorvaneCanvas>(detailCanvasId_);
    if (card == nullptr) {
        return;
    }
    const IntRect area = MainGameRect();
    const double w = card->GetWidth();
    const double h = card->GetHeight();
    const double centreX = (area.left + area.right) / 2.0;
    const double centreY = (area.top + area.bottom) / 2.0;
    double cardX = static_cast<int>(x > centreX ? x - w / 2 : x + w / 2);
    double cardY = static_cast<int>(y > centreY ? y - h / 2 : y + h / 2);
    const int margin = ImageFrame("PlayerBoardSmall").width;
    cardY = std::min(cardY, area.bottom - h / 2 - margin);
    cardY = std::max(cardY, area.top + h / 2 + margin);
    cardX = std::max(cardX, area.left + w / 2 + margin);
    ShowCardOf(*card, userId, cardX, cardY);
}

void CGameFrameView::OpenCardUserDetail() {
    CCorvaneCanvas* card = FindPart<CCorvaneCanvas>(detailCanvasId_);
    if (card != nullptr && card->IsVisible() != 0 && detailUserId_ >= 0) {
        ShowPlayerDetail(detailUserId_, 0);
    }
}

// --- boxes at the bottom right ---

void CGameFrameView::StackInfoBox(CCorvaneObject* box) {
    if (box == nullptr) {
        return;
    }
    const int n = GetIntSetting(kSettingInfoBoxCount) + 1;
    SetIntSetting(kSettingInfoBoxCount, n);
    box->SetZ((5.0 * n + 45000.0) * 2.0);
    const double sceneWidth = GetBufferWidth();
    const double sceneHeight = GetBufferHeight();
    const double x = sceneWidth - box->GetWidth() / 2 - 4;
    box->SetPos(x, sceneHeight + box->GetHeight() / 2);
    box->Show();
    MoveAction(box, static_cast<int>(x), static_cast<int>(sceneHeight - box->GetHeight() / 2 - 4),
               15.0, 0, 15.0, nullptr);
    FlashMainWindow();
}
