#pragma once
// How the regional game makes its own kinds of the side panel and of the
// voice box's phrase list. Until the regional kinds exist these make the
// table's side panel and the toolkit's text list, with the same calls.

class CTableSystemBar;
class CCorvaneTextList;

// A new side panel for the frame view's "SubSystem".
CTableSystemBar* MakeRegionalSystemBar();
// A new phrase list for the voice box.
CCorvaneTextList* MakeVoicePhraseList();
