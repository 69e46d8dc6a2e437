#include "engine/ui/CorvaneTextItem.h"

#include "engine/CorvaneCanvas.h"

namespace {

constexpr char kItemFace[] = "宋体";
constexpr int kNormalWeight = 400;
constexpr int kHoverWeight = 700;
constexpr uint32_t kHoverTint = 0xFF0000;
constexpr double kHoverTintStrength = 0.2;
constexpr uint32_t kHoverBorder = 0xBB5B6C;
constexpr double kDisabledOpacity = 0.3;

}  // namespace

void CCorvaneTextItem::DrawCaptionCentred(CCorvaneCanvas& canvas) {
    canvas.DrawTextCentered(static_cast<int>(GetWidth() * 0.5), static_cast<int>(GetHeight() * 0.5),
                            Caption().c_str());
}

void CCorvaneTextItem::Draw(int look) {
    CCorvaneCanvas* canvas = GetCanvas();
    if (canvas == nullptr) {
        return;
    }
    switch (look) {
        case 0:
            canvas->Clear();
            canvas->SetAlpha(1.0);
            canvas->SetFont(GetFontSize(), kNormalWeight, kItemFace);
            DrawCaptionCentred(*canvas);
            break;
        case 1:
            canvas->SetFont(GetFontSize(), kHoverWeight, kItemFace);
            canvas->Clear();
            canvas->SetAlpha(1.0);
            DrawCaptionCentred(*canvas);
            canvas->BlendColor(kHoverTint, kHoverTintStrength);
            canvas->DrawBorder(1, kHoverBorder);
            break;
        case 2:
            // Inverts what the hover look drew: a press follows an enter.
            canvas->SetAlpha(1.0);
            canvas->InvertRect(0, 0, canvas->GetCanvasWidth(), canvas->GetCanvasHeight());
            break;
        case 3:
            canvas->Clear();
            canvas->SetFont(GetFontSize(), kNormalWeight, kItemFace);
            canvas->SetAlpha(kDisabledOpacity);
            DrawCaptionCentred(*canvas);
            break;
        default:
            break;
    }
    canvas->Invalidate();
}
