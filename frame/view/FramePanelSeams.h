#pragma once
// The side-panel objects and boxes that the frame view makes and drives but
// that the frame's panels build: the splitter between the table area and the
// side panel, the side panel itself and two of its bars, and the three boxes
// the close rules and the table's requests open. Each is an engine object
// made through a factory the application holds (FramePanelFactories); once
// the view registered it, the engine owns it and the view keeps only its id.

#include <cstdint>
#include <functional>

#include "engine/CorvaneControl.h"
#include "engine/CorvaneObject.h"
#include "engine/CorvaneView.h"
#include "engine/EventRecord.h"

// The divider between "MainGame" and "SubSystem": either expanded (the side
// panel shows) or collapsed (the side panel lies right of the scene). Its
// width is the object's width; the view sizes and places it, then calls
// Relayout. The frame's panels build the real bar (CSplitterBar).
class CFrameSplitter : public CCorvaneControl {
public:
    // Places its own parts after the view moved or sized it.
    virtual void Relayout() = 0;
    virtual void Redraw() = 0;
    // Stores the state only: no drawing, no change of the side panel.
    virtual void SetCollapsed(int collapsed) = 0;
    virtual int IsCollapsed() = 0;
    virtual int IsExpanded() = 0;
};

// The side panel ("SubSystem") is a plain view here; the panels library's
// CSystemBars fills it.

// The side panel's advert bar, found by its name "AdvertBar". Its page lives
// in a window of its own, which the view hides while it lays out; the frame
// window loads the page once the game data is ready.
class CAdvertBarPage {
public:
    virtual ~CAdvertBarPage() = default;
    virtual void LoadAdvertPage() = 0;
    virtual bool IsPageShowing() = 0;
    virtual void HidePageWindow() = 0;
    virtual void ShowPageWindow() = 0;
};

// The "请求强退" box: a text, a reason input and two answers. Confirm sends
// its record with param1 = a heap copy of the reason (AllocEventBlock; the
// receiver frees it with FreeEventBlock), cancel sends its record as given.
class CForceQuitBox : public CCorvaneObject {
public:
    virtual void ShowForceQuit(const char* text, const EventRecord& confirm,
                               const EventRecord& cancel, int kind) = 0;
    // Longest reason in bytes.
    virtual void SetReasonLimit(int bytes) = 0;
    virtual void SetCaption(const char* caption) = 0;
};

// Another player's exit request: two texts, a picture and two answers; at
// the time limit the box answers by itself with the second record.
class CExitRequestBox : public CCorvaneObject {
public:
    virtual void ShowExitRequest(const char* name, const char* text, const char* pictureFile,
                                 const EventRecord& agree, const EventRecord& refuse,
                                 int seconds) = 0;
};

// An information or notice box with up to two answers, delivered as the
// stored records when their buttons are pressed.
class CSystemInfoBox : public CCorvaneObject {
public:
    // first, second may be null (no such answer).
    virtual void ShowBox(const char* text, const EventRecord* first, const EventRecord* second,
                         int seconds, int style, const char* image, int extra1, int extra2) = 0;
    // The second setting operation: the two button captions.
    virtual void SetButtonCaptions(const char* first, const char* second) = 0;
};

// What the application hands the frame view to make these objects; a
// missing factory or a null result means the object is not there.
struct FramePanelFactories {
    std::function<CFrameSplitter*()> splitterBar;
    std::function<CForceQuitBox*()> forceQuitBox;
    std::function<CExitRequestBox*()> exitRequestBox;
    std::function<CSystemInfoBox*()> infoBox;
    // The side panel a frame view takes as its "SubSystem" child.
    std::function<CCorvaneView*()> systemBars;
};
