#include "frame/panels/MatchListBar.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/EngineEvents.h"
#include "engine/ui/RichText.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "frame/view/GameFrameView.h"

namespace {

constexpr uint32_t kCanvasKey = 0xff00ff;
constexpr uint32_t kTextColour = 0xffffff;
constexpr uint32_t kHeadColour = 0x95e273;
constexpr int kFontSize = 12;
constexpr char kFontFace[] = "宋体";
// The bar's parts, top down: the texts beside the portrait, the clock and
// the sign-up line, then the standings.
constexpr int kPortraitSize = 32;
constexpr int kMargin = 6;
constexpr int kTextsHeight = 40;
constexpr int kClockHeight = 18;
constexpr int kSignUpHeight = 20;
constexpr int kRankWidth = 40;
constexpr int kScoreWidth = 70;

template <class T>
T* PartById(CCorvaneVisual& owner, int id) {
    return id != 0 ? dynamic_cast<T*>(owner.FindObjectById(id)) : nullptr;
}

}  // namespace

void CMatchListBar::Create() {
    if (!FirstCreate()) {
        return;
    }
    SetName("MatchListBar");
    const auto makeCanvas = [this](int& id) {
        if (CCorvaneCanvas* canvas = CreateCanvas(1, 1, kCanvasKey)) {
            canvas->SetZ(GetZ() + 0.1);
            canvas->Show();
            AttachChild(canvas, kBarChildLink);
            id = canvas->GetId();
        }
    };
    makeCanvas(textsId_);
    makeCanvas(clockId_);
    makeCanvas(rowsId_);
    auto* signUp = new CCorvaneRichText;
    Register(signUp);
    signUp->Create(1, kSignUpHeight, kRichDefaultStyle, 0);
    signUp->SetZ(GetZ() + 0.1);
    AttachChild(signUp, kBarChildLink);
    signUpId_ = signUp->GetId();
    Relayout();
}

int CMatchListBar::OnEvent(const EventRecord& record) {
    switch (record.event) {
        case kEventClockTick:
            ++seconds_;
            DrawClock();
            return 1;
        case kEventPortraitPress:
            if (CGameFrameApp* app = CGameFrameApp::Current()) {
                SendToSubSystem(kEventAskUserInfo, app->GetUserID(), 0);
            }
            return 1;
        default:
            return CSidePanelBar::OnEvent(record);
    }
}

void CMatchListBar::Relayout() {
    const int width = std::max(1, static_cast<int>(GetWidth()));
    const int left = LeftEdge();
    const int top = TopEdge();
    const auto place = [](CCorvaneCanvas* canvas, int w, int h, double x, double y) {
        if (canvas == nullptr) {
            return;
        }
        canvas->Resize(w, h);
        canvas->CCorvaneObject::Resize(w, h);
        canvas->SetPos(x, y);
    };
    const int textsWidth = std::max(1, width - kPortraitSize - 3 * kMargin);
    place(PartById<CCorvaneCanvas>(*this, textsId_), textsWidth, kTextsHeight,
          left + 2 * kMargin + kPortraitSize + textsWidth / 2.0,
          top + kMargin + kTextsHeight / 2.0);
    const int clockTop = top + kMargin + kTextsHeight;
    place(PartById<CCorvaneCanvas>(*this, clockId_), width, kClockHeight, left + width / 2.0,
          clockTop + kClockHeight / 2.0);
    if (auto* signUp = PartById<CCorvaneRichText>(*this, signUpId_)) {
        signUp->SetBackgroundSize(width, kSignUpHeight);
        signUp->SetPos(left + width / 2.0, clockTop + kClockHeight + kSignUpHeight / 2.0);
        signUp->SetViewSize(width, kSignUpHeight);
    }
    const int rowsTop = clockTop + kClockHeight + kSignUpHeight;
    const int rowsHeight = static_cast<int>(GetBottom()) - rowsTop - kMargin;
    visibleRows_ = std::max(0, rowsHeight / kRowHeight);
    place(PartById<CCorvaneCanvas>(*this, rowsId_), width, std::max(1, rowsHeight),
          left + width / 2.0, rowsTop + std::max(1, rowsHeight) / 2.0);
    if (CCorvaneObject* portrait = PartById<CCorvaneObject>(*this, portraitId_)) {
        portrait->SetPos(left + kMargin + kPortraitSize / 2.0, top + kMargin + kPortraitSize / 2.0);
        portrait->Invalidate();
    }
    RefreshTexts();
    DrawClock();
    RebuildStandings();
}

void CMatchListBar::RebuildStandings() {
    auto* canvas = PartById<CCorvaneCanvas>(*this, rowsId_);
    CGameFrameApp* app = CGameFrameApp::Current();
    if (canvas == nullptr || app == nullptr) {
        return;
    }
    canvas->Clear();
    canvas->SetFont(kFontSize, 400, kFontFace);
    canvas->SetPenColor(kTextColour, 1.0);
    const MatchStandings& standings = app->GetStandings();
    const int count = std::clamp(standings.header.count, 0, MatchStandings::kMaxRecords);
    const int rows = std::min(count, visibleRows_);
    const int width = canvas->GetCanvasWidth();
    for (int i = 0; i < rows; ++i) {
        const StandingRecord& record = standings.records[static_cast<size_t>(i)];
        const int centreY = i * kRowHeight + kRowHeight / 2;
        char text[48];
        std::snprintf(text, sizeof text, "%d", record.rank);
        canvas->DrawTextCentered(kRankWidth / 2, centreY, text);
        // The match player's name when the frame knows him, else his id.
        const MatchPlayerRecord* player = app->FindMatchPlayer(record.userId);
        std::string name = player != nullptr ? FieldText(player->name) : std::string{};
        if (name.empty()) {
            std::snprintf(text, sizeof text, "%d", record.userId);
            name = text;
        }
        canvas->DrawText(kRankWidth, centreY - kFontSize / 2, name.c_str());
        std::snprintf(text, sizeof text, "%d", record.score);
        canvas->DrawTextCentered(width - kScoreWidth / 2, centreY, text);
    }
    canvas->Invalidate();
}

void CMatchListBar::RefreshTexts() {
    auto* canvas = PartById<CCorvaneCanvas>(*this, textsId_);
    CGameFrameApp* app = CGameFrameApp::Current();
    if (canvas == nullptr || app == nullptr) {
        return;
    }
    canvas->Clear();
    canvas->SetFont(kFontSize, 600, kFontFace);
    canvas->SetPenColor(kHeadColour, 1.0);
    canvas->DrawText(0, 2, app->GetMatchName().c_str());
    const StandingRecord& own = app->GetStandings().records[0];
    char text[64];
    std::snprintf(text, sizeof text, "排名 %d  成绩 %d", own.rank, own.resultValue);
    canvas->SetFont(kFontSize, 400, kFontFace);
    canvas->SetPenColor(kTextColour, 1.0);
    canvas->DrawText(0, 2 + kTextsHeight / 2, text);
    canvas->Invalidate();
}

void CMatchListBar::RefreshPortrait() {
    CGameFrameApp* app = CGameFrameApp::Current();
    CGameFrameView* view = app != nullptr ? app->GetFrameView() : nullptr;
    if (view == nullptr) {
        return;
    }
    const int character = app->GetSeat(app->GetMyChairNo()).characterId;
    const std::string image = view->GetCharacterImageFile(character, 1);
    if (CCorvaneObject* old = PartById<CCorvaneObject>(*this, portraitId_)) {
        RemoveChild(old->GetId());
        DestroyObject(old, 1);
    }
    portraitId_ = 0;
    if (image.empty()) {
        return;
    }
    FrameRecord frame;
    GetResourceFrame(&frame, image.c_str(), 0);
    if (frame.record == nullptr) {
        return;
    }
    CCorvanePicture* portrait = CreatePicture(frame);
    if (portrait == nullptr) {
        return;
    }
    portrait->SetZ(GetZ() + 0.2);
    portrait->Show();
    portrait->AddEventBinding(kEventLButtonDown,
                              MakeEventRecord(GetId(), kEventPortraitPress, 0, 0));
    AttachChild(portrait, kBarChildLink);
    portraitId_ = portrait->GetId();
    portrait->SetPos(LeftEdge() + kMargin + kPortraitSize / 2.0,
                     TopEdge() + kMargin + kPortraitSize / 2.0);
    portrait->Invalidate();
}

void CMatchListBar::StartElapsedClock() {
    seconds_ = 0;
    StartClockAction();
    DrawClock();
}

void CMatchListBar::ResumeElapsedClock() {
    CGameFrameApp* app = CGameFrameApp::Current();
    // A negative value: the match began that many seconds ago.
    const int32_t toStart = app != nullptr ? app->GetSecondsToStart() : 0;
    if (toStart >= 0) {
        return;
    }
    seconds_ = toStart == INT32_MIN ? INT32_MAX : -toStart;
    StartClockAction();
    DrawClock();
}

void CMatchListBar::StopElapsedClock() {
    if (clockAction_ != 0) {
        StopAction(clockAction_);
        clockAction_ = 0;
    }
}

void CMatchListBar::ShowSignUpCount(int count) {
    auto* text = PartById<CCorvaneRichText>(*this, signUpId_);
    if (text == nullptr) {
        return;
    }
    char line[160];
    std::snprintf(line, sizeof line,
                  "    <rgb=115,226,149>本场比赛当前<rgb=255,255,255> %d "
                  "<rgb=115,226,149>人报名。",
                  count);
    text->Reset();
    text->AppendText(line);
    text->Show();
    text->Invalidate();
}

std::string CMatchListBar::ClockText() const {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", seconds_ / 60, seconds_ % 60);
    return text;
}

void CMatchListBar::StartClockAction() {
    StopElapsedClock();
    const EventRecord tick = MakeEventRecord(GetId(), kEventClockTick, 0, 0);
    clockAction_ = DelayedEventAction(1000, -1, &tick);
}

void CMatchListBar::DrawClock() {
    auto* canvas = PartById<CCorvaneCanvas>(*this, clockId_);
    if (canvas == nullptr) {
        return;
    }
    canvas->Clear();
    canvas->SetFont(kFontSize, 600, kFontFace);
    canvas->SetPenColor(kTextColour, 1.0);
    canvas->DrawTextCentered(canvas->GetCanvasWidth() / 2, canvas->GetCanvasHeight() / 2,
                             ClockText().c_str());
    canvas->Invalidate();
}
