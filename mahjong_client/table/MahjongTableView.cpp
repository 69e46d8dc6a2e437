// The table view's seats, sprite pool, layout, seat boards and the start
// and end of the table.
#include "mahjong_client/table/MahjongTableView.h"

#include <algorithm>
#include <cmath>

#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "frame/view/GameFrameView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_client/TableProtocol.h"
#include "zep/ZepLog.h"

namespace {

// The chat name colours the table writes once at its creation.
constexpr int kNameColourSettings[3][2] = {{50013, 0x787800}, {50014, 0xe6641e}, {50015, 0x404040}};

// Tile metrics of the smallest screen class (view 800 x 600). By index:
//  0, 1   own tile width, height
//  2      own meld tile width (height 15)
//  3, 4   side-row tile height (the step along positions 0 and 2), width
//  5      opposite-row tile height
//  6      gap between the groups of a row (melds, concealed, drawn tile)
//  7      opposite-row tile width (the step along position 1)
//  8      thrown tile width (height 16)
//  9      gap between a row and the wall square
//  10, 11 discard tile width and height (turned at positions 0 and 2)
//  12     gap between the discards and the wall
//  13     wall tile length along its side
//  14     side-row meld tile width
//  15     own meld tile height
//  16     thrown tile height
//  17     lift of a raised own tile
//  18     wall tile thickness across its side
//  19     gap between two melds
//  20..27 not used by the base
constexpr std::array<int, CMahjongTableView::kCardMetricCount> kBaseMetrics = {
    50, 72, 36, 20, 26, 28, 10, 20, 36, 10, 26, 28, 10, 20, 36, 52, 52, 15, 26, 5};

constexpr int kWallSide = 27;
// The operation buttons' picture, the room kept round them, and what their
// layout takes off the bottom margin of the own hand.
constexpr const char* kOperationButtonImage = "btn_Guo_big";
constexpr int kButtonBandMargin = 23;
constexpr int kButtonRowOffset = 31;
constexpr int kDiscardColumns = 6;
constexpr int kEdgeGap = 2;

}  // namespace

CMahjongTableView::CMahjongTableView() {
    wall_.fill(-1);
    for (auto& row : rows_) {
        row.fill(-1);
    }
    lastThrown_.fill(-1);
    for (auto& places : discards_) {
        places.fill(-1);
    }
    cardMetrics_ = kBaseMetrics;
    placeMetrics_ = kBaseMetrics;
}

CMahjongTableView::~CMahjongTableView() = default;

void CMahjongTableView::Create() {
    for (const auto& [setting, colour] : kNameColourSettings) {
        SetIntSetting(setting, colour);
    }
    CreateCardSprites();
    CGameFrameApp* app = CGameFrameApp::Current();
    CreateSeatBoards(app != nullptr ? std::clamp(app->GetPlayerCount(), 1, kPositions)
                                    : kPositions);
    CreateOperationButtons();
    CreateClock();
    CreateDepositDigits();
    CreateToolButtons();
    CreateDecorations();
    CreateCursor();
    LoadAiSettings();
}

// ---- Seats ----

int CMahjongTableView::GetOwnChair() const {
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr ? app->GetMyChairNo() : -1;
}

bool CMahjongTableView::IsLookingOn() const {
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr && app->IsLookOn();
}

int CMahjongTableView::ChairToPosition(int chair) const {
    const int own = GetOwnChair();
    const int count = playerCount_;
    if (own < 0 || own >= kPositions || own >= count || chair < 0 || chair >= count) {
        return -1;
    }
    const int step = (chair - own + count) % count;
    if (step == 0) {
        return 3;
    }
    if (step == count - 1 && count >= 3) {
        return 2;
    }
    return step == 1 ? 0 : 1;
}

int CMahjongTableView::PositionToChair(int position) const {
    for (int chair = 0; chair < playerCount_; ++chair) {
        if (ChairToPosition(chair) == position) {
            return chair;
        }
    }
    return -1;
}

int CMahjongTableView::GetNextTurnPosition(int position) const {
    if (position < 0 || position >= kPositions) {
        return -1;
    }
    const int next = (position + 3) % kPositions;
    return playerCount_ == 3 && next == 1 ? 0 : next;
}

int CMahjongTableView::GetNextDealPosition(int position) const {
    return position >= 0 && position < kPositions ? (position + 3) % kPositions : -1;
}

// ---- The sprite pool ----

CCardSprite* CMahjongTableView::NewCardSprite() {
    return new CCardSprite;
}

void CMahjongTableView::CreateCardSprites() {
    CreateCardSpritesUpTo(std::min<int>(static_cast<int>(GetCardIdCount()), kCardPoolSize));
}

void CMahjongTableView::CreateCardSpritesUpTo(int count) {
    for (int i = 0; i < std::min(count, kCardPoolSize); ++i) {
        if (cardIds_[i] != 0) {
            continue;
        }
        CCardSprite* sprite = NewCardSprite();
        if (sprite == nullptr) {
            continue;
        }
        sprite->SetOwner(GetId(), i);
        Register(sprite);
        if (sprite->GetId() == 0) {
            delete sprite;  // no engine took it
            continue;
        }
        cardIds_[i] = sprite->GetId();
        sprite->Reset();
        sprite->Hide();
        sprite->Redraw();
    }
}

CCardSprite* CMahjongTableView::GetCardSprite(int poolIndex) {
    if (poolIndex < 0 || poolIndex >= kCardPoolSize || cardIds_[poolIndex] == 0) {
        return nullptr;
    }
    return dynamic_cast<CCardSprite*>(FindObjectById(cardIds_[poolIndex]));
}

CCardSprite* CMahjongTableView::GetFreeCardObject() {
    for (int i = 0; i < kCardPoolSize; ++i) {
        CCardSprite* sprite = GetCardSprite(i);
        if (sprite != nullptr && sprite->active == 0) {
            return sprite;
        }
    }
    return nullptr;
}

CCardSprite* CMahjongTableView::GetFirstSpriteAt(int position) {
    const int bound = std::min<int>(static_cast<int>(GetCardsInPlay()), kCardPoolSize);
    for (int i = 0; i < bound; ++i) {
        CCardSprite* sprite = GetCardSprite(i);
        if (sprite != nullptr && sprite->active != 0 && sprite->kind == CCardSprite::kKindHand &&
            sprite->position == position) {
            return sprite;
        }
    }
    return nullptr;
}

bool CMahjongTableView::IsPlacedSprite(const CCardSprite& sprite) const {
    const int index = sprite.poolIndex;
    const int p = sprite.position;
    const bool inSeat = p >= 0 && p < kPositions;
    switch (sprite.kind) {
        case CCardSprite::kKindWall:
            return sprite.wallIndex >= 0 && sprite.wallIndex < kWallSize &&
                   wall_[sprite.wallIndex] == index;
        case CCardSprite::kKindHand:
        case CCardSprite::kKindShown:
            return inSeat && sprite.handIndex >= 0 && sprite.handIndex < kRowSize &&
                   rows_[p][sprite.handIndex] == index;
        case CCardSprite::kKindDiscard:
            return inSeat && sprite.discardSlot >= 0 && sprite.discardSlot < kDiscardPlaces &&
                   discards_[p][sprite.discardSlot] == index;
        case CCardSprite::kKindThrown:
            return inSeat && lastThrown_[p] == index;
        default:
            return false;
    }
}

void CMahjongTableView::ReleaseSprite(CCardSprite* sprite) {
    if (sprite == nullptr) {
        return;
    }
    DetachSprite(sprite->poolIndex);
    sprite->Reset();
    sprite->Refresh();
}

CCardSprite* CMahjongTableView::GetEventSprite(const EventRecord& record) {
    if (record.param1 < 0 || record.param1 >= kCardPoolSize) {
        return nullptr;
    }
    CCardSprite* sprite = GetCardSprite(static_cast<int>(record.param1));
    if (sprite == nullptr || sprite->active == 0 || !IsPlacedSprite(*sprite)) {
        return nullptr;
    }
    return sprite;
}

void CMahjongTableView::PostTableEvent(int event, intptr_t param1, uint32_t delayMs) {
    const EventRecord record =
        MakeEventRecord(GetId(), event, param1, static_cast<intptr_t>(tableSerial_));
    if (delayMs == 0) {
        PostEvent(record);
    } else {
        DelayAction(delayMs, &record);
    }
}

bool CMahjongTableView::IsCurrentTableEvent(const EventRecord& record) const {
    return record.param2 == static_cast<intptr_t>(tableSerial_);
}

void CMahjongTableView::RefreshSprite(CCardSprite* sprite) {
    if (sprite != nullptr) {
        sprite->Refresh();
    }
}

// ---- Layout ----

void CMahjongTableView::Relayout() {
    IntRect rect = GetViewRect();
    InitCardMetrics(rect.right - rect.left, rect.bottom - rect.top);
    for (int i = 0; i < kCardPoolSize; ++i) {
        CCardSprite* sprite = GetCardSprite(i);
        if (sprite != nullptr && sprite->active != 0) {
            sprite->Refresh();
        }
    }
    for (int p = 0; p < kPositions; ++p) {
        if (CSeatBoard* board = GetSeatBoard(p)) {
            board->Layout();
        }
    }
    if (CCorvanePicture* slogan = FindPictureById(sloganPictureId_)) {
        slogan->SetPos(geometry_.centreX, geometry_.centreY);
        slogan->Invalidate();
    }
    if (CCorvanePicture* sortHand = FindPictureById(sortHandPictureId_)) {
        // Beside the own seat board, right of the own row's lower edge.
        sortHand->SetPos(rect.right - sortHand->GetWidth() / 2 - kEdgeGap,
                         rect.bottom - sortHand->GetHeight() / 2 - kEdgeGap);
        sortHand->Invalidate();
    }
    LayoutOperationButtons();
    LayoutClockAndPanels();
}

void CMahjongTableView::OnEnterRoom() {
    for (int i = 0; i < kCardPoolSize; ++i) {
        if (CCardSprite* sprite = GetCardSprite(i)) {
            sprite->BindInputEvents(IsLookingOn());
        }
    }
    if (CSeatBoard* own = GetSeatBoard(3)) {
        own->SetPlayer(GetOwnChair());
    }
}

void CMahjongTableView::InitCardMetrics(int width, int height) {
    IntRect rect = GetViewRect();
    geometry_ = TableGeometry{};
    geometry_.left = rect.left;
    geometry_.top = rect.top;
    geometry_.width = std::max(width, 0);
    geometry_.height = std::max(height, 0);
    FrameRecord board;
    GetResourceFrame(&board, CSeatBoard::kBoardImage, 0);
    geometry_.board = board.record != nullptr ? board.height : 0;
    // Above the own row a band is kept for the operation buttons.
    FrameRecord button;
    GetResourceFrame(&button, kOperationButtonImage, 0);
    geometry_.buttonBand = button.record != nullptr ? button.height + kButtonBandMargin : 0;
    // The metrics of the smallest class below 1024 pixels; the larger
    // classes scale them by W / 800.
    const double classScale = width < 1024 ? 1.0 : width / 800.0;
    for (int i = 0; i < kCardMetricCount; ++i) {
        cardMetrics_[i] = static_cast<int>(std::lround(kBaseMetrics[i] * classScale));
    }
    // The tiles are drawn at the metrics times the tile scale: 1 or less,
    // as far as the whole table needs to fit the view.
    double scale = 1.0;
    for (int attempt = 0; attempt < 120 && scale > 0.05; ++attempt, scale *= 0.97) {
        for (int i = 0; i < kCardMetricCount; ++i) {
            // Even sizes keep every tile's centre on a whole pixel.
            placeMetrics_[i] =
                cardMetrics_[i] == 0
                    ? 0
                    : 2 * std::max(1, static_cast<int>(std::lround(cardMetrics_[i] * scale / 2)));
        }
        if (MakeGeometry()) {
            break;
        }
    }
    tileScale_ = scale;
}

int CMahjongTableView::GetCardMetric(int index) const {
    return index >= 0 && index < kCardMetricCount ? cardMetrics_[index] : 0;
}

int CMahjongTableView::GetPlaceMetric(int index) const {
    return index >= 0 && index < kCardMetricCount ? placeMetrics_[index] : 0;
}

namespace {

// The longest row of a seat: k gangs of four laid tiles, the concealed
// tiles left and the drawn tile apart.
int LongestRow(int tileStep, int meldStep, int groupGap, int meldGap) {
    int longest = 0;
    for (int gangs = 0; gangs <= 4; ++gangs) {
        const int concealed = 13 - 3 * gangs;
        int length = gangs * 4 * meldStep + std::max(gangs - 1, 0) * meldGap;
        length += (gangs > 0 ? groupGap : 0) + concealed * tileStep + groupGap + tileStep;
        longest = std::max(longest, length);
    }
    return longest;
}

}  // namespace

bool CMahjongTableView::MakeGeometry() {
    const auto& m = placeMetrics_;
    TableGeometry& g = geometry_;
    const int right = g.left + g.width;
    const int bottom = g.top + g.height;
    g.ownBottom = bottom - g.board - kEdgeGap;
    g.topRowTop = g.top + g.board + kEdgeGap;
    g.leftRowLeft = g.left + g.board + kEdgeGap;
    g.rightRowRight = right - g.board - kEdgeGap;
    const int cross = 2 * kDiscardColumns * m[11] + kDiscardColumns * m[10];
    const int needed = cross + 2 * m[12] + m[18];
    g.wallStep = std::max(m[13], (needed + kWallSide - 1) / kWallSide);
    g.wallOuter = kWallSide * g.wallStep + m[18];
    const int bandTop = g.topRowTop + m[5] + m[9];
    const int ownTop = g.ownBottom - m[1] - m[17];
    const int bandBottom = ownTop - g.buttonBand - m[9];
    if (bandBottom - bandTop < g.wallOuter) {
        return false;
    }
    g.centreY = (bandTop + bandBottom) / 2;
    g.centreX = g.left + g.width / 2;
    const int sideWidth = std::max(m[4], m[14]);
    const int innerLeft = g.leftRowLeft + sideWidth + m[9];
    const int innerRight = g.rightRowRight - sideWidth - m[9];
    if (g.centreX - g.wallOuter / 2 < innerLeft || g.centreX + g.wallOuter / 2 + 1 > innerRight) {
        return false;
    }
    // The own row spans the view's width; the side rows stay between the
    // opposite row's top and the own row; the opposite row between the
    // side rows.
    if (LongestRow(m[0], m[2], m[6], m[19]) > g.width - 2 * kEdgeGap) {
        return false;
    }
    const int sideRow = LongestRow(m[3], m[3], m[6], m[19]);
    if (g.centreY - sideRow / 2 - 1 < g.topRowTop ||
        g.centreY + sideRow / 2 + 1 > ownTop - g.buttonBand - 1) {
        return false;
    }
    // The operation buttons stand on the band above the own row.
    handBottomMargin_ = g.buttonBand > 0 ? bottom - ownTop - kButtonRowOffset : 0;
    const int topRow = LongestRow(m[7], m[7], m[6], m[19]);
    return g.centreX - topRow / 2 - 1 > g.leftRowLeft + sideWidth &&
           g.centreX + topRow / 2 + 1 < g.rightRowRight - sideWidth;
}

TablePoint CMahjongTableView::RowTileSize(int position, bool meld) const {
    const auto& m = placeMetrics_;
    switch (position) {
        case 3:
            return meld ? TablePoint{m[2], m[15]} : TablePoint{m[0], m[1]};
        case 1:
            return TablePoint{m[7], m[5]};
        default:
            return meld ? TablePoint{m[14], m[3]} : TablePoint{m[4], m[3]};
    }
}

int CMahjongTableView::RowLayoutOrder(int position, std::array<int, kRowSize>& order) const {
    int count = 0;
    for (int i = 1; i < kRowSize; ++i) {
        if (rows_[position][i] >= 0) {
            order[count++] = i;
        }
    }
    if (rows_[position][0] >= 0) {
        order[count++] = 0;
    }
    return count;
}

bool CMahjongTableView::RowPlace(const CCardSprite& sprite, TablePoint& centre, TablePoint& size) {
    const int p = sprite.position;
    if (p < 0 || p >= kPositions || sprite.handIndex < 0 || sprite.handIndex >= kRowSize ||
        rows_[p][sprite.handIndex] != sprite.poolIndex) {
        return false;
    }
    const auto& m = placeMetrics_;
    std::array<int, kRowSize> order{};
    const int count = RowLayoutOrder(p, order);
    // Walk the row once for its length and the entry's offset.
    const bool alongX = p == 1 || p == 3;
    int length = 0;
    int offset = -1;
    int entryLength = 0;
    int previousMark = 0;
    bool previousMeld = false;
    for (int k = 0; k < count; ++k) {
        const int index = order[k];
        const CCardSprite* tile =
            const_cast<CMahjongTableView*>(this)->GetCardSprite(rows_[p][index]);
        const bool meld = tile != nullptr && tile->meldMark != 0;
        if (k > 0) {
            if (index == 0 || (previousMeld && !meld)) {
                length += m[6];
            } else if (meld && previousMeld && tile->meldMark != previousMark) {
                length += m[19];
            }
        }
        const TablePoint tileSize = RowTileSize(p, meld);
        const int along = alongX ? tileSize.x : tileSize.y;
        if (index == sprite.handIndex) {
            offset = length;
            entryLength = along;
            size = tileSize;
        }
        length += along;
        previousMeld = meld;
        previousMark = meld ? tile->meldMark : 0;
    }
    if (offset < 0) {
        return false;
    }
    const TableGeometry& g = geometry_;
    const int middle = offset + entryLength / 2;
    const int lift = sprite.raised != 0 || sprite.hoverRaised != 0 ? m[17] : 0;
    switch (p) {
        case 3:
            centre = {g.centreX - length / 2 + middle, g.ownBottom - size.y / 2 - lift};
            break;
        case 1:
            centre = {g.centreX + length / 2 - middle, g.topRowTop + size.y / 2};
            break;
        case 0:
            centre = {g.leftRowLeft + size.x / 2, g.centreY - length / 2 + middle};
            break;
        default:
            centre = {g.rightRowRight - size.x / 2, g.centreY + length / 2 - middle};
            break;
    }
    return true;
}

bool CMahjongTableView::WallPlace(const CCardSprite& sprite, TablePoint& centre,
                                  TablePoint& size) const {
    const int index = sprite.wallIndex;
    if (index < 0 || index >= kWallSize || wall_[index] != sprite.poolIndex) {
        return false;
    }
    const TableGeometry& g = geometry_;
    const int length = placeMetrics_[13];
    const int thickness = placeMetrics_[18];
    const int step = g.wallStep;
    const int outer = g.wallOuter;
    const int x0 = g.centreX - outer / 2;
    const int y0 = g.centreY - outer / 2;
    const int j = index % kWallSide;
    // Four sides laid as a pinwheel, so no two sides cross: in front of
    // the own seat, then on round the table in playing order.
    switch (index / kWallSide) {
        case 0:
            size = {length, thickness};
            centre = {x0 + j * step + length / 2, y0 + outer - thickness / 2};
            break;
        case 1:
            size = {thickness, length};
            centre = {x0 + outer - thickness / 2, y0 + outer - j * step - length / 2};
            break;
        case 2:
            size = {length, thickness};
            centre = {x0 + outer - j * step - length / 2, y0 + thickness / 2};
            break;
        default:
            size = {thickness, length};
            centre = {x0 + thickness / 2, y0 + j * step + length / 2};
            break;
    }
    return true;
}

bool CMahjongTableView::DiscardPlace(const CCardSprite& sprite, TablePoint& centre,
                                     TablePoint& size) const {
    const int p = sprite.position;
    const int slot = sprite.discardSlot;
    if (p < 0 || p >= kPositions || slot < 0 || slot >= kDiscardPlaces ||
        discards_[p][slot] != sprite.poolIndex) {
        return false;
    }
    const TableGeometry& g = geometry_;
    const int w = placeMetrics_[10];
    const int h = placeMetrics_[11];
    const int half = kDiscardColumns * w / 2;
    const int column = slot % kDiscardColumns;
    const int line = slot / kDiscardColumns;
    // Four blocks round the centre, each growing from the centre towards
    // its seat.
    switch (p) {
        case 3:
            size = {w, h};
            centre = {g.centreX - half + column * w + w / 2, g.centreY + half + line * h + h / 2};
            break;
        case 1:
            size = {w, h};
            centre = {g.centreX + half - column * w - w / 2, g.centreY - half - line * h - h / 2};
            break;
        case 0:
            size = {h, w};
            centre = {g.centreX - half - line * h - h / 2, g.centreY - half + column * w + w / 2};
            break;
        default:
            size = {h, w};
            centre = {g.centreX + half + line * h + h / 2, g.centreY + half - column * w - w / 2};
            break;
    }
    return true;
}

TablePoint CMahjongTableView::GetThrownPlace(int position) const {
    const TableGeometry& g = geometry_;
    const int quarter = kDiscardColumns * placeMetrics_[10] / 4;
    // The quarter of the centre square on the seat's side, towards the seat
    // that plays next.
    switch (position) {
        case 3:
            return {g.centreX + quarter, g.centreY + quarter};
        case 2:
            return {g.centreX + quarter, g.centreY - quarter};
        case 1:
            return {g.centreX - quarter, g.centreY - quarter};
        default:
            return {g.centreX - quarter, g.centreY + quarter};
    }
}

IntRect CMahjongTableView::GetCentreSquare() const {
    const TableGeometry& g = geometry_;
    if (g.width <= 0 || g.height <= 0) {
        return {};
    }
    const int half = kDiscardColumns * placeMetrics_[10] / 2;
    return {g.centreX - half, g.centreY - half, g.centreX + half, g.centreY + half};
}

IntRect CMahjongTableView::GetDiscardBlock(int position) const {
    const IntRect centre = GetCentreSquare();
    if (centre.IsEmpty() || position < 0 || position >= kPositions) {
        return {};
    }
    const int depth = kDiscardPlaces / kDiscardColumns * placeMetrics_[11];
    switch (position) {
        case 0:
            return {centre.left - depth, centre.top, centre.left, centre.bottom};
        case 1:
            return {centre.left, centre.top - depth, centre.right, centre.top};
        case 2:
            return {centre.right, centre.top, centre.right + depth, centre.bottom};
        default:
            return {centre.left, centre.bottom, centre.right, centre.bottom + depth};
    }
}

IntRect CMahjongTableView::GetWallInside() const {
    const TableGeometry& g = geometry_;
    if (g.width <= 0 || g.height <= 0) {
        return {};
    }
    const int left = g.centreX - g.wallOuter / 2 + placeMetrics_[18];
    const int top = g.centreY - g.wallOuter / 2 + placeMetrics_[18];
    const int inside = g.wallOuter - 2 * placeMetrics_[18];
    return {left, top, left + inside, top + inside};
}

TablePoint CMahjongTableView::GetAutoPlaySignPlace(int width) const {
    const TableGeometry& g = geometry_;
    const int ownTop = g.ownBottom - placeMetrics_[1] - placeMetrics_[17];
    return {std::max(g.left + kEdgeGap + width / 2, (g.left + g.centreX) / 2),
            ownTop - g.buttonBand / 2};
}

TablePoint CMahjongTableView::GetTileSize(int kind, int position) const {
    const auto& m = placeMetrics_;
    switch (kind) {
        case CCardSprite::kKindWall:
            return position == 0 || position == 2 ? TablePoint{m[18], m[13]}
                                                  : TablePoint{m[13], m[18]};
        case CCardSprite::kKindDiscard:
            return position == 0 || position == 2 ? TablePoint{m[11], m[10]}
                                                  : TablePoint{m[10], m[11]};
        case CCardSprite::kKindThrown:
            return {m[8], m[16]};
        default:
            return RowTileSize(std::clamp(position, 0, kPositions - 1), false);
    }
}

bool CMahjongTableView::GetSpritePlace(const CCardSprite& sprite, TablePoint& centre,
                                       TablePoint& size) {
    if (geometry_.width <= 0 || geometry_.height <= 0 || sprite.active == 0) {
        return false;
    }
    switch (sprite.kind) {
        case CCardSprite::kKindWall:
            return WallPlace(sprite, centre, size);
        case CCardSprite::kKindHand:
        case CCardSprite::kKindShown:
            return RowPlace(sprite, centre, size);
        case CCardSprite::kKindDiscard:
            return DiscardPlace(sprite, centre, size);
        case CCardSprite::kKindThrown:
            if (sprite.position < 0 || sprite.position >= kPositions ||
                lastThrown_[sprite.position] != sprite.poolIndex) {
                return false;
            }
            centre = GetThrownPlace(sprite.position);
            size = {placeMetrics_[8], placeMetrics_[16]};
            return true;
        default:
            return false;
    }
}

// ---- Table and hand start ----

void CMahjongTableView::ClearTable() {
    ++tableSerial_;
    tableStateWords_ = {};
    for (int i = 0; i < kCardPoolSize; ++i) {
        CCardSprite* sprite = GetCardSprite(i);
        if (sprite != nullptr && (sprite->kind != CCardSprite::kKindFree || sprite->active != 0)) {
            sprite->Reset();
            sprite->Refresh();
        }
    }
    for (auto& row : rows_) {
        row.fill(-1);
    }
    for (auto& places : discards_) {
        places.fill(-1);
    }
    lastThrown_.fill(-1);
    meldCounts_.fill(0);
    ResetWallAndClock();
    HideReadyMarks();
    for (int chair = 0; chair < playerCount_; ++chair) {
        if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
            board->SetAutoPlay(0);
            board->HideBankerDice();
            board->ResetFlowers();
        }
    }
    ShowArrow(-1);
    HideDice();
    ShowDepositPanel(0);
    ShowOperationButtons(0);
    ClearOfferTable();
    SetTableState(0);
    if (CCorvanePicture* sortHand = FindPictureById(sortHandPictureId_)) {
        sortHand->Hide();
        sortHand->Invalidate();
    }
    if (CGameFrameView* frame = GetFrameView()) {
        frame->HideMatchWait();
    }
}

bool CMahjongTableView::EnterHandStart() {
    if (!IsLookingOn()) {
        SendGameRequest(static_cast<int32_t>(table_protocol::kEnterHandRequest), nullptr, 0, 0);
    }
    CMahjongTableData* data = GetMahjongTableData();
    // Entering a table where no hand runs leaves it as it is.
    return data != nullptr && data->IsHandRunning() != 0;
}

void CMahjongTableView::ArrangeOwnHandAtStart() {
    SortHandCards(3, IsHandDrawn(3) == 0 ? 1 : 0, GetRowCount(3));
    CMahjongTableData* data = GetMahjongTableData();
    if (data != nullptr && data->IsStartFlag100() && IsHandDrawn(3) != 0 &&
        GetSwapStartCount() > 0) {
        const int k = GetSwapStartIndex();
        if (k > 0 && k < kRowSize && rows_[3][0] >= 0) {
            std::swap(rows_[3][0], rows_[3][k]);
            RenumberRow(3);
        }
        RestrictDiscardChoice();
    }
}

void CMahjongTableView::OnGameStart() {
    if (!EnterHandStart()) {
        return;
    }
    RestoreWall();
    RestoreFlowers();
    RestoreDiscards();
    RestoreLastThrown();
    RestoreSeatMarks();
    FillOwnHand();
    FillHiddenHands();
    RestoreMelds();
    ShowSkillPanel();
    ShowDepositPanel(1);
    SetPlayModeOn();
    RestoreDepositInfo();
    RestoreTurnPointer();
    ArrangeOwnHandAtStart();
    for (int p = 0; p < kPositions; ++p) {
        RefreshHandSprites(p);
    }
    RefreshOperationButtons();
    SetTableState(0);
}

// ---- Seat boards and decorations ----

CSeatBoard* CMahjongTableView::NewSeatBoard() {
    return new CSeatBoard;
}

void CMahjongTableView::CreateSeatBoards(int count) {
    playerCount_ = std::clamp(count, 1, kPositions);
    // Boards belong to screen positions: the own seat and the seats round
    // it, whoever sits there later.
    for (int step = 0; step < playerCount_; ++step) {
        int position = step == 0 ? 3 : (step == 1 ? 0 : (step == playerCount_ - 1 ? 2 : 1));
        if (seatBoardIds_[position] != 0) {
            continue;
        }
        CSeatBoard* board = NewSeatBoard();
        if (board == nullptr) {
            continue;
        }
        Register(board);
        seatBoardIds_[position] = board->GetId();
        board->CreateObjects(position);
    }
}

CSeatBoard* CMahjongTableView::GetSeatBoard(int position) {
    if (position < 0 || position >= kPositions || seatBoardIds_[position] == 0) {
        return nullptr;
    }
    return dynamic_cast<CSeatBoard*>(FindObjectById(seatBoardIds_[position]));
}

void CMahjongTableView::RefreshSeatBoards() {
    CGameFrameApp* app = CGameFrameApp::Current();
    for (int chair = 0; chair < playerCount_; ++chair) {
        CSeatBoard* board = GetSeatBoard(ChairToPosition(chair));
        if (board == nullptr) {
            continue;
        }
        if (app == nullptr || !app->IsChairOccupied(chair)) {
            board->Clear();
            continue;
        }
        board->SetPlayer(chair);
        ShowReadyMarkIfStarted(chair, *board);
    }
}

void CMahjongTableView::ShowReadyMarkIfStarted(int chair, CSeatBoard& board) {
    CMahjongTableData* data = GetMahjongTableData();
    if (data != nullptr && data->IsSeatStarted(chair) != 0) {
        board.ShowReady();
    }
}

void CMahjongTableView::ResetSeatBoard(int chair) {
    if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
        board->Clear();
    }
}

void CMahjongTableView::HideReadyMarks() {
    for (int position = 0; position < kPositions; ++position) {
        if (CSeatBoard* board = GetSeatBoard(position)) {
            board->HideReadyMark();
        }
    }
}

void CMahjongTableView::OnPlayerStarted(int chair) {
    if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
        board->ShowReady();
    }
}

void CMahjongTableView::CreateDecorations() {
    for (auto [name, id] : {std::pair{"bit_SortHand", &sortHandPictureId_},
                            std::pair{"bit_slogan", &sloganPictureId_}}) {
        if (*id != 0) {
            continue;
        }
        FrameRecord frame;
        GetResourceFrame(&frame, name, 0);
        CCorvanePicture* picture = CreatePicture(frame);
        if (picture == nullptr) {
            continue;
        }
        *id = picture->GetId();
        picture->SetName(name);
        picture->Hide();
    }
    // The sort picture sorts the own hand when clicked.
    if (CCorvanePicture* sortHand = FindPictureById(sortHandPictureId_)) {
        sortHand->BindEvent(kEventLButtonDown, GetId(), kEventSortHand, 0, 0);
    }
}

CMahjongTableData* CMahjongTableView::GetMahjongTableData() {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    return app != nullptr ? app->GetMahjongTableData() : nullptr;
}
