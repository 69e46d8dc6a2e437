// The table as the regional skin sizes its pictures, in the program's main
// window at the smallest and the largest window the demo opens: while the
// swap dice show, and later in the hand with its melds, discards and thrown
// tiles, no two shown pictures overlap unless one is meant to lie over the
// other, the seats' ready marks and the auto-play sign among them; no
// thrown or discard place of any seat lies under the deposit panel or its
// figure; each seat's signs lie inside the table, nearer its own board than
// any other, the win marks off the result dialog, every board and the
// winner's row, the chat bubbles off every discard, thrown and row tile and
// (at 1366) the wall; a hand's result dialog, with every part it shows, lies
// inside the window; and so does the quit question, its picture and text
// wrapped inside its centred inner box; the voice box shows every phrase
// whole, inside the window; and the emoticon picker, once opened, lies over
// the table's parts.
//
// Meant to overlap, and so not compared:
//  - an object and its own parts (a button's face, a board's banker dice,
//    the panel's number: whatever hangs from it);
//  - the window's own frame (its title bar and edges), on which the panes
//    border;
//  - the side panel's bars and their parts, laid out by the frame inside the
//    panel: the panel is one picture here;
//  - a tile's shadow, which falls on whatever lies below the tile, and the
//    halo the client lays around a thrown tile, over that tile.
//
// Laid over each other by the client's own placement, whatever size the
// skin gives the pictures (ClientPlaced below says why, pair by pair).

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneTextItem.h"
#include "engine/ui/CorvaneTextList.h"
#include "engine/ui/RichText.h"
#include "frame/panels/ChatBox.h"
#include "frame/panels/EmoticonPanel.h"
#include "frame/panels/SystemBars.h"
#include "frame/panels/SystemInfoBox.h"
#include "frame/view/GameFrameView.h"
#include "game/app/RegionalMahjongApp.h"
#include "game/result/GameResultDlg.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "mahjong_client/panels/DigitDisplay.h"
#include "mahjong_client/table/CardSprite.h"
#include "mahjong_client/table/SeatBoard.h"
#include "platform/TextCodec.h"
#include "tests/game/e2e/EngineHand.h"
#include "tests/game/support/GameWindow.h"
#include "tests/game/support/RegionalSkin.h"

namespace {

namespace tp = table_protocol;

constexpr int kOwnChair = 0;
constexpr int kOwnPosition = 3;
// The window's title bar and the width of its edges.
constexpr int kTitleBar = 24;
constexpr int kWindowEdge = 6;
// Discards laid per seat before the layout is read: two lines of six.
constexpr int kDiscardsLaid = 12;
// Object ids are given in order from 1; a table with its side panel uses
// a few thousand.
constexpr int kObjectIds = 20000;

struct Box {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool Meets(const Box& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// The object's rectangle on the screen: a board turned a quarter lies
// across.
Box BoxOf(CCorvaneObject& object) {
    const bool across = std::lround(object.GetAngle() / 90.0) % 2 != 0;
    const double halfW = (across ? object.GetHeight() : object.GetWidth()) / 2;
    const double halfH = (across ? object.GetWidth() : object.GetHeight()) / 2;
    return {object.GetX() - halfW, object.GetY() - halfH, object.GetX() + halfW,
            object.GetY() + halfH};
}

std::string Describe(const Box& box) {
    std::ostringstream out;
    out << "[" << box.left << "," << box.top << " - " << box.right << "," << box.bottom << "]";
    return out.str();
}

Box PlaceBox(TablePoint centre, TablePoint size) {
    return {centre.x - size.x / 2.0, centre.y - size.y / 2.0, centre.x + size.x / 2.0,
            centre.y + size.y / 2.0};
}

bool Inside(const Box& part, const Box& whole) {
    return part.left >= whole.left && part.top >= whole.top && part.right <= whole.right &&
           part.bottom <= whole.bottom;
}

std::string TypeName(CCorvaneObject& object) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(object).name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? name.get() : typeid(object).name();
}

// Whether `part` is `whole` or hangs from it.
bool IsPartOf(CCorvaneObject* part, CCorvaneObject* whole) {
    if (whole == nullptr) {
        return false;
    }
    for (CCorvaneObject* o = part; o != nullptr; o = o->GetParent()) {
        if (o == whole) {
            return true;
        }
    }
    return false;
}

CCardSprite* TileOf(CCorvaneObject* object) {
    for (CCorvaneObject* o = object; o != nullptr; o = o->GetParent()) {
        if (auto* sprite = dynamic_cast<CCardSprite*>(o)) {
            return sprite;
        }
    }
    return nullptr;
}

struct Shown {
    CCorvaneObject* object;
    Box box;
    CCorvaneObject* whole;  // the tile a halo surrounds, else the object
    std::string role;       // what the pair rules know it as, or ""
    std::string label;      // for messages
};

// A pair the client lays over each other by its own placement.
struct PlacedPair {
    const char* first;
    const char* second;
    const char* why;
};
constexpr PlacedPair kClientPlaced[] = {
    {"the swap panel's close button", "",
     "the client leaves it shown when its panel hides (any pair)"},
};

const PlacedPair* ClientPlaced(const std::string& a, const std::string& b) {
    for (const PlacedPair& pair : kClientPlaced) {
        const std::string first = pair.first;
        const std::string second = pair.second;
        if ((a == first && (second.empty() || b == second)) ||
            (b == first && (second.empty() || a == second))) {
            return &pair;
        }
    }
    return nullptr;
}

class TableLayoutTest : public ::testing::TestWithParam<std::pair<int, int>> {
protected:
    void SetUp() override {
        ASSERT_TRUE(game_test::PlayEngineHandWithMelds(kOwnChair, hand))
            << "no seeded hand held all three melds";
        game_test::GameWindowOptions options;
        options.ownChair = kOwnChair;
        options.width = GetParam().first;
        options.height = GetParam().second;
        ASSERT_TRUE(window.Open(options)) << window.Error();
    }

    CRegionalTableView& View() { return *window.View(); }

    // The skin picture a picture or a button shows, or "".
    std::string PictureName(CCorvaneObject& object) {
        CCorvanePicture* picture = dynamic_cast<CCorvanePicture*>(&object);
        if (auto* button = dynamic_cast<CCorvaneButton*>(&object)) {
            picture = button->GetFace();
        }
        const void* record = picture != nullptr ? picture->GetFrameInfo().record : nullptr;
        if (record == nullptr) {
            return {};
        }
        for (const regional_skin::Picture& skin : regional_skin::RegionalSkin().pictures) {
            if (View().GetResourceFrame(skin.name.c_str(), 0).record == record) {
                return skin.name;
            }
        }
        return {};
    }

    // The thrown tile whose halo (the background the client lays around it)
    // the object is, or null.
    CCardSprite* HaloOf(CCorvaneObject* object) {
        for (int position = 0; position < CMahjongTableView::kPositions; ++position) {
            CCardSprite* thrown = View().GetLastThrown(position);
            if (thrown != nullptr && IsPartOf(object, thrown->GetThrownBackground())) {
                return thrown;
            }
        }
        return nullptr;
    }

    std::string RoleOf(CCorvaneObject* object) {
        if (HaloOf(object) != nullptr) {
            return "a thrown tile's halo";
        }
        if (CCardSprite* tile = TileOf(object)) {
            switch (tile->kind) {
                case CCardSprite::kKindDiscard:
                    return "a discard";
                case CCardSprite::kKindThrown:
                    return "a thrown tile";
                default:
                    return "a tile";
            }
        }
        CRegionalTableView& view = View();
        const std::pair<CCorvaneObject*, const char*> known[] = {
            {view.GetDepositDigits(), "the deposit number"},
            {view.GetDepositPanel(), "the deposit panel"},
            {view.GetVoiceButton(), "the voice button"},
            {view.GetSwapInfoShowButton(), "the swap-info button"},
            {view.GetSwapInfoHideButton(), "the swap-info button"},
            {view.GetSwapInfoCloseButton(), "the swap panel's close button"},
        };
        for (const auto& [whole, role] : known) {
            if (IsPartOf(object, whole)) {
                return role;
            }
        }
        return {};
    }

    std::string Label(CCorvaneObject& object, const std::string& role) {
        std::ostringstream out;
        out << TypeName(object) << " #" << object.GetId();
        if (const std::string picture = PictureName(object); !picture.empty()) {
            out << " showing " << platform::GbkToUtf8(picture);
        }
        if (!role.empty()) {
            out << " (" << role << ")";
        }
        out << " " << Describe(BoxOf(object));
        return out.str();
    }

    // The window's own frame: its title bar and edges, and what lies
    // wholly on them.
    bool OnWindowFrame(const Box& box) {
        return box.bottom <= kTitleBar || box.right <= kWindowEdge ||
               box.left >= window.Width() - kWindowEdge || box.top >= window.Height() - kWindowEdge;
    }

    // Every object of the window's scene that shows.
    std::vector<CCorvaneObject*> VisibleObjects() {
        std::vector<CCorvaneObject*> visible;
        CGameFrameView* frame = window.App().GetFrameView();
        for (int id = 1; id < kObjectIds; ++id) {
            CCorvaneObject* object = frame->FindObjectById(id);
            if (object != nullptr && object->IsVisible() != 0 && object->GetWidth() > 0 &&
                object->GetHeight() > 0) {
                visible.push_back(object);
            }
        }
        return visible;
    }

    // Every shown object the pairs are compared between.
    std::vector<Shown> ShownObjects() {
        std::vector<Shown> shown;
        for (CCorvaneObject* object : VisibleObjects()) {
            const Box box = BoxOf(*object);
            // A tile is its face: its shadow falls on whatever lies below.
            CCardSprite* tile = TileOf(object);
            if (OnWindowFrame(box) || (tile != nullptr && tile != object)) {
                continue;
            }
            CCorvaneObject* halo = HaloOf(object);
            const std::string role = RoleOf(object);
            shown.push_back(
                {object, box, halo != nullptr ? halo : object, role, Label(*object, role)});
        }
        return shown;
    }

    void ExpectPicturesApart(const char* when) {
        CCorvaneObject* side = window.App().GetFrameView()->GetSubSystem();
        ASSERT_NE(side, nullptr);
        const std::vector<Shown> shown = ShownObjects();
        ASSERT_GT(shown.size(), 100u) << when << ": the table is not shown";
        for (size_t a = 0; a < shown.size(); ++a) {
            for (size_t b = a + 1; b < shown.size(); ++b) {
                const Shown& x = shown[a];
                const Shown& y = shown[b];
                if (!x.box.Meets(y.box) || IsPartOf(x.whole, y.whole) ||
                    IsPartOf(y.whole, x.whole) ||
                    (IsPartOf(x.object, side) && IsPartOf(y.object, side))) {
                    continue;
                }
                if (const PlacedPair* placed = ClientPlaced(x.role, y.role)) {
                    std::printf("%s, placed by the client: %s over %s (%s)\n", when,
                                x.label.c_str(), y.label.c_str(), placed->why);
                    continue;
                }
                ADD_FAILURE() << when << ": " << x.label << " overlaps " << y.label;
            }
        }
    }

    // How many shown pictures show a skin picture whose name begins so.
    int PicturesShown(const std::string& prefix) {
        int shown = 0;
        for (CCorvaneObject* object : VisibleObjects()) {
            shown += dynamic_cast<CCorvanePicture*>(object) != nullptr &&
                     PictureName(*object).rfind(prefix, 0) == 0;
        }
        return shown;
    }
    bool DiceShown() { return PicturesShown("dice") > 0; }

    // Every seat's ready mark and the auto-play sign, shown as they are
    // through a hand, lie clear of the tiles like every other part.
    void ExpectSignsApart(const char* when) {
        for (int chair = 0; chair < CMahjongTableView::kPositions; ++chair) {
            View().OnPlayerStarted(chair);
        }
        View().SetAutoPlayState(1);
        EXPECT_EQ(PicturesShown("animation_Ready"), CMahjongTableView::kPositions) << when;
        EXPECT_EQ(PicturesShown("animation_autoplaying"), 1) << when;
        ExpectPicturesApart(when);
        View().SetAutoPlayState(0);
    }

    // What an object shows: for a chat bubble the rectangle its picture
    // covers on the bubble's canvas.
    Box Drawn(CCorvaneObject& object) {
        Box box = BoxOf(object);
        for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
            if (&object == View().GetPlayerBoard(p)->GetBubbleCanvas()) {
                const IntRect r = View().GetPlayerBoard(p)->GetBubbleFrameRect();
                box = {box.left + r.left, box.top + r.top, box.left + r.right, box.top + r.bottom};
            }
        }
        return box;
    }

    // The position whose seat board lies nearest the box's centre.
    int NearestBoard(const Box& box) {
        const double x = (box.left + box.right) / 2;
        const double y = (box.top + box.bottom) / 2;
        std::pair<double, int> nearest{INFINITY, -1};
        for (int position = 0; position < CMahjongTableView::kPositions; ++position) {
            const Box board = BoxOf(*View().GetSeatBoard(position));
            nearest =
                std::min(nearest, {std::hypot(std::max({board.left - x, 0.0, x - board.right}),
                                              std::max({board.top - y, 0.0, y - board.bottom})),
                                   position});
        }
        return nearest.second;
    }

    // Throws free tiles at the position until its discards hold `count`
    // (the last throw stays the thrown tile); false when the pool runs out.
    bool Throw(int position, int count) {
        while (View().GetDiscardCount(position) < count) {
            CCardSprite* sprite = View().GetFreeCardObject();
            if (sprite == nullptr) {
                return false;
            }
            sprite->tile = View().GetDiscardCount(position) % 27 * 4;
            View().SetLastThrown(position, sprite);
        }
        return true;
    }

    // The dialog lies inside the window, and every part it shows inside it.
    void ExpectShownPartsInside(CCorvaneObject& dialog) {
        const Box dialogBox = BoxOf(dialog);
        const Box windowBox{0, 0, double(window.Width()), double(window.Height())};
        EXPECT_TRUE(Inside(dialogBox, windowBox)) << "the dialog " << Describe(dialogBox);
        for (CCorvaneObject* object : VisibleObjects()) {
            if (object != &dialog && IsPartOf(object, &dialog)) {
                EXPECT_TRUE(Inside(BoxOf(*object), dialogBox))
                    << Label(*object, "") << " off the dialog " << Describe(dialogBox);
            }
        }
    }

    game_test::EngineHand hand;
    game_test::GameWindow window;
};

TEST_P(TableLayoutTest, ShownPicturesLieApartAndTheDepositPanelOffEveryDiscardPlace) {
    // The deal, the seated players' boards and the swap dice.
    window.Deliver(tp::kHandStart, hand.handStart);
    ASSERT_TRUE(window.RunUntil([&] {
        return View().GetRowCount(3) >= 13 && View().GetDepositPanel() != nullptr &&
               View().GetDepositPanel()->IsVisible() != 0;
    })) << "the deal or the deposit panel never showed";
    View().RefreshSeatBoards();
    tp::SwapDiceNotice dice;
    dice.die = 3;
    dice.tingList.fill(-1);
    window.Deliver(tp::kSwapDice, tp::WriteTableRecord(dice));
    ASSERT_TRUE(window.RunUntil([&] { return DiceShown(); })) << "the swap dice never showed";
    CSeatBoard* ownBoard = View().GetSeatBoard(kOwnPosition);
    ASSERT_TRUE(ownBoard != nullptr && ownBoard->IsVisible() != 0) << "no own name board";
    ExpectSignsApart("the swap dice");

    // The hand with its melds, as a running hand is entered, every seat's
    // throws, and the own seat's tile just thrown.
    ASSERT_TRUE(window.RunUntil([&] {
        CCorvaneButton* confirm = View().GetSwapChoiceButton();
        return !DiceShown() && (confirm == nullptr || confirm->IsVisible() == 0);
    })) << "the swap never ended";
    View().ClearTable();
    window.Deliver(tp::kHandState, hand.handState);
    window.App().GetFrameView()->OnEnterResult210210();
    window.Run(200);
    for (int position = 0; position < CMahjongTableView::kPositions; ++position) {
        ASSERT_TRUE(Throw(position, kDiscardsLaid)) << "the pool ran out";
        if (position != kOwnPosition) {
            View().MoveThrownToDiscards(position);
        }
    }
    window.Run(200);
    CCorvaneCanvas* panel = View().GetDepositPanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(panel->IsVisible(), 0);
    ExpectSignsApart("mid-hand");
    // The swap-info panel, opened by its button, leaves both corner buttons
    // clear.
    View().OnEvent(MakeEventRecord(View().GetId(), kEventSwapInfoToggle, 0, 0));
    CCorvaneCanvas* swapInfo = View().GetSwapInfoPanel();
    ASSERT_TRUE(swapInfo != nullptr && swapInfo->IsVisible() != 0);
    for (CCorvaneObject* button : {static_cast<CCorvaneObject*>(View().GetVoiceButton()),
                                   static_cast<CCorvaneObject*>(View().GetSwapInfoHideButton())}) {
        ASSERT_TRUE(button != nullptr && button->IsVisible() != 0);
        EXPECT_FALSE(BoxOf(*swapInfo).Meets(BoxOf(*button)))
            << "the swap-info panel " << Describe(BoxOf(*swapInfo)) << " meets "
            << Label(*button, "");
    }

    // Every seat's thrown place and every discard place, filled in turn, lie
    // clear of the panel and its figure.
    const Box group[] = {BoxOf(*panel), BoxOf(*View().GetDepositDigits())};
    const auto expectClear = [&](TablePoint centre, TablePoint size, int position, int slot) {
        const Box place = PlaceBox(centre, size);
        for (const Box& part : group) {
            EXPECT_FALSE(place.Meets(part))
                << "place " << slot << " of position " << position << " " << Describe(place)
                << " under " << Describe(part);
        }
    };
    for (int position = 0; position < CMahjongTableView::kPositions; ++position) {
        expectClear(View().GetThrownPlace(position),
                    View().GetTileSize(CCardSprite::kKindThrown, position), position, -1);
        const int laid = View().GetDiscardCount(position);
        ASSERT_TRUE(Throw(position, CMahjongTableView::kDiscardPlaces)) << "the pool ran out";
        for (int slot = 0; slot < CMahjongTableView::kDiscardPlaces; ++slot) {
            CCardSprite* discard = View().GetDiscard(position, slot);
            TablePoint centre{};
            TablePoint size{};
            if (discard != nullptr && View().GetSpritePlace(*discard, centre, size)) {
                expectClear(centre, size, position, slot);
            }
        }
        for (int slot = CMahjongTableView::kDiscardPlaces - 1; slot >= laid; --slot) {
            View().ReleaseSprite(View().GetDiscard(position, slot));
        }
    }
}

TEST_P(TableLayoutTest, EachSeatsSignsLieInsideTheTableNearestItsBoardAndBubblesOffWallAndRow) {
    // Bubbles shown at the deal's first step lie off every row tile dealt
    // after them, an own tile raised included.
    window.Deliver(tp::kHandStart, hand.handStart);
    ASSERT_TRUE(window.RunUntil([&] { return View().GetWallCount() < 108; })) << "no deal";
    for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
        View().GetPlayerBoard(p)->ShowChatBubble("...");
    }
    ASSERT_TRUE(window.RunUntil([&] { return View().GetRowCount(3) >= 13; })) << "no deal";
    for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
        CCardSprite* tile = View().GetCardSprite(i);
        TablePoint centre{};
        TablePoint size{};
        if (tile != nullptr && tile->kind == CCardSprite::kKindHand &&
            View().GetSpritePlace(*tile, centre, size)) {
            Box place = PlaceBox(centre, size);
            place.top -= tile->position == kOwnPosition
                             ? View().GetPlaceMetric(CRegionalTableView::kLiftMetric)
                             : 0;
            for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
                CCorvaneObject& bubble = *View().GetPlayerBoard(p)->GetBubbleCanvas();
                EXPECT_FALSE(Drawn(bubble).Meets(place))
                    << "dealing: " << Label(bubble, "") << " covers " << Label(*tile, "");
            }
        }
    }
    View().ClearTable();
    window.Deliver(tp::kHandState, hand.handState);
    window.App().GetFrameView()->OnEnterResult210210();
    window.Run(200);
    // The win mark, the ready-hand badge, the ready mark and the chat bubble
    // of every seat, and the own seat's auto-play sign.
    std::vector<std::pair<int, CCorvaneObject*>> signs;
    for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
        View().OnPlayerStarted(View().PositionToChair(p));
        View().PlayHuAnimation(p);
        View().GetPlayerBoard(p)->ShowChatBubble("...");
        signs.insert(signs.end(), {{p, View().GetHuPicture(p)},
                                   {p, View().GetBaoJiaoBadge(p)},
                                   {p, View().GetSeatBoard(p)->GetReadyMark()},
                                   {p, View().GetPlayerBoard(p)->GetBubbleCanvas()}});
    }
    window.Run(200);
    View().SetAutoPlayState(1);
    for (CCorvaneObject* object : VisibleObjects()) {
        if (PictureName(*object) == "animation_autoplaying") {
            signs.emplace_back(kOwnPosition, object);
        }
    }
    ASSERT_EQ(signs.size(), 4u * CMahjongTableView::kPositions + 1);
    const IntRect rect = View().GetViewRect();
    const Box table{double(rect.left), double(rect.top), double(rect.right), double(rect.bottom)};
    for (const auto& [position, sign] : signs) {
        ASSERT_NE(sign, nullptr) << position;
        EXPECT_TRUE(Inside(Drawn(*sign), table)) << Label(*sign, "") << " off " << Describe(table);
        EXPECT_EQ(NearestBoard(Drawn(*sign)), position) << Label(*sign, "") << " of " << position;
    }
    // Each win mark, shown with the result dialog, lies off the dialog, every
    // board, every operation button and its own row; no bubble covers the
    // auto-play sign, a discard place (each seat's filled in turn), a thrown
    // tile or a row tile, nor at 1366 the wall: at 1024 no room of a
    // bubble's size is left clear of the wall by any seat.
    for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
        const Box mark = BoxOf(*View().GetHuPicture(p));
        EXPECT_FALSE(mark.Meets(BoxOf(*View().GetResultDlg()))) << Describe(mark) << " of " << p;
        for (int q = 0; q < CMahjongTableView::kPositions; ++q) {
            EXPECT_FALSE(mark.Meets(BoxOf(*View().GetSeatBoard(q)))) << Describe(mark) << p << q;
        }
        for (int kind = kOpPeng; kind <= kOpTing; ++kind) {
            CCorvaneObject& button = *View().GetOperationButtonOfKind(kind);
            EXPECT_FALSE(mark.Meets(BoxOf(button)))
                << Describe(mark) << " over " << Label(button, "");
        }
        CCorvaneObject& bubble = *View().GetPlayerBoard(p)->GetBubbleCanvas();
        EXPECT_FALSE(Drawn(bubble).Meets(BoxOf(*signs.back().second)))
            << Label(bubble, "") << " covers the auto-play sign";
    }
    for (int filled = 0; filled < CMahjongTableView::kPositions; ++filled) {
        ASSERT_TRUE(Throw(filled, CMahjongTableView::kDiscardPlaces)) << "the pool ran out";
        for (int i = 0; i < CMahjongTableView::kCardPoolSize; ++i) {
            CCardSprite* tile = View().GetCardSprite(i);
            TablePoint centre{};
            TablePoint size{};
            if (tile == nullptr ||
                (tile->kind == CCardSprite::kKindWall && window.Width() <= 1024) ||
                !View().GetSpritePlace(*tile, centre, size)) {
                continue;
            }
            const bool row =
                tile->kind == CCardSprite::kKindHand || tile->kind == CCardSprite::kKindShown;
            for (int p = 0; p < CMahjongTableView::kPositions; ++p) {
                CCorvaneObject& bubble = *View().GetPlayerBoard(p)->GetBubbleCanvas();
                EXPECT_FALSE(Drawn(bubble).Meets(PlaceBox(centre, size)))
                    << Label(bubble, "") << " covers " << Label(*tile, "");
                EXPECT_FALSE(row && tile->position == p &&
                             BoxOf(*View().GetHuPicture(p)).Meets(PlaceBox(centre, size)))
                    << "the win mark of " << p << " covers " << Label(*tile, "");
            }
        }
        for (int slot = 0; slot < CMahjongTableView::kDiscardPlaces; ++slot) {
            View().ReleaseSprite(View().GetDiscard(filled, slot));
        }
    }
}

TEST_P(TableLayoutTest, TheResultDialogAndEveryPartItShowsLieInsideTheWindow) {
    window.Deliver(tp::kHandStart, hand.handStart);
    ASSERT_TRUE(window.RunUntil([&] { return View().GetRowCount(3) >= 13; })) << "no deal";
    window.Deliver(tp::kHandResult, hand.result);
    CCorvaneObject* dialog = View().GetResultDlg();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return dialog->IsVisible() != 0; })) << "no result shown";
    window.Run(200);
    ExpectShownPartsInside(*dialog);
}

TEST_P(TableLayoutTest, TheQuitQuestionLiesInsideItsDialogWithTheTextInTheCentredInnerBox) {
    // A hand runs and no forced exit is left: the close button asks.
    window.App().SetGamePlaying();
    window.TableData()->SetExitRequestCount(2);
    window.App().GetFrameView()->AskBeforeLeaving();
    window.Run(200);
    CSystemInfoBox* box = nullptr;
    for (CCorvaneObject* object : VisibleObjects()) {
        box = box != nullptr ? box : dynamic_cast<CSystemInfoBox*>(object);
    }
    ASSERT_TRUE(box != nullptr && box->GetPicture() != nullptr && box->GetTextBox() != nullptr);
    ASSERT_EQ(box->GetText().rfind("游戏还没有结束", 0), 0u);
    ExpectShownPartsInside(*box);
    const Box dialog = BoxOf(*box);
    IntRect centre;
    box->GetSurfaceRect(&centre);
    const Box inner{dialog.left + centre.left, dialog.top + centre.top, dialog.left + centre.right,
                    dialog.top + centre.bottom};
    EXPECT_EQ(inner.left - dialog.left, dialog.right - inner.right) << "inner box off-centre";
    EXPECT_EQ(inner.top - dialog.top, dialog.bottom - inner.bottom) << "inner box off-centre";
    for (CCorvaneObject* part :
         {box->GetPicture(), static_cast<CCorvaneObject*>(box->GetTextBox())}) {
        EXPECT_TRUE(Inside(BoxOf(*part), inner))
            << Label(*part, "") << " off the inner box " << Describe(inner);
    }
    // The whole text shows, wrapped, and the picture is seen.
    EXPECT_LE(box->GetTextBox()->GetContentHeight(), box->GetTextBox()->GetHeight());
    CCorvaneObject* picture = box->GetPicture();
    EXPECT_EQ(regional_skin::ClassifyColour(
                  window.BackBufferColour(int(picture->GetX()), int(picture->GetY())))
                  .picture,
              regional_skin::FindPicture("ruv疑问"));
}

TEST_P(TableLayoutTest, TheVoiceBoxShowsEveryPhraseWholeInsideTheWindow) {
    View().OnEvent(MakeEventRecord(View().GetId(), kEventVoiceButton, 0, 0));
    CCorvaneObject* box = View().GetVoiceBox();
    auto* list = dynamic_cast<CCorvaneTextList*>(View().GetVoicePhraseList());
    ASSERT_TRUE(box != nullptr && list != nullptr);
    ASSERT_TRUE(window.RunUntil([&] { return box->IsVisible() != 0 && list->IsVisible() != 0; }));
    const Box boxBox = BoxOf(*box);
    const Box listBox = BoxOf(*list);
    EXPECT_TRUE(Inside(boxBox, Box{0, 0, double(window.Width()), double(window.Height())}))
        << "the voice box " << Describe(boxBox);
    EXPECT_TRUE(Inside(listBox, boxBox))
        << "the phrase list " << Describe(listBox) << " off the voice box " << Describe(boxBox);
    // Each caption, drawn two pixels in, in the row's normal and hover
    // fonts, ends inside its row.
    constexpr int kCaptionInset = 2;
    ASSERT_EQ(list->GetItemCount(), 9);
    for (int i = 0; i < list->GetItemCount(); ++i) {
        CCorvaneTextItem* row = list->GetItem(i);
        ASSERT_TRUE(row != nullptr && row->GetCanvas() != nullptr);
        EXPECT_LE(BoxOf(*row).right, listBox.right);
        for (const int look : {1, 0}) {
            row->Draw(look);
            int width = 0;
            row->GetCanvas()->MeasureText(row->GetCaption().c_str(), &width, nullptr);
            EXPECT_LE(kCaptionInset + width, row->GetWidth())
                << platform::GbkToUtf8(row->GetCaption()) << " in look " << look;
        }
    }
}

TEST_P(TableLayoutTest, TheOpenedEmoticonPickerLiesOverEveryShownPartItMeets) {
    View().RefreshSeatBoards();
    auto* side = dynamic_cast<CSystemBars*>(window.App().GetSubSystemView());
    side->ShowEmoticonPanel();
    auto* chat = dynamic_cast<CChatBox*>(side->FindObjectByName(CSystemBars::kChatBoxName));
    CCorvaneObject* picker = chat->GetEmoticonPanel()->GetPeerOrSelf();  // what it draws on
    const auto key = [](CCorvaneObject* o) {
        return std::tuple(o->GetLayer(), o->GetZ(), o->GetId());
    };
    for (CCorvaneObject* object : VisibleObjects()) {
        EXPECT_TRUE(IsPartOf(object, picker->GetParent()) ||
                    !BoxOf(*object).Meets(BoxOf(*picker)) || key(object) < key(picker))
            << Label(*object, "") << " covers the picker " << Describe(BoxOf(*picker));
    }
}

// The turn dial as a player sees it, in the window with the skin drawn for
// players: whichever chair is to play, the lit part of the dial shown lies
// on that chair's side of the table.
class TurnDialTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(TurnDialTest, TheLitPartOfTheShownDialLiesOnTheSideOfTheSeatToPlay) {
    game_test::GameWindow window;
    game_test::GameWindowOptions options;
    options.ownChair = kOwnChair;
    options.width = GetParam().first;
    options.height = GetParam().second;
    options.folder.drawnSkin = true;
    ASSERT_TRUE(window.Open(options)) << window.Error();
    CRegionalTableView& view = *window.View();
    for (int chair = 0; chair < 4; ++chair) {
        tp::HandStartRecord start;
        start.banker = chair;
        start.turnChair = chair;
        start.reactionTime = 12;
        start.discardTime = 20;
        start.wildIndicator = -1;
        start.wildTiles = {-1, -1};
        start.seatTileCounts.fill(13);
        start.seatTileCounts[static_cast<size_t>(chair)] = 14;
        start.ownTiles.fill(-1);
        ASSERT_TRUE(window.TableData()->StoreHandStart(tp::WriteTableRecord(start)));
        view.StartTurn();
        view.StartTurnClock();
        const int position = view.ChairToPosition(chair);
        ASSERT_TRUE(window.RunUntil([&] { return view.GetPointerShown() == 2 * position; }))
            << "the pointer never reached chair " << chair;
        window.Run(200);  // its last step drawn
        CCorvanePicture* dial = view.GetClockHand();
        ASSERT_TRUE(dial != nullptr && dial->IsVisible() != 0) << "no dial shown";
        const int left = static_cast<int>(std::lround(dial->GetLeft()));
        const int top = static_cast<int>(std::lround(dial->GetTop()));
        const int side = regional_skin::LitSide(
            [&](int x, int y) { return window.BackBufferColour(left + x, top + y); },
            static_cast<int>(dial->GetWidth()), static_cast<int>(dial->GetHeight()));
        EXPECT_EQ(side, position) << "chair " << chair << " plays from position " << position
                                  << "; the dial lights side " << side;
    }
}

auto ScreenName = [](const auto& info) {
    return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
};
INSTANTIATE_TEST_SUITE_P(Screens, TableLayoutTest,
                         ::testing::Values(std::pair{1024, 768}, std::pair{1366, 768}), ScreenName);
INSTANTIATE_TEST_SUITE_P(Screens, TurnDialTest,
                         ::testing::Values(std::pair{1024, 768}, std::pair{1366, 768}), ScreenName);

}  // namespace
