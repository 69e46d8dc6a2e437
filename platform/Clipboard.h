#pragma once
// The system's text clipboard. Inside the program text is GBK; the clipboard
// of the desktop holds UTF-8, so the conversion happens here and nowhere
// else.
//
// Rules:
//  - Calls go to the installed back end. The default back end keeps the text
//    in memory (tests and headless runs); the SDL back end reaches the
//    desktop's clipboard and is installed by the program once its window
//    exists.
//  - A clipboard that cannot be opened (SDL video not running, a back end
//    that refuses) leaves its contents unchanged and the call answers false
//    or none; nothing is ever half written.
//  - Text stops at its first zero byte, as clipboard text does.
//  - Safe from any thread; the back end is called under one lock.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// What holds clipboard text, in UTF-8.
class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;
    // Replaces the contents; false when the clipboard cannot be opened.
    virtual bool SetText(const std::string& utf8) = 0;
    // The contents; none when the clipboard cannot be opened or holds no
    // text.
    virtual std::optional<std::string> GetText() = 0;
};

// Keeps the text in memory. It can be told to refuse, as a clipboard that
// another program holds open would.
class MemoryClipboardBackend : public ClipboardBackend {
public:
    bool SetText(const std::string& utf8) override;
    std::optional<std::string> GetText() override;

    // While set, both calls fail and the contents stay as they are.
    void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }
    // Drops the contents (the clipboard then holds no text).
    void Clear() { text_.reset(); }
    // How many SetText calls changed the contents.
    int WriteCount() const { return writes_; }

private:
    std::optional<std::string> text_;
    bool unavailable_ = false;
    int writes_ = 0;
};

// The desktop's clipboard through SDL; null when SDL video cannot start.
std::unique_ptr<ClipboardBackend> MakeSdlClipboardBackend();

// Puts the GBK text on the clipboard; false (contents unchanged) when it
// cannot be opened.
bool SetClipboardText(std::string_view gbk);
// The clipboard's text as GBK; none when it cannot be opened or holds no
// text.
std::optional<std::string> GetClipboardText();

// Installs a back end that the caller keeps alive; null restores the default
// in-memory one.
void SetClipboardBackend(ClipboardBackend* backend);
// The default in-memory back end (for tests that look at it or reset it).
MemoryClipboardBackend& DefaultClipboard();

}  // namespace platform
