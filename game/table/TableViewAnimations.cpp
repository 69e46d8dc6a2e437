// The meld and win animations, the operation sounds and the voice box with
// its phrases.
//
// The win picture of each position is made once and reused; the particles
// of its burst live until the table is cleared. Random draws come from the
// tile library's random source (injectable in tests).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneComboBox.h"
#include "engine/ui/CorvaneTextList.h"
#include "frame/GameFrameApp.h"
#include "frame/RecordFields.h"
#include "game/app/ChatTables.h"
#include "game/app/RegionalWidgets.h"
#include "game/result/GameResultDlg.h"
#include "game/table/PlayerBoardSmall.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_tiles/Random.h"

namespace {

constexpr char kGangAnimation[] = "杠牌动画";
constexpr char kPengAnimation[] = "碰牌动画";
constexpr char kHuPicture[] = "bit_hu";
constexpr char kParticleStrip[] = "bit_particular";
constexpr char kVoiceBoxImage[] = "语音框新";
constexpr char kVoiceBoxCloseImage[] = "X";
constexpr char kSidePanelName[] = "SubSystem";
constexpr double kMeldAnimationDepth = 52000.0;
constexpr double kParticleDepth = 5001.0;
constexpr double kVoiceBoxDepth = CRegionalTableView::kPanelDepth;
constexpr uint32_t kVoiceBoxKey = 0xff00ff;
constexpr uint32_t kPhraseListKey = 0xffffff;
constexpr int kPhraseItemWidth = 170;
constexpr int kPhraseItemHeight = 22;
constexpr int kPhraseFontSize = 13;
constexpr int kCloseRightInset = 20;
constexpr int kCloseTopInset = 23;
// The side panel sends this event's text as the user's chat line.
constexpr int kEventSendChatText = 80000078;
// The toolkit's drop-down binding that the voice box does without.
constexpr int kEventDropDownInput = 19840353;
// The particle burst: five slices of the strip, ten particles each.
constexpr int kParticleSlices = 5;
constexpr int kParticlesPerSlice = 10;
constexpr int kParticleSliceWidth = 20;
// A meld animation whose frames carry no delays is shown this long.
constexpr int kMeldAnimationFallbackMs = 800;

// The chat message of 211200 as the voice handler reads it.
constexpr size_t kChatSpeakerAt = 0;
constexpr size_t kChatKindAt = 8;
constexpr size_t kChatTextAt = 36;
constexpr int32_t kChatKindPhrase = 8;

}  // namespace

// ---- meld animation ----

void CRegionalTableView::CreateMeldAnimation() {
    if (GetMeldAnimation() != nullptr) {
        return;
    }
    CCorvanePicture* picture = CreatePicture(GetSkinFrame(kGangAnimation));
    if (picture == nullptr) {
        return;
    }
    picture->SetTopmost();
    picture->SetZ(kMeldAnimationDepth);
    picture->Hide();
    meldAnimationId_ = picture->GetId();
}

void CRegionalTableView::ClearMeldAnimation() {
    meldAnimationId_ = 0;
}

void CRegionalTableView::LayoutMeldAnimation() {
    CCorvanePicture* picture = GetMeldAnimation();
    if (picture == nullptr) {
        return;
    }
    const IntRect area = GetViewRect();
    picture->SetPos(area.left + (area.right - area.left) / 2,
                    area.top + (area.bottom - area.top) / 2);
    picture->Invalidate();
}

void CRegionalTableView::PlayMeldAnimation(int eventId) {
    CCorvanePicture* picture = GetMeldAnimation();
    if (picture == nullptr) {
        return;
    }
    const char* frame = eventId == kEventMeldAnimationDoneA   ? kPengAnimation
                        : eventId == kEventMeldAnimationDoneB ? kGangAnimation
                                                              : nullptr;
    if (frame != nullptr) {
        picture->SetImage(GetSkinFrame(frame), 1);
        const EventRecord done = MakeEventRecord(GetId(), eventId, 0, 0);
        // One run through the frames (a stopped run reports no end); the
        // end hides the picture. Frames without delays are shown for a
        // fixed time.
        StopObjectActions(picture->GetId());
        if (picture->GetTotalDuration() > 0) {
            FrameAnimationAction(picture, 0, 1, 0, 0, &done);
        } else {
            FrameAnimationAction(picture, 2, kMeldAnimationFallbackMs, 0, 0, &done);
        }
    }
    picture->Show();
    picture->Invalidate();
}

// ---- win animation ----

void CRegionalTableView::PlayHuAnimation(int position) {
    if (position < 0 || position >= kPositions) {
        return;
    }
    const FrameRecord hu = GetSkinFrame(kHuPicture);
    CCorvanePicture* picture = GetHuPicture(position);
    if (picture == nullptr) {
        picture = CreatePicture(hu);
        if (picture == nullptr) {
            return;
        }
        huPictureIds_[static_cast<size_t>(position)] = picture->GetId();
    }
    const TablePoint anchor = GetHuAnchor(position);
    picture->SetPos(anchor.x, anchor.y);
    picture->SetZ(kHuPictureDepth);
    picture->Show();
    picture->Invalidate();

    const FrameRecord strip = GetSkinFrame(kParticleStrip);
    for (int i = 0; i < kParticleSlices; ++i) {
        for (int j = 0; j < kParticlesPerSlice; ++j) {
            FrameRecord slice = strip;
            slice.offsetX = strip.offsetX + kParticleSliceWidth * i;
            slice.width = kParticleSliceWidth;
            LaunchParticle(slice, anchor, hu.width, hu.height, j);
        }
    }
    PlaySound("SndWin");
}

TablePoint CRegionalTableView::GetHuAnchor(int position) {
    const TablePoint anchor = CMahjongTableView::GetHuAnchor(position);
    const FrameRecord hu = GetSkinFrame(kHuPicture);
    if (position < 0 || position >= kPositions || hu.width <= 0 || hu.height <= 0) {
        return anchor;
    }
    std::vector<IntRect> keepOff = GetOperationButtonBoxes();
    keepOff.insert(keepOff.end(), {GetRowExtent(position), ObjectBox(GetResultDlg())});
    for (int p = 0; p < kPositions; ++p) {
        keepOff.push_back(ObjectBox(GetSeatBoard(p)));
    }
    TablePoint place = anchor;
    FindFreePlace({hu.width, hu.height}, keepOff, anchor, position, place);
    return place;
}

void CRegionalTableView::LaunchParticle(const FrameRecord& slice, TablePoint anchor, int width,
                                        int height, int rank) {
    CCorvanePicture* particle = CreatePicture(slice);
    if (particle == nullptr) {
        return;
    }
    particleIds_.push_back(particle->GetId());
    particle->SetPos(anchor.x, anchor.y);
    // Scattered over the win picture; none when it has no size.
    if (width > 0 && height > 0) {
        const int dx = NextRandom() % width - width / 2;
        const int dy = NextRandom() % height - height / 2;
        particle->MoveBy(dx, dy);
    }
    particle->SetZ(kParticleDepth);
    const int rise = NextRandom() % 30 + 1;
    const int speed = NextRandom() % 4 + 1;
    const int targetX = static_cast<int>(particle->GetX());
    const int targetY = static_cast<int>(particle->GetY()) - speed * rise;
    const double fade = -(1.0 / rise);
    BlinkAction(particle, 1, nullptr);
    // Later particles of a slice start lower and fade later.
    particle->MoveBy(0, speed * 100 * rank / 30);
    particle->SetAlpha((1 - fade * 100 * rank / 30) + fade);
    MoveAction(particle, targetX, targetY, speed, 0, 0, nullptr);
    AlphaAction(particle, fade, 0.0, GetMinActionInterval(), nullptr);
}

void CRegionalTableView::DestroyWinParticles() {
    for (const int id : particleIds_) {
        if (CCorvanePicture* particle = FindPictureById(id)) {
            DestroyObject(particle, 0);
        }
    }
    particleIds_.clear();
}

// ---- operation sounds ----

const char* CRegionalTableView::GetOperationSoundName(int kind) const {
    // Seeded from the clock in seconds on every call: two calls within one
    // second pick alike.
    switch (kind) {
        case 0:
        case 1:
            return RandomBelow(2) == 0 ? "Peng0" : "Peng1";
        case 2:
        case 3:
        case 6:
        case 7:
            SeedRandomFromClock();
            return "Gang";
        case 4:
        case 5:
            static_cast<void>(RandomBelow(3));
            return "Gang";
        case 10:
        case 11: {
            static constexpr const char* kHu[] = {"Hu0", "Hu1", "Hu2"};
            return kHu[RandomBelow(3)];
        }
        case 12:
        case 13:
            return RandomBelow(2) == 0 ? "Hua0" : "Hua1";
        default:
            SeedRandomFromClock();
            return "";
    }
}

// ---- voice box ----

void CRegionalTableView::CreateVoiceBox() {
    if (GetVoiceBox() != nullptr || IsRegistered() == 0) {
        return;
    }
    auto* box = new CCorvaneComboBox;
    const int id = AdoptPart(box);
    if (id == 0) {
        return;
    }
    voiceBoxId_ = id;
    const FrameRecord image = GetSkinFrame(kVoiceBoxImage);
    const int width = std::max(image.width, 1);
    const int height = std::max(image.height, 1);
    box->SetSize(width, height);
    if (CCorvaneCanvas* body = CreateCanvas(width, height, kVoiceBoxKey)) {
        body->DrawImage(image, 0, 0, image.width, image.height, 0.0, 1.0);
        box->PeerSetUp(body, kPeerLinkFlags);
    }
    box->SetTopmost();
    box->SetFocusable(1);
    box->SetZ(kVoiceBoxDepth);
    box->EnableDrag(1);
    box->Hide();
    if (CCorvaneButton* close =
            FindButton(MakeRegionalButton(kVoiceBoxCloseImage, kEventVoiceBoxClose))) {
        box->AttachChild(close, kComboPartLink);
        close->SetPos(box->GetRight() - kCloseRightInset, box->GetTop() + kCloseTopInset);
        close->SetZ(box->GetZ());
    }
    FillVoicePhraseList();
    box->UnbindEvent(kEventDropDownInput);
    if (CCorvaneObject* list = GetVoicePhraseList()) {
        box->AttachChild(list, kComboPartLink);
    }
}

void CRegionalTableView::FillVoicePhraseList() {
    auto* list = dynamic_cast<CCorvaneTextList*>(GetVoicePhraseList());
    if (list != nullptr && list->GetItemCount() != 0) {
        return;  // filled once
    }
    std::vector<std::string> captions;
    for (int i = 0; i < static_cast<int>(kVoicePhraseCount); ++i) {
        captions.push_back(std::to_string(i + 1) + "." + GetVoicePhrase(i));
    }
    if (list == nullptr) {
        if (IsRegistered() == 0) {
            return;
        }
        // The rows are as wide as the longest phrase needs.
        int rowWidth = kPhraseItemWidth;
        if (CCorvaneCanvas* measure = CreateCanvas(1, 1, kPhraseListKey)) {
            for (const std::string& caption : captions) {
                rowWidth = std::max(
                    rowWidth, VoicePhraseRowWidth(*measure, caption.c_str(), kPhraseFontSize));
            }
            DestroyObject(measure, 0);
        }
        list = MakeVoicePhraseList();
        if (list == nullptr) {
            return;
        }
        const int id = AdoptPart(list);
        if (id == 0) {
            return;
        }
        voicePhraseListId_ = id;
        list->Create(rowWidth, kPhraseItemHeight, kPhraseFontSize, kPhraseListKey);
        list->SetTopmost();
        list->SetZ(kVoiceBoxDepth);
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    CCorvaneObject* sidePanel = app != nullptr ? app->GetSubSystemView() : nullptr;
    if (sidePanel == nullptr) {
        sidePanel = FindObjectByName(kSidePanelName);
    }
    const int sidePanelId = sidePanel != nullptr ? sidePanel->GetId() : 0;
    for (int i = 0; i < static_cast<int>(kVoicePhraseCount); ++i) {
        // The phrase lives as long as the program; the panel reads it at once.
        const EventRecord notify = MakeEventRecord(
            sidePanelId, kEventSendChatText, reinterpret_cast<intptr_t>(GetVoicePhrase(i)), 0);
        list->AddItem(captions[static_cast<size_t>(i)].c_str(), &notify, 0, 0);
    }
}

void CRegionalTableView::HideVoiceButton(int onlyForLookers) {
    if (onlyForLookers != 0 && !IsLookingOn()) {
        return;
    }
    HidePart(GetVoiceButton());
}

// ---- the spoken phrase of a chat line ----

bool CRegionalTableView::OnVoicePhraseChat(NotifyRecord record) {
    int32_t speaker = 0;
    int32_t kind = 0;
    if (!ReadWordAt(record, kChatSpeakerAt, speaker) || !ReadWordAt(record, kChatKindAt, kind)) {
        return false;
    }
    CGameFrameApp* app = CGameFrameApp::Current();
    if (app == nullptr || kind != kChatKindPhrase) {
        return true;
    }
    const UserRecord* user = app->FindUser(speaker);
    // A speaker who is not at the table, or only looks on, says nothing.
    if (user == nullptr || user->lookOn != 0) {
        return true;
    }
    const int position = ChairToPosition(app->GetUserChairNo(speaker));
    if (position < 0) {
        return true;
    }
    // The text up to its zero or the payload's end; the markup before the
    // first '>' is dropped.
    std::string text;
    if (record.size() > kChatTextAt) {
        const auto* begin = record.data() + kChatTextAt;
        const auto* end = std::find(begin, record.data() + record.size(), uint8_t{0});
        text.assign(begin, end);
    }
    if (const size_t mark = text.find('>'); mark != std::string::npos) {
        text.erase(0, mark + 1);
    }
    int phrase = -1;
    if (text.size() >= 2) {
        // The line end goes: two bytes, cut at a whole character.
        text.resize(WholeGbkLength(text, text.size() - 2));
        for (int k = 0; k < static_cast<int>(kVoicePhraseCount); ++k) {
            if (text == GetVoicePhrase(k)) {
                phrase = k;
                break;
            }
        }
    }
    if (phrase >= 0) {
        PlayPhraseVoice(app->GetSeat(app->GetUserChairNo(speaker)).sex, phrase);
    }
    if (CPlayerBoardSmall* board = GetPlayerBoard(position)) {
        board->ShowChatBubble(text);
    }
    return true;
}

void CRegionalTableView::PlayPhraseVoice(int32_t sex, int phrase) {
    char file[kVoiceFileBytes];
    std::snprintf(file, sizeof file, "%s%s.ogg", sex != 0 ? "female_chat_" : "male_chat_",
                  GetVoicePhrase(phrase));
    // Straight to the engine's sound facade, once.
    CCorvaneVisual& facade = *this;
    facade.PlaySound(file, 1, nullptr);
}
