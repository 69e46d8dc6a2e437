// The end-of-hand score lines of the regional table and its Chinese
// numerals.
#include "frame/GameFrameApp.h"
#include "game/result/ResultSheet.h"
#include "game/result/ScoreText.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"

score_text::HandScoreFacts CRegionalTableView::CollectHandScoreFacts() {
    score_text::HandScoreFacts facts;
    facts.seatCount = 0;
    CGameFrameApp* app = CGameFrameApp::Current();
    CMahjongTableData* data = GetMahjongTableData();
    ResultSheet sheet;
    if (app == nullptr || data == nullptr || !sheet.Read(data->GetGameResult())) {
        return facts;
    }
    facts.silverRoom = app->IsSilverRoom();
    facts.ownChair = app->GetMyChairNo();
    facts.seatCount = GetSeatCount();
    for (int chair = 0; chair < ResultSheet::kSeats; ++chair) {
        const size_t c = static_cast<size_t>(chair);
        facts.names[c] = app->GetChairUserName(chair);
        facts.silverChange[c] = sheet.silverChange[c];
        facts.scoreChange[c] = sheet.scoreChange[c];
    }
    return facts;
}

void CRegionalTableView::WriteHandScoreText() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr) {
        return;
    }
    for (const std::string& line : score_text::HandScoreLines(CollectHandScoreFacts())) {
        app->AppendChatText(line);
    }
}

std::string& CRegionalTableView::FormatChineseNumber(std::string& out, int n) {
    out = score_text::ChineseNumber(n);
    return out;
}
