// The end of a hand on the regional table: the result dialog, its closing
// and time-out, and the next hand.
#include "engine/CorvanePicture.h"
#include "game/result/GameResultDlg.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"

namespace {

constexpr int kWinSound = 11;

}  // namespace

void CRegionalTableView::OnRoundEnd(NotifyRecord record) {
    WriteHandScoreText();
    ShowResult(record);
    CMahjongTableView::OnRoundEnd(record);
    CMahjongTableData* data = GetMahjongTableData();
    const int winner = data != nullptr ? data->GetWinnerChair() : -1;
    if (winner != -1) {
        GetVoiceFileByName(ChairToPosition(winner), GetOperationSoundName(kWinSound));
    }
}

void CRegionalTableView::ShowResult(NotifyRecord record) {
    CGameResultDlg* dialog = GetResultDlg();
    if (dialog == nullptr) {
        return;
    }
    dialog->SetResult(record);
    dialog->Show();
    dialog->Invalidate();
}

void CRegionalTableView::OnResultClosed() {
    HidePart(GetResultDlg());
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app != nullptr && app->IsGamePlaying()) {
        return;
    }
    const bool lookingOn = IsLookingOn();
    if (app == nullptr || !app->IsMatch()) {
        ClearTable();
        if (!lookingOn) {
            ShowPart(GetStartButton());
            ShowPart(FindPictureById(sloganPictureId_));
        }
        AutoApplyWelfare();
    }
    RefreshBoardsOfPlayers();
    if (!lookingOn) {
        PostEventAfter(kAutoFixCheckMs, MakeEventRecord(GetId(), kEventCheckAutoFix, 0, 0));
    }
}

void CRegionalTableView::OnResultTimeout() {
    CGameFrameApp* app = CGameFrameApp::Current();
    if ((app != nullptr && app->IsGamePlaying()) || IsLookingOn() ||
        (app != nullptr && app->IsReplayMode())) {
        return;
    }
    HidePart(GetResultDlg());
    ClearTable();
    RefreshBoardsOfPlayers();
    StartGame();
}
