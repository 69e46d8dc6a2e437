#pragma once
// The two rule sets of the regional variant the program builds before main.
// The client runs no table logic: their construction installs the variant's
// tile functions, which every tile test of the client then uses.

#include "mahjong_logic/RegionalMahjongRules.h"

extern CRegionalMahjongRules g_RegionalRules1;  // made just before the application
extern CRegionalMahjongRules g_RegionalRules2;  // made with the main window's classes
