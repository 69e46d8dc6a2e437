#pragma once
// Small helpers of the table: where the next replacement tile is drawn from
// the wall's tail, and how long a game has run.

#include <cstdint>

// The wall place of the next tile drawn from the tail. With t the tail count
// the places run start-2, start-1, start-4, start-3, ... wrapped into
// 0..size-1. When the place is the marked position (where the head has
// arrived, or the wild indicator), met is set, the place moves on by one and
// the tail count advances once more. The tail count then advances by one.
// A wall of no places answers -1 and changes nothing but met.
int GetWallTailPosition(int wallStart, int markedPosition, int wallSize, int& tailCount, int& met);

// Seconds (0 when above maxSeconds) and whole minutes since the start tick,
// across the wrap of the tick count. A start tick of 0 writes zeros and
// answers 0; otherwise 1.
int GetElapsedTime(uint32_t startTick, int& seconds, int& minutes, int maxSeconds);

// The millisecond tick count GetElapsedTime reads; injectable for tests.
using TickSource = uint32_t (*)();
void SetTickSource(TickSource source);  // null restores the system tick
void RestoreDefaultTickSource();
// The current tick of that source.
uint32_t ReadTick();
