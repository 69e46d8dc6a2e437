// The frame view's program events: one table from event id to action, the
// rest to the engine view. Events that carry a pointer do nothing when it is
// null; heap blocks the view owns are freed once, whatever the action did.
// Also the match event queue the match end and result notifications go
// through.

#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "engine/EngineEvents.h"
#include "engine/ui/CorvaneEventQueue.h"
#include "frame/GameFrameApp.h"
#include "frame/view/GameFrameView.h"
#include "platform/Messages.h"
#include "platform/Thread.h"
#include "zep/ZepLog.h"

namespace {

// Longest reason a force-quit answer may carry, terminator included.
constexpr size_t kReasonBlockBytes = 64;
// The queued match records: the end (211190) and the result (211191).
constexpr size_t kMatchEndBytes = 40;
constexpr size_t kMatchResultBytes = 224;

struct Point {
    int x = 0;
    int y = 0;
};

// The point {x, y} a pointer parameter carries; false for null.
bool ReadPoint(intptr_t param, Point& out) {
    if (param == 0) {
        return false;
    }
    const auto* words = EventParamPointer<const int32_t>(param);
    out.x = words[0];
    out.y = words[1];
    return true;
}

}  // namespace

int CGameFrameView::OnEvent(const EventRecord& record) {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameConnection* connection = app != nullptr ? app->GetConnection() : nullptr;
    switch (record.event) {
        case kEventMatchBeginRequest:
            if (connection != nullptr) {
                connection->Request201221();
            }
            return 1;
        case kEventForceQuitConfirm: {
            auto* reason = EventParamPointer<char>(record.param1);
            const size_t limit =
                record.param2 > 0 ? static_cast<size_t>(record.param2) : kReasonBlockBytes;
            const std::string_view text = reason != nullptr
                                              ? std::string_view(reason, strnlen(reason, limit))
                                              : std::string_view();
            if (connection != nullptr) {
                connection->RequestExit(text);
            }
            if (CGameTableData* data = app != nullptr ? app->GetTableData() : nullptr) {
                data->SetExitRequestCount(data->GetExitRequestCount() + 1);
                data->SetExitRequestTick(platform::GetTickCount32());
            }
            FreeEventBlock(reason);
            forceQuitBoxId_ = 0;
            return 1;
        }
        case kEventForceQuitCancel:
            forceQuitBoxId_ = 0;
            return 1;
        case kEventExitAnswer:
            if (connection != nullptr) {
                connection->AnswerExitRequest(static_cast<int32_t>(record.param1),
                                              static_cast<int32_t>(record.param2));
            }
            return 1;
        case kEventEliminationRound:
            SendRoundRequest();
            return 1;
        case kEventMatchEndQueued:
        case kEventMatchResultQueued: {
            auto* body = EventParamPointer<uint8_t>(record.param1);
            const size_t length = record.param2 > 0 ? static_cast<size_t>(record.param2) : 0;
            if (auto* queue = FindPart<CCorvaneEventQueue>(eventQueueId_)) {
                queue->Next();
                if (body != nullptr) {
                    if (record.event == kEventMatchEndQueued) {
                        ShowMatchEnd(body, length);
                    } else {
                        ShowMatchResult(body, length);
                    }
                }
            }
            FreeEventBlock(body);
            return 1;
        }
        case kEventSignUp:
            SignUpForMatch();
            return 1;
        case kEventGiveUp:
            GiveUpMatch();
            return 1;
        case kEventCardShop:
            OpenShopItem(detailCharacterId_);
            return 1;
        case kEventPlayerCard:
            OnPlayerCardEvent(detailUserId_);
            return 1;
        case kEventMatchCountdown:
            UpdateMatchCountdown();
            return 1;
        case kEventSeatBoardEnter: {
            Point point;
            if (ReadPoint(record.param2, point)) {
                ShowPlayerCard(static_cast<int32_t>(record.param1), point.x, point.y);
            }
            return 1;
        }
        case kEventSeatBoardLeave: {
            const InputState* input = InputStateOf(record);
            if (input != nullptr &&
                (detailCanvasId_ == 0 || input->mouseTarget != detailCanvasId_)) {
                FadeOutPlayerCard(static_cast<int32_t>(record.param1));
            }
            return 1;
        }
        case kEventCardEnter:
            if (detailCardPinned_ == 0) {
                if (CCorvaneObject* card = FindPart<CCorvaneObject>(detailCanvasId_)) {
                    StopObjectActions(card->GetId());
                    AlphaAction(card, 0.2, 1.0, GetMinActionInterval(), nullptr);
                }
            }
            return 1;
        case kEventCardLeave: {
            Point point;
            if (!ReadPoint(record.param2, point) || detailCardPinned_ != 0) {
                return 1;
            }
            CCorvaneObject* card = FindPart<CCorvaneObject>(detailCanvasId_);
            const bool inside = card != nullptr && point.x >= card->GetLeft() &&
                                point.x < card->GetRight() && point.y >= card->GetTop() &&
                                point.y < card->GetBottom();
            if (!inside) {
                FadeOutPlayerCard(detailUserId_);
            }
            return 1;
        }
        case kEventCardClose:
            detailCardPinned_ = 0;
            if (CCorvaneObject* card = FindPart<CCorvaneObject>(detailCanvasId_)) {
                card->Hide();
                card->Invalidate();
            }
            return 1;
        case kEventSettingsButton:
            OpenSettings();
            return 1;
        case kEventHelpButton:
            OpenHelp();
            return 1;
        case kEventShopButton:
            OpenShop();
            return 1;
        case kEventCloseButton:
            platform::PostMessage(MainWindow(), platform::kMsgClose, 0, 0);
            return 1;
        case kEventConfirmLeave:
            LeaveAndClose();
            return 1;
        case kEventCloseWindow:
            ConfirmCloseAndPost();
            return 1;
        case kEventHoverOn:
            hover_ = 1;
            return 1;
        case kEventHoverOff:
            hover_ = 0;
            return 1;
        case kEventToggleMaximize:
            ToggleMaximize();
            return 1;
        case kEventMinimize:
            Minimize();
            return 1;
        case kEventTopBarDrag:
            DragMove();
            return 1;
        case kEventDragBegin: {
            Point point;
            if (ReadPoint(record.param2, point)) {
                BeginDrag(point.x, point.y);
            }
            return 1;
        }
        case kEventDragEnd:
            EndDrag();
            return 1;
        case kEventAwardPage:
            OpenAwardPage();
            return 1;
        case kEventExchangePage:
            OpenExchangePage();
            return 1;
        default:
            return CCorvaneView::OnEvent(record);
    }
}

// --- the match event queue ---

namespace {

// Queues a zeroed block of `size` bytes holding what the record has of it.
void QueueMatchRecord(CCorvaneEventQueue* queue, int target, int event, const uint8_t* record,
                      size_t length, size_t size) {
    if (queue == nullptr) {
        ZepLog("match record for event %d dropped: no event queue", event);
        return;
    }
    uint8_t block[kMatchResultBytes] = {};
    if (record != nullptr) {
        std::memcpy(block, record, std::min(length, size));
    }
    queue->Push(target, event, block, static_cast<int>(size));
}

}  // namespace

void CGameFrameView::OnServerNotice211190(const uint8_t* record, size_t length) {
    if (actionGroup_ != 0) {
        StopGroupActions(actionGroup_);
        actionGroup_ = 0;
    }
    QueueMatchRecord(FindPart<CCorvaneEventQueue>(eventQueueId_), GetId(), kEventMatchEndQueued,
                     record, length, kMatchEndBytes);
}

void CGameFrameView::OnServerNotice211191(const uint8_t* record, size_t length) {
    QueueMatchRecord(FindPart<CCorvaneEventQueue>(eventQueueId_), GetId(), kEventMatchResultQueued,
                     record, length, kMatchResultBytes);
}

bool CGameFrameView::IsPlayerCardShownFor(int32_t userId) {
    CCorvaneObject* card = FindPart<CCorvaneObject>(detailCanvasId_);
    return card != nullptr && card->IsVisible() != 0 && detailUserId_ == userId;
}
