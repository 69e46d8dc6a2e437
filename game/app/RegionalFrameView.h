#pragma once
// The engine root object of the main window: the mahjong frame view that
// opens the regional game's eleven resource packs before anything is drawn
// and makes the side panel ("SubSystem") and the regional table view
// ("MainGame").
//
// Rules:
//  - The packs are opened once, in the order of kResourcePacks, from the
//    program folder; a missing pack is logged and the next one opened.
//  - The children are made once, when the view is created.

#include <array>

#include "mahjong_client/MahjongFrameView.h"

class CRegionalFrameView : public CMahjongFrameView {
public:
    // Relative to the program folder, in the order they are opened.
    static constexpr std::array<const char*, 11> kResourcePacks = {
        "skins\\frame.kor",
        "skins\\common.kor",
        "skins\\gameresult.kor",
        "skins\\聊天框资源包.kor",
        "skins\\koface_pippet.kor",
        "skins\\kofaces_pippet.kor",
        "skins\\female_sound_auto.kor",
        "skins\\male_sound_auto.kor",
        "skins\\female_sound_chat.kor",
        "skins\\male_sound_chat.kor",
        "skins\\Mycommon.kor",
    };

    CRegionalFrameView() = default;
    ~CRegionalFrameView() override = default;

    // The frame view's creation hooks: the packs first, the children last.
    void OnCreateBegin() override { RegisterResourcePacks(); }
    void OnCreateEnd() override { CreateChildren(); }

    // Opens the packs; how many opened.
    int RegisterResourcePacks();
    // The side panel, the side-panel widths, the table view.
    void CreateChildren();
};
