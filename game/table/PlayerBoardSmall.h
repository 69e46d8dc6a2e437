#pragma once
// The seat board of the regional table: one per screen position, made by
// the regional table view. It keeps the seat board's look and changes five
// things: the board is placed at the table's edge and its ready mark beside
// it, where no tile lies, the highlighted frame is never used, the auto-play and
// offline icons blink three times and stop, resetting the flowers hides the
// ready mark, and every board owns a chat bubble. The bubble shows the line
// a player said for five seconds near the seat, off the wall and the rows;
// emoticon codes in the line ("#" and two double-byte characters) become
// animated pictures.
//
// Rules:
//  - The board is a CSeatBoard in every other respect: the view drives it
//    through the base's operations.
//  - The bubble's canvases and pictures are engine objects held by id; a
//    part that is gone is skipped, never touched.
//  - A main game rectangle lower than 600 pixels shows no bubble; a Layout
//    at such a height hides the one shown.
//  - Every call replaces the bubble shown (its timer stopped, its pictures
//    destroyed); the bubble goes 5000 ms after the last call.
//  - Text is GBK: a double-byte character is never split, a lead byte at
//    the text's end is dropped, and at most 127 bytes are laid out.
//  - Everything runs on the UI thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mahjong_client/table/SeatBoard.h"

class CCorvaneCanvas;

class CPlayerBoardSmall : public CSeatBoard {
public:
    static constexpr int kBubbleWidth = 187;
    static constexpr int kBubbleHeight = 140;
    static constexpr int kBubbleTextWidth = 155;
    static constexpr int kBubbleTextHeight = 75;
    static constexpr uint32_t kBubbleLifeMs = 5000;
    // Below this main game height no bubble is shown.
    static constexpr int kBubbleMinHeight = 600;
    // Text rows and emoticons wrap at this x; rows are this high.
    static constexpr int kBubbleWrapX = 160;
    static constexpr int kBubbleRowHeight = 48;
    static constexpr int kEmoticonSize = 48;
    // The bubble lays out at most this many bytes of a line.
    static constexpr size_t kBubbleTextBytes = 127;
    static constexpr char kBubbleBackground[] = "聊天泡泡背景";

    CPlayerBoardSmall();
    ~CPlayerBoardSmall() override;

    // The bubble's end event ends it; everything else is the seat board's.
    int OnEvent(const EventRecord& record) override;
    void CreateObjects(int position) override;
    void Redraw() override;
    void Layout() override;
    void PlaceReadyMark() override;
    void ResetFlowers() override;

    // Shows the line beside the seat for five seconds.
    void ShowChatBubble(std::string text);
    // Places the bubble for the board's position (its visibility kept):
    // the drawn bubble nearest the board where it covers no discard place,
    // thrown tile, row, seat board, operation button, win mark, clock or
    // deposit panel, and the wall only where no room of its size is left
    // beside it.
    void PlaceBubble();
    // The rectangle of the bubble canvas that the seat's bubble picture
    // covers, in the canvas's pixels (the whole canvas without it).
    IntRect GetBubbleFrameRect();
    // 1 when the text holds "#" and one of the emoticon codes.
    static int HasEmoticonCode(std::string_view text);

    // The next token of the buffer (a zero-terminated text of `capacity`
    // bytes): an emoticon code (answers 1) or the run of bytes up to the next
    // "#" (answers 0), written zero-terminated into token (also `capacity`
    // bytes); the rest of the buffer moves to its start. 0 with an empty
    // token for a null or empty buffer. A lead byte just before a "#" or the
    // end stays with its run, never paired with what follows.
    static int NextBubbleToken(char* buffer, char* token, size_t capacity);

    // The last line handed to the bubble ("" before the first).
    const std::string& GetBubbleText() const { return bubbleText_; }
    CCorvaneCanvas* GetBubbleCanvas();
    CCorvaneCanvas* GetBubbleTextCanvas();
    uint64_t GetBubbleTimer() const { return bubbleTimer_; }
    // The emoticon pictures shown, in the order they were placed.
    const std::vector<int>& GetBubblePictureIds() const { return bubblePictures_; }
    // What the last bubble drew on its text canvas: the whole line, or each
    // character LayoutBubbleText placed, with its top-left point.
    struct TextPiece {
        int x = 0;
        int y = 0;
        std::string text;
    };
    const std::vector<TextPiece>& GetTextPieces() const { return textPieces_; }

protected:
    int StatusBlinkCount() const override;

private:
    // Destroys the emoticon pictures and unhooks the text canvas's children.
    void ClearBubbleContent();
    // Lays out a text with emoticon codes on the text canvas.
    void LayoutBubbleText(const std::string& text);
    // Draws each character of the run from (x, y), wrapping at 160.
    void DrawTextRun(std::string_view run, int& x, int& y, int wide, int narrow);
    // The named emoticon at (x, y) of the text canvas, wrapping at 160; 0
    // (x and y unchanged) when it has no picture or would reach past the
    // canvas.
    int PlaceEmoticon(const std::string& name, int& x, int& y);
    // Hides the bubble and drops its content.
    void EndBubble();

    int bubbleCanvasId_ = 0;
    int bubbleTextCanvasId_ = 0;
    uint64_t bubbleTimer_ = 0;
    std::vector<int> bubblePictures_;
    std::string bubbleText_;
    std::vector<TextPiece> textPieces_;
};
