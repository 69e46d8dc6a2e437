#pragma once
// The form panel and its two special parts.
//
// CCorvaneComboBox owns a set of parts (labels, pictures, edit fields, check
// boxes, radio items, buttons), each made at an offset from the panel's
// top-left corner and registered under a key chosen by the caller; the
// owner then reads and changes the parts by key.
//
// Rules:
//  - Parts are children of the panel (destroyed with it); the map holds
//    only their ids. Every keyed operation looks the part up by id and
//    checks its kind, and does nothing for an absent key, a part that is
//    gone or a part of another kind.
//  - Adding under a key in use makes and attaches the part but leaves the
//    key naming the first one.
//  - The edit parts form a Tab ring in ascending key order, relinked at
//    once when one is added or removed; a removed part loses the focus.
//
// CCorvaneComboEdit is the panel's edit field: grey committed text while it
// is not edited, black while it is; a one-pixel frame that changes colour
// under the mouse. Enter, Tab and the loss of the focus commit the text.
//
// CCorvaneComboItem is a radio item: a click turns it on, never off.

#include <cstdint>
#include <map>
#include <string>

#include "engine/ui/CorvaneButton.h"
#include "engine/ui/CorvaneCheckBox.h"
#include "engine/ui/CorvaneEdit.h"

class CCorvaneCanvas;
class CCorvanePicture;

inline constexpr uint32_t kComboPartLink = 0x1BC0EB;
inline constexpr uint32_t kComboShownLink = 0x180000;
inline constexpr uint32_t kComboNoFrame = 0xFF00FF;
inline constexpr uint32_t kComboInactiveText = 0xC3C3C3;
// The field's own focus-lost event, swallowed.
inline constexpr int kEventComboFocusLost = 80000001;

class CCorvaneComboEdit : public CCorvaneEdit {
public:
    CCorvaneComboEdit() = default;
    ~CCorvaneComboEdit() override = default;

    int GetType() override { return kKindComboEdit; }
    int OnEvent(const EventRecord& record) override;
    void SetBackgroundImage(const char* name) override;
    void OnDeactivate() override;
    void OnEnter() override;
    void OnTab() override;
    void TakeFocus() override;

    using CCorvaneEdit::Create;
    // The edit box inside a width x height background (5 pixels of margin
    // across, 3 down); single-line unless multiLine is nonzero.
    virtual void Create(int width, int height, int multiLine);
    // The committed text, shown again.
    virtual void SetText(const char* text);
    virtual void SetColors(uint32_t frame, uint32_t hoverFrame, uint32_t caret);
    virtual void ShowActive();
    virtual void ShowInactive();

    const std::string& GetCommittedText() const { return committed_; }
    uint32_t GetFrameColor() const { return frameColor_; }
    uint32_t GetHoverFrameColor() const { return hoverFrameColor_; }

private:
    // The box's current text becomes the committed text.
    void Commit();
    // A one-pixel frame in the colour on the background (none for 0xFF00FF).
    void DrawFrame(uint32_t color);

    std::string committed_;
    uint32_t backgroundColor_ = 0xFFFFFF;
    uint32_t frameColor_ = 0;
    uint32_t hoverFrameColor_ = 0xFF0000;
    uint32_t inactiveTextColor_ = kComboInactiveText;
};

class CCorvaneComboItem : public CCorvaneCheckBox {
public:
    int OnEvent(const EventRecord& record) override;
    // Off: turns on and posts the on notification. On: nothing.
    virtual void Select();
};

class CCorvaneComboBox : public CCorvaneControl {
public:
    CCorvaneComboBox() = default;
    ~CCorvaneComboBox() override = default;

    // x and y: the part's top-left corner from the panel's.
    virtual CCorvaneCanvas* AddLabel(int key, int x, int y, const char* text, int fontSize,
                                     uint32_t color);
    virtual CCorvanePicture* AddPicture(int key, int x, int y, const FrameRecord& frame);
    virtual CCorvaneComboEdit* AddEdit(int key, int x, int y, int width, int height);
    virtual CCorvaneCheckBox* AddCheckBox(int key, int x, int y, const FrameRecord& frame,
                                          int state);
    virtual CCorvaneComboItem* AddRadioItem(int key, int x, int y, const FrameRecord& frame,
                                            int state);
    virtual CCorvaneButton* AddButton(int key, int x, int y, const FrameRecord& frame,
                                      const EventRecord* notify);
    virtual void SetLabel(int key, const char* text, int fontSize, uint32_t color);
    virtual void SetLabelText(int key, const char* text);
    virtual void SetEditNumber(int key, int value);
    virtual void SetEditText(int key, const char* text);
    virtual void SetCheck(int key, int state);
    virtual void SetPicture(int key, const FrameRecord& frame);
    virtual void ShowPart(int key);
    virtual void HidePart(int key);
    virtual void RemovePart(int key);
    // A negative key: every edit part.
    virtual void ClearEdits(int key);
    // A negative key: every check box and radio item part.
    virtual void ClearChecks(int key);

    // A canvas child (no key) with the picture drawn in it, when given.
    CCorvaneCanvas* CreateImageChild(int width, int height, CCorvanePicture* picture);

    // The part under the key, or null.
    CCorvaneObject* GetPart(int key);

private:
    // The part under the key when it is of that kind.
    CCorvaneObject* PartOfKind(int key, int kind);
    CCorvaneCanvas* LabelOf(int key);
    CCorvaneComboEdit* EditOf(int key);
    CCorvaneCheckBox* CheckOf(int key);
    void Place(int key, CCorvaneObject* part, int x, int y, int width, int height, double dz);
    void RelinkTabRing();

    std::map<int, int> parts_;  // key -> object id
};
