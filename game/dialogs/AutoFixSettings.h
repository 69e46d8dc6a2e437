#pragma once
// The automatic top-up's stored settings and texts: the amount and the
// switch in section "FIXDEPOSIT" of the per-user file, the conversion of a
// hand-editable amount, and the chat line of a failed transfer.
//
// Rules:
//  - The file is edited by hand as well: an amount is its leading decimal
//    digits (after blanks and one sign), clamped to the int range; anything
//    else reads as 0. A missing key reads as 0.
//  - Texts are GBK; a search for a word steps by whole characters, so it
//    never matches across the trail byte of one character and the lead byte
//    of the next.

#include <string>
#include <string_view>

namespace auto_fix {

inline constexpr char kSection[] = "FIXDEPOSIT";
inline constexpr char kAmountKey[] = "AutoFix";
inline constexpr char kSwitchKey[] = "bAutoFix";
// Values are read into buffers of this size (31 bytes and the terminator).
inline constexpr unsigned kValueBytes = 32;

struct Settings {
    int amount = 0;
    int on = 0;
};

// The decimal value of the text's leading digits, clamped to the int range.
int ParseAmountText(std::string_view text);
// Reads both keys of the user file (missing file or keys: 0).
Settings Read(const std::string& userFile);
// Writes the amount text as given and the switch as "%d"; false when a
// write failed.
bool Write(const std::string& userFile, const std::string& amountText, int on);

// True when `text` holds `word` starting at a character boundary.
bool ContainsGbkWord(std::string_view text, std::string_view word);
// The red chat line of a failed transfer with the server's text (a text
// that names the failure when there is none); when the text names the
// password, the hint to the reset page follows (a link when `resetUrl` is
// not empty).
std::string FailureLine(const std::string& serverText, const std::string& resetUrl);
// The reset page on the given web host; empty for an empty host.
std::string ResetPageUrl(const std::string& host);

}  // namespace auto_fix
