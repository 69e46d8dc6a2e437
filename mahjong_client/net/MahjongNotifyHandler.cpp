#include "mahjong_client/net/MahjongNotifyHandler.h"

#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"

void CMahjongNotifyHandler::OnNotify(int32_t id, const void* data, size_t length) {
    CGameNotifyHandler::OnNotify(id, data, length);
}

void CMahjongNotifyHandler::RecordLastNotify(int32_t id, const void* data, size_t length) {
    CGameNotifyHandler::RecordLastNotify(id, data, length);
}

void CMahjongNotifyHandler::OnTableBlock(Record block) {
    OnEmbeddedHandStart(block);
}
void CMahjongNotifyHandler::OnPlayerStarted(Record) {}
void CMahjongNotifyHandler::OnCardThrown(Record) {}
void CMahjongNotifyHandler::OnSeatDraw(Record) {}
void CMahjongNotifyHandler::OnGangHuNotice(Record) {}
void CMahjongNotifyHandler::OnPengNotice(Record) {}
void CMahjongNotifyHandler::OnGangNotice(int32_t, Record) {}
void CMahjongNotifyHandler::OnCardsHua(Record) {}
void CMahjongNotifyHandler::OnAutoPlayStatus(Record) {}
void CMahjongNotifyHandler::OnLookCardAsk(Record) {}
void CMahjongNotifyHandler::OnLookCardReply(Record) {}
void CMahjongNotifyHandler::OnIgnoredNotify(int32_t, Record) {}

std::span<const int32_t> CMahjongNotifyHandler::MahjongIds() {
    return {};
}

CMahjongApp* CMahjongNotifyHandler::MahjongApp() const {
    return CMahjongApp::CurrentMahjongApp();
}

CMahjongTableView* CMahjongNotifyHandler::TableView() const {
    CMahjongApp* app = MahjongApp();
    return app != nullptr ? app->GetMahjongTableView() : nullptr;
}

CMahjongTableData* CMahjongNotifyHandler::TableData() const {
    CMahjongApp* app = MahjongApp();
    return app != nullptr ? app->GetMahjongTableData() : nullptr;
}

bool CMahjongNotifyHandler::IsSeatChair(int32_t, int32_t) const {
    return false;
}
