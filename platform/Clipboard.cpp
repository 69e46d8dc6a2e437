#include "platform/Clipboard.h"

#include <SDL.h>

#include <mutex>

#include "platform/SdlDetail.h"
#include "platform/TextCodec.h"

namespace platform {

namespace {

std::mutex clipboardMutex;
ClipboardBackend* installed = nullptr;

ClipboardBackend& Backend() {
    return installed != nullptr ? *installed : DefaultClipboard();
}

// Text up to its first zero byte.
std::string_view UpToZero(std::string_view text) {
    const size_t end = text.find('\0');
    return end == std::string_view::npos ? text : text.substr(0, end);
}

// The desktop's clipboard. SDL keeps its own copy of the text under the dummy
// video driver, so headless runs behave like a desktop with one program.
class SdlClipboardBackend : public ClipboardBackend {
public:
    SdlClipboardBackend() = default;
    ~SdlClipboardBackend() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
    SdlClipboardBackend(const SdlClipboardBackend&) = delete;
    SdlClipboardBackend& operator=(const SdlClipboardBackend&) = delete;

    bool SetText(const std::string& utf8) override {
        return SDL_SetClipboardText(utf8.c_str()) == 0;
    }

    std::optional<std::string> GetText() override {
        if (SDL_HasClipboardText() != SDL_TRUE) {
            return std::nullopt;
        }
        char* text = SDL_GetClipboardText();
        if (text == nullptr) {
            return std::nullopt;
        }
        std::string copy(text);
        SDL_free(text);
        return copy;
    }
};

}  // namespace

bool MemoryClipboardBackend::SetText(const std::string& utf8) {
    if (unavailable_) {
        return false;
    }
    text_ = utf8;
    ++writes_;
    return true;
}

std::optional<std::string> MemoryClipboardBackend::GetText() {
    if (unavailable_) {
        return std::nullopt;
    }
    return text_;
}

std::unique_ptr<ClipboardBackend> MakeSdlClipboardBackend() {
    if (!detail::StartSdlVideo()) {
        return nullptr;
    }
    return std::make_unique<SdlClipboardBackend>();
}

bool SetClipboardText(std::string_view gbk) {
    const std::string utf8 = GbkToUtf8(UpToZero(gbk));
    std::lock_guard<std::mutex> lock(clipboardMutex);
    return Backend().SetText(utf8);
}

std::optional<std::string> GetClipboardText() {
    std::optional<std::string> utf8;
    {
        std::lock_guard<std::mutex> lock(clipboardMutex);
        utf8 = Backend().GetText();
    }
    if (!utf8) {
        return std::nullopt;
    }
    return Utf8ToGbk(UpToZero(*utf8));
}

void SetClipboardBackend(ClipboardBackend* backend) {
    std::lock_guard<std::mutex> lock(clipboardMutex);
    installed = backend;
}

MemoryClipboardBackend& DefaultClipboard() {
    static MemoryClipboardBackend fallback;
    return fallback;
}

}  // namespace platform
