#include "tests/game/support/ClientReadings.h"

#include <algorithm>
#include <vector>

#include "engine/GdiPaintModule.h"
#include "engine/ui/RichText.h"
#include "engine/ui/RichTextElement.h"
#include "frame/GameFrameWnd.h"
#include "frame/panels/ChatBox.h"
#include "game/app/RegionalMahjongApp.h"
#include "mahjong_client/table/CardSprite.h"
#include "mahjong_client/table/MahjongTableView.h"

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

namespace {

CCorvaneRichText* ChatBoxRichText() {
    CCorvaneView* side = CRegionalMahjongApp::Instance()->GetSubSystemView();
    auto* chat =
        side != nullptr ? dynamic_cast<CChatBox*>(side->FindObjectByName("ChatBox")) : nullptr;
    return chat != nullptr ? chat->GetRichText() : nullptr;
}

}  // namespace

std::string ChatBoxText() {
    CCorvaneRichText* text = ChatBoxRichText();
    return text != nullptr ? text->TextOfRange(text->GetFirstElement(), nullptr) : std::string();
}

uint32_t ChatBoxColourAt(const std::string& part) {
    CCorvaneRichText* text = ChatBoxRichText();
    if (text == nullptr || part.empty()) {
        return 0xffffffffu;
    }
    // The characters in order with the element each byte belongs to.
    std::string bytes;
    std::vector<const RichTextElement*> owners;
    for (const RichTextElement* element = text->GetFirstElement(); element != nullptr;
         element = element->next) {
        if (element->IsObject() || element->IsLineEnd()) {
            continue;
        }
        char character[3] = {};
        const int n = element->CharBytes(character);
        for (int i = 0; i < n; ++i) {
            bytes.push_back(character[i]);
            owners.push_back(element);
        }
    }
    const size_t at = bytes.find(part);
    return at == std::string::npos ? 0xffffffffu : owners[at]->color;
}

std::vector<CCardSprite*> ShownOwnRow(CMahjongTableView& view) {
    std::vector<CCardSprite*> row;
    for (int index = 0; index < CMahjongTableView::kRowSize; ++index) {
        CCardSprite* sprite = view.GetHandSprite(CMahjongTableView::kOwnPosition, index);
        if (sprite != nullptr && sprite->active != 0 && sprite->visible != 0 &&
            sprite->standing != 0) {
            row.push_back(sprite);
        }
    }
    std::ranges::sort(row, {}, [](CCardSprite* sprite) { return sprite->GetLeft(); });
    return row;
}

}  // namespace game_test
