#include "engine/ui/CorvaneNumberDisplay.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "engine/ActionRecord.h"

namespace {

// The parameter words of a count: the target and the step's size.
struct CountParams {
    int target = 0;
    int64_t step = 1;
};

int SaturatingAdd(int a, int64_t b) {
    return static_cast<int>(std::clamp<int64_t>(int64_t{a} + b, INT_MIN, INT_MAX));
}

int CountActionStep(CCorvaneObject* object, void* area, GameCore*, uint32_t) {
    auto* display = dynamic_cast<CCorvaneNumberDisplay*>(object);
    if (display == nullptr) {
        return 1;
    }
    const CountParams& params = *ActionParamsIn<CountParams>(area);
    return display->CountStep(params.target, params.step) ? 1 : 0;
}

}  // namespace

int CCorvaneNumberDisplay::Create(const char* imageName, uint32_t styleFlags) {
    const char* name = imageName != nullptr ? imageName : "";
    const FrameRecord first = GetResourceFrame(name, 0);
    const int made = CCorvaneImageSequence::Create(first.width * 2, first.height, styleFlags);
    const int frames = first.record != nullptr ? first.record->frameCount : 0;
    for (int i = 0; i < 10 && i < frames; ++i) {
        FrameRecord digit = first;
        digit.frame = i;
        char character[2] = {static_cast<char>('0' + i), '\0'};
        AddGlyph(character, digit);
    }
    return made;
}

void CCorvaneNumberDisplay::SetValue(int value) {
    value_ = value;
    Refresh();
}

void CCorvaneNumberDisplay::SetSuffix(const char* text) {
    suffix_ = text != nullptr ? text : "";
    SetStyleBits(kSequenceShowSuffix);
}

void CCorvaneNumberDisplay::ClearSuffix() {
    ClearStyleBits(kSequenceShowSuffix);
    Refresh();
}

void CCorvaneNumberDisplay::AddValue(int delta) {
    value_ = SaturatingAdd(value_, delta);
    Refresh();
}

std::string CCorvaneNumberDisplay::FormatText() const {
    char number[16];
    std::snprintf(number, sizeof number, "%d", value_);
    std::string text(number);
    if ((GetStyle() & kSequenceShowSuffix) != 0) {
        text += suffix_;
    }
    return text;
}

void CCorvaneNumberDisplay::Refresh() {
    RefreshText();
}

void CCorvaneNumberDisplay::RefreshText() {
    SetText(FormatText().c_str());
}

bool CCorvaneNumberDisplay::CountStep(int target, int64_t step) {
    const int64_t distance = int64_t{target} - value_;
    if (std::llabs(distance) <= step) {
        SetValue(target);
        return true;
    }
    SetValue(SaturatingAdd(value_, distance > 0 ? step : -step));
    return false;
}

uint64_t CCorvaneNumberDisplay::CountTo(int target, int step, uint32_t interval,
                                        const EventRecord* doneRecord) {
    if (countAction_ != 0) {
        StopAction(countAction_);
        countAction_ = 0;
    }
    ActionRecord* record = NewActionRecord();
    if (record == nullptr) {
        return 0;
    }
    SetActionTarget(*record, this);
    record->interval = interval != 0 ? interval : GetMinActionInterval();
    const int64_t size = std::llabs(int64_t{step});
    StoreActionParams(*record, CountParams{target, size != 0 ? size : 1});
    record->step = CountActionStep;
    if (doneRecord != nullptr) {
        record->endEvent = *doneRecord;
    }
    countAction_ = SubmitAction(record);
    return countAction_;
}

void CCorvaneNumberDisplay::StopCounting() {
    StopObjectActions(GetId());
    countAction_ = 0;
}
