// The program's entry: the regional application, made before main, runs
// with the hall's launch line.

#include "game/app/RegionalMahjongApp.h"

int main(int argc, char** argv) {
    return CRegionalMahjongApp::Instance()->Run(argc, argv);
}
