// The regional seat board: placement from the table's tile metrics, its
// board frames and blinking icons, and the chat bubble with its emoticons.

#include "game/table/PlayerBoardSmall.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/view/GameFrameView.h"
#include "game/app/ChatTables.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/panels/DigitDisplay.h"
#include "mahjong_client/table/MahjongTableView.h"

namespace {

constexpr uint32_t kColorKey = 0xFF00FF;
constexpr double kBubbleZ = 52001.0;
constexpr double kTextAboveBubble = 0.1;
// The text canvas follows the bubble as a decoration.
constexpr uint32_t kTextCanvasLink = 0x1BC0EB;
// An emoticon follows the text canvas's place, size, visibility and angle.
constexpr uint32_t kEmoticonLink = 0x1900A2;
// The bubble's text: yellow, "宋体" 15.
constexpr uint32_t kBubbleTextColor = 0x01CFFB;
constexpr char kBubbleFont[] = "宋体";
constexpr int kBubbleFontSize = 15;
constexpr int kBubbleFontWeight = 400;
// The first row of a laid-out line.
constexpr int kFirstRowY = 34;
// An emoticon's centre lies this far above its row's text top.
constexpr int kEmoticonAboveRow = 10;
// The status icon blinks three times, then stays.
constexpr int kBlinkCount = 3;
// Between a board's end and its ready mark.
constexpr double kReadyMarkGap = 8.0;
constexpr char kCodeMark = '#';
constexpr size_t kCodeBytes = 5;

bool IsLead(char c) {
    return static_cast<unsigned char>(c) > 0x80;
}

// The frame of the bubble background for a position, and its lift.
int BubbleFrameOf(int position) {
    switch (position) {
        case 0:
            return 3;
        case 1:
            return 1;
        case 2:
            return 4;
        default:
            return 0;
    }
}

bool IsUpperSeat(int position) {
    return position == 1 || position == 2;
}

// The drawn bubble's centre of `size` for the board at `position`, as
// PlaceBubble says; false when no place keeps off the discards, the rows and
// the boards.
bool FindBubblePlace(CRegionalTableView& table, CCorvaneObject* board, int position,
                     TablePoint size, TablePoint& place) {
    std::vector<IntRect> keepOff{table.GetCentreSquare(),
                                 CMahjongTableView::ObjectBox(table.GetClockHand()),
                                 CMahjongTableView::ObjectBox(table.GetDepositPanel()),
                                 CMahjongTableView::ObjectBox(table.GetDepositDigits()),
                                 CMahjongTableView::ObjectBox(table.GetClockDigits()),
                                 table.GetAutoPlaySignBox()};
    const std::vector<IntRect> buttons = table.GetOperationButtonBoxes();
    keepOff.insert(keepOff.end(), buttons.begin(), buttons.end());
    for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
        CCorvanePicture* won = table.GetHuPicture(p);
        keepOff.push_back(won != nullptr && won->IsVisible() != 0
                              ? CMahjongTableView::ObjectBox(won)
                              : IntRect{});
        // The whole room of the row: tiles still to be dealt or drawn, and
        // the own ones raised under the mouse.
        keepOff.insert(keepOff.end(), {table.GetDiscardBlock(p), table.GetRowRoom(p),
                                       CMahjongTableView::ObjectBox(table.GetSeatBoard(p))});
    }
    const IntRect own = CMahjongTableView::ObjectBox(board);
    const TablePoint wanted{(own.left + own.right) / 2, (own.top + own.bottom) / 2};
    const size_t hard = keepOff.size();
    for (const IntRect& side : table.GetWallSides()) {
        keepOff.push_back(side);
    }
    return table.FindFreePlace(size, keepOff, wanted, position, place) ||
           table.FindFreePlace(size, std::span(keepOff).first(hard), wanted, position, place);
}

}  // namespace

CPlayerBoardSmall::CPlayerBoardSmall() = default;

CPlayerBoardSmall::~CPlayerBoardSmall() {
    // The pictures belong to the engine; only the list goes.
    bubblePictures_.clear();
}

CCorvaneCanvas* CPlayerBoardSmall::GetBubbleCanvas() {
    return FindCanvasById(bubbleCanvasId_);
}

CCorvaneCanvas* CPlayerBoardSmall::GetBubbleTextCanvas() {
    return FindCanvasById(bubbleTextCanvasId_);
}

int CPlayerBoardSmall::OnEvent(const EventRecord& record) {
    if (record.event == kEventBubbleDone) {
        EndBubble();
        return 1;
    }
    return CSeatBoard::OnEvent(record);
}

// ---- the board ----

void CPlayerBoardSmall::CreateObjects(int position) {
    CSeatBoard::CreateObjects(position);
    if (GetBubbleCanvas() != nullptr) {
        return;
    }
    CCorvaneCanvas* bubble = CreateCanvas(kBubbleWidth, kBubbleHeight, kColorKey);
    if (bubble == nullptr) {
        return;
    }
    bubbleCanvasId_ = bubble->GetId();
    bubble->SetTopmost();
    bubble->SetZ(kBubbleZ);
    bubble->SetAngle(0.0);
    bubble->Hide();
    CCorvaneCanvas* text = CreateCanvas(kBubbleTextWidth, kBubbleTextHeight, kColorKey);
    if (text == nullptr) {
        return;
    }
    bubbleTextCanvasId_ = text->GetId();
    text->SetPos(bubble->GetX(), bubble->GetY());
    text->SetZ(bubble->GetZ() + kTextAboveBubble);
    bubble->AttachChild(text, kTextCanvasLink);
}

void CPlayerBoardSmall::Redraw() {
    // The board never shows its highlighted frame: frame 2 while the mouse
    // is over it, else frame 0.
    const int highlighted = highlighted_;
    highlighted_ = 0;
    CSeatBoard::Redraw();
    highlighted_ = highlighted;
}

int CPlayerBoardSmall::StatusBlinkCount() const {
    return kBlinkCount;
}

void CPlayerBoardSmall::ResetFlowers() {
    flowerCount_ = 0;
    highlighted_ = 0;
    Redraw();
    HideReadyMark2();
}

void CPlayerBoardSmall::Layout() {
    const IntRect r = GetMainGameRect();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const int board = GetSkinFrame(kBoardImage, 0).height;
    switch (position_) {
        case 0:
            SetPos(r.left + board / 2 + 1, r.top + h / 2 - 35);
            SetAngle(270.0);
            break;
        case 1:
            SetPos(r.left + w / 2, r.top + board / 2 + 1);
            break;
        case 2:
            SetPos(r.left + w - board / 2 - 1, r.top + h / 2 - 35);
            SetAngle(90.0);
            break;
        case 3:
            SetPos(r.left + w / 2, r.top + h - board / 2 - 1);
            break;
        default:
            break;
    }
    Invalidate();
    PlaceReadyMark();
    PlaceBubble();
}

// The ready mark stands beside its seat's name board, at the table's edge
// where no tile lies: above the side seats' boards, right of the opposite
// seat's and left of the own seat's, clear of the banker dice and the
// status icon that reach a few pixels past the board's ends.
void CPlayerBoardSmall::PlaceReadyMark() {
    CCorvanePicture* mark = GetReadyMark();
    CCorvaneCanvas* board = GetBoardCanvas();
    if (mark == nullptr || board == nullptr) {
        return;
    }
    const double beside = board->GetWidth() / 2 + kReadyMarkGap;
    const double x = board->GetX();
    const double y = board->GetY();
    switch (position_) {
        case 0:
        case 2:
            mark->SetPos(x, y - beside - mark->GetHeight() / 2);
            break;
        case 1:
            mark->SetPos(x + beside + mark->GetWidth() / 2, y);
            break;
        case 3:
            mark->SetPos(x - beside - mark->GetWidth() / 2, y);
            break;
        default:
            break;
    }
    mark->Invalidate();
}

// ---- the bubble ----

IntRect CPlayerBoardSmall::GetBubbleFrameRect() {
    const FrameRecord frame = GetSkinFrame(kBubbleBackground, BubbleFrameOf(position_));
    if (frame.record == nullptr || frame.width <= 0 || frame.height <= 0) {
        return {0, 0, kBubbleWidth, kBubbleHeight};
    }
    const int left = (kBubbleWidth - frame.width) / 2;
    const int top = (kBubbleHeight - frame.height) / 2 + (IsUpperSeat(position_) ? -10 : 0);
    return {left, top, left + frame.width, top + frame.height};
}

// The drawn bubble keeps off every discard place, the thrown tiles' square,
// every row and seat board, the operation buttons, the win marks shown, the
// clock and the deposit panel, and off the wall where it can; it lies
// nearest its own board. Without a laid-out table it lies at the seat's edge
// of the main game rectangle.
void CPlayerBoardSmall::PlaceBubble() {
    CCorvaneCanvas* bubble = GetBubbleCanvas();
    if (bubble == nullptr) {
        return;
    }
    const IntRect r = GetMainGameRect();
    if (r.bottom - r.top < kBubbleMinHeight) {
        bubble->Hide();
        bubble->Invalidate();
        return;
    }
    // From the drawn bubble's centre to the canvas's.
    const IntRect drawn = GetBubbleFrameRect();
    const double dx = bubble->GetWidth() / 2 - (drawn.left + drawn.right) / 2.0;
    const double dy = bubble->GetHeight() / 2 - (drawn.top + drawn.bottom) / 2.0;
    CGameFrameApp* app = CGameFrameApp::Current();
    auto* table = app != nullptr ? dynamic_cast<CRegionalTableView*>(app->GetGameView()) : nullptr;
    TablePoint place;
    if (table != nullptr &&
        FindBubblePlace(*table, this, position_, {drawn.Width(), drawn.Height()}, place)) {
        bubble->SetPos(place.x + dx, place.y + dy);
        bubble->Invalidate();
        return;
    }
    const double halfW = bubble->GetWidth() / 2;
    const double halfH = bubble->GetHeight() / 2;
    const double middleX = (r.left + r.right) / 2.0;
    const double middleY = (r.top + r.bottom) / 2.0;
    switch (position_) {
        case 0:
            bubble->SetPos(r.left + halfW, middleY);
            break;
        case 1:
            bubble->SetPos(middleX, r.top + halfH);
            break;
        case 2:
            bubble->SetPos(r.right - halfW, middleY);
            break;
        case 3:
            bubble->SetPos(middleX, r.bottom - halfH);
            break;
        default:
            break;
    }
    bubble->Invalidate();
}

int CPlayerBoardSmall::HasEmoticonCode(std::string_view text) {
    if (text.find(kCodeMark) == std::string_view::npos) {
        return 0;
    }
    // "#" is never the second byte of a double-byte character, so a code
    // found anywhere starts at a character.
    for (const char* code : g_EmoticonCodes) {
        if (text.find(code) != std::string_view::npos) {
            return 1;
        }
    }
    return 0;
}

void CPlayerBoardSmall::ShowChatBubble(std::string text) {
    bubbleText_ = std::move(text);
    CCorvaneCanvas* bubble = GetBubbleCanvas();
    const IntRect r = GetMainGameRect();
    if (bubble == nullptr || r.bottom - r.top < kBubbleMinHeight) {
        return;
    }
    bubble->Hide();
    bubble->Invalidate();
    ClearBubbleContent();
    StopAction(bubbleTimer_);
    bubbleTimer_ = 0;

    bubble->Clear();
    const FrameRecord frame = GetSkinFrame(kBubbleBackground, BubbleFrameOf(position_));
    if (frame.record != nullptr && frame.width > 0 && frame.height > 0) {
        const IntRect at = GetBubbleFrameRect();
        bubble->DrawImage(frame, at.left, at.top, -1, -1, 0.0, 1.0);
    }
    textPieces_.clear();
    if (CCorvaneCanvas* canvas = GetBubbleTextCanvas()) {
        canvas->Clear();
        canvas->SetPenColor(kBubbleTextColor, 1.0);
        canvas->SetFont(kBubbleFontSize, kBubbleFontWeight, kBubbleFont);
        if (HasEmoticonCode(bubbleText_) == 0) {
            const int y = IsUpperSeat(position_) ? 15 : 0;
            canvas->DrawText(0, y, bubbleText_.c_str());
            textPieces_.push_back({0, y, bubbleText_});
        } else {
            LayoutBubbleText(bubbleText_);
        }
    }
    PlaceBubble();
    bubble->Show();
    bubble->Invalidate();
    bubbleTimer_ = PostEventAfter(kBubbleLifeMs, MakeEventRecord(GetId(), kEventBubbleDone, 0, 0));
}

void CPlayerBoardSmall::EndBubble() {
    if (CCorvaneCanvas* bubble = GetBubbleCanvas()) {
        bubble->Hide();
        bubble->Invalidate();
    }
    bubbleTimer_ = 0;
    ClearBubbleContent();
}

void CPlayerBoardSmall::ClearBubbleContent() {
    if (CCorvaneCanvas* canvas = GetBubbleTextCanvas()) {
        canvas->DetachChildren();
    }
    for (int id : bubblePictures_) {
        if (CCorvaneObject* picture = FindPictureById(id)) {
            DestroyObject(picture, 1);
        }
    }
    bubblePictures_.clear();
}

int CPlayerBoardSmall::NextBubbleToken(char* buffer, char* token, size_t capacity) {
    if (buffer == nullptr || token == nullptr || capacity == 0) {
        return 0;
    }
    token[0] = '\0';
    const size_t length = strnlen(buffer, capacity);
    if (length == 0 || length == capacity) {
        // Empty, or not terminated within its buffer: nothing is read.
        buffer[0] = '\0';
        return 0;
    }
    const std::string_view text(buffer, length);
    size_t taken = 0;
    int isCode = 0;
    if (text[0] == kCodeMark && length >= kCodeBytes &&
        HasEmoticonCode(text.substr(0, kCodeBytes)) != 0) {
        taken = kCodeBytes;
        isCode = 1;
    } else {
        // The run up to the next "#"; the first byte is always taken. A
        // double-byte character is taken whole: "#" is never its second
        // byte, and a lead byte at the text's end stays alone.
        taken = 1;
        if (IsLead(text[0]) && length > 1) {
            taken = 2;
        }
        while (taken < length && text[taken] != kCodeMark) {
            taken += IsLead(text[taken]) && taken + 1 < length ? 2 : 1;
        }
    }
    std::memcpy(token, buffer, taken);
    token[taken] = '\0';
    std::memmove(buffer, buffer + taken, length - taken + 1);
    return isCode;
}

void CPlayerBoardSmall::LayoutBubbleText(const std::string& text) {
    CCorvaneCanvas* canvas = GetBubbleTextCanvas();
    if (canvas == nullptr) {
        return;
    }
    canvas->SetSpacing(0, 0);
    char buffer[kBubbleTextBytes + 1] = {};
    char token[kBubbleTextBytes + 1] = {};
    const size_t kept = WholeGbkLength(text, kBubbleTextBytes);
    std::memcpy(buffer, text.data(), kept);
    int wide = 0;
    int narrow = 0;
    canvas->MeasureText("我", &wide, nullptr);
    canvas->MeasureText("w", &narrow, nullptr);
    int x = 0;
    int y = kFirstRowY;
    while (buffer[0] != '\0') {
        if (NextBubbleToken(buffer, token, sizeof buffer) == 0) {
            DrawTextRun(token, x, y, wide, narrow);
            continue;
        }
        // A picture that cannot be placed is skipped.
        PlaceEmoticon(EmoticonPictureName(std::string_view(token, kCodeBytes)), x, y);
    }
}

void CPlayerBoardSmall::DrawTextRun(std::string_view run, int& x, int& y, int wide, int narrow) {
    CCorvaneCanvas* canvas = GetBubbleTextCanvas();
    if (canvas == nullptr) {
        return;
    }
    size_t i = 0;
    while (i < run.size()) {
        const bool pair = IsLead(run[i]) && i + 1 < run.size() && run[i + 1] != '\0';
        if (IsLead(run[i]) && !pair) {
            break;  // a lead byte without its second byte is not drawn
        }
        const size_t bytes = pair ? 2 : 1;
        const int width = pair ? wide : narrow;
        if (x + width > kBubbleWrapX) {
            x = 0;
            y += kBubbleRowHeight;
        }
        const std::string character(run.substr(i, bytes));
        canvas->DrawText(x, y, character.c_str());
        textPieces_.push_back({x, y, character});
        x += width;
        i += bytes;
    }
}

int CPlayerBoardSmall::PlaceEmoticon(const std::string& name, int& x, int& y) {
    CCorvaneCanvas* canvas = GetBubbleTextCanvas();
    if (canvas == nullptr || name.empty()) {
        return 0;
    }
    const FrameRecord frame = GetSkinFrame(name.c_str(), 0);
    if (frame.record == nullptr || frame.width <= 0 || frame.height <= 0) {
        return 0;
    }
    int px = x;
    int py = y;
    if (px + kEmoticonSize > kBubbleWrapX) {
        px = 0;
        py += kBubbleRowHeight;
    }
    const double cx = canvas->GetLeft() + px + kEmoticonSize / 2;
    const double cy = canvas->GetTop() + py - kEmoticonAboveRow;
    if (canvas->GetBottom() <= cy + kEmoticonSize / 2) {
        return 0;  // it would reach past the canvas
    }
    CCorvanePicture* picture = CreatePicture(frame);
    if (picture == nullptr) {
        return 0;
    }
    canvas->AttachChild(picture, kEmoticonLink);
    picture->SetZ(canvas->GetSortZ());
    picture->SetPos(cx, cy);
    picture->Invalidate();
    FrameAnimationAction(picture, 0, -1, 0, 0, nullptr);
    bubblePictures_.push_back(picture->GetId());
    x = px + kEmoticonSize;
    y = py;
    return 1;
}
