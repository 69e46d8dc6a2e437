#pragma once
// The framed input widgets of the safe-box dialogs: an edit with option
// flags (digits only, bold text, a byte limit), that edit in a skinned frame
// ("InputBoxBkg"), a text list that drops an item by its caption, and a
// framed edit with a drop-down button ("btnQuickChat") that opens a list of
// the last entries put into it.
//
// Rules:
//  - Every part is an engine object held by id, looked up with a kind check,
//    and destroyed with its parent.
//  - Without an edit the forwarding operations do nothing; negative sizes
//    are ignored; an insertion into a full edit is refused.
//  - A drop entry's text lives in storage of its own that never moves while
//    the entry exists, so each list item delivers its own entry's text.

#include <cstdint>
#include <list>
#include <string>

#include "engine/CorvaneControl.h"
#include "engine/ui/CorvaneEdit.h"
#include "engine/ui/CorvaneTextList.h"

class CCorvaneButton;
class CCorvaneCanvas;

// Option bits of CInputEdit.
inline constexpr uint32_t kInputKeyboardDigits = 0x1;  // typing allowed, digits only
inline constexpr uint32_t kInputBoldText = 0x2;        // inserted text is bold
inline constexpr uint32_t kInputDefaultFlags = 7;

// Events of the drop input box.
inline constexpr int kEventDropButton = 80000031;
inline constexpr int kEventDropEntryChosen = 80000032;
// The drop button is pressed (before the press moves the focus).
inline constexpr int kEventDropButtonPressed = 80000033;

inline constexpr int kDropEntryLimit = 6;
inline constexpr uint32_t kInputEditBack = 0xDCF0E6;

class CInputEdit : public CCorvaneEdit {
public:
    CInputEdit() = default;
    ~CInputEdit() override = default;

    // Refused when the byte limit is reached; otherwise appended at the
    // caret (bold with flag 0x2) and trimmed before the caret to the limit.
    void InsertText(const char* text) override;
    // Only with flag 0x1, and only the characters '0'..'9'.
    void OnChar(const InputState& input) override;
    using CCorvaneEdit::OnKeyDown;
    // Only with flag 0x1.
    void OnKeyDown(const InputState& input) override;
    // The edit's focus taking without raising it above its siblings.
    void TakeFocus() override;

    // The option bits (the engine object's own flags keep their names).
    void SetOptionFlags(uint32_t flags) { flags_ = flags; }
    uint32_t GetOptionFlags() const { return flags_; }

private:
    uint32_t flags_ = kInputDefaultFlags;
};

class CInputBox : public CCorvaneControl {
public:
    CInputBox() = default;
    ~CInputBox() override = default;

    void Create() override;

    // --- the box's own operations, in this order ---
    virtual void SetSize(int width, int height);
    virtual void SetWidth(int width);
    virtual void SetHeight(int height);
    virtual void Layout();
    using CCorvaneVisual::SetFocus;
    virtual void SetFocus();
    virtual void Clear();
    // Inserted at the caret through the edit's insertion; the edit takes
    // the focus.
    virtual void SetText(const char* text);
    // A zero-terminated copy (AllocEventBlock) the caller frees with
    // FreeEventBlock; null without an edit.
    virtual char* GetText();
    virtual void FillRect(int x0, int y0, int x1, int y1, uint32_t colour);

    using CCorvaneObject::SetSize;
    void SetMaxLength(int bytes);
    void SetEditFlags(uint32_t flags);
    uint32_t GetEditFlags();

    CInputEdit* GetEdit();
    CCorvaneCanvas* GetFrame();
    int GetBoxWidth() const { return width_; }
    int GetBoxHeight() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
    int editId_ = 0;
    int frameId_ = 0;
};

class CDropList : public CCorvaneTextList {
public:
    CDropList() = default;
    ~CDropList() override = default;

    // Destroys the first item whose caption equals the text; lays the list
    // out in any case.
    virtual void RemoveItem(const char* caption);
};

class CDropInputBox : public CCorvaneControl {
public:
    CDropInputBox() = default;
    ~CDropInputBox() override = default;

    void Create() override;
    int OnEvent(const EventRecord& record) override;

    // --- the box's own operations, in this order ---
    virtual void Layout();
    virtual void SetWidth(int width);
    virtual void SetText(const char* text);
    virtual void Clear();
    // Keeps the text as the newest of at most six entries.
    virtual void AddEntry(const char* text);
    // Opens the list under the drop button, or closes it. (A press on the
    // drop button takes the focus from an open list, which closes it; the
    // button's click then leaves it closed, so the button opens and closes.)
    virtual void ToggleList();
    using CCorvaneVisual::SetFocus;
    virtual void SetFocus();
    // As CInputBox::GetText.
    virtual char* GetText();

    void SetMaxLength(int bytes);

    CInputEdit* GetEdit();
    CDropList* GetList();
    CCorvaneButton* GetDropButton();
    CCorvaneCanvas* GetFrame();
    // The entries, oldest first.
    const std::list<std::string>& GetEntries() const { return entries_; }

private:
    int width_ = 0;
    int editId_ = 0;
    int buttonId_ = 0;
    int listId_ = 0;
    int frameId_ = 0;
    // Whether the list was open when the drop button was pressed.
    bool listOpenAtPress_ = false;
    // A list, so that dropping the oldest moves no other entry's text.
    std::list<std::string> entries_;
};
