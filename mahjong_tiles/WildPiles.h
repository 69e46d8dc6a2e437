#pragma once
// Accounting of the jokers held apart from a hand: two piles, one per wild
// kind. Jokers are always spent from the smaller non-empty pile, the first
// pile on a tie; a negative pile counts as empty.

// w1 + w2, or 0 when either pile is negative.
int GetWildTotal(int w1, int w2);

// Saves the piles into saved1/saved2, then spends n jokers one at a time.
// Returns the number spent (fewer than n when both piles run empty; 0 for
// n < 1).
int UseWildCards(int& saved1, int& saved2, int& w1, int& w2, int n);

// Puts the saved piles back; returns 1.
int RestoreWildCounts(int saved1, int saved2, int& w1, int& w2);

// Charges one joker entry of a group to a kind: decrements the smaller
// non-zero of used1 and used2 (used1 on a tie) and returns that kind's index;
// 0 when nothing is left to charge.
int TakeWildFromSmallerPile(int& used1, int& used2, int wildIndex1, int wildIndex2);
