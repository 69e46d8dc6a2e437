#include "tools/skin/SkinTextGrounds.h"

#include <algorithm>
#include <cstdint>

#include "tools/skin/SkinColours.h"
#include "tools/skin/SkinLettering.h"

namespace regional_skin {
namespace {

// Near white: the ground of red text.
constexpr uint32_t kPaper = Rgb(0xff, 0xfe, 0xfb);
// A stripe's tint and the marked row's rule, kept out of the text's rows.
constexpr uint32_t kStripe = Rgb(0xec, 0xe6, 0xd8);
constexpr uint32_t kMarkRule = Rgb(0xd8, 0xa8, 0x30);
// Pale sage: headers, whose texts are black or dark green.
constexpr uint32_t kHeader = Rgb(0xdc, 0xe8, 0xd4);
// The players' rows: the pointed-at or own row, then the two stripes.
constexpr uint32_t kRowMarked = Rgb(0xf6, 0xe4, 0xa8);
constexpr uint32_t kRowLight = Rgb(0xfb, 0xf8, 0xf0);
constexpr uint32_t kRowDark = Rgb(0xee, 0xea, 0xe0);
// The result, settings and top-up dialogs: a light body in a walnut border.
constexpr uint32_t kDialogBody = Rgb(0xf3, 0xee, 0xe2);
constexpr uint32_t kDialogBorder = Rgb(0x5a, 0x3c, 0x24);
constexpr int kDialogBorderWidth = 6;
// The result dialog's panels start this far down its background.
constexpr int kTitleBand = 82;
// The seat boards: plain, the seat whose turn it is, pointed at; and the
// chat bubbles. Light names read on them.
constexpr uint32_t kBoards[] = {Rgb(0x2c, 0x3e, 0x58), Rgb(0x6a, 0x3a, 0x14),
                                Rgb(0x3a, 0x50, 0x70)};
constexpr uint32_t kBoardEdge = Rgb(0x14, 0x1c, 0x28);
constexpr uint32_t kBubble = Rgb(0x24, 0x2c, 0x3a);
constexpr uint32_t kBubbleEdge = Rgb(0x10, 0x14, 0x1c);
constexpr uint32_t kBubbleRim = Rgb(0x50, 0x5a, 0x6c);

// The rows above and below a result row's text (28 pixels, 12-pixel text
// 8 down), where its frames differ.
constexpr int kRowMargin = 6;
constexpr int kMarkRuleRows = 2;

class Ground {
public:
    Ground(int width, int height, uint32_t fill)
        : image_{width, height,
                 std::vector<uint32_t>(static_cast<size_t>(std::max(width, 0)) *
                                           static_cast<size_t>(std::max(height, 0)),
                                       fill)} {}

    void Fill(int x, int y, int w, int h, uint32_t colour) {
        for (int yy = std::max(y, 0); yy < std::min(y + h, image_.height); ++yy) {
            for (int xx = std::max(x, 0); xx < std::min(x + w, image_.width); ++xx) {
                image_.pixels[static_cast<size_t>(yy) * image_.width + xx] = colour;
            }
        }
    }
    // Bands of `depth` rows at the top and bottom.
    void Bands(int depth, uint32_t colour) {
        Fill(0, 0, image_.width, depth, colour);
        Fill(0, image_.height - depth, image_.width, depth, colour);
    }
    void Border(int depth, uint32_t colour) {
        Bands(depth, colour);
        Fill(0, 0, depth, image_.height, colour);
        Fill(image_.width - depth, 0, depth, image_.height, colour);
    }
    // Mixes the colour into the ground by the lettering's coverage.
    void Letters(const Lettering& lettering, int x, int y, uint32_t colour) {
        for (int row = 0; row < lettering.height; ++row) {
            for (int col = 0; col < lettering.width; ++col) {
                const int alpha = lettering.At(col, row);
                const int yy = y + row;
                const int xx = x + col;
                if (alpha == 0 || xx < 0 || yy < 0 || xx >= image_.width || yy >= image_.height) {
                    continue;
                }
                uint32_t& pixel = image_.pixels[static_cast<size_t>(yy) * image_.width + xx];
                pixel = Mix(pixel, colour, alpha);
            }
        }
    }
    Image Take() { return std::move(image_); }

private:
    Image image_;
};

// A result row: plain, striped (tinted above its text), marked (a rule
// along its top and bottom), pointed at (tinted above and below), fixed.
Image DrawResultRow(const Picture& picture, int frame) {
    Ground ground(picture.width, picture.height, kPaper);
    const int margin = std::min(kRowMargin, picture.height / 4);
    switch (frame) {
        case 1:
            ground.Fill(0, 0, picture.width, margin, kStripe);
            break;
        case 2:
            ground.Bands(std::min(kMarkRuleRows, margin), kMarkRule);
            break;
        case 3:
            ground.Bands(margin, kStripe);
            break;
        default:
            break;
    }
    return ground.Take();
}

Image DrawPlayersRow(const Picture& picture, int frame) {
    static constexpr uint32_t kRows[] = {kRowMarked, kRowLight, kRowDark};
    return Ground(picture.width, picture.height, kRows[std::clamp(frame, 0, 2)]).Take();
}

Image DrawBoard(const Picture& picture, uint32_t fill, uint32_t edge) {
    Ground ground(picture.width, picture.height, fill);
    ground.Border(1, edge);
    return ground.Take();
}

// The chat bubble: a rounded dark body round the text, with a tail towards
// the seat that speaks, on a transparent ground. The seat board draws frame
// 3 for the left seat, 1 for the seat across, 4 for the right seat and 0 for
// the own seat, centred on its 187 x 140 bubble canvas but 10 pixels higher
// for the seats across and on the right, whose text starts 15 pixels lower
// on the 155 x 75 text canvas centred on the bubble: those two keep their
// tails above the body, the others below it. Every tail but the left
// seat's points out to the right: the table mostly places those bubbles
// left of their boards' middles, and the left seat's right of its board.
// Frame 2, which no seat draws, has none. The body holds the whole text
// canvas with a narrow margin, and the picture no more than the body and its
// tail: the table keeps the picture's rectangle clear of the tiles.
Image DrawBubble(const Picture& picture, int frame) {
    constexpr int kCanvasWidth = 187, kCanvasHeight = 140, kTextWidth = 155, kTextHeight = 75;
    constexpr int kLift = 10, kRadius = 10, kTail = 16;
    const int w = picture.width;
    const int h = picture.height;
    const bool above = frame == 1 || frame == 4;
    // The text canvas on this frame, and the body a margin round it.
    const int textLeft = (kCanvasWidth - kTextWidth) / 2 - (kCanvasWidth - w) / 2;
    const int textTop =
        (kCanvasHeight - kTextHeight) / 2 - (kCanvasHeight - h) / 2 + (above ? kLift : 0);
    const int left = std::max(0, textLeft - 5);
    const int right = std::min(w - 1, textLeft + kTextWidth + 4);
    const int top = std::max(0, textTop - 4);
    const int bottom = std::min(h - 1, textTop + kTextHeight + 3);
    // The tail: a base along the body's edge and a tip on the frame's edge.
    struct Tail {
        int from, to, tipX;
    };
    const Tail tails[] = {{right - kRadius - 2 * kTail, right - kRadius, w - 1},
                          {right - kRadius - 2 * kTail, right - kRadius, w - 1},
                          {0, 0, 0},
                          {left + kRadius, left + kRadius + 2 * kTail, 0},
                          {right - kRadius - 2 * kTail, right - kRadius, w - 1}};
    const Tail tail = tails[std::clamp(frame, 0, 4)];
    const int baseY = above ? top + 2 : bottom - 2;
    const int tipY = above ? 0 : h - 1;
    auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            return false;
        }
        const int dx = std::max({left + kRadius - x, x - (right - kRadius), 0});
        const int dy = std::max({top + kRadius - y, y - (bottom - kRadius), 0});
        if (x >= left && x <= right && y >= top && y <= bottom &&
            dx * dx + dy * dy <= kRadius * kRadius) {
            return true;
        }
        // Between the tail's sides, from its base to its tip.
        if (tail.to == tail.from || (y - baseY) * (tipY - baseY) < 0 ||
            std::abs(y - baseY) > std::abs(tipY - baseY)) {
            return false;
        }
        const double t = static_cast<double>(y - baseY) / (tipY - baseY);
        return x >= tail.from + (tail.tipX - tail.from) * t - 0.5 &&
               x <= tail.to + (tail.tipX - tail.to) * t + 0.5;
    };
    Ground ground(w, h, kClear);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!inside(x, y)) {
                continue;
            }
            // A dark outline, a lit line inside it, then the body.
            const bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            const bool rim =
                !inside(x - 2, y) || !inside(x + 2, y) || !inside(x, y - 2) || !inside(x, y + 2);
            ground.Fill(x, y, 1, 1, edge ? kBubbleEdge : rim ? kBubbleRim : kBubble);
        }
    }
    return ground.Take();
}

// A dialog's body; a caption is its title, lettered in the band across its
// top that the result dialog leaves bare above its panels, over a rule.
Image DrawResultBody(const Picture& picture) {
    const int w = picture.width;
    const int border = std::min(kDialogBorderWidth, std::min(w, picture.height) / 4);
    Ground ground(w, picture.height, kDialogBody);
    ground.Border(border, kDialogBorder);
    const int band = std::min(kTitleBand, picture.height / 4);
    const Lettering title = LetterCaption(picture.caption, w - 4 * border, band * 3 / 8);
    if (!title.Empty()) {
        constexpr int kRuleGap = 8, kRule = 2;
        const int y = border + (band - border - (title.height + kRuleGap + kRule)) / 2;
        ground.Letters(title, (w - title.width) / 2, y, kDialogBorder);
        ground.Fill(w / 4, y + title.height + kRuleGap, w / 2, kRule, kMarkRule);
    }
    return ground.Take();
}

}  // namespace

bool IsTextGround(std::string_view name) {
    for (std::string_view ground :
         {"SystemChatBox1", "SystemChatBox2", "SystemChatBox3", "bitHistoryTitle",
          "SystemUserListBar", "UserListBlock", "bit_Result_BK", "list_title", "list_itemBK",
          "list_item01", "PlayerBoardSmall", "聊天泡泡背景", "InputBarBoxBK", "bit_gamesetboard",
          "自动补银框"}) {
        if (name == ground) {
            return true;
        }
    }
    return false;
}

Image DrawTextGround(const Picture& picture, int frame) {
    const std::string_view name = picture.name;
    if (name == "list_itemBK") {
        return DrawResultRow(picture, frame);
    }
    if (name == "UserListBlock") {
        return DrawPlayersRow(picture, frame);
    }
    if (name == "bitHistoryTitle" || name == "SystemUserListBar" || name == "list_title") {
        return Ground(picture.width, picture.height, kHeader).Take();
    }
    if (name == "PlayerBoardSmall") {
        return DrawBoard(picture, kBoards[std::clamp(frame, 0, 2)], kBoardEdge);
    }
    if (name == "聊天泡泡背景") {
        return DrawBubble(picture, frame);
    }
    if (name == "bit_Result_BK" || name == "bit_gamesetboard" || name == "自动补银框") {
        return DrawResultBody(picture);
    }
    // The chat pane's slices, the result's footer and the chat's input field.
    return Ground(picture.width, picture.height, kPaper).Take();
}

}  // namespace regional_skin
