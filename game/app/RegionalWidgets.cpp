#include "game/app/RegionalWidgets.h"

#include "game/widgets/RegionalChatWidgets.h"
#include "game/widgets/VoicePhraseList.h"

CTableSystemBar* MakeRegionalSystemBar() {
    return new CRegionalSystemBar;
}

CCorvaneTextList* MakeVoicePhraseList() {
    return new CVoicePhraseList;
}

int VoicePhraseRowWidth(CCorvaneCanvas& canvas, const char* caption, int fontSize) {
    return CVoicePhraseList::RowWidthFor(canvas, caption, fontSize);
}
