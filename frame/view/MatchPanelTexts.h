#pragma once
// The texts of the match panel and the player cards, as pure functions of
// their figures, so the view only places and draws them.
// Texts are GBK; "\r\n" ends a line, "<c=%d>" colours what follows.

#include <cstdint>
#include <string>

#include "frame/view/MatchRecords.h"

// printf into a string (texts up to 511 bytes).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The countdown line for s seconds left: "比赛倒计时:" then days, hours and
// minutes from the first one that is not 0, and always the seconds.
std::string MatchCountdownText(int seconds);
// The countdown line before a match whose start has passed.
inline constexpr char kMatchCountdownZero[] = "比赛倒计时:0时0分0秒";

// The sign-up fee: kind 1 silver, kind 2 the premium currency; empty for any
// other kind.
std::string SignUpFeeText(int kind, int amount);

// The reward lines of a match result: a blank line, the award, silver and
// tickets when there are any, a blank line, then the rank points gained.
std::string MatchRewardText(const MatchResultRecord& result);

// The rest-tables line; promoted 0 or less leaves the promotion out.
std::string RestTablesText(int tables, int promoted);

// The chat line of a rest-tables notice of mode 0.
std::string RestTablesChatLine(const std::string& text);

// The welcome line: rank points still needed and the level they reach.
std::string MatchWelcomeText(int needed, int nextLevel);

// The elimination-round line.
std::string EliminationRoundText(int round);

// part / games × 100 as "%.2f%%"; `noGames` when games is 0 or less.
std::string RateText(int64_t part, int64_t games, const char* noGames);

// The match card's line of this match's results, coloured.
std::string MatchRecordLineText(int wins, int losses, int draws);
