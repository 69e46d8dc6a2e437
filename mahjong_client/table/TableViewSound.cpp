// Sounds, voices and the background music of the table.
#include "mahjong_client/table/MahjongTableView.h"

void CMahjongTableView::PlaySound(const char* /*name*/) {}
std::string CMahjongTableView::GetVoiceFile(int /*position*/, int /*tileId*/) {
    return {};
}
std::string CMahjongTableView::GetVoiceFileByName(int /*position*/, const char* /*name*/) {
    return {};
}
int CMahjongTableView::GetVoiceIndex(int /*tileId*/) const {
    return -1;
}
const char* CMahjongTableView::GetOperationSoundName(int /*kind*/) const {
    return "";
}
void CMahjongTableView::PlayBackgroundMusic() {}
