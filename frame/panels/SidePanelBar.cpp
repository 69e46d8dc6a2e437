#include "frame/panels/SidePanelBar.h"

CCorvaneObject* CSidePanelBar::FindSubSystem() {
    return FindObjectByName("SubSystem");
}

bool CSidePanelBar::SendToSubSystem(int event, intptr_t param1, intptr_t param2) {
    CCorvaneObject* side = FindSubSystem();
    if (side == nullptr) {
        return false;
    }
    side->OnEvent(MakeEventRecord(side->GetId(), event, param1, param2));
    return true;
}

FrameRecord CSidePanelBar::SkinFrame(const char* name, int frame) {
    return GetSkinFrame(name, frame);
}

int CSidePanelBar::LeftEdge() {
    return static_cast<int>(GetLeft());
}

int CSidePanelBar::TopEdge() {
    return static_cast<int>(GetTop());
}

void CSidePanelBar::AdoptPeer(CCorvaneObject* peer) {
    if (peer == nullptr) {
        return;
    }
    const double x = CCorvaneObject::GetX();
    const double y = CCorvaneObject::GetY();
    const double width = CCorvaneObject::GetWidth();
    const double height = CCorvaneObject::GetHeight();
    peer->SetPos(x, y);
    if (width > 0 && height > 0) {
        peer->SetSize(width, height);
    }
    PeerSetUp(peer, kPeerLinkFlags);
}

bool CSidePanelBar::IsPointerOver(CCorvaneObject* object) {
    if (object == nullptr || object->IsVisible() == 0) {
        return false;
    }
    InputState input;
    GetInputState(&input);
    return input.mouseX >= object->GetLeft() && input.mouseX < object->GetRight() &&
           input.mouseY >= object->GetTop() && input.mouseY < object->GetBottom();
}

void CSidePanelBar::PlaceCentre(CCorvaneObject& object, double x, double y) {
    object.MoveBy(x - object.GetX(), y - object.GetY());
}
