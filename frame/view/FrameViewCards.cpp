// The frame view's player cards (the detail card of a user record and the
// match card), the information, notice and exit-request boxes, the system
// board, the auto-play animation and the forwarders of table events to the
// children.

#include <span>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/view/FramePanelSeams.h"
#include "frame/view/GameFrameView.h"
#include "frame/view/MatchPanelTexts.h"
#include "frame/view/MatchRecords.h"
#include "zep/ZepLog.h"

namespace {

constexpr int kEventUserEnterTable = 80000014;
constexpr int kEventLookOnEnter = 80000015;
constexpr int kEventUserLeaveTable = 80000016;
constexpr int kEventLookOnLeave = 80000017;
constexpr int kEventRandomTable = 80000018;
constexpr int kEventTableChanged = 80000019;
constexpr int kEventChangeTable = 80000020;
constexpr int kEventBaseSilver = 80000021;
constexpr int kEventPlayersRenamed = 80000062;
constexpr int kEventPrizeNotify = 80000104;

constexpr int kSettingInfoBoxCount = 50012;
constexpr uint32_t kMsgHallShowPlayer = platform::kMsgApp + 4360;
constexpr double kPlayerCardZ = 70000;
constexpr double kInfoBoxZ = 90000;
constexpr double kAutoPlayZ = 52000;
constexpr uint32_t kNameColor = 0x38d8e6;
constexpr uint32_t kFirstLinesColor = 0x5be8d6;
constexpr uint32_t kLinesColor = 0xcdecd1;
constexpr int kExitRequestSeconds = 30;
constexpr int kSystemBoardTextTop = 50;
constexpr char kFace[] = "宋体";

CGameFrameApp* App() {
    return CGameFrameApp::Current();
}

}  // namespace

// --- the player cards ---

CCorvaneCanvas* CGameFrameView::GetPlayerCard() {
    return FindPart<CCorvaneCanvas>(detailCanvasId_);
}

CCorvaneCanvas* CGameFrameView::EnsureDetailCanvas(bool matchCard) {
    CCorvaneCanvas* canvas = FindPart<CCorvaneCanvas>(detailCanvasId_);
    if (canvas == nullptr) {
        canvas = CreateDetailCanvas();
    }
    if (canvas != nullptr) {
        SetUpCardKind(*canvas, matchCard);
    }
    return canvas;
}

CCorvaneCanvas* CGameFrameView::CreateDetailCanvas() {
    const FrameRecord background = ImageFrame("bit_playerdetail");
    if (background.width <= 0 || background.height <= 0) {
        return nullptr;
    }
    CCorvaneCanvas* canvas = CreateCanvas(background.width, background.height, kChromeColorKey);
    if (canvas == nullptr) {
        return nullptr;
    }
    detailCanvasId_ = canvas->GetId();
    canvas->SetTopmost();
    canvas->SetZ(kPlayerCardZ);
    canvas->EnableDrag(1);
    canvas->BindEvent(kEventRightClick, GetId(), kEventCardClose, 0, 0);
    const int close = MakeImageButton("btn_redcrossEx", kEventCardClose);
    if (CCorvaneButton* button = FindPart<CCorvaneButton>(close)) {
        button->SetZ(canvas->GetZ() + 0.1);
        button->SetPos(canvas->GetRight() - button->GetWidth() / 2 - 10, canvas->GetTop() + 19);
        canvas->AttachChild(button, kLinkDecoration);
    }
    secondCardItemId_ = MakeImageButton("btn_buycharacter", kEventCardShop);
    if (CCorvaneButton* button = FindPart<CCorvaneButton>(secondCardItemId_)) {
        button->SetZ(canvas->GetZ() + 0.1);
        canvas->AttachChild(button, kLinkDecoration);
    }
    return canvas;
}

// The one canvas serves both cards, whichever came first: the match card
// fades with the pointer and has its shop button further left, the detail
// card neither.
void CGameFrameView::SetUpCardKind(CCorvaneCanvas& canvas, bool matchCard) {
    canvas.UnbindEvent(kEventMouseEnter);
    canvas.UnbindEvent(kEventMouseLeave);
    if (matchCard) {
        canvas.BindEvent(kEventMouseEnter, GetId(), kEventCardEnter, 0, 0);
        canvas.BindEvent(kEventMouseLeave, GetId(), kEventCardLeave, 0, 0);
    }
    if (CCorvaneButton* button = FindPart<CCorvaneButton>(secondCardItemId_)) {
        button->SetPos(matchCard ? canvas.GetLeft() + 75 : canvas.GetX(), canvas.GetTop() + 290);
    }
}

void CGameFrameView::DrawCardBackground(CCorvaneCanvas& canvas, int32_t characterId) {
    canvas.Clear();
    canvas.DrawImage(ImageFrame("bit_playerdetail"), 0, 0, -1, -1, 0.0, 1.0);
    const std::string key = GetCharacterImageFile(characterId, 3);
    if (!key.empty()) {
        canvas.DrawImage(ImageFrame(key.c_str()), 10, 10, 135, 270, 0.0, 1.0);
    }
}

void CGameFrameView::FillPlayerDetail(const uint8_t* userRecord) {
    UserRecord user;
    if (userRecord == nullptr ||
        !ReadRecord(std::span<const uint8_t>(userRecord, UserRecord::kSize), user)) {
        return;
    }
    detailUserId_ = user.userId;
    detailCharacterId_ = user.characterId;
    CCorvaneCanvas* canvas = EnsureDetailCanvas(false);
    if (canvas == nullptr) {
        return;
    }
    DrawCardBackground(*canvas, user.characterId);
    canvas->SetFont(14, 700, kFace);
    canvas->SetPenColor(kNameColor, 1.0);
    canvas->DrawText(195, 46, FieldText(user.name).c_str());

    const CGameFrameApp* app = App();
    const std::string silver = FormatText("   银 子 ： %d 两", user.silver);
    const std::string wealth = FormatText("财富等级 ： %s", GetWealthTitle(user.silver).c_str());
    const std::string score = FormatText("   积 分 ： %d", user.score);
    const std::string level = FormatText("   级 别 ： %s", FieldText(user.levelTitle).c_str());
    const bool silverRoom = app != nullptr && app->IsSilverRoom();
    const int64_t games = int64_t(user.wins) + user.losses + user.draws;
    const std::string lines[] = {
        silverRoom ? silver : score,
        silverRoom ? wealth : level,
        silverRoom ? score : silver,
        silverRoom ? level : wealth,
        FormatText("   经 验 ： %d", user.experience),
        "断 线 率 ： " + RateText(user.disconnects, games, "0.00%"),
        FormatText("   网 速 ： %d", user.netSpeed),
        FormatText("   赢 局 ： %d", user.wins),
        FormatText("   输 局 ： %d", user.losses),
        FormatText("   和 局 ： %d", user.draws),
        "   胜 率 ： " + RateText(user.wins, games, "100%"),
    };
    canvas->SetFont(12, 400, kFace);
    int y = 70;
    for (size_t i = 0; i < std::size(lines); ++i, y += 18) {
        canvas->SetPenColor(i < 2 ? kFirstLinesColor : kLinesColor, 1.0);
        canvas->DrawText(145, y, lines[i].c_str());
    }
    canvas->Invalidate();
}

void CGameFrameView::FillMatchPlayerCard(const MatchPlayerCard& card) {
    detailUserId_ = card.userId;
    detailCharacterId_ = card.characterId;
    CCorvaneCanvas* canvas = EnsureDetailCanvas(true);
    if (canvas == nullptr) {
        return;
    }
    DrawCardBackground(*canvas, card.characterId);
    canvas->SetFont(14, 700, kFace);
    canvas->SetPenColor(kNameColor, 1.0);
    canvas->DrawText(190, 45, FieldText(card.name).c_str());

    canvas->SetFont(12, 400, kFace);
    canvas->SetPenColor(kLinesColor, 1.0);
    const auto line = [&](int y, const char* label, const std::string& value) {
        canvas->DrawText(155, y, label);
        if (!value.empty()) {
            canvas->DrawText(205, y, value.c_str());
        }
    };
    line(70, "段位", "");
    canvas->DrawImage(ImageFrame("bit_Duan", card.rankLevel), 205, 65, -1, -1, 0.0, 1.0);
    line(100, "段位分", FormatText("%d/%d", card.rankPoints, card.nextRankPoints));
    line(130, "赢", FormatText("%d", card.wins));
    line(150, "输", FormatText("%d", card.losses));
    line(170, "和", FormatText("%d", card.draws));
    const int64_t games = int64_t(card.wins) + card.losses + card.draws;
    line(190, "胜率", RateText(card.wins, games, "100%"));
    line(220, "本场", MatchRecordLineText(card.matchWins, card.matchLosses, card.matchDraws));
    canvas->Invalidate();
}

void CGameFrameView::ShowPlayerDetail(int32_t userId, int hide) {
    CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    if (app->IsOfflineMode()) {
        const UserRecord* user = app->FindUser(userId);
        if (user == nullptr) {
            return;
        }
        const auto bytes = RecordBytes(*user);
        FillPlayerDetail(bytes.data());
        InputState input;
        GetInputState(&input);
        PlacePlayerCardAt(userId, input.mouseX, input.mouseY);
        return;
    }
    if (hide != 0) {
        if (CCorvaneCanvas* card = FindPart<CCorvaneCanvas>(detailCanvasId_)) {
            card->Hide();
            card->Invalidate();
        }
    }
    // The hall that launched this client answers with the player's record.
    if (app->IsHallWindowAlive()) {
        platform::PostMessage(app->GetHallWnd(), kMsgHallShowPlayer, MainWindow(),
                              static_cast<platform::LParam>(userId));
    }
}

// --- boxes ---

CInfoBoxSeam* CGameFrameView::OpenInfoBox(const char* text, const EventRecord* first,
                                          const EventRecord* second, int seconds, int style,
                                          const char* image, const char* confirmImage,
                                          const char* cancelImage) {
    const int n = GetIntSetting(kSettingInfoBoxCount) + 1;
    SetIntSetting(kSettingInfoBoxCount, n);
    auto* box = PanelFactories().infoBox
                    ? FindPart<CInfoBoxSeam>(AdoptPart(PanelFactories().infoBox()))
                    : nullptr;
    if (box == nullptr) {
        return nullptr;
    }
    box->ShowBox(text != nullptr ? text : "", first, second, seconds, style,
                 image != nullptr ? image : "", confirmImage, cancelImage);
    box->EnableDrag(1);
    // The frame view fills the window; its own rectangle stays empty (only
    // its two parts are given one), so the scene's size is the view's.
    box->SetPos(GetBufferWidth() / 2, GetBufferHeight() / 2);
    box->SetZ(kInfoBoxZ + 2.0 * n);
    box->Invalidate();
    PlaySound("Snd_msg", 1, nullptr);
    return box;
}

void CGameFrameView::ShowInfoBox(const char* text, const EventRecord* okEvent,
                                 const EventRecord* cancelEvent, int seconds, int style,
                                 const char* image) {
    OpenInfoBox(text, okEvent, cancelEvent, seconds, style, image, nullptr, nullptr);
}

void CGameFrameView::ShowNoticeBox(const char* text, int seconds, int style, const char* image) {
    const EventRecord first = MakeEventRecord(GetId(), kEventConfirmLeave, 0, 0);
    const EventRecord second = MakeEventRecord(GetId(), kEventCloseWindow, 0, 0);
    OpenInfoBox(text, &first, &second, seconds, style, image, nullptr, nullptr);
}

void CGameFrameView::ShowNoticeBoxEx(const char* text, const char* detail, int /*kind*/,
                                     int seconds, int /*buttons*/, int style, const char* okCaption,
                                     const char* cancelCaption) {
    // The first part is the box's title, the second its text; the captions
    // name the two buttons' skin images (captioned buttons without them).
    const EventRecord first = MakeEventRecord(GetId(), kEventConfirmLeave, 0, 0);
    const EventRecord second = MakeEventRecord(GetId(), kEventCloseWindow, 0, 0);
    CInfoBoxSeam* box =
        OpenInfoBox(detail, &first, &second, seconds, style, "", okCaption, cancelCaption);
    if (box != nullptr) {
        box->SetTitle(text != nullptr ? text : "");
    }
}

void CGameFrameView::ShowExitRequestBox(const uint8_t* record, size_t length) {
    if (record == nullptr || length < sizeof(int32_t)) {
        ZepLog("exit request: %zu bytes, no user id", record != nullptr ? length : 0);
        return;
    }
    const auto requester = ReadPaddedRecord<UserRecord>(std::span<const uint8_t>(record, length));
    CGameFrameApp* app = App();
    const UserRecord* user = app != nullptr ? app->FindUser(requester.userId) : nullptr;
    if (user == nullptr || !PanelFactories().exitRequestBox) {
        return;
    }
    const std::string picture = GetCharacterImageFile(user->characterId, 1);
    auto* box = FindPart<CExitRequestBoxSeam>(AdoptPart(PanelFactories().exitRequestBox()));
    if (box == nullptr) {
        return;
    }
    const std::string name = FieldText(requester.name);
    const EventRecord agree = MakeEventRecord(GetId(), kEventExitAnswer, requester.userId, 0);
    const EventRecord refuse = MakeEventRecord(GetId(), kEventExitAnswer, requester.userId, 1);
    box->ShowExitRequest(name.c_str(), name.c_str(), picture.c_str(), agree, refuse,
                         kExitRequestSeconds);
    box->EnableDrag(1);
    box->SetZ(kInfoBoxZ);
    box->Invalidate();
    PlaySound("SndHi", 1, nullptr);
    StackInfoBox(box);
}

void CGameFrameView::ShowSystemBoard(const char* text, uint32_t color, int size) {
    const FrameRecord background = ImageFrame("bit_systemboard");
    if (background.record == nullptr || background.width <= 0 || background.height <= 0) {
        return;
    }
    CCorvaneCanvas* board = FindPart<CCorvaneCanvas>(systemBoardId_);
    if (board == nullptr) {
        board = CreateCanvas(background.width, background.height, kChromeColorKey);
        if (board == nullptr) {
            return;
        }
        systemBoardId_ = board->GetId();
        board->SetTopmost();
        board->EnableDrag(1);
        const int close = MakeImageButton("btn_redcrossEx", kEventHide);
        if (CCorvaneButton* button = FindPart<CCorvaneButton>(close)) {
            button->SetNotify(MakeEventRecord(board->GetId(), kEventHide, 0, 0));
            button->SetPos(board->GetLeft() + 135, board->GetTop() + 163);
            button->SetZ(board->GetZ() + 0.1);
            board->AttachChild(button, kLinkDecoration);
        }
    }
    FontDesc desc = board->GetFontDesc();
    desc.height = size;
    board->SetFontDesc(desc);
    board->SetPenColor(color, 1.0);
    board->SetSpacing(0, size / 4);
    board->Clear();
    board->DrawImage(background, 0, 0, -1, -1, 0.0, 1.0);
    board->DrawTextCenteredLines(text != nullptr ? text : "", kSystemBoardTextTop);
    const IntRect area = MainGameRect();
    board->SetPos(area.left + (area.right - area.left) / 2,
                  area.top + (area.bottom - area.top) / 3);
    board->Show();
    board->Invalidate();
    PlaySound("snd_dang", 1, nullptr);
}

void CGameFrameView::ShowAutoPlayAnimation(int on) {
    CCorvanePicture* picture = FindPart<CCorvanePicture>(autoPlayPictureId_);
    if (picture == nullptr) {
        picture = CreatePicture(ImageFrame(kAutoPlaySignPicture));
        if (picture == nullptr) {
            return;
        }
        autoPlayPictureId_ = picture->GetId();
        picture->SetZ(kAutoPlayZ);
        const IntRect area = MainGameRect();
        picture->SetPos(area.left + (area.right - area.left) / 2,
                        area.top + (area.bottom - area.top) / 2);
    }
    if (on != 0) {
        FrameAnimationAction(picture, 0, -1, 0, 0, nullptr);
        picture->Show();
    } else {
        StopObjectActions(picture->GetId());
        picture->Hide();
    }
    picture->Invalidate();
}

// --- forwarders: MainGame first, then SubSystem ---

void CGameFrameView::ForwardToChildren(int event, intptr_t param1, intptr_t param2,
                                       bool tableChanged) {
    SendToChild(GetMainGame(), event, param1, param2);
    SendToChild(GetSubSystem(), event, param1, param2);
    if (tableChanged) {
        SendToChild(GetSubSystem(), kEventTableChanged, 0, 0);
    }
}

void CGameFrameView::ForwardRandomTable(const uint8_t* /*record*/, size_t /*length*/) {
    ForwardToChildren(kEventRandomTable, 0, 0, true);
}

void CGameFrameView::ForwardUserEnterTable(const uint8_t* seatRecord, size_t length) {
    ForwardToChildren(kEventUserEnterTable, EventParam(seatRecord), intptr_t(length), true);
}

void CGameFrameView::ForwardUserLeaveTable(const uint8_t* seatRecord, size_t length) {
    ForwardToChildren(kEventUserLeaveTable, EventParam(seatRecord), intptr_t(length), true);
}

void CGameFrameView::ForwardLookOnEnter(const uint8_t* userRecord) {
    ForwardToChildren(kEventLookOnEnter, EventParam(userRecord), intptr_t(UserRecord::kSize), true);
}

void CGameFrameView::ForwardLookOnLeave(const uint8_t* userRecord, size_t length) {
    ForwardToChildren(kEventLookOnLeave, EventParam(userRecord), intptr_t(length), true);
}

void CGameFrameView::ForwardChangeTable(const uint8_t* /*record*/, size_t /*length*/) {
    ForwardToChildren(kEventChangeTable, 0, 0, true);
}

void CGameFrameView::ForwardBaseSilver(const uint8_t* record, size_t length) {
    ForwardToChildren(kEventBaseSilver, EventParam(record), intptr_t(length), false);
}

void CGameFrameView::ForwardPrizeNotify(const uint8_t* record, size_t length) {
    SendToChild(GetSubSystem(), kEventPrizeNotify, EventParam(record), intptr_t(length));
}

void CGameFrameView::ForwardPlayersRenamed(const uint8_t* names, size_t length) {
    const CGameFrameApp* app = App();
    if (app == nullptr) {
        return;
    }
    SendToChild(app->GetSubSystemView(), kEventPlayersRenamed, EventParam(names), intptr_t(length));
    SendToChild(app->GetGameView(), kEventPlayersRenamed, EventParam(names), intptr_t(length));
}
