#pragma once
// The seat board of the regional table: one per screen position, made by
// the regional table view. It keeps the seat board's look and adds the
// chat bubble a player's line shows in beside the seat, and its own offline
// marker ("bit_Duan" with the "animation_Offline" blink).
//
// Rules:
//  - The board is a CSeatBoard in every other respect: the view drives it
//    through the base's operations.
//  - Text handed to the bubble is copied; the caller's buffer may die after
//    the call.

#include <string>

#include "mahjong_client/table/SeatBoard.h"

class CPlayerBoardSmall : public CSeatBoard {
public:
    static constexpr char kOfflineAnimation[] = "animation_Offline";

    CPlayerBoardSmall() = default;
    ~CPlayerBoardSmall() override = default;

    // Shows the line a player said beside the seat.
    void ShowChatBubble(std::string text);
    // The offline marker of the seat (1 on, 0 off).
    void SetOffline(int flag) override;

    // The last line handed to the bubble ("" before the first).
    const std::string& GetBubbleText() const { return bubbleText_; }

private:
    std::string bubbleText_;
};
