#pragma once
// The text input box: a rich-text box that takes keyboard input. It adds a
// key map, a length limit in bytes, a text read-back (embedded objects read
// as "[控件]"), a password display, a submit notification to an owner, an
// input history recalled with Up and Down, a hint text that vanishes at the
// first key press, and a next field for Tab.
//
// Rules:
//  - Typed and pasted text is input from outside: every insertion passes
//    through InsertText, which enforces the byte limit without splitting a
//    double-byte character; what does not fit is dropped from the end of the
//    inserted run, never from text that was already in the box.
//  - Text is taken literally unless the rich-text markup style is on.
//  - The history keeps at most kEditHistoryLimit entries, oldest dropped.
//  - A submitted text buffer belongs to the receiver; a notification that
//    cannot be delivered frees its own buffer.
//  - The next field is kept as an object id and looked up on every use.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/EventRecord.h"
#include "engine/ui/RichText.h"

// Style bits the edit box adds to the rich-text style word.
inline constexpr uint32_t kEditHistory = 0x40000;
inline constexpr uint32_t kEditSubmitOnChange = 0x100000;
// Always added by CCorvaneEdit::Create: follow, selectable, editable,
// immediate redraw.
inline constexpr uint32_t kEditCreateStyle = 0x24006;
inline constexpr int kEditCreationTag = 512;
// How an embedded object reads in the text.
inline constexpr char kEditObjectText[] = "[控件]";
inline constexpr int kEditObjectBytes = 6;
inline constexpr size_t kEditHistoryLimit = 256;

// Virtual-key codes of the key map.
inline constexpr int kEditKeyBack = 8;
inline constexpr int kEditKeyTab = 9;
inline constexpr int kEditKeyEnter = 13;
inline constexpr int kEditKeyEscape = 27;
inline constexpr int kEditKeyLeft = 37;
inline constexpr int kEditKeyUp = 38;
inline constexpr int kEditKeyRight = 39;
inline constexpr int kEditKeyDown = 40;
inline constexpr int kEditKeyDelete = 46;
inline constexpr int kEditKeyPaste = 'V';

// The text with every '#' and '<' escaped so that the markup scan takes it
// literally; double-byte characters are copied whole, and a lead byte at the
// very end, which has no trail byte, is dropped. With a room of zero or
// more, the text ends before the first character that would take it beyond
// that many bytes (a carriage return takes none: it makes no element, and is
// left out when asked).
std::string EditLiteralText(const char* text, long long room, bool dropCarriageReturns = false);

class CCorvaneEdit : public CCorvaneRichText {
public:
    CCorvaneEdit() = default;
    ~CCorvaneEdit() override = default;

    // --- Replaced operations of the rich-text box and the root object ---
    int OnEvent(const EventRecord& record) override;
    // Every insertion (paste, markup events) goes through InsertText.
    void AppendText(const char* text) override;
    // An edit box turns no markup run into objects or link buttons.
    int BuildElements(const std::string& content) override;
    // Runs the rich-text handling; while the hint shows, clears the box.
    void OnButtonDown(int x, int y) override;

    // --- The edit box's own operations ---
    using CCorvaneRichText::Create;
    // The rich-text box with style | 0x24006, font size height - 2,
    // focusable, the character event bound to itself.
    virtual void Create(int width, int height, uint32_t style);
    virtual void SetNotify(int targetId, int eventId, int hideAfterSubmit);
    // The key map; 1 when the key was handled.
    virtual int OnKey(int key, int flags);
    virtual void OnEnter();
    virtual void Submit();
    virtual void AddHistory(const char* text);
    virtual void OnChar(const InputState& input);
    using CCorvaneRichText::OnKeyDown;
    virtual void OnKeyDown(const InputState& input);
    virtual void Paste();
    virtual void OnTab();
    virtual void OnEscape();
    // Called when an insertion is refused because the box is full.
    virtual void OnTextFull() {}
    // The text as a zero-terminated buffer of GetTextLength() bytes made
    // with AllocEventBlock; the caller frees it with FreeEventBlock.
    virtual char* GetText();
    // The text length in bytes: 1 or 2 per character, 6 per object.
    virtual int GetTextLength();
    virtual void SetPassword(int on);
    virtual void SetNextField(CCorvaneEdit* next);
    virtual void TakeFocus();
    using CCorvaneRichText::EnableInput;
    virtual void DisableInput();
    virtual void EnableInput();
    virtual void ShowHint(const char* text, uint32_t color);
    // Inserts at the caret within the byte limit.
    virtual void InsertText(const char* text);

    void SetMaxLength(int bytes) { maxLength_ = bytes; }
    int GetMaxLength() const { return maxLength_; }
    // The element the caret stands in front of (null: at the end).
    RichTextElement* GetCaret() { return GetInsertionPoint(); }
    bool IsHintShown() const { return hintShown_ != 0; }
    const std::vector<std::string>& GetHistory() const { return history_; }
    int GetHistoryIndex() const { return historyIndex_; }
    CCorvaneEdit* GetNextField();

protected:
    // Sets or clears style bits, keeping the rest.
    void ChangeStyle(uint32_t bits, bool on);
    // Clears the box when the hint shows.
    void ClearHint();

private:
    // Replaces the text with the history entry `step` away from the current.
    void RecallHistory(int step);
    // With style 0x100000: the submit notification.
    void SubmitIfLive();
    // Drops inserted elements from the end of the run (ending just before
    // the caret) until the text fits, at most `inserted` of them.
    void TrimInsertion(int inserted);

    int hintShown_ = 0;
    int hideAfterSubmit_ = 0;
    int nextFieldId_ = 0;
    int notifyTarget_ = 0;
    int notifyEvent_ = 0;
    std::vector<std::string> history_;
    int historyIndex_ = 0;
    int maxLength_ = -1;
};
