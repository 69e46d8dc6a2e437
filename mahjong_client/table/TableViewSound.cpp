// Sounds, voices and the background music of the table.
//
// A sound plays only while the player wants sound effects and the table is
// not kept silent; it plays at the sound volume. Voices and operation
// sound names belong to the game: the table itself speaks no voice.
#include "engine/MusicModule.h"
#include "mahjong_client/MahjongApp.h"
#include "mahjong_client/table/MahjongTableView.h"
#include "mahjong_tiles/TileEncoding.h"

namespace {

// The audio library's volume attribute.
constexpr uint32_t kVolumeAttribute = 2;

}  // namespace

void CMahjongTableView::PlaySound(const char* name) {
    CMahjongApp* app = CMahjongApp::CurrentMahjongApp();
    if (name == nullptr || name[0] == '\0' || app == nullptr || app->GetSoundEffect() == 0 ||
        app->GetKeepSilence() != 0) {
        return;
    }
    const uint32_t handle = CCorvaneVisual::PlaySound(name, 1, nullptr);
    if (MusicModule* music = GetMusicModule(); music != nullptr && handle != 0) {
        music->SetChannelAttribute(handle, kVolumeAttribute, soundScale_);
    }
}

std::string CMahjongTableView::GetVoiceFile(int /*position*/, int /*tileId*/) {
    return {};
}

std::string CMahjongTableView::GetVoiceFileByName(int /*position*/, const char* /*name*/) {
    return {};
}

int CMahjongTableView::GetVoiceIndex(int tileId) const {
    if (!IsRealTile(tileId)) {
        return -1;
    }
    return GetCardShape(tileId) * 10 + GetCardValue(tileId);
}

const char* CMahjongTableView::GetOperationSoundName(int /*kind*/) const {
    return "";
}

void CMahjongTableView::PlayBackgroundMusic() {
    // The table plays no music of its own; it applies the silence setting
    // and the music volume to what plays.
    CGameFrameApp* app = CGameFrameApp::Current();
    SetSoundOff(app != nullptr && app->GetKeepSilence() != 0 ? 1 : 0);
    if (MusicModule* music = GetMusicModule(); music != nullptr && backgroundMusic_ != 0) {
        music->SetChannelAttribute(backgroundMusic_, kVolumeAttribute, musicScale_);
    }
}
