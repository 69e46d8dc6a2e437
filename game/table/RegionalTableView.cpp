// The regional table view's construction, its factories and parts, the
// heap records its events carry, and the plain operations other code
// calls directly.
#include "game/table/RegionalTableView.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneCursor.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineCursors.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneButton.h"
#include "game/result/GameResultDlg.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalCardSprite.h"
#include "mahjong_client/MahjongApp.h"
#include "zep/ZepLog.h"

int g_bBaoJiao[4] = {};
int32_t g_TingCandidates[32] = {};
RegionalSwapRecord g_SwapRecord;

namespace {

constexpr char kBaoJiaoImage[] = "bit_baojiao";

template <class T>
T* FindPart(CCorvaneVisual& owner, int id) {
    return id != 0 ? dynamic_cast<T*>(owner.FindObjectById(id)) : nullptr;
}

}  // namespace

CRegionalTableView::CRegionalTableView() {
    playerCount_ = kPositions;
    seatCount_ = kPositions;
    std::fill(std::begin(g_TingCandidates), std::end(g_TingCandidates), -1);
}

CRegionalTableView::~CRegionalTableView() = default;

// ---- Factories ----

CCardSprite* CRegionalTableView::NewCardSprite() {
    return new (std::nothrow) CRegionalCardSprite;
}

void CRegionalTableView::CreateCardSprites() {
    // The whole pool, whatever the tile set's size: the wall takes 108 and
    // the melds and rows draw from the rest.
    CreateCardSpritesUpTo(kCardPoolSize);
}

CSeatBoard* CRegionalTableView::NewSeatBoard() {
    return new (std::nothrow) CPlayerBoardSmall;
}

void CRegionalTableView::CreateSeatBoards(int count) {
    CMahjongTableView::CreateSeatBoards(count);
}

int CRegionalTableView::AdoptPart(CCorvaneObject* part) {
    if (part == nullptr) {
        return 0;
    }
    if (IsRegistered() != 0) {
        Register(part);
    }
    if (part->GetId() == 0) {
        delete part;
        return 0;
    }
    return part->GetId();
}

int CRegionalTableView::MakeRegionalButton(const char* image, int event) {
    return MakeTableButton(image, event);
}

void CRegionalTableView::CreateDecorations() {
    if (setDlgId_ == 0) {
        setDlgId_ = AdoptPart(NewGameSetDlg());
        HidePart(GetSetDlg());
    }
    if (resultDlgId_ == 0) {
        resultDlgId_ = AdoptPart(new (std::nothrow) CGameResultDlg);
        HidePart(GetResultDlg());
    }
    if (autoFixDlgId_ == 0) {
        autoFixDlgId_ = AdoptPart(NewAutoFixDlg());
        HidePart(GetAutoFixDlg());
    }
    soundScale_ = static_cast<float>(SoundVolumeSetting()) / 100.0f;
    musicScale_ = static_cast<float>(MusicVolumeSetting()) / 100.0f;
    CreateVoiceBox();
    CreateSwapInfoCanvas();
    ShowPart(GetQrChargeButton());
    ShowPart(GetAutoFixButton());
    if (IsRegistered() != 0) {
        // A skin without the picture gives empty badges.
        const FrameRecord badge = GetResourceFrame(kBaoJiaoImage, 0);
        for (int& id : baoJiaoBadgeIds_) {
            if (id != 0) {
                continue;
            }
            if (CCorvanePicture* picture = CreatePicture(badge)) {
                picture->SetZ(kBadgeDepth);
                picture->Hide();
                id = picture->GetId();
            }
        }
    }
    CMahjongTableView::CreateDecorations();
}

void CRegionalTableView::CreateCursor() {
    if (cursorId_ != 0 || IsRegistered() == 0) {
        return;
    }
    cursorId_ = AdoptPart(new (std::nothrow) CCorvaneCursor);
    CCorvaneCursor* cursor = GetCursor();
    if (cursor == nullptr) {
        return;
    }
    SetInputTarget(cursor->GetId());
    const EventRecord toggle = MakeEventRecord(GetId(), kEventToggleAutoPlay, 0, 0);
    BindInputTargetEvent(kEventRButtonDown, toggle);
    BindInputTargetEvent(kEventLButtonDown, toggle);
    BindInputTargetEvent(kEventMouseMove, MakeEventRecord(GetId(), kEventPointerMoved, 0, 0));
    BindInputTargetEvent(kEventMouseLeaveWindow,
                         MakeEventRecord(GetId(), kEventPointerMoved, 1, 0));
    cursor->LoadCursorResource(kNormalCursorResource, 0);
    cursor->LoadCursorResource(kHandCursorResource, 1);
    cursor->SetCursorById(0);
}

// ---- Seats ----

void CRegionalTableView::RefreshSeatBoards() {
    CMahjongTableView::RefreshSeatBoards();
    if (CGameFrameApp* app = CGameFrameApp::Current()) {
        app->NotifyAdvertBar();
    }
    if (!IsLookingOn()) {
        SendSeatInfoRequest();
    }
}

void CRegionalTableView::OnEnterRoom() {
    CMahjongTableView::OnEnterRoom();
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || !app->IsOfflineMode()) {
        return;
    }
    for (int chair = 0; chair < kPositions; ++chair) {
        if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
            board->SetPlayer(chair);
        }
    }
    ShowPart(GetStartButton());
    ShowPart(FindPictureById(sloganPictureId_));
}

void CRegionalTableView::RefreshBoardsOfPlayers() {
    CGameFrameApp* app = CGameFrameApp::Current();
    for (int chair = 0; chair < playerCount_; ++chair) {
        if (app == nullptr || !app->IsChairOccupied(chair)) {
            continue;
        }
        if (CSeatBoard* board = GetSeatBoard(ChairToPosition(chair))) {
            board->SetPlayer(chair);
            // A seat that started while the result showed keeps its mark.
            ShowReadyMarkIfStarted(chair, *board);
        }
    }
}

void CRegionalTableView::RequestWelfareConfig(int32_t activityId) {
    welfare_.RequestWelfareConfig(activityId);
}

void CRegionalTableView::ClaimWelfare(int32_t activityId, int32_t kind) {
    welfare_.ClaimWelfare(activityId, kind);
}

void CRegionalTableView::RunAutomaticWelfareClaim() {
    AutoApplyWelfare();
}

bool CRegionalTableView::IsGameInProgress() {
    CGameFrameApp* app = CGameFrameApp::Current();
    return app != nullptr && app->IsGamePlaying();
}

void CRegionalTableView::StartGame() {
    CMahjongTableView::StartGame();
}

// ---- Parts ----

void CRegionalTableView::HidePart(CCorvaneObject* part) {
    if (part != nullptr) {
        part->Hide();
        part->Invalidate();
    }
}

void CRegionalTableView::ShowPart(CCorvaneObject* part) {
    if (part != nullptr) {
        part->Show();
        part->Invalidate();
    }
}

void CRegionalTableView::OpenPart(CCorvaneObject* part, double depth) {
    if (part == nullptr) {
        return;
    }
    part->SetZ(depth);
    for (CCorvaneObject* dialog : std::array<CCorvaneObject*, 4>{
             GetResultDlg(), GetSetDlg(), GetAutoFixDlg(), GetSecurePwdDlg()}) {
        if (dialog != nullptr && dialog != part && dialog->IsVisible() != 0 &&
            dialog->GetZ() >= part->GetZ()) {
            part->SetZ(dialog->GetZ() + 1.0);
        }
    }
    LendKeyboard(part->GetId());
    ShowPart(part);
}

CCorvaneCanvas* CRegionalTableView::GetSwapInfoPanel() {
    return FindCanvasById(swapInfoPanelId_);
}

CCorvaneObject* CRegionalTableView::GetVoicePhraseList() {
    return FindPart<CCorvaneObject>(*this, voicePhraseListId_);
}

CCorvaneButton* CRegionalTableView::GetVoiceButton() {
    return FindButton(voiceButtonId_);
}

CCorvaneButton* CRegionalTableView::GetSwapChoiceButton() {
    return FindButton(swapChoiceButtonId_);
}

CCorvaneButton* CRegionalTableView::GetSwapInfoShowButton() {
    return FindButton(swapInfoShowButtonId_);
}

CCorvaneButton* CRegionalTableView::GetSwapInfoHideButton() {
    return FindButton(swapInfoHideButtonId_);
}

CCorvaneButton* CRegionalTableView::GetQrChargeButton() {
    return FindButton(qrChargeButtonId_);
}

CCorvaneButton* CRegionalTableView::GetAutoFixButton() {
    return FindButton(autoFixButtonId_);
}

CCorvaneButton* CRegionalTableView::GetTingButton() {
    return FindButton(tingButtonId_);
}

CCorvaneButton* CRegionalTableView::GetWelfareButton() {
    return FindButton(welfareButtonId_);
}

CCorvaneObject* CRegionalTableView::GetVoiceBox() {
    return FindPart<CCorvaneObject>(*this, voiceBoxId_);
}

CCorvaneObject* CRegionalTableView::GetSecurePwdDlg() {
    return FindPart<CCorvaneObject>(*this, securePwdDlgId_);
}

CCorvaneObject* CRegionalTableView::GetAutoFixDlg() {
    return FindPart<CCorvaneObject>(*this, autoFixDlgId_);
}

CCorvaneObject* CRegionalTableView::GetSetDlg() {
    return FindPart<CCorvaneObject>(*this, setDlgId_);
}

CGameResultDlg* CRegionalTableView::GetResultDlg() {
    return FindPart<CGameResultDlg>(*this, resultDlgId_);
}

CCorvaneCursor* CRegionalTableView::GetCursor() {
    return FindPart<CCorvaneCursor>(*this, cursorId_);
}

CCorvanePicture* CRegionalTableView::GetBaoJiaoBadge(int position) {
    if (position < 0 || position >= kPositions) {
        return nullptr;
    }
    return FindPictureById(baoJiaoBadgeIds_[static_cast<size_t>(position)]);
}

CCorvanePicture* CRegionalTableView::GetHuPicture(int position) {
    if (position < 0 || position >= kPositions) {
        return nullptr;
    }
    return FindPictureById(huPictureIds_[static_cast<size_t>(position)]);
}

CCorvanePicture* CRegionalTableView::GetMeldAnimation() {
    return FindPictureById(meldAnimationId_);
}

CPlayerBoardSmall* CRegionalTableView::GetPlayerBoard(int position) {
    return dynamic_cast<CPlayerBoardSmall*>(GetSeatBoard(position));
}

CRegionalCardSprite* CRegionalTableView::GetRegionalSprite(int poolIndex) {
    return dynamic_cast<CRegionalCardSprite*>(GetCardSprite(poolIndex));
}

// ---- Heap records carried by events ----

bool CRegionalTableView::PostHeapEvent(int event, intptr_t first, const void* bytes, size_t size,
                                       uint32_t delayMs) {
    const uint32_t token = nextRecordToken_++;
    std::vector<uint8_t>& copy = pendingRecords_[token];
    if (bytes != nullptr && size > 0) {
        const auto* from = static_cast<const uint8_t*>(bytes);
        copy.assign(from, from + size);
    }
    const EventRecord record = MakeEventRecord(GetId(), event, first, static_cast<intptr_t>(token));
    if (PostEventAfter(delayMs, record) == 0) {
        pendingRecords_.erase(token);
        return false;
    }
    return true;
}

bool CRegionalTableView::TakeEventRecord(const EventRecord& record, std::vector<uint8_t>& bytes) {
    if (record.param2 <= 0 || record.param2 > UINT32_MAX) {
        return false;
    }
    auto it = pendingRecords_.find(static_cast<uint32_t>(record.param2));
    if (it == pendingRecords_.end()) {
        return false;
    }
    bytes = std::move(it->second);
    pendingRecords_.erase(it);
    return true;
}

// ---- Plain operations ----

int CRegionalTableView::FindMaxIndex(const int* values, int from, int to) {
    if (values == nullptr || to - from < 1) {
        return from;
    }
    int best = from;
    for (int i = from + 1; i < to; ++i) {
        if (values[i] > values[best]) {
            best = i;
        }
    }
    return best;
}
