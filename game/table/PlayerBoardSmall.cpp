#include "game/table/PlayerBoardSmall.h"

#include <utility>

#include "zep/ZepLog.h"

void CPlayerBoardSmall::ShowChatBubble(std::string text) {
    bubbleText_ = std::move(text);
    ZepLog("seat board %d: chat bubble not shown yet (%zu bytes)", GetPosition(),
           bubbleText_.size());
}

void CPlayerBoardSmall::SetOffline(int flag) {
    CSeatBoard::SetOffline(flag);
}
