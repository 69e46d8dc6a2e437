#pragma once
// The common base of the side panel's bars: an engine control that finds
// the side panel ("SubSystem") by name and re-places its own children when
// the side panel moved or resized it.
//
// Rules:
//  - A bar keeps no pointer to the side panel or to another bar: it finds
//    them by engine object name on every use, and does nothing when the
//    name is not found.
//  - Create (the engine's create operation, run when the bar is registered)
//    makes the bar's parts once; a second call does nothing.
//  - Relayout runs after every move or resize of the bar.

#include <cstdint>

#include "engine/CorvaneControl.h"
#include "engine/EngineEvents.h"
#include "engine/ImageRecord.h"

// How a bar attaches its parts: owned, and following its position, depth,
// visibility and redraws.
inline constexpr uint32_t kBarChildLink =
    kLinkOwned | kLinkPosition | kLinkZ | kLinkShow | kLinkHide | kLinkInvalidate;

class CSidePanelBar : public CCorvaneControl {
public:
    // Re-places the bar's own children for its current rectangle.
    virtual void Relayout() {}

protected:
    // True the first time only: the bar's Create makes its parts then.
    bool FirstCreate() {
        const bool first = !created_;
        created_ = true;
        return first;
    }
    // The side panel, or null.
    CCorvaneObject* FindSubSystem();
    // Delivers {side panel, event, p1, p2} at once; false without a side panel.
    bool SendToSubSystem(int event, intptr_t param1, intptr_t param2);
    // Frame n of a skin image; width and height 0 when it is missing.
    FrameRecord SkinFrame(const char* name, int frame = 0);
    // Makes the peer the bar's visible part at the place and size the bar
    // already has (a new canvas starts off the scene).
    void AdoptPeer(CCorvaneObject* peer);
    // Moves the object's centre to (x, y). A control answers its position
    // from its peer, which need not lie where the control's own record
    // does, so the move is made relative to where it shows.
    static void PlaceCentre(CCorvaneObject& object, double x, double y);
    // True when the pointer lies over the shown object.
    bool IsPointerOver(CCorvaneObject* object);
    // Left and top edges of the bar, cut to whole numbers.
    int LeftEdge();
    int TopEdge();

private:
    bool created_ = false;
};
