#include "engine/ui/CorvaneEdit.h"

#include <cstring>

#include "engine/CorvaneCanvas.h"
#include "platform/Input.h"

std::string EditLiteralText(const char* text, long long room, bool dropCarriageReturns) {
    std::string out;
    long long used = 0;
    for (size_t i = 0; text[i] != '\0'; ++i) {
        const bool pair = static_cast<unsigned char>(text[i]) >= 0x81;
        if (pair && text[i + 1] == '\0') {
            // A lead byte with no trail byte is dropped: copied raw, it would
            // pair with whatever follows the text in the line and take an
            // escape character away from it.
            break;
        }
        const int bytes = text[i] == '\r' ? 0 : (pair ? 2 : 1);
        if (room >= 0 && used + bytes > room) {
            break;
        }
        used += bytes;
        if (pair) {
            out += text[i];
            out += text[++i];
            continue;
        }
        if (text[i] == '\r' && dropCarriageReturns) {
            continue;
        }
        if (text[i] == '#' || text[i] == '<') {
            out += '#';
        }
        out += text[i];
    }
    return out;
}

namespace {

int ElementBytes(const RichTextElement& element) {
    if (element.IsObject()) {
        return kEditObjectBytes;
    }
    return element.IsDoubleByte() ? 2 : 1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation and settings

void CCorvaneEdit::Create(int width, int height, uint32_t style) {
    CCorvaneRichText::Create(width, height, style | kEditCreateStyle, kEditCreationTag);
    SetFontSize(height - 2);
    SetFocusable(1);
    BindEventToSelf(kEventChar);
    Redraw();
}

void CCorvaneEdit::SetNotify(int targetId, int eventId, int hideAfterSubmit) {
    notifyTarget_ = targetId;
    notifyEvent_ = eventId;
    hideAfterSubmit_ = hideAfterSubmit;
}

void CCorvaneEdit::SetPassword(int on) {
    ChangeStyle(kRichPassword, on != 0);
    Redraw();
}

void CCorvaneEdit::SetNextField(CCorvaneEdit* next) {
    nextFieldId_ = next != nullptr ? next->GetId() : 0;
}

CCorvaneEdit* CCorvaneEdit::GetNextField() {
    return dynamic_cast<CCorvaneEdit*>(FindObjectById(nextFieldId_));
}

void CCorvaneEdit::ChangeStyle(uint32_t bits, bool on) {
    const uint32_t style = on ? (GetStyle() | bits) : (GetStyle() & ~bits);
    if (style == GetStyle()) {
        return;
    }
    // Re-applying the style binds the key event again; a box whose input is
    // off keeps it off.
    const bool keysBound = FindEventBinding(kEventKeyDown) != nullptr;
    SetStyle(style);
    if (!keysBound) {
        UnbindEvent(kEventKeyDown);
    }
}

void CCorvaneEdit::DisableInput() {
    EnableSelection(false);  // clears bit 0x4 and the key binding
    UnbindEvent(kEventKeyDown);
    UnbindEvent(kEventChar);
}

void CCorvaneEdit::EnableInput() {
    UnbindEvent(kEventKeyDown);
    UnbindEvent(kEventChar);
    EnableSelection(true);  // sets bit 0x4 and binds the key event
    BindEventToSelf(kEventChar);
}

// ---------------------------------------------------------------------------
// Events

int CCorvaneEdit::OnEvent(const EventRecord& record) {
    if (record.event != kEventKeyDown && record.event != kEventChar) {
        return CCorvaneRichText::OnEvent(record);
    }
    const auto* input = InputStateOf(record);
    if (input != nullptr) {
        if (record.event == kEventKeyDown) {
            OnKeyDown(*input);
        } else {
            OnChar(*input);
        }
    }
    return 1;
}

void CCorvaneEdit::OnChar(const InputState& input) {
    char bytes[3] = {};
    bytes[0] = static_cast<char>(input.character[0]);
    if (input.character[0] >= 0x80) {
        bytes[1] = static_cast<char>(input.character[1]);
    }
    if (bytes[0] == '\0') {
        return;
    }
    InsertText(bytes);
    SubmitIfLive();
}

void CCorvaneEdit::OnKeyDown(const InputState& input) {
    ClearHint();
    const int flags = static_cast<int>(input.keyFlags);
    if (OnKey(input.lastKeyDown, flags) == 0) {
        CCorvaneRichText::OnKeyDown(input.lastKeyDown, flags);
    }
}

void CCorvaneEdit::OnButtonDown(int x, int y) {
    CCorvaneRichText::OnButtonDown(x, y);
    if (hintShown_ != 0) {
        Reset();  // the hint state stays until the next key
    }
}

int CCorvaneEdit::OnKey(int key, int) {
    const bool recall = (GetStyle() & kRichSingleLine) != 0 && (GetStyle() & kEditHistory) != 0 &&
                        !history_.empty();
    switch (key) {
        case kEditKeyBack:
            DeleteBackward();
            SubmitIfLive();
            return 1;
        case kEditKeyTab:
            OnTab();
            return 1;
        case kEditKeyEnter:
            OnEnter();
            return 1;
        case kEditKeyEscape:
            OnEscape();
            return 1;
        case kEditKeyLeft:
            CaretLeft();
            return 1;
        case kEditKeyUp:
            recall ? RecallHistory(-1) : CaretUp();
            return 1;
        case kEditKeyRight:
            CaretRight();
            return 1;
        case kEditKeyDown:
            recall ? RecallHistory(1) : CaretDown();
            return 1;
        case kEditKeyDelete:
            DeleteForward();
            SubmitIfLive();
            return 1;
        case kEditKeyPaste:
            if (!platform::IsKeyDown(platform::kKeyControl)) {
                return 0;
            }
            Paste();
            return 1;
        default:
            return 0;
    }
}

void CCorvaneEdit::OnTab() {
    if (CCorvaneEdit* next = GetNextField()) {
        next->TakeFocus();
    }
}

void CCorvaneEdit::OnEscape() {
    SetFocus(0);
}

void CCorvaneEdit::Paste() {
    PasteText();  // through AppendText, so through InsertText
    SubmitIfLive();
}

void CCorvaneEdit::TakeFocus() {
    BringToTop();
    SetFocus(GetId());
    PlaceCaret(GetInsertionPoint());
    ClearHint();
}

void CCorvaneEdit::ClearHint() {
    if (hintShown_ != 0) {
        Reset();
        hintShown_ = 0;
    }
}

void CCorvaneEdit::ShowHint(const char* text, uint32_t color) {
    Reset();
    const uint32_t saved = GetTextColor();
    SetTextColor(color);
    InsertText(text);
    hintShown_ = 1;
    SetTextColor(saved);
}

// ---------------------------------------------------------------------------
// Submitting and history

void CCorvaneEdit::OnEnter() {
    if ((GetStyle() & kRichSingleLine) != 0 && notifyTarget_ != 0 && notifyEvent_ != 0) {
        Submit();
        if (hideAfterSubmit_ != 0) {
            Hide();
            Invalidate();
        }
        return;
    }
    InsertText("\r\n");
}

void CCorvaneEdit::SubmitIfLive() {
    if ((GetStyle() & kEditSubmitOnChange) != 0) {
        Submit();
    }
}

void CCorvaneEdit::Submit() {
    char* text = GetText();
    if (text == nullptr) {
        return;
    }
    AddHistory(text);
    const bool deliverable = IsRegistered() != 0 && notifyTarget_ != 0 && notifyEvent_ != 0 &&
                             FindObjectById(notifyTarget_) != nullptr;
    if (!deliverable) {
        FreeEventBlock(text);  // nobody would take it
        return;
    }
    SendEvent(MakeEventRecord(notifyTarget_, notifyEvent_, EventParam(text), EventParam(this)));
}

void CCorvaneEdit::AddHistory(const char* text) {
    if ((GetStyle() & kEditHistory) == 0 || text == nullptr) {
        return;
    }
    if (history_.size() >= kEditHistoryLimit) {
        history_.erase(history_.begin());
    }
    history_.emplace_back(text);
    historyIndex_ = static_cast<int>(history_.size()) - 1;
}

void CCorvaneEdit::RecallHistory(int step) {
    const int n = static_cast<int>(history_.size());
    if (n == 0) {
        return;
    }
    const int current = historyIndex_ >= 0 && historyIndex_ < n ? historyIndex_ : n - 1;
    historyIndex_ = (current + n + step) % n;
    Reset();
    const std::string entry = history_[historyIndex_];  // InsertText may grow the history
    InsertText(entry.c_str());
    SelectAll();
}

// ---------------------------------------------------------------------------
// Text

void CCorvaneEdit::AppendText(const char* text) {
    InsertText(text);
}

int CCorvaneEdit::BuildElements(const std::string&) {
    return 0;
}

int CCorvaneEdit::GetTextLength() {
    int length = 0;
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        length += ElementBytes(*e);
    }
    return length;
}

char* CCorvaneEdit::GetText() {
    std::string text;
    for (RichTextElement* e = GetFirstElement(); e != nullptr; e = e->next) {
        if (e->IsObject()) {
            text += kEditObjectText;
            continue;
        }
        char bytes[3];
        const int count = e->CharBytes(bytes);
        // A character that reads as no byte still counts as one.
        text.append(count > 0 ? bytes : " ", count > 0 ? count : 1);
    }
    auto* buffer = static_cast<char*>(AllocEventBlock(text.size() + 1));
    if (buffer != nullptr) {
        std::memcpy(buffer, text.data(), text.size());
    }
    return buffer;
}

void CCorvaneEdit::InsertText(const char* text) {
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    if (maxLength_ > 0 && GetTextLength() >= maxLength_) {
        OnTextFull();
        return;
    }
    // A selection the insertion replaces leaves with it.
    int replaced = 0;
    int replacedBytes = 0;
    if ((GetStyle() & kRichEditable) != 0) {
        for (RichTextElement* e = GetSelectionFirst(); e != nullptr && e != GetSelectionLast();
             e = e->next) {
            ++replaced;
            replacedBytes += ElementBytes(*e);
        }
    }
    const int before = GetElementCount() - replaced;
    if ((GetStyle() & kRichLiveLinks) != 0) {
        CCorvaneRichText::AppendText(text);  // markup: trimmed afterwards
    } else {
        // Plain text is cut to the room left before it is inserted, so that
        // a huge paste costs no element-by-element trimming.
        const long long room =
            maxLength_ > 0 ? static_cast<long long>(maxLength_) - GetTextLength() + replacedBytes
                           : -1;
        CCorvaneRichText::AppendText(EditLiteralText(text, room).c_str());
    }
    if (maxLength_ > 0 && GetTextLength() > maxLength_) {
        TrimInsertion(GetElementCount() - before);
        Redraw();
    }
}

void CCorvaneEdit::TrimInsertion(int inserted) {
    while (inserted > 0 && GetTextLength() > maxLength_) {
        RichTextElement* caret = GetInsertionPoint();
        RichTextElement* victim = caret != nullptr ? PreviousOf(caret) : GetLastElement();
        if (victim == nullptr) {
            return;
        }
        DeleteElement(victim);  // keeps the caret in front of `caret`
        --inserted;
    }
}
