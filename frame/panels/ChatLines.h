#pragma once
// The texts of the chat pane's lines, in the rich-text markup: own chat,
// other players' chat, table and look-on notices, silver, prize, lottery and
// task notices, the welcome line and the screenshot line. Each builder only
// makes its text; the side panel decides where it goes.
//
// Rules:
//  - Records are read through the checked readers: a word past the record's
//    end reads 0, a text stops at the record's end and at its field's width.
//  - An empty result means "write nothing".
//  - Outside text goes in as literal text, so it never turns into markup
//    (a link, a colour, a badge): a player's name in every line, the area
//    and room names of the welcome line, the lottery broadcast's message.
//    A chat text keeps its markup (emoticons): the chat view shows it with
//    links off.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CGameFrameApp;

namespace chat_lines {

using Record = std::span<const uint8_t>;

// The colours the lines take from the engine settings 50013, 50014, 50015.
struct ChatColours {
    int own = 0;
    int otherName = 0;
    int otherText = 0;
};

inline constexpr int kWelcomeColour = 10715996;
inline constexpr int kLookOnColour = 2906200;
inline constexpr int kRed = 255;
inline constexpr size_t kMemberChatLimit = 250;
inline constexpr size_t kChatLimit = 60;
inline constexpr uint32_t kFloodMilliseconds = 2000;
inline constexpr char kHighlightStyle[] = "<c=255,e=b,s=240>";
inline constexpr char kMemberBadge[] = "<m=qe蓝钻>";

// The name as literal text for a line the chat box appends with live links.
std::string LiteralName(const std::string& name);
// The player's own text cut to the limit at a whole GBK character.
std::string CutOwnChat(std::string_view text, size_t limit);
// The offline echo of an own line.
std::string OwnLine(const CGameFrameApp& app, const ChatColours& colours, std::string_view text);
// Notification 201210: speaker @0, text @48.
std::string OtherPlayerLine(const CGameFrameApp& app, const ChatColours& colours, Record record);
// Notification 211200: speaker @0, kind @8, text @36.
std::string ServerChatLine(const CGameFrameApp& app, const ChatColours& colours, Record record);
// Notification 211900, for one chair; empty when nothing is written.
std::string AmuletSkillLine(const CGameFrameApp& app, const ChatColours& colours, Record record,
                            int chair);
std::string WelcomeLine(const CGameFrameApp& app);
// Whether table notices name the table number.
bool ShowsTableNumber(const CGameFrameApp& app);
std::string UserEnterLine(const CGameFrameApp& app, int32_t userId, int32_t tableNo);
std::string UserLeaveLine(const CGameFrameApp& app, int32_t userId, int32_t tableNo);
// Empty for a highlighted user.
std::string LookOnEnterLine(const CGameFrameApp& app, int32_t userId);
std::string LookOnLeaveLine(const CGameFrameApp& app, int32_t userId);
std::string RandomTableLine(const CGameFrameApp& app);
std::string ChangeTableLine(const CGameFrameApp& app);
// The silver notice, then (when the base silver changed) the base-silver
// notice; currentBaseSilver is the table's.
std::string BaseSilverLine(const CGameFrameApp& app, Record record);
std::string BaseSilverChangeLine(Record record, int32_t currentBaseSilver);
std::string PrizeLine(const CGameFrameApp& app, Record record);
std::string LotteryProgressLine(const CGameFrameApp& app, Record record);
std::string LotteryProgress2Line(const CGameFrameApp& app, Record record);
std::string LotteryResultLine(Record record);
std::string LotteryBroadcastLine(Record record);
std::string SystemNoticeLine(Record record);
std::string TaskRewardFailLine(Record record);
std::string ScreenshotLine(const std::string& folder);

}  // namespace chat_lines
