#include "game/dialogs/AutoFixSettings.h"

#include <climits>
#include <cstdint>

#include "platform/Profile.h"

namespace auto_fix {

namespace {

constexpr char kPasswordWord[] = "密码";
constexpr char kResetPath[] = "/self/restsecurepwdbyappeal.aspx";
// Said in place of the reason when a refused transfer came without one.
constexpr char kNoReasonText[] = "没有从保险箱取到银子。";

}  // namespace

int ParseAmountText(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulated as a magnitude that stops growing past the int range.
    constexpr int64_t kLimit = int64_t{INT_MAX} + 1;
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > kLimit) {
            value = kLimit;
        }
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

Settings Read(const std::string& userFile) {
    char amount[kValueBytes] = {};
    char on[kValueBytes] = {};
    platform::GetPrivateProfileString(kSection, kAmountKey, "", amount, sizeof amount,
                                      userFile.c_str());
    platform::GetPrivateProfileString(kSection, kSwitchKey, "", on, sizeof on, userFile.c_str());
    return Settings{ParseAmountText(amount), ParseAmountText(on)};
}

bool Write(const std::string& userFile, const std::string& amountText, int on) {
    const bool amountWritten = platform::WritePrivateProfileString(
        kSection, kAmountKey, amountText.c_str(), userFile.c_str());
    const bool switchWritten = platform::WritePrivateProfileString(
        kSection, kSwitchKey, std::to_string(on).c_str(), userFile.c_str());
    return amountWritten && switchWritten;
}

bool ContainsGbkWord(std::string_view text, std::string_view word) {
    if (word.empty()) {
        return true;
    }
    size_t at = 0;
    while (at < text.size()) {
        if (text.substr(at, word.size()) == word) {
            return true;
        }
        at += static_cast<unsigned char>(text[at]) > 0x80 ? 2 : 1;
    }
    return false;
}

std::string ResetPageUrl(const std::string& host) {
    return host.empty() ? std::string() : "http://" + host + kResetPath;
}

std::string FailureLine(const std::string& serverText, const std::string& resetUrl) {
    const std::string reason = serverText.empty() ? kNoReasonText : serverText;
    std::string line = " <z=qe系统通知> <size=12>自动取银失败：<c=255>" + reason + "<>\r\n";
    if (ContainsGbkWord(serverText, kPasswordWord)) {
        line += "您可以前往:";
        if (!resetUrl.empty()) {
            line += "<url_text=" + resetUrl + "," + resetUrl + ">";
        }
        line += "进行修改。\r\n\r\n";
    }
    return line;
}

}  // namespace auto_fix
