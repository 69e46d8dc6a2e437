// The wall of CMahjongTableLogic: dice, shuffle, the recorded test deal, the
// deal and the draws from both ends.

#include <algorithm>
#include <cstdio>
#include <string>

#include "mahjong_logic/MahjongTableLogic.h"
#include "mahjong_tiles/Random.h"
#include "mahjong_tiles/TableHelpers.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "zep/ZepLog.h"

namespace {

constexpr const char* kTestDealFile = "test.ini";
constexpr const char* kTestDealSection = "Card";
constexpr const char* kMadeKey = "Made";
constexpr const char* kTotalKey = "Total";
constexpr uint32_t kTotalCharacters = 4096;
constexpr size_t kMaxTotalPieces = 514;

int64_t PositiveModulo(int64_t value, int64_t modulus) {
    const int64_t r = value % modulus;
    return r < 0 ? r + modulus : r;
}

// A whole decimal integer, optionally signed; false for anything else.
bool ParseWholeInteger(const std::string& text, int64_t& value) {
    size_t at = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (at == text.size() || text.size() - at > 10) {
        return false;
    }
    int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (text[at] - '0');
    }
    value = text[0] == '-' ? -magnitude : magnitude;
    return true;
}

// Settings names compare without regard to ASCII case.
bool SameKeyName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const auto fold = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        if (fold(*a) != fold(*b)) {
            return false;
        }
    }
    return *a == *b;
}

// Whether the list holds each of 0..size-1 exactly once.
bool IsFullPermutation(std::span<const int32_t> list) {
    std::vector<bool> seen(list.size(), false);
    for (const int32_t entry : list) {
        if (entry < 0 || static_cast<size_t>(entry) >= list.size() || seen[entry]) {
            return false;
        }
        seen[entry] = true;
    }
    return true;
}

}  // namespace

// --- Dice, wall start and wild tiles ---

void CMahjongTableLogic::RollTableDice() {
    RollDice(dice_[0], dice_[1], 0);
    if ((RuleFlags() & kMahjongRuleSecondDice) != 0) {
        RollDice(dice_[2], dice_[3], 1);
    } else {
        dice_[2] = dice_[3] = 0;
    }
}

int CMahjongTableLogic::GetWallStart() {
    const int banker = Banker();
    if (!IsValidSeat(banker)) {
        return -1;
    }
    const int64_t players = PlayerCount();
    const int64_t d = int64_t{dice_[0]} + dice_[1];
    const int64_t stretch = tileCount_ / players;
    return static_cast<int>(
        PositiveModulo((banker - d % players + players) * stretch + 2 * d, tileCount_));
}

int CMahjongTableLogic::GetWildPosition() {
    if ((RuleFlags() & kMahjongRuleWildTiles) == 0) {
        return -1;
    }
    const int64_t d = int64_t{dice_[0]} + dice_[1];
    return static_cast<int>(PositiveModulo(wallStart_ - 2 * d + tileCount_, tileCount_));
}

int CMahjongTableLogic::GetWildCard() {
    const int id = RecordTileId(wildPosition_);
    if (id < 0) {
        return -1;
    }
    return (RuleFlags() & kMahjongRuleWildFromIndicator) != 0 ? WildSuccessor(id) : id;
}

int CMahjongTableLogic::WildSuccessor(int id) const {
    switch (id) {
        case 35:
            return 0;
        case 71:
            return 36;
        case 107:
            return 72;
        case 111:
        case 118:
        case 125:
        case 132:
            return 108;
        case 114:
        case 121:
        case 128:
        case 135:
            return 112;
        default:
            return id >= 0 && id < kMaxWallTiles - 1 ? id + 1 : -1;
    }
}

// --- Building the wall ---

bool CMahjongTableLogic::ShuffleWall() {
    std::vector<int32_t> permutation;
    // The settings words are the host's; their combination may pass 32 bits.
    const int64_t seed = int64_t{SettingsWord(12)} + 10 * int64_t{SettingsWord(13)};
    ShuffleIndices(permutation, tileCount_, static_cast<int>(static_cast<uint32_t>(seed)));
    if (testDealReplay_) {
        LoadTestDeal(permutation);
    }
    return BuildWall(permutation);
}

bool CMahjongTableLogic::BuildWall(std::span<const int32_t> permutation) {
    if (!wall_.empty() || static_cast<int>(permutation.size()) != tileCount_ ||
        !IsFullPermutation(permutation)) {
        return false;
    }
    std::vector<CardRecord> wall;
    wall.reserve(permutation.size());
    const TileFunctionTable& functions = TileFunctions();
    for (const int32_t id : permutation) {
        if (IndexOf(id) < 1) {
            return false;  // a tile this rule set cannot count
        }
        CardRecord record;
        record.id = id;
        record.suit = functions.suit(id, RuleFlags());
        record.value = functions.value(id, RuleFlags());
        wall.push_back(record);
    }
    wall_ = std::move(wall);
    return true;
}

std::string CMahjongTableLogic::TestDealPath() const {
    return platform::ProgramFolder() + kTestDealFile;
}

bool CMahjongTableLogic::LoadTestDeal(std::vector<int32_t>& permutation) {
    const std::string path = TestDealPath();
    if (platform::GetPrivateProfileInt(kTestDealSection, kMadeKey, 0, path.c_str()) == 0) {
        if (static_cast<int>(permutation.size()) != tileCount_ || !IsFullPermutation(permutation)) {
            return false;
        }
        std::string total;
        char piece[16];
        for (const int32_t entry : permutation) {
            std::snprintf(piece, sizeof piece, "%d|", entry);
            total += piece;
        }
        return platform::WritePrivateProfileString(kTestDealSection, kTotalKey, total.c_str(),
                                                   path.c_str());
    }
    std::string text(kTotalCharacters + 1, '\0');
    const uint32_t length = platform::GetPrivateProfileString(
        kTestDealSection, kTotalKey, "", text.data(), kTotalCharacters + 1, path.c_str());
    text.resize(length);

    std::vector<int32_t> recorded;
    size_t pieces = 0;
    size_t begin = 0;
    bool wellFormed = true;
    while (begin < text.size() && pieces < kMaxTotalPieces &&
           static_cast<int>(recorded.size()) < tileCount_) {
        const size_t bar = std::min(text.find('|', begin), text.size());
        int64_t value = 0;
        if (!ParseWholeInteger(text.substr(begin, bar - begin), value) || value < 0 ||
            value >= tileCount_) {
            wellFormed = false;
            break;
        }
        recorded.push_back(static_cast<int32_t>(value));
        ++pieces;
        begin = bar + 1;
    }
    if (!wellFormed || static_cast<int>(recorded.size()) != tileCount_ ||
        !IsFullPermutation(recorded)) {
        ZepLog("test.ini [Card] Total 不是 0..%d 的完整牌序，沿用洗好的牌", tileCount_ - 1);
        return false;
    }
    permutation = std::move(recorded);
    return true;
}

int32_t CMahjongTableLogic::TestDealValue(const char* key, int32_t& value) {
    if (key == nullptr || *key == '\0' || SameKeyName(key, kMadeKey) ||
        SameKeyName(key, kTotalKey)) {
        return 0;
    }
    const std::string path = TestDealPath();
    if (platform::GetPrivateProfileInt(kTestDealSection, kMadeKey, 0, path.c_str()) != 0) {
        value = platform::GetPrivateProfileInt(kTestDealSection, key, 0, path.c_str());
        return value;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    platform::WritePrivateProfileString(kTestDealSection, key, text, path.c_str());
    return value;
}

// --- The deal ---

int CMahjongTableLogic::GetHandSize() const {
    return (RuleFlags() & kMahjongRuleSixteenTiles) != 0 ? 16 : 13;
}

int CMahjongTableLogic::WrapPosition(int64_t position) const {
    return static_cast<int>(PositiveModulo(position, tileCount_));
}

bool CMahjongTableLogic::GiveRecord(int record, int seat) {
    if (record < 0 || record >= static_cast<int>(wall_.size()) || !IsValidSeat(seat)) {
        return false;
    }
    CardRecord& card = wall_[record];
    const int index = IndexOf(card.id);
    if (card.state != kCardInWall || index < 0) {
        return false;
    }
    card.state = kCardInHand;
    card.owner = seat;
    ++counts_[seat][index];
    return true;
}

int CMahjongTableLogic::DealCards() {
    const int banker = Banker();
    const int handSize = GetHandSize();
    if (handSize != 13 && handSize != 16) {
        return handSize;
    }
    const int players = PlayerCount();
    const int total = players * handSize + 1;
    if (!HasWall() || !IsValidSeat(banker) || wallStart_ < 0 || wallStart_ >= tileCount_ ||
        total > tileCount_) {
        return -1;
    }
    for (int k = 0; k < total; ++k) {
        const CardRecord& card = wall_[WrapPosition(int64_t{wallStart_} + k)];
        if (card.state != kCardInWall || IndexOf(card.id) < 0) {
            return -1;  // only tiles still in the wall are dealt
        }
    }
    int position = wallStart_;
    int last = -1;
    auto give = [&](int seat, int n) {
        for (int k = 0; k < n; ++k) {
            GiveRecord(WrapPosition(position++), seat);
        }
        last = seat;
    };
    const int rounds = handSize == 13 ? 3 : 4;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0, seat = banker; k < players; ++k, seat = GetPrevSeat(seat)) {
            give(seat, 4);
        }
    }
    if (handSize == 13) {
        give(banker, 2);
        for (int k = 1, seat = GetPrevSeat(banker); k < players; ++k, seat = GetPrevSeat(seat)) {
            give(seat, 1);
        }
    } else {
        give(banker, 1);
    }
    return last;
}

int CMahjongTableLogic::CheckWall() const {
    return WallHoldsEveryKind(indexBound_) ? 1 : 0;
}

bool CMahjongTableLogic::WallHoldsEveryKind(int indexEnd) const {
    HandCounts seen{};
    for (const CardRecord& card : wall_) {
        const int index = IndexOf(card.id);
        if (index < 0) {
            return false;
        }
        ++seen[index];
    }
    for (int index = 0; index < std::min(indexEnd, kHandKinds); ++index) {
        if (index % suitStride_ != 0 && seen[index] != copiesPerKind_) {
            return false;
        }
    }
    return true;
}

bool CMahjongTableLogic::StartHand() {
    if (!IsValidSeat(Banker()) || !wall_.empty()) {
        return false;
    }
    if (!ShuffleWall()) {
        return false;
    }
    wallStart_ = GetWallStart();
    currentSeat_ = Banker();
    if (DealCards() < 0) {
        return false;
    }
    wildPosition_ = GetWildPosition();
    wildTile1_ = GetWildCard();
    actingSeat_ = Banker();
    return true;
}

int CMahjongTableLogic::DealHook() {
    RollTableDice();
    if (!StartHand()) {
        return 0;
    }
    AfterDeal();
    BeginPlay();
    return 1;
}

void CMahjongTableLogic::AfterDeal() {
    SetDrawPosition();
}

// --- Draws ---

void CMahjongTableLogic::SetDrawPosition() {
    drawnFront_ = PlayerCount() * GetHandSize() + 1;
    frontPosition_ = WrapPosition(int64_t{drawnFront_} + wallStart_);
}

bool CMahjongTableLogic::IsWallEmpty() const {
    return int64_t{drawnFront_} + drawnBack_ >= tileCount_;
}

int CMahjongTableLogic::DrawFront(int seat) {
    if (!IsValidSeat(seat)) {
        return -1;
    }
    ResetClaimState();
    if (!HasWall() || IsWallEmpty()) {
        return -1;
    }
    if (frontPosition_ == wildPosition_) {
        // The wild indicator stays in the wall.
        ++drawCount_[seat];
        return frontPosition_;
    }
    int position = frontPosition_;
    if (wall_[position].state != kCardInWall) {
        position = WrapPosition(int64_t{position} + 1);
    }
    if (!GiveRecord(position, seat)) {
        return -1;
    }
    ++drawnFront_;
    frontPosition_ = WrapPosition(int64_t{position} + 1);
    ++drawCount_[seat];
    return position;
}

int CMahjongTableLogic::DrawBack(int seat) {
    if (!IsValidSeat(seat) || !HasWall() || IsWallEmpty()) {
        return -1;
    }
    int tailCount = drawnBack_;
    int passedIndicator = 0;
    int position =
        GetWallTailPosition(wallStart_, wildPosition_, tileCount_, tailCount, passedIndicator);
    if (position < 0) {
        return -1;
    }
    bool layIndicatorAside = false;
    if (wall_[position].state != kCardInWall) {
        // Toward the wall start; when that one is taken too there is nothing
        // to draw here.
        position = WrapPosition(int64_t{position} + 1);
    } else {
        layIndicatorAside = passedIndicator != 0 && RecordTileId(wildPosition_) >= 0 &&
                            wall_[wildPosition_].state == kCardInWall;
    }
    if (!GiveRecord(position, seat)) {
        return -1;
    }
    if (layIndicatorAside) {
        wall_[wildPosition_].state = kCardDiscarded;
        wall_[wildPosition_].owner = seat;
    }
    drawnBack_ = tailCount;
    ++drawCount_[seat];
    return wall_[position].id;
}

bool CMahjongTableLogic::BurnFront() {
    if (!HasWall() || IsWallEmpty() || wall_[frontPosition_].state != kCardInWall) {
        return false;
    }
    wall_[frontPosition_].state = kCardDiscarded;
    ++drawnFront_;
    frontPosition_ = WrapPosition(int64_t{frontPosition_} + 1);
    return true;
}
