// The end-of-hand score lines of the regional table and its Chinese
// numerals.
#include "frame/GameFrameApp.h"
#include "game/result/ResultSheet.h"
#include "game/result/ScoreText.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongTableData.h"

void CRegionalTableView::WriteHandScoreText() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CMahjongTableData* data = GetMahjongTableData();
    if (app == nullptr || data == nullptr) {
        return;
    }
    ResultSheet sheet;
    if (!sheet.Read(data->GetGameResult())) {
        return;
    }
    score_text::HandScoreFacts facts;
    facts.silverRoom = app->IsSilverRoom();
    facts.ownChair = app->GetMyChairNo();
    facts.seatCount = GetSeatCount();
    for (int chair = 0; chair < ResultSheet::kSeats; ++chair) {
        const size_t c = static_cast<size_t>(chair);
        facts.names[c] = app->GetChairUserName(chair);
        facts.silverChange[c] = sheet.silverChange[c];
        facts.scoreChange[c] = sheet.scoreChange[c];
    }
    for (const std::string& line : score_text::HandScoreLines(facts)) {
        app->AppendChatText(line);
    }
}

std::string& CRegionalTableView::FormatChineseNumber(std::string& out, int n) {
    out = score_text::ChineseNumber(n);
    return out;
}
