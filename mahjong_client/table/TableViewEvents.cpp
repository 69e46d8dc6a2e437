// The table view's event entry: frame events sent to MainGame and the
// view's own program events, each to its operation by name. Every event is
// answered 1, handled or not; the game view base's entry does not run.
#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "engine/CorvaneObject.h"
#include "engine/EngineEvents.h"
#include "engine/InputModule.h"
#include "frame/GameRecords.h"
#include "frame/RecordFields.h"
#include "mahjong_client/table/MahjongTableView.h"

namespace {

// Frame events that reach the table view.
constexpr int kEventRoundNotice = 80000002;
constexpr int kEventEnteredTable = 80000011;
constexpr int kEventEnteredRunningHand = 80000012;
constexpr int kEventUserEnterTable = 80000014;
constexpr int kEventLookerEnter = 80000015;
constexpr int kEventUserLeaveTable = 80000016;
constexpr int kEventLookerLeave = 80000017;
constexpr int kEventRandomTable = 80000018;
constexpr int kEventOpenSettingsDialog = 80000084;

// The view's own events that carry nothing for a handler.
constexpr int kEventTableStepFirst = 80001107;
constexpr int kEventTableStepLast = 80001114;
constexpr int kEventCardSpriteFirst = 80001117;
constexpr int kEventCardSpriteLast = 80001127;

// The chair of the user record an event carries, or -1 when it carries
// none or too short a one.
int ChairOfUser(const EventRecord& record) {
    const uint8_t* bytes = CGameViewBase::EventRecordBytes(record);
    UserRecord user;
    if (bytes == nullptr ||
        !ReadRecord(std::span(bytes, CGameViewBase::EventRecordLength(record)), user)) {
        return -1;
    }
    return user.chairNo;
}

// Whether the part under the pointer lies over the table and answers the
// press of the button the state holds (a binding of its press, release or
// click): the press is then that part's alone. The tiles are the table's
// own, whatever they answer.
bool TakesPress(CCorvaneObject* part, const InputState& input) {
    static constexpr std::array kLeft{kEventLButtonDown, kEventLButtonUp, kEventClick,
                                      kEventDoubleClick, kEventPressEnd};
    static constexpr std::array kRight{kEventRButtonDown, kEventRButtonUp, kEventRightClick,
                                       kEventPressEnd};
    if (part == nullptr) {
        return false;
    }
    for (CCorvaneObject* o = part; o != nullptr; o = o->GetParent()) {
        if (dynamic_cast<CCardSprite*>(o) != nullptr) {
            return false;
        }
    }
    const std::span<const int> events =
        (input.stateFlags & kInputLeftHeld) != 0 ? std::span<const int>(kLeft) : kRight;
    return std::any_of(events.begin(), events.end(), [part](int event) {
        int index = 0;
        return part->FindNextEventBinding(event, &index) != nullptr;
    });
}

}  // namespace

uint64_t CMahjongTableView::PostTableBlock(int event, const void* data, size_t size,
                                           uint32_t delayMs) {
    void* block = AllocEventBlock(size);
    if (block == nullptr) {
        return 0;
    }
    if (data != nullptr && size > 0) {
        std::memcpy(block, data, size);
    }
    const EventRecord record =
        MakeEventRecord(GetId(), event, EventParam(block), static_cast<intptr_t>(size));
    const uint64_t action = PostEventAfter(delayMs, record);
    if (action == 0) {
        FreeEventBlock(block);
    }
    return action;
}

int CMahjongTableView::OnEvent(const EventRecord& record) {
    const int id = record.event;
    if (id >= kEventTableFirst && id < kEventTableLast) {
        if (id == kEventTableHeapA || id == kEventTableHeapB) {
            // The entry owns the block: it is freed here, once, whether the
            // step took it or not.
            OnTableEvent(record);
            FreeEventBlock(EventParamPointer<void>(record.param1));
            return 1;
        }
        if (id >= kEventTableStepFirst && id <= kEventTableStepLast) {
            OnTableEvent(record);
        } else if (id >= kEventCardSpriteFirst && id <= kEventCardSpriteLast) {
            OnCardSpriteEvent(record);
        } else {
            switch (id) {
                case kEventChiButton:
                    OnChiButton();
                    break;
                case kEventPengButton:
                    OnPengButton();
                    break;
                case kEventGangButton:
                    OnGangButton();
                    break;
                case kEventHuButton:
                    OnHuButton();
                    break;
                case kEventGuoButton:
                    OnGuoButton();
                    break;
                case kEventStartButton:
                    // The player started himself: the result's time-out
                    // does not start him again.
                    ForgetResultTimeout();
                    StartGame();
                    break;
                case kEventAskCardView:
                    OnAskCardView();
                    break;
                case kEventShowSkill:
                    ShowSkillPanel();
                    break;
                case kEventHideSkill:
                    HideSkillPanel();
                    break;
                case kEventVolumeButton:
                    ToggleVolumePanel();
                    break;
                case kEventMusicSlider:
                    OnMusicVolumeChanged();
                    break;
                case kEventSoundSlider:
                    OnSoundVolumeChanged();
                    break;
                case kEventSortHand:
                    SortHand();
                    break;
                case kEventResultClosed:
                    OnResultClosed();
                    break;
                case kEventResultTimeout:
                    if (static_cast<uint32_t>(record.param1) == resultSerial_) {
                        OnResultTimeout();
                    }
                    break;
                case kEventPointerStep:
                    OnPointerStep(record);
                    break;
                case kEventLookCardAnswer:
                    OnLookCardAnswer(static_cast<int32_t>(record.param1),
                                     static_cast<int>(record.param2));
                    break;
                default:
                    break;  // 80001121, 80001128 and the unused ids
            }
        }
        return 1;
    }
    switch (id) {
        case kEventRoundNotice:
            OnRoundNotice();
            break;
        case kEventEnteredTable:
            RefreshSeatBoards();
            break;
        case kEventEnteredRunningHand:
            OnGameStart();
            break;
        case kEventUserEnterTable:
            RefreshSeatBoards();
            break;
        case kEventLookerEnter:
            OnLookerEnter(EventRecordBytes(record), EventRecordLength(record));
            break;
        case kEventUserLeaveTable:
            if (const int chair = ChairOfUser(record); chair >= 0 && chair < kSeatCount) {
                ResetSeatBoard(chair);
            }
            break;
        case kEventLookerLeave:
            OnLookerLeave(EventRecordBytes(record), EventRecordLength(record));
            break;
        case kEventRandomTable:
            // Seated at another table: nothing of this one stays.
            ClearTable();
            RefreshSeatBoards();
            break;
        case kEventOpenSettingsDialog:
            ToggleSetDlg();
            break;
        case kEventPlayMusic:
            PlayBackgroundMusic();
            break;
        case kEventClockTick:
            OnClockTick(record);
            break;
        case kEventToggleAutoPlay:
            // A press on the table or its tiles while auto-play is on ends
            // it; one that a control or panel over the table takes is its
            // alone (an own tile clicked on the own turn is still thrown).
            if (autoPlay_ != 0) {
                const InputState* input = InputStateOf(record);
                const IntRect area = GetViewRect();
                if (input != nullptr && input->mouseX >= area.left && input->mouseX < area.right &&
                    input->mouseY >= area.top && input->mouseY < area.bottom &&
                    !TakesPress(FindObjectById(input->mouseTarget), *input)) {
                    ToggleAutoPlay();
                }
            }
            break;
        default:
            // 80000007, 80000053 and 80000109 are answered with nothing to
            // do here; 80000003, 80000013, 80000020, 80000021, 80000028,
            // 80000030, 80000052, 80000063-80000071 and 80000103 are not
            // the table's.
            break;
    }
    return 1;
}
