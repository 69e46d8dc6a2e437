#include "game/app/RegionalWidgets.h"

#include "engine/ui/CorvaneTextList.h"
#include "mahjong_client/panels/TableSystemBar.h"

CTableSystemBar* MakeRegionalSystemBar() {
    return new CTableSystemBar;
}

CCorvaneTextList* MakeVoicePhraseList() {
    return new CCorvaneTextList;
}
