#include "tests/game/support/ClientReadings.h"

#include "engine/GdiPaintModule.h"
#include "engine/ui/RichText.h"
#include "frame/GameFrameWnd.h"
#include "frame/panels/ChatBox.h"
#include "game/app/RegionalMahjongApp.h"

namespace game_test {

uint32_t MainWindowColour(int x, int y) {
    CGameFrameWnd* window = CRegionalMahjongApp::Instance()->GetMainFrame();
    if (window == nullptr) {
        return 0xffffffffu;
    }
    auto* paint = dynamic_cast<GdiPaintModule*>(window->GetCore()->FindModule(kPaintModuleId));
    const uint8_t* pixels = paint != nullptr ? paint->GetOutputPixels() : nullptr;
    const int width = window->GetWidth();
    const int height = window->GetHeight();
    if (pixels == nullptr || x < 0 || y < 0 || x >= width || y >= height) {
        return 0xffffffffu;
    }
    const uint8_t* p =
        pixels + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
    return static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[0]) << 16;
}

std::string ChatBoxText() {
    CCorvaneView* side = CRegionalMahjongApp::Instance()->GetSubSystemView();
    auto* chat =
        side != nullptr ? dynamic_cast<CChatBox*>(side->FindObjectByName("ChatBox")) : nullptr;
    CCorvaneRichText* text = chat != nullptr ? chat->GetRichText() : nullptr;
    return text != nullptr ? text->TextOfRange(text->GetFirstElement(), nullptr) : std::string();
}

}  // namespace game_test
