#pragma once
// How the regional game makes its own kinds of the side panel and of the
// voice box's phrase list: the regional system bar (whose chat box's
// emoticon picker ignores the right button) and the regional phrase list.

class CTableSystemBar;
class CCorvaneTextList;
class CCorvaneCanvas;

// A new side panel for the frame view's "SubSystem".
CTableSystemBar* MakeRegionalSystemBar();
// A new phrase list for the voice box.
CCorvaneTextList* MakeVoicePhraseList();
// The width a row of that list needs to show the caption whole, measured
// on the canvas.
int VoicePhraseRowWidth(CCorvaneCanvas& canvas, const char* caption, int fontSize);
