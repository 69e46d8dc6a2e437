#include "mahjong_client/panels/SystemChatBox.h"

#include "engine/ui/RichText.h"

namespace {

constexpr char kTopSlice[] = "SystemChatBox1";
constexpr char kMiddleSlice[] = "SystemChatBox2";
constexpr char kBottomSlice[] = "SystemChatBox3";

}  // namespace

CSystemChatBox::CSystemChatBox() = default;

CSystemChatBox::~CSystemChatBox() = default;

void CSystemChatBox::PaintBackground(CCorvaneRichText& view, int width, int height) {
    const FrameRecord top = SkinFrame(kTopSlice);
    const FrameRecord middle = SkinFrame(kMiddleSlice);
    const FrameRecord bottom = SkinFrame(kBottomSlice);
    const int topHeight = top.record != nullptr ? top.height : 0;
    const int bottomHeight = bottom.record != nullptr ? bottom.height : 0;
    if (topHeight > 0) {
        view.DrawBackgroundFrame(top, 0, 0, width, topHeight);
    }
    if (middle.record != nullptr && middle.height > 0) {
        for (int y = topHeight; y < height - bottomHeight; y += middle.height) {
            view.DrawBackgroundFrame(middle, 0, y, width, middle.height);
        }
    }
    if (bottomHeight > 0) {
        view.DrawBackgroundFrame(bottom, 0, height - bottomHeight, width, bottomHeight);
    }
}
