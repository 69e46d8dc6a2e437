// The program's statics of this unit, in the order they are made: the first
// rule set, then the application object; both live to the program's end.

#include "game/app/RegionalMahjongApp.h"
#include "game/app/RegionalRuleSets.h"

CRegionalMahjongRules g_RegionalRules1;

namespace {

CRegionalMahjongApp theApp;

}  // namespace

CRegionalMahjongApp* CRegionalMahjongApp::Instance() {
    return &theApp;
}
