#include "game/dialogs/DialogParts.h"

#include <algorithm>

#include "engine/CorvaneCanvas.h"
#include "engine/CorvaneControl.h"
#include "engine/CorvanePicture.h"
#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneCheckBox.h"

namespace dialog_parts {

namespace {

constexpr char kFace[] = "宋体";
constexpr int kTextSize = 12;
constexpr int kTextWeight = 400;
constexpr uint32_t kColourKey = 0xFF00FF;
constexpr uint32_t kTextColour = 0;
constexpr uint32_t kFieldColour = 0xE8F4F8;
constexpr uint32_t kFieldRimColour = 0x1E2A3A;
// The field's rim and a pixel of ground lie around the edit box.
constexpr int kFieldMargin = 2;
constexpr char kHoverSound[] = "SndTouchButton";
constexpr char kPressSound[] = "SndHitButton";

}  // namespace

int MakeBody(CCorvaneControl& dialog, const char* image) {
    const FrameRecord frame = dialog.GetResourceFrame(image, 0);
    CCorvanePicture* body = dialog.CreatePicture(frame);
    if (body == nullptr) {
        return 0;
    }
    body->SetTopmost();
    body->EnableDrag(1);
    body->Invalidate();
    dialog.PeerSetUp(body, kPartLink);
    return body->GetId();
}

int CheckBoxHeight(CCorvaneControl& dialog) {
    return dialog.GetResourceFrame(kCheckBoxImage, 0).height;
}

int MakeLabel(CCorvaneControl& dialog, CCorvaneObject& body, int width, int height, double x,
              double y, const char* text, int textX, int textY, int pressEvent) {
    CCorvaneCanvas* canvas =
        dialog.CreateCanvas(width > 0 ? width : 1, height > 0 ? height : 1, kColourKey);
    if (canvas == nullptr) {
        return 0;
    }
    canvas->SetPenColor(kTextColour, 1.0);
    canvas->SetFont(kTextSize, kTextWeight, kFace);
    canvas->DrawText(textX, textY, text);
    canvas->SetPos(x, y);
    canvas->SetZ(body.GetZ() + kBoxStep);
    body.AttachChild(canvas, kPartLink);
    if (pressEvent >= 0) {
        canvas->EnableInput(1);
        canvas->BindEvent(kEventLButtonDown, dialog.GetId(), pressEvent, 0, 0);
    }
    canvas->Invalidate();
    return canvas->GetId();
}

int MakeEditField(CCorvaneControl& dialog, CCorvaneObject& body, int width, int height, double x,
                  double y) {
    const int fieldWidth = std::max(width, 0) + 2 * kFieldMargin;
    const int fieldHeight = std::max(height, 0) + 2 * kFieldMargin;
    CCorvaneCanvas* canvas = dialog.CreateCanvas(fieldWidth, fieldHeight, kColourKey);
    if (canvas == nullptr) {
        return 0;
    }
    canvas->SetPenColor(kFieldColour, 1.0);
    canvas->DrawRect(0, 0, fieldWidth, fieldHeight, 1);
    canvas->DrawBorder(1, kFieldRimColour);
    canvas->SetPos(x, y);
    canvas->SetZ(body.GetZ() + kBoxStep / 2);
    body.AttachChild(canvas, kPartLink);
    canvas->Invalidate();
    return canvas->GetId();
}

int MakeCheckBox(CCorvaneControl& dialog, CCorvaneObject& body, int state, double x, double y) {
    auto* box = new CCorvaneCheckBox;
    dialog.Register(box);
    if (box->IsRegistered() == 0) {
        delete box;
        return 0;
    }
    box->Create(dialog.GetResourceFrame(kCheckBoxImage, 0), state);
    box->SetPos(x, y);
    box->SetZ(body.GetZ() + kBoxStep);
    body.AttachChild(box, kPartLink);
    box->Invalidate();
    return box->GetId();
}

int MakeButton(CCorvaneControl& dialog, CCorvaneObject& body, const char* image, int event) {
    auto* button = new CCorvaneButton;
    dialog.Register(button);
    if (button->IsRegistered() == 0) {
        delete button;
        return 0;
    }
    const EventRecord notify = MakeEventRecord(dialog.GetId(), event, 0, 0);
    button->Create(dialog.GetResourceFrame(image, 0), &notify, 0, 0);
    button->SetSound(kButtonLookHover, kHoverSound);
    button->SetSound(kButtonLookPressed, kPressSound);
    button->SetZ(body.GetZ() + kButtonStep);
    body.AttachChild(button, kPartLink);
    button->Invalidate();
    return button->GetId();
}

void Place(CCorvaneControl& dialog, int id, double x, double y) {
    if (CCorvaneObject* part = dialog.FindObjectById(id)) {
        part->SetPos(x, y);
    }
}

double PartWidth(CCorvaneControl& dialog, int id) {
    CCorvaneObject* part = dialog.FindObjectById(id);
    return part != nullptr ? part->GetWidth() : 0.0;
}

double PartHeight(CCorvaneControl& dialog, int id) {
    CCorvaneObject* part = dialog.FindObjectById(id);
    return part != nullptr ? part->GetHeight() : 0.0;
}

void Close(CCorvaneControl& dialog) {
    dialog.Hide();
    dialog.Invalidate();
}

}  // namespace dialog_parts
