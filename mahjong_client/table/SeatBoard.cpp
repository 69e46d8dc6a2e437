// The seat board: its parts, painting, player, status icon, dice, flower
// counter, ready mark and placement around the table.

#include "mahjong_client/table/SeatBoard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneNumberDisplay.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/view/GameFrameView.h"

namespace {

constexpr uint32_t kColorKey = 0xFF00FF;
constexpr uint32_t kBoardTextColor = 0xFFFFFF;
constexpr uint32_t kNameColor = 0xCEE4B7;
constexpr double kBoardZ = 1000.0;
constexpr double kReadyMarkZ = 10000.0;
constexpr double kPartAboveBoard = 0.1;
// Position, z, size, rotation and invalidation follow the board canvas.
constexpr uint32_t kPartLinkFlags = 0x180A2;
constexpr int kDiceCanvasWidth = 50;
constexpr int kDiceCanvasHeight = 30;
constexpr int kNameFontSize = 14;
constexpr int kNameFontWeight = 400;
constexpr char kNameFont[] = "宋体";
constexpr int kNameXBeyondCentre = 56;
constexpr int kCharacterX = 50;
constexpr int kCharacterAboveBottom = 33;
constexpr int kFlowerFlagX = 200;
constexpr int kFlowerFlagY = 1;
// The flower counter's digit style: two-digit cells.
constexpr uint32_t kFlowerDigitStyle = 2;
// The status icon's blink: alpha step, endless, every 200 ms, between 1.0
// and 0.3.
constexpr double kBlinkStep = 0.1;
constexpr uint32_t kBlinkInterval = 200;
constexpr double kBlinkUpper = 1.0;
constexpr double kBlinkLower = 0.3;
// Names shorter than this are shown whole.
constexpr size_t kShortNameBytes = 10;
constexpr size_t kKeptNameBytes = 8;

bool IsChair(int chair) {
    return chair >= 0 && chair <= CSeatBoard::kMaxChair;
}

bool HasImage(const FrameRecord& frame) {
    return frame.record != nullptr && frame.width > 0 && frame.height > 0;
}

}  // namespace

CSeatBoard::CSeatBoard() = default;

CSeatBoard::~CSeatBoard() {
    if (IsRegistered() != 0) {
        CSeatBoard::Clear();
    }
}

// --- parts ---

CCorvaneCanvas* CSeatBoard::GetBoardCanvas() {
    return FindCanvasById(boardCanvasId_);
}

CCorvaneCanvas* CSeatBoard::GetDiceCanvas() {
    return FindCanvasById(diceCanvasId_);
}

CCorvanePicture* CSeatBoard::GetStatusIcon() {
    return FindPictureById(statusIconId_);
}

CCorvanePicture* CSeatBoard::GetReadyMark() {
    return FindPictureById(readyMarkId_);
}

CCorvaneNumberDisplay* CSeatBoard::GetFlowerNumber() {
    return flowerNumberId_ != 0
               ? dynamic_cast<CCorvaneNumberDisplay*>(FindObjectById(flowerNumberId_))
               : nullptr;
}

void CSeatBoard::HidePart(CCorvaneObject* part) {
    if (part != nullptr) {
        part->Hide();
        part->Invalidate();
    }
}

int CSeatBoard::SeatCount() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetPlayerCount() : 0;
}

void CSeatBoard::CreateObjects(int position) {
    position_ = position;
    // The parts are made once; a second call only moves the board to the
    // new position's number.
    if (GetBoardCanvas() != nullptr) {
        return;
    }
    const FrameRecord board = GetSkinFrame(kBoardImage, 0);
    CCorvaneCanvas* canvas =
        CreateCanvas(std::max(board.width, 1), std::max(board.height, 1), kColorKey);
    if (canvas == nullptr) {
        return;
    }
    boardCanvasId_ = canvas->GetId();
    canvas->SetTopmost();
    canvas->SetZ(kBoardZ);
    canvas->SetPenColor(kBoardTextColor, 1.0);
    PeerSetUp(canvas, kPeerLinkFlags);

    const double left = canvas->GetLeft();
    const double right = canvas->GetRight();
    const double centreY = canvas->GetY();
    auto attach = [&](CCorvaneObject* part) {
        // A control's z moves its peer along: the depth it shows is set.
        part->MoveZBy(canvas->GetZ() + kPartAboveBoard - part->GetZ());
        canvas->AttachChild(part, kPartLinkFlags);
    };
    if (CCorvaneCanvas* dice = CreateCanvas(kDiceCanvasWidth, kDiceCanvasHeight, kColorKey)) {
        diceCanvasId_ = dice->GetId();
        dice->SetPos(left + 20, centreY + 3);
        attach(dice);
    }
    if (CCorvanePicture* icon = CreatePicture(GetSkinFrame("animation_AutoPlay", 0))) {
        statusIconId_ = icon->GetId();
        icon->SetPos(right - 5, centreY + 3);
        attach(icon);
    }
    auto* flowers = new CCorvaneNumberDisplay;
    Register(flowers);
    if (flowers->IsRegistered() != 0) {
        flowerNumberId_ = flowers->GetId();
        flowers->Create("digit_flower", kFlowerDigitStyle);
        flowers->SetPos(right - 40, centreY + 1);
        flowers->Invalidate();
        attach(flowers);
    } else {
        delete flowers;
    }
    char name[64];
    std::snprintf(name, sizeof name, "玩家姓名板%d", position);
    SetName(name);
}

// --- painting ---

void CSeatBoard::Redraw() {
    CCorvaneCanvas* canvas = GetBoardCanvas();
    if (canvas == nullptr) {
        return;
    }
    nameX_ = canvas->GetCanvasWidth() / 2 + kNameXBeyondCentre;
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!IsChair(chair_) || app == nullptr) {
        return;
    }
    canvas->Clear();
    const int frame = highlighted_ != 0 ? 1 : (hover_ != 0 ? 2 : 0);
    const FrameRecord board = GetSkinFrame(kBoardImage, frame);
    if (HasImage(board)) {
        canvas->DrawImage(board, 0, 0, -1, -1, 0.0, 1.0);
    }
    const UserRecord& seat = app->GetSeat(chair_);
    const std::string characterKey = GetCharacterImageFile(seat.characterId, 1);
    if (!characterKey.empty()) {
        const FrameRecord character = GetSkinFrame(characterKey.c_str(), 0);
        if (HasImage(character)) {
            canvas->DrawImage(character, kCharacterX, board.height - kCharacterAboveBottom, -1, -1,
                              0.0, 1.0);
        }
    }
    canvas->SetPenColor(kNameColor, 1.0);
    canvas->SetFont(kNameFontSize, kNameFontWeight, kNameFont);
    canvas->DrawText(static_cast<int>(canvas->GetCanvasWidth() * 0.5),
                     static_cast<int>(canvas->GetCanvasHeight() * 0.5),
                     FieldText(seat.name).c_str());
    DrawFlowerFlag();
}

void CSeatBoard::DrawFlowerFlag() {
    CCorvaneNumberDisplay* counter = GetFlowerNumber();
    if (flowerCount_ == 0) {
        HidePart(counter);
        return;
    }
    if (CCorvaneCanvas* canvas = GetBoardCanvas()) {
        const FrameRecord flag = GetSkinFrame("flag_hua", 0);
        if (HasImage(flag)) {
            canvas->DrawImage(flag, kFlowerFlagX, kFlowerFlagY, -1, -1, 0.0, 1.0);
        }
    }
    if (counter != nullptr) {
        counter->SetValue(flowerCount_);
        counter->Show();
        counter->Invalidate();
    }
}

// --- player ---

void CSeatBoard::SetPlayer(int chair) {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!IsChair(chair)) {
        return;
    }
    chair_ = chair;
    Redraw();
    if (CCorvanePicture* icon = GetStatusIcon()) {
        ShowMatchBadge(*icon);
    }
    if (CCorvaneCanvas* canvas = GetBoardCanvas()) {
        for (int event :
             {kEventMouseEnter, kEventMouseLeave, kEventLButtonDown, kEventRButtonDown}) {
            canvas->UnbindEvent(event);
        }
        const int self = GetId();
        const int32_t userId = app != nullptr ? app->GetChairUserID(chair) : 0;
        CGameFrameView* frame = app != nullptr ? app->GetFrameView() : nullptr;
        canvas->BindEvent(kEventMouseEnter, self, kEventSeatBoardHoverOn, 0, 0);
        canvas->BindEvent(kEventMouseLeave, self, kEventSeatBoardHoverOff, 0, 0);
        if (frame != nullptr) {
            canvas->BindEvent(kEventLButtonDown, frame->GetId(), kEventSeatBoardLeftDown, userId,
                              0);
            canvas->BindEvent(kEventRButtonDown, frame->GetId(), kEventSeatBoardRightDown, userId,
                              0);
        }
    }
    Show();
    Invalidate();
}

void CSeatBoard::Clear() {
    if (CCorvaneCanvas* canvas = GetBoardCanvas()) {
        canvas->UnbindEvent(kEventMouseEnter);
    }
    HideReadyMark2();
    HideReadyMark();
    HideBankerDice();
    chair_ = -1;
    highlighted_ = 0;
    flowerCount_ = 0;
    DrawFlowerFlag();
    SetAutoPlay(0);
    Hide();
    Invalidate();
}

// --- status icon ---

void CSeatBoard::ShowMatchBadge(CCorvanePicture& icon) {
    CGameFrameApp* app = CGameFrameApp::Current();
    const int32_t value = app != nullptr && IsChair(chair_) ? app->GetMatchSeatValue(chair_) : -1;
    icon.SetAlpha(1.0);
    if (value >= 0) {
        icon.SetImage(GetSkinFrame("bit_Duan", value), 1);
        icon.Show();
    } else {
        icon.Hide();
    }
    icon.Invalidate();
}

void CSeatBoard::ShowStatusAnimation(const char* name, int flag) {
    CCorvanePicture* icon = GetStatusIcon();
    if (icon == nullptr) {
        return;
    }
    StopObjectActions(icon->GetId());
    if (flag == 0) {
        ShowMatchBadge(*icon);
        return;
    }
    icon->SetImage(GetSkinFrame(name, 0), 1);
    icon->Show();
    icon->Invalidate();
    FadeAction(icon, kBlinkStep, StatusBlinkCount(), kBlinkInterval, kBlinkUpper, kBlinkLower,
               nullptr);
}

void CSeatBoard::SetAutoPlay(int flag) {
    ShowStatusAnimation("animation_AutoPlay", flag);
}

void CSeatBoard::SetOffline(int flag) {
    offline_ = flag;
    ShowStatusAnimation("animation_Offline", flag);
}

int CSeatBoard::IsOffline() {
    return offline_;
}

void CSeatBoard::HideStatusIcon() {
    HidePart(GetStatusIcon());
}

// --- ready mark ---

void CSeatBoard::ShowReady() {
    ShowMarkAnimation("animation_Ready");
}

void CSeatBoard::ShowMarkAnimation(const char* name) {
    const FrameRecord image = GetSkinFrame(name != nullptr ? name : "", 0);
    CCorvanePicture* mark = GetReadyMark();
    if (mark == nullptr) {
        mark = CreatePicture(image);
        if (mark == nullptr) {
            return;
        }
        readyMarkId_ = mark->GetId();
        mark->SetTopmost();
        mark->SetZ(kReadyMarkZ);
    } else {
        mark->SetImage(image, 1);
    }
    PlaceReadyMark();
    mark->Show();
    mark->Invalidate();
}

void CSeatBoard::HideReadyMark2() {
    HideReadyMark();
}

void CSeatBoard::HideReadyMark() {
    HidePart(GetReadyMark());
}

void CSeatBoard::UpdateReadyMark() {
    CCorvanePicture* mark = GetReadyMark();
    if (mark != nullptr && mark->IsVisible() != 0) {
        PlaceReadyMark();
    }
}

void CSeatBoard::PlaceReadyMark() {
    CCorvanePicture* mark = GetReadyMark();
    if (mark == nullptr) {
        return;
    }
    const IntRect r = GetMainGameRect();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    auto place = [&](double x, double y) { mark->SetPos(x, y); };
    const int seats = SeatCount();
    if (seats == 3) {
        switch (position_) {
            case 0:
                place(r.left + w / 2, r.bottom - 200);
                break;
            case 1:
                place(r.left + 200, r.top + h / 2);
                break;
            case 2:
                place(r.left + w - 200, r.top + h / 2);
                break;
            default:
                break;
        }
    } else if (seats == 4) {
        CGameFrameApp* app = CGameFrameApp::Current();
        auto* anchors =
            app != nullptr ? dynamic_cast<CSeatBoardAnchors*>(app->GetGameView()) : nullptr;
        CCorvaneObject* sprite = anchors != nullptr && anchors->GetReadyMarkPlacement() == 1
                                     ? anchors->GetFirstSpriteAt(position_)
                                     : nullptr;
        if (sprite != nullptr) {
            switch (position_) {
                case 0:
                    place(sprite->GetX() + 100, r.top + h / 2 - 35);
                    break;
                case 1:
                    place(r.left + w / 2, sprite->GetY() + 80);
                    break;
                case 2:
                    place(sprite->GetX() - 100, r.top + h / 2 - 35);
                    break;
                case 3:
                    place(r.left + w / 2, sprite->GetY() - 80);
                    break;
                default:
                    break;
            }
        } else {
            switch (position_) {
                case 0:
                    place(r.left + 160, r.top + h / 2 - 35);
                    break;
                case 1:
                    place(r.left + w / 2, r.top + 100);
                    break;
                case 2:
                    place(r.right - 160, r.top + h / 2 - 35);
                    break;
                case 3:
                    place(r.left + w / 2, r.bottom - 150);
                    break;
                default:
                    break;
            }
        }
    }
    mark->Invalidate();
}

// --- dice ---

void CSeatBoard::ShowBankerDice(const std::array<int, 2>& dice) {
    CCorvaneCanvas* canvas = GetDiceCanvas();
    if (canvas == nullptr) {
        return;
    }
    canvas->Clear();
    if (dice[0] > 0 && dice[1] > 0) {
        const FrameRecord first = GetSkinFrame("banker_dice", dice[0] - 1);
        const FrameRecord second = GetSkinFrame("banker_dice", dice[1] - 1);
        canvas->DrawImage(first, 5, 3, -1, -1, 0.0, 1.0);
        canvas->DrawImage(second, first.width, 6, -1, -1, 0.0, 1.0);
        canvas->Show();
    }
    canvas->Invalidate();
}

void CSeatBoard::HideBankerDice() {
    HidePart(GetDiceCanvas());
}

// --- layout ---

void CSeatBoard::Layout() {
    const IntRect r = GetMainGameRect();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const int boardHeight = GetSkinFrame(kBoardImage, 0).height;
    const int seats = SeatCount();
    int x = 0;
    int y = 0;
    switch (position_) {
        case 0:
            if (seats == 4) {
                x = boardHeight / 2 + 1;
                y = h / 2;
                SetAngle(270.0);
            }
            break;
        case 1:
            x = w / 2;
            y = boardHeight / 2 + 1;
            break;
        case 2:
            if (seats == 3 || seats == 4) {
                x = w - boardHeight / 2 - 1;
                y = h / 2;
                SetAngle(90.0);
            }
            break;
        case 3:
            x = w / 2;
            y = h - boardHeight / 2 - 1;
            break;
        default:
            break;
    }
    SetPos(r.left + x, r.top + y);
    Invalidate();
    PlaceReadyMark();
}

// --- counters and marks ---

void CSeatBoard::AddFlower() {
    ++flowerCount_;
    Redraw();
}

void CSeatBoard::ResetFlowers() {
    flowerCount_ = 0;
    highlighted_ = 0;
    Redraw();
}

int CSeatBoard::SetPosition(int index) {
    position_ = index;
    return index;
}

void CSeatBoard::SetHighlighted(int flag) {
    highlighted_ = flag;
    Redraw();
}

void CSeatBoard::Refresh(int /*first*/, int /*second*/) {
    Redraw();
}

void CSeatBoard::TruncateName(std::span<const char> source, std::span<char> target) {
    if (target.empty()) {
        return;
    }
    const size_t length =
        static_cast<size_t>(std::find(source.begin(), source.end(), '\0') - source.begin());
    std::string text;
    if (length < kShortNameBytes) {
        text.assign(source.data(), length);
    } else {
        text.assign(source.data(), kKeptNameBytes);
        text += "..";
    }
    const size_t room = std::min(target.size(), kTruncatedNameBytes) - 1;
    const size_t copied = std::min(text.size(), room);
    std::memcpy(target.data(), text.data(), copied);
    target[copied] = '\0';
}

// --- events ---

int CSeatBoard::OnEvent(const EventRecord& record) {
    if (record.event == kEventSeatBoardHoverOn) {
        hover_ = 1;
        Redraw();
    } else if (record.event == kEventSeatBoardHoverOff) {
        hover_ = 0;
        Redraw();
    }
    return CCorvaneControl::OnEvent(record);
}
