#include "mahjong_client/panels/SystemUserListBar.h"

#include "engine/CorvaneCanvas.h"
#include "frame/GameFrameApp.h"

namespace {

constexpr char kHeaderImage[] = "SystemUserListBar";
constexpr char kDivideImage[] = "SystemDivide";
constexpr char kCornerImage[] = "滚动角";
constexpr char kFontFace[] = "宋体";
constexpr int kFontSize = 12;
constexpr int kBoldWeight = 600;

}  // namespace

CSystemUserListBar::CSystemUserListBar() = default;

CSystemUserListBar::~CSystemUserListBar() = default;

void CSystemUserListBar::DrawHeader() {
    const FrameRecord header = GetResourceFrame(kHeaderImage, 0);
    if (CCorvaneCanvas* canvas = GetHeaderCanvas()) {
        CGameFrameApp* app = CGameFrameApp::Current();
        canvas->Clear();
        canvas->SetPenColor(app != nullptr ? app->GetPlayerViewHeaderColor() : 0, 1.0);
        canvas->SetFont(kFontSize, kBoldWeight, kFontFace);
        if (header.record != nullptr) {
            canvas->DrawImage(header, 0, 0, -1, -1, 0.0, 1.0);
        }
        const FrameRecord divide = GetResourceFrame(kDivideImage, 0);
        int x = 0;
        for (const UserListColumn& column : GetColumns()) {
            // Until a column with a width has passed, a title is drawn as
            // the first one: no divider, the first indent.
            if (x <= 0) {
                canvas->DrawText(x + 3, 3, column.title);
            } else {
                if (divide.record != nullptr) {
                    canvas->DrawImage(divide, x, 2, -1, -1, 0.0, 1.0);
                }
                canvas->DrawText(x + 4, 3, column.title);
            }
            x += column.width;
        }
        canvas->Invalidate();
    }
    if (CCorvaneCanvas* strip = GetHeaderStripCanvas()) {
        strip->Clear();
        if (header.record != nullptr) {
            strip->DrawImage(header, 0, 0, strip->GetCanvasWidth(), header.height, 0.0, 1.0);
        }
        strip->Invalidate();
    }
    const FrameRecord corner = GetResourceFrame(kCornerImage, 0);
    CCorvaneCanvas* cornerCanvas = GetCornerCanvas();
    if (cornerCanvas != nullptr && corner.record != nullptr && corner.height > 0) {
        cornerCanvas->Clear();
        cornerCanvas->DrawImage(corner, 0, 0, -1, -1, 0.0, 1.0);
        cornerCanvas->Invalidate();
    }
}
