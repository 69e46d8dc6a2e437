#include "mahjong_client/panels/SystemChatBox.h"

#include <algorithm>

#include "engine/ui/RichText.h"

namespace {

constexpr char kTopSlice[] = "SystemChatBox1";
constexpr char kMiddleSlice[] = "SystemChatBox2";
constexpr char kBottomSlice[] = "SystemChatBox3";
// The text area inside the background.
constexpr int kTextTop = 3;
constexpr int kTextRightMargin = 12;
constexpr int kTextBottomMargin = 7;

}  // namespace

CSystemChatBox::CSystemChatBox() = default;

CSystemChatBox::~CSystemChatBox() = default;

void CSystemChatBox::DrawBackground() {
    BeforeDrawBackground();
    CCorvaneRichText* view = GetView();
    if (view == nullptr) {
        return;
    }
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());
    if (width < 1 || height < 1) {
        return;
    }
    view->SetPos(GetX(), GetY());
    view->SetBackgroundSize(width, height);

    const FrameRecord top = SkinFrame(kTopSlice);
    const FrameRecord middle = SkinFrame(kMiddleSlice);
    const FrameRecord bottom = SkinFrame(kBottomSlice);
    const int topHeight = top.record != nullptr ? top.height : 0;
    const int bottomHeight = bottom.record != nullptr ? bottom.height : 0;
    if (topHeight > 0) {
        view->DrawBackgroundFrame(top, 0, 0, width, topHeight);
    }
    if (middle.record != nullptr && middle.height > 0) {
        for (int y = topHeight; y < height - bottomHeight; y += middle.height) {
            view->DrawBackgroundFrame(middle, 0, y, width, middle.height);
        }
    }
    if (bottomHeight > 0) {
        view->DrawBackgroundFrame(bottom, 0, height - bottomHeight, width, bottomHeight);
    }
    view->SetTextOffset(0, kTextTop);
    view->SetViewSize(std::max(1, width - kTextRightMargin),
                      std::max(1, height - kTextBottomMargin));
    view->Invalidate();
}
