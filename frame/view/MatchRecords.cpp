#include "frame/view/MatchRecords.h"

#include <algorithm>

MatchPlayerCard MakeMatchPlayerCard(const MatchPlayerRecord& player) {
    MatchPlayerCard card;
    card.userId = player.userId;
    card.flags = player.flags;
    card.sex = player.sex;
    card.serverValue = player.serverValue;
    card.characterId = player.characterId;
    card.name = player.name;
    card.secondName = player.secondName;
    card.rankLevel = player.rankLevel;
    card.rankPoints = player.rankPoints;
    card.nextRankPoints = player.nextRankPoints;
    card.wins = player.careerWins;
    card.losses = player.careerLosses;
    card.draws = player.careerDraws;
    card.carried92 = player.value120;
    card.carried96 = player.value124;
    card.carried100 = 0;
    card.matchRank = player.rank;
    card.matchScore = player.score;
    card.matchSilver = player.silver;
    card.matchWins = player.wins;
    card.matchLosses = player.losses;
    card.matchDraws = player.draws;
    card.matchGames = player.games;
    card.matchDisconnects = player.disconnects;
    return card;
}

RestTablesNotice ReadRestTablesNotice(std::span<const uint8_t> bytes) {
    RestTablesNotice notice;
    notice.mode = WordAt(bytes, RestTablesNotice::kModeAt);
    notice.tables = WordAt(bytes, RestTablesNotice::kTablesAt);
    notice.promoted = WordAt(bytes, RestTablesNotice::kPromotedAt);
    notice.text = RecordTextAt(bytes, RestTablesNotice::kTextAt, RestTablesNotice::kTextWidth);
    return notice;
}
