#pragma once
// What a test reads of the running client through the program's application
// object: the back buffer of its main window and the text of its chat box;
// and what a table view shows of the own row.

#include <cstdint>
#include <string>
#include <vector>

class CCardSprite;
class CMahjongTableView;

namespace game_test {

// The back buffer's colour at a point of the main window as 0x00BBGGRR;
// 0xffffffff outside, without a window or before the first frame.
uint32_t MainWindowColour(int x, int y);
// The chat box's text (GBK); empty without a side panel or chat box.
std::string ChatBoxText();
// The colour (0x00BBGGRR) of the chat box's characters where its text first
// shows `part` (GBK); 0xffffffff when it does not.
uint32_t ChatBoxColourAt(const std::string& part);

// The own seat's standing tiles the view shows, left to right.
std::vector<CCardSprite*> ShownOwnRow(CMahjongTableView& view);

}  // namespace game_test
