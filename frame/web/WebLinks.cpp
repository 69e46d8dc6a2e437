// The side panel's web links: their addresses with the user's identity and,
// for the top-up page, the signature the web server checks; and opening an
// address in the desktop's browser.

#include "frame/FrameFunctions.h"
#include "frame/GameFrameApp.h"
#include "frame/WaitCursor.h"
#include "frame/web/BrowserJob.h"
#include "frame/web/UrlQuery.h"
#include "platform/System.h"

namespace {

constexpr int kFirstWebLink = 0;
constexpr int kLastWebLink = 6;
constexpr int kTopUpLink = 2;
// Shared with the web server that checks "v_sign".
constexpr char kWebSignKey[] = "r4kd81mzq0vw2hy6";
constexpr size_t kWaitTextUrlBytes = 32;
constexpr int kBrowserWaitSeconds = 15;

// At most maxBytes of the GBK text, never half a character.
std::string_view CutAtCharacter(std::string_view text, size_t maxBytes) {
    size_t position = 0;
    while (position < text.size()) {
        const size_t step = static_cast<uint8_t>(text[position]) > 128 ? 2 : 1;
        if (position + step > maxBytes || position + step > text.size()) {
            break;
        }
        position += step;
    }
    return text.substr(0, position);
}

}  // namespace

int64_t CGameFrameApp::UnixTime() const {
    if (unixClock_) {
        return unixClock_();
    }
    return platform::UnixTimeNow();
}

std::string CGameFrameApp::AddSignToUrl(const std::string& url, int flag) {
    if (flag == 0) {
        return url;
    }
    const std::string sign = GetHallSign();
    return AppendQuery(url, "uid=" + std::to_string(launch_.userId) + "&sign=" + sign);
}

std::string CGameFrameApp::BuildWebLinkUrl(int index, int& width, int& height) {
    if (index < kFirstWebLink || index > kLastWebLink) {
        return {};
    }
    WebLinkEntry entry;
    if (const auto found = webLinks_.find(index); found != webLinks_.end()) {
        entry = found->second;
    }
    width = entry.width;
    height = entry.height;
    std::string url = entry.url;
    if (index == kTopUpLink) {
        const int64_t now = UnixTime();
        const std::string signing = "hall_id" + std::to_string(GetHallId()) + "game_id" +
                                    std::to_string(launch_.gameId) + "game_code" + gameCode_ +
                                    "user_id" + std::to_string(launch_.userId) + "unix_time" +
                                    std::to_string(now) + kWebSignKey;
        url += "&v_sign=" + Md5Hex(signing) + "&unix_time=" + std::to_string(now);
    }
    url = AddSignToUrl(url, 1);
    url += "&game_id=" + std::to_string(launch_.gameId) + "&game_code=" + gameCode_ +
           "&hall_id=" + std::to_string(GetHallId());
    return url;
}

void CGameFrameApp::OpenUrlInBrowser(const std::string& url, int sign) {
    WaitCursor waitCursor;
    ShowWaitText("正在打开" + std::string(CutAtCharacter(url, kWaitTextUrlBytes)) + "...",
                 kBrowserWaitSeconds);
    if (!StartBrowserJob(GetMainWindow(), AddSignToUrl(url, sign))) {
        HideWaitText();
    }
}
