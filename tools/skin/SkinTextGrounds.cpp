#include "tools/skin/SkinTextGrounds.h"

#include <algorithm>
#include <cstdint>

#include "tools/skin/SkinColours.h"

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
// The seat boards: plain, the seat whose turn it is, pointed at; and the
// chat bubbles. Light names read on them.
constexpr uint32_t kBoards[] = {Rgb(0x2c, 0x3e, 0x58), Rgb(0x6a, 0x3a, 0x14),
                                Rgb(0x3a, 0x50, 0x70)};
constexpr uint32_t kBoardEdge = Rgb(0x14, 0x1c, 0x28);
constexpr uint32_t kBubble = Rgb(0x24, 0x2c, 0x3a);
constexpr uint32_t kBubbleEdge = Rgb(0x10, 0x14, 0x1c);

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

Image DrawResultBody(const Picture& picture) {
    Ground ground(picture.width, picture.height, kDialogBody);
    ground.Border(std::min(kDialogBorderWidth, std::min(picture.width, picture.height) / 4),
                  kDialogBorder);
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
        return DrawBoard(picture, kBubble, kBubbleEdge);
    }
    if (name == "bit_Result_BK" || name == "bit_gamesetboard" || name == "自动补银框") {
        return DrawResultBody(picture);
    }
    // The chat pane's slices, the result's footer and the chat's input field.
    return Ground(picture.width, picture.height, kPaper).Take();
}

}  // namespace regional_skin
