// Voices of the seats, the round text at a hand's start, the automatic
// discard of auto-play and its weights.
//
// The discard hint counts tiles by index (suit x 10 + value): only indices
// 1-48 of suits 0-4 are counted, so a hidden tile (200, index -10) or any
// other id never indexes a table.
#include <algorithm>
#include <array>
#include <cstdio>

#include "engine/CorvaneObject.h"
#include "frame/GameFrameApp.h"
#include "game/result/GameResultDlg.h"
#include "game/result/ScoreText.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/MahjongTableData.h"
#include "mahjong_tiles/TileEncoding.h"
#include "platform/Profile.h"

namespace {

constexpr char kAiSection[] = "AI";
constexpr int kFirstCountedIndex = 1;

// The tile index of an id when it is one the hint counts, else 0.
int CountedIndex(int tileId) {
    const int index = GetCardIndex(tileId);
    return index >= kFirstCountedIndex && index < CRegionalTableView::kTileIndexCount ? index : 0;
}

}  // namespace

// ---- voices ----

std::string CRegionalTableView::GetVoiceFile(int position, int tileId) {
    const int voice = GetVoiceIndex(tileId);
    if (voice < 0) {
        return {};
    }
    char name[16];
    std::snprintf(name, sizeof name, "%d", voice);
    return PlaySeatVoice(position, name);
}

std::string CRegionalTableView::GetVoiceFileByName(int position, const char* name) {
    if (name == nullptr || name[0] == '\0') {
        return {};
    }
    return PlaySeatVoice(position, name);
}

std::string CRegionalTableView::PlaySeatVoice(int position, const char* voiceName) {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (app == nullptr || app->GetSoundEffect() == 0 || app->GetKeepSilence() != 0) {
        return {};
    }
    const int chair = PositionToChair(position);
    if (chair < 0) {
        return {};
    }
    const char* prefix = app->GetSeat(chair).sex == 0 ? "male_" : "female_";
    char file[kVoiceFileBytes];
    std::snprintf(file, sizeof file, "%s%s.ogg", prefix, voiceName);
    PlaySound(file);
    return file;
}

// ---- the round line ----

void CRegionalTableView::ShowRoundInfo() {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (app != nullptr && !app->IsReplayMode()) {
        score_text::RoundFacts facts;
        facts.match = app->IsMatch();
        facts.knockoutRound = app->GetMatchRound();
        facts.silverRoom = app->IsSilverRoom();
        if (CMahjongTableData* data = GetMahjongTableData()) {
            facts.handNumber = data->GetHandNumber();
            facts.baseScore = data->GetBaseScore();
            facts.baseSilver = data->GetBaseSilver();
        }
        app->AppendChatText(score_text::RoundInfoLine(facts));
    }
    HideViewPart(startButtonId_);
    HideViewPart(sloganPictureId_);
    HideReadyMarks();
    ForgetResultTimeout();
    if (IsLookingOn()) {
        if (CCorvaneObject* result = GetResultDlg(); result != nullptr && result->IsVisible()) {
            HidePart(result);
            ClearTable();
        }
    }
    BuildWall();
    ClearOfferTable();
    SetPlayModeOn();
    ThrowDice();
}

// ---- auto-play ----

void CRegionalTableView::OnTimerTick() {
    if (IsLookingOn()) {
        return;
    }
    const bool passOpen = IsOperationButtonOn(kOpGuo);
    if (GetTurnDirection() != 2 * kOwnPosition && !passOpen) {
        return;
    }
    if (++timerTicks_ < timerTickLimit_) {
        return;
    }
    timerTicks_ = 0;
    if (passOpen) {
        OnGuoButton();
        return;
    }
    if (IsHandDrawn(kOwnPosition) == 0) {
        return;
    }
    if (m_bBaoJiao != 0) {
        ThrowHandTile(0);
        return;
    }
    const int index = SuggestDiscard();
    const CCardSprite* sprite = GetHandSprite(kOwnPosition, index);
    if (sprite == nullptr) {
        return;  // nothing to throw at the hint's place
    }
    if (IsFlowerCard(sprite->tile, WildTile(0), WildTile(1), GetRuleFlags()) != 0) {
        DeclareOwnHua(index);
    } else {
        ThrowHandTile(index);
    }
}

int CRegionalTableView::WildTile(int index) {
    CMahjongTableData* data = GetMahjongTableData();
    return data != nullptr ? data->GetWildTile(index) : -1;
}

// ---- the discard hint ----

void CRegionalTableView::LoadAiSettings() {
    CGameFrameApp* app = CGameFrameApp::Current();
    const std::string file = app != nullptr ? app->GetGameIniFile() : std::string();
    const auto read = [&](const char* key, int fallback) {
        return file.empty()
                   ? fallback
                   : platform::GetPrivateProfileInt(kAiSection, key, fallback, file.c_str());
    };
    m_nWeightShape = read("weight_shape", 1);
    m_nWeightShun = read("weight_Shun", 50);
    m_nWeightJiang = read("weight_Jiang", 100);
    m_nWeightPnPn = read("weight_PnPn", 200);
    m_nWeightUse = read("weight_use", 5);
}

int CRegionalTableView::SuggestDiscard() {
    const int handSize = static_cast<int>(GetHandSize());
    const int rowSlots = static_cast<int>(GetMaxHandSlots());
    std::array<int32_t, kRowSize> hand;
    hand.fill(-1);
    for (int i = 0; i < handSize; ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->standing != 0 && sprite->active != 0 &&
            IsWildCard(sprite->tile, WildTile(0), WildTile(1), GetRuleFlags()) == 0) {
            hand[static_cast<size_t>(i)] = sprite->tile;
        }
    }
    // What is still out: four of each kind less every tile in sight.
    std::array<int, kTileIndexCount> seen{};
    const auto see = [&](const CCardSprite* sprite) {
        if (const int index = CountedIndex(sprite->tile)) {
            ++seen[static_cast<size_t>(index)];
        }
    };
    std::array<int, kSuitCount> meldSuits{};
    for (int p = 0; p < kPositions; ++p) {
        for (int slot = 0; slot < kDiscardPlaces; ++slot) {
            const CCardSprite* sprite = GetDiscard(p, slot);
            if (sprite != nullptr && sprite->active != 0 && sprite->faceUp != 0) {
                see(sprite);
            }
        }
        for (int i = 0; i < rowSlots; ++i) {
            const CCardSprite* sprite = GetHandSprite(p, i);
            if (sprite == nullptr || sprite->active == 0 || sprite->standing != 0) {
                continue;
            }
            see(sprite);
            if (p == kOwnPosition) {
                if (const int index = CountedIndex(sprite->tile)) {
                    ++meldSuits[static_cast<size_t>(index / 10)];
                }
            }
        }
    }
    for (int i = 0; i < rowSlots; ++i) {
        const CCardSprite* sprite = GetHandSprite(kOwnPosition, i);
        if (sprite != nullptr && sprite->active != 0 && sprite->standing != 0) {
            see(sprite);
        }
    }
    std::array<int, kTileIndexCount> remaining{};
    for (size_t index = 0; index < remaining.size(); ++index) {
        remaining[index] = 4 - seen[index];
    }
    std::array<int, kRowSize> scores{};
    for (int j = 0; j < handSize; ++j) {
        if (hand[static_cast<size_t>(j)] != -1) {
            scores[static_cast<size_t>(j)] = ScoreHandWithout(hand, remaining, meldSuits, j);
        }
    }
    return FindMaxIndex(scores.data(), 0, kRowSize);
}

int CRegionalTableView::ScoreHandWithout(const std::array<int32_t, kRowSize>& hand,
                                         const std::array<int, kTileIndexCount>& remaining,
                                         const std::array<int, kSuitCount>& meldSuits,
                                         int skipped) const {
    // The suits already shown in melds: the hand is shaped towards one.
    int exposedSuits = 0;
    int exposedSuit = -1;
    for (int suit = 0; suit < kSuitCount; ++suit) {
        if (meldSuits[static_cast<size_t>(suit)] != 0) {
            ++exposedSuits;
            exposedSuit = suit;
        }
    }
    std::array<int, kTileIndexCount> counts{};
    std::array<int, kSuitCount> perSuit{};
    for (int j = 0; j < kRowSize; ++j) {
        if (j == skipped) {
            continue;
        }
        if (const int index = CountedIndex(hand[static_cast<size_t>(j)])) {
            ++counts[static_cast<size_t>(index)];
            ++perSuit[static_cast<size_t>(index / 10)];
        }
    }
    int shape = 0;
    for (int j = 0; j < kRowSize; ++j) {
        const int index = j == skipped ? 0 : CountedIndex(hand[static_cast<size_t>(j)]);
        if (index == 0) {
            continue;
        }
        const int suit = index / 10;
        if (exposedSuits == 0 || (exposedSuits == 1 && suit == exposedSuit)) {
            shape += perSuit[static_cast<size_t>(suit)] * m_nWeightShape;
        }
    }
    int score = 0;
    // Pairs: one is the eye; the others count more while their third is out.
    int pairs = 0;
    int livePairs = 0;
    for (size_t index = 0; index < counts.size(); ++index) {
        if (counts[index] == 2) {
            ++pairs;
            if (remaining[index] > 0) {
                ++livePairs;
            }
        }
    }
    if (pairs > 0) {
        if (livePairs == pairs) {
            --livePairs;
        }
        score += m_nWeightJiang + (m_nWeightJiang + m_nWeightUse) * livePairs;
    }
    // Triplets, then runs, then two-tile runs whose third is still out.
    std::array<int, kTileIndexCount> left = counts;
    for (size_t index = 0; index < left.size(); ++index) {
        if (left[index] == 3) {
            left[index] -= 3;
            score += m_nWeightPnPn + (remaining[index] > 0 ? m_nWeightUse : 0);
        }
    }
    constexpr size_t kLastRunStart = 30;
    for (size_t i = 0; i <= kLastRunStart; ++i) {
        while (left[i] > 0 && left[i + 1] > 0 && left[i + 2] > 0) {
            --left[i];
            --left[i + 1];
            --left[i + 2];
            score += 2 * m_nWeightShun;
        }
    }
    for (size_t i = 0; i <= kLastRunStart; ++i) {
        while (left[i] > 0 && left[i + 1] > 0 && remaining[i + 2] > 0) {
            --left[i];
            --left[i + 1];
            score += m_nWeightShun;
        }
    }
    return score + shape;
}
