#pragma once
// The program's own mouse cursors: drawn here and registered with the
// platform as cursor resources when the engine starts, so that the cursor
// object of any program built on the engine loads them by resource id.
//
// Rules:
//  - kNormalCursorResource is the normal pointer, an arrow with its hot spot
//    at the tip; kHandCursorResource is the hand shown over things that can
//    be clicked, its hot spot at the tip of the pointing finger.
//  - Both are black outlines filled white on a transparent ground.
//  - Registering again changes nothing: each id keeps its first picture.

#include "platform/Cursors.h"

inline constexpr int kNormalCursorResource = 288;
inline constexpr int kHandCursorResource = 291;

platform::CursorImage DrawNormalCursor();
platform::CursorImage DrawHandCursor();

// Registers both cursors under their resource ids; safe to call again.
void RegisterEngineCursors();

// Loads a cursor file; 0, with the reason in the engine log, when it does
// not load.
platform::CursorHandle LoadCursorFileOrLog(const char* path);
