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
#include "engine/ui/CorvaneDialog.h"

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

// The notice box as the view drives it: a framed engine dialog with a text,
// up to two answers and a countdown; each answer is a stored record the box
// delivers once. The frame's panels build the real boxes (they derive from
// these seams; the two special boxes share one dialog through the virtual
// base).
class CInfoBoxSeam : public CCorvaneDialog {
public:
    // confirm, cancel may be null (no such answer); the records are copied.
    // pictureKey is shown with style 0x10; the button images are skin item
    // names, null or empty for the default ones.
    virtual void ShowBox(const char* text, const EventRecord* confirm, const EventRecord* cancel,
                         int seconds, int style, const char* pictureKey, const char* confirmImage,
                         const char* cancelImage) = 0;
    // The second setting operation: captions that replace the two buttons'
    // faces; null or empty keeps a button as it is.
    virtual void SetButtonCaptions(const char* confirm, const char* cancel) = 0;
    // A web address the confirm answer opens first, signed with the number.
    virtual void SetLinkPage(const char* address, int number) = 0;
};

// The "请求强退" box: a text, a reason input and two answers. Confirm sends
// its record with param1 = a heap copy of the reason (AllocEventBlock; the
// receiver frees it with FreeEventBlock) and param2 = the copy's size;
// cancel sends its record as given. Its caption is the dialog's title.
class CForceQuitBoxSeam : public virtual CInfoBoxSeam {
public:
    virtual void ShowForceQuit(const char* text, const EventRecord& confirm,
                               const EventRecord& cancel, int kind) = 0;
    // Longest reason in bytes.
    virtual void SetReasonLimit(int bytes) = 0;
};

// Another player's exit request: two texts, a picture and two answers; at
// the time limit the box answers by itself with the second record.
class CExitRequestBoxSeam : public virtual CInfoBoxSeam {
public:
    virtual void ShowExitRequest(const char* name, const char* text, const char* pictureFile,
                                 const EventRecord& agree, const EventRecord& refuse,
                                 int seconds) = 0;
};

// What the application hands the frame view to make these objects; a
// missing factory or a null result means the object is not there.
struct FramePanelFactories {
    std::function<CFrameSplitter*()> splitterBar;
    std::function<CForceQuitBoxSeam*()> forceQuitBox;
    std::function<CExitRequestBoxSeam*()> exitRequestBox;
    std::function<CInfoBoxSeam*()> infoBox;
    // The side panel a frame view takes as its "SubSystem" child.
    std::function<CCorvaneView*()> systemBars;
};
