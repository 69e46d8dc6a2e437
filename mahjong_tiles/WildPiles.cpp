#include "mahjong_tiles/WildPiles.h"

int GetWildTotal(int w1, int w2) {
    return w1 < 0 || w2 < 0 ? 0 : w1 + w2;
}

int UseWildCards(int& saved1, int& saved2, int& w1, int& w2, int n) {
    saved1 = w1;
    saved2 = w2;
    int taken = 0;
    while (taken < n) {
        if (w1 > 0 && (w2 <= 0 || w1 <= w2)) {
            --w1;
        } else if (w2 > 0) {
            --w2;
        } else {
            break;
        }
        ++taken;
    }
    return taken;
}

int RestoreWildCounts(int saved1, int saved2, int& w1, int& w2) {
    w1 = saved1;
    w2 = saved2;
    return 1;
}

int TakeWildFromSmallerPile(int& used1, int& used2, int wildIndex1, int wildIndex2) {
    if (used1 > 0 && (used2 <= 0 || used1 <= used2)) {
        --used1;
        return wildIndex1;
    }
    if (used2 > 0) {
        --used2;
        return wildIndex2;
    }
    return 0;
}
