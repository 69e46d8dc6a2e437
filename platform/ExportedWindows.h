#pragma once
// Windows that the user's other processes can reach: the game hall and the
// client find each other's windows, post to them and hand them copy-data
// records.
//
// Rules:
//  - A window is reachable from outside once exported, until it is
//    unexported or destroyed (or its process ends). Its id must be below 2^31.
//  - The calls of Messages.h look for a window in this process first, then
//    among the windows other processes exported: IsWindow, FindWindowByClass
//    (windows exported as findable by class), PostMessage, and
//    SendMessageTimeout for kMsgCopyData only. SendMessage stays inside the
//    process.
//  - What crosses: copy-data records of up to kMaxCopyDataBytes, and posts of
//    the ids the receiving window accepts. wParam, lParam and dwData cross as
//    32-bit values (lParam arrives sign-extended); a wider one is not sent.
//    Never accept a post whose parameters are pointers.
//  - A copy-data record is handled on the window's owner thread, as a
//    SendMessage, and its result goes back to the sender, which gets false
//    (and 0) at its time-out. While it waits the sender handles messages sent
//    to its thread, so two windows sending to each other do not dead-lock.
//  - A post is answered as soon as it is queued, never behind a copy-data.
//  - Only processes of the same user take part. The names live in a private
//    folder of the user, or in the one kWindowFolderVariable names (tests
//    give each run its own, so that parallel runs never meet).

#include <cstdint>
#include <vector>

#include "platform/Messages.h"

namespace platform {

inline constexpr char kWindowFolderVariable[] = "PVBN_WINDOW_FOLDER";
inline constexpr uint32_t kMaxCopyDataBytes = 1u << 20;

struct WindowExportOptions {
    // Other processes find it by its class name too.
    bool findableByClass = false;
    // The posted ids it takes from other processes (kMsgCopyData never).
    std::vector<uint32_t> acceptedPosts;
};

// False (with a log line) when the window is not one of this process, is
// already exported, its id is too large, or its names cannot be made.
bool ExportWindow(WindowId window, const WindowExportOptions& options);
void UnexportWindow(WindowId window);

}  // namespace platform
