// The regional game's replies to its play requests, and the top-up amount
// read from the hand-editable user file. The first byte picks the reader:
// the own draw (229000), a gang request (229045), the peng claim's ting
// information (229025), the gang query (229015), the amount text or the
// view's taking of ting information of any length; the
// second byte picks the server's result; the rest is the reply (or text).
// The replies come from a connection that hands them over as the server's,
// so each goes through the connection's own copy into the caller's record.
//
// Rules checked: what came is copied only as far as the record's form
// (32 bytes, or 8352 with the ting flag in a word 3 that came; 8324 for the
// ting information; 48 for the query), the rest of the form is zero and
// nothing past the form is written; a refused draw marks its tile -1; a
// failed request writes nothing; the records read from the copies are the
// copies' bytes; the amount is the clamped value of its leading digits.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/dialogs/AutoFixSettings.h"
#include "game/net/RegionalConnection.h"
#include "game/table/RegionalTableView.h"
#include "mahjong_client/TableProtocol.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

namespace tp = table_protocol;

constexpr uint8_t kUntouched = 0xA5;
constexpr std::array<uint32_t, 5> kResults = {tp::kResultDone, tp::kResultDrawRefused,
                                              tp::kResultNotCarriedOut, tp::kResultHeld, 60001};

// Hands the fuzzed reply over as the server's answer to any request.
class ReplayConnection : public CRegionalConnection {
public:
    int ProcessRequest(std::string& text, uint32_t /*requestId*/, std::span<const uint8_t> /*body*/,
                       uint32_t& result, std::vector<uint8_t>& reply, int /*wait*/) override {
        text.clear();
        result = answerResult;
        reply.assign(answer.begin(), answer.end());
        return 1;
    }
    tp::RequestHead MakeRequestHead() override { return {1, 2, 3, 0}; }

    uint32_t answerResult = 0;
    std::span<const uint8_t> answer;
};

// The form the connection must have kept: 8352 bytes when word 3 came and
// holds the ting flag, else 32.
size_t OperationForm(std::span<const uint8_t> reply) {
    if (reply.size() < 16) {
        return tp::kOperationReplyShortBytes;
    }
    const int32_t options = tp::WordAt(reply, 3);
    return (options & tp::kOptionTing) != 0 ? tp::kOperationReplyBytes
                                            : tp::kOperationReplyShortBytes;
}

// The caller's buffer after a copy of `reply` into `form` of it.
void CheckCopy(std::span<const uint8_t> out, std::span<const uint8_t> reply, size_t form) {
    const size_t copied = std::min(reply.size(), form);
    if (!std::equal(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(copied),
                    out.begin())) {
        FuzzFail("the reply's bytes were not copied as they came");
    }
    for (size_t i = copied; i < form; ++i) {
        if (out[i] != 0) {
            FuzzFail("the form behind a short reply is not zero");
        }
    }
    for (size_t i = form; i < out.size(); ++i) {
        if (out[i] != kUntouched) {
            FuzzFail("a reply was written past its form");
        }
    }
}

void CheckUntouched(std::span<const uint8_t> out, const char* what) {
    if (!std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == kUntouched; })) {
        FuzzFail(what);
    }
}

// The records the view reads from a kept operation reply.
void ReadOperationReply(std::span<const uint8_t> out) {
    tp::OperationReply reply;
    if (!tp::ReadTableRecord(out.first(tp::kOperationReplyBytes), reply)) {
        FuzzFail("an operation reply of its whole form was refused");
    }
    if (reply.tile != tp::WordAt(out, 1) || reply.options != tp::WordAt(out, 3)) {
        FuzzFail("the operation reply read other words than were kept");
    }
    const std::vector<uint8_t> ting = tp::WriteTableRecord(tp::MakeTingInfo(reply));
    if (ting.size() != tp::kTingInfoBytes ||
        !std::equal(ting.begin() + 4, ting.end(), out.begin() + 32)) {
        FuzzFail("the ting information is not the reply's candidates and table");
    }
}

void FuzzDraw(ReplayConnection& connection, std::span<const uint8_t> reply) {
    std::vector<uint8_t> out(tp::kOperationReplyBytes + 64, kUntouched);
    std::string text;
    const int drawn =
        connection.SendRequest229000(text, {}, std::span(out).first(tp::kOperationReplyBytes));
    if (connection.answerResult == tp::kResultDone) {
        if (drawn != 1) {
            FuzzFail("a granted draw answered 0");
        }
        const size_t form = OperationForm(reply);
        CheckCopy(out, reply, form);
        std::fill(out.begin() + static_cast<std::ptrdiff_t>(form), out.end(), uint8_t{0});
        ReadOperationReply(out);
        FuzzNote(form == tp::kOperationReplyBytes ? "draw with ting" : "draw");
        return;
    }
    if (drawn != 0) {
        FuzzFail("a refused draw answered 1");
    }
    if (connection.answerResult == tp::kResultDrawRefused) {
        if (tp::WordAt(out, 1) != tp::kNoTile) {
            FuzzFail("a refused draw left its tile");
        }
        std::fill_n(out.begin() + 4, 4, kUntouched);
    }
    CheckUntouched(out, "a refused draw wrote more than its tile");
    FuzzNote("draw refused", connection.answerResult);
}

void FuzzGang(ReplayConnection& connection, std::span<const uint8_t> reply) {
    std::vector<uint8_t> out(tp::kOperationReplyBytes + 64, kUntouched);
    std::string text;
    uint32_t result = 0;
    const int granted = connection.SendOperation(
        text, tp::kDiscardGang, std::vector<uint8_t>(tp::OperationRecord::kSize, 0),
        std::span(out).first(tp::kOperationReplyBytes), result);
    if (result != connection.answerResult) {
        FuzzFail("the gang's result is not the server's");
    }
    if (result != tp::kResultDone) {
        if (granted != 0) {
            FuzzFail("a refused gang answered 1");
        }
        CheckUntouched(out, "a refused gang wrote its reply");
        return;
    }
    const size_t form = OperationForm(reply);
    CheckCopy(out, reply, form);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(form), out.end(), uint8_t{0});
    ReadOperationReply(out);
    FuzzNote(form == tp::kOperationReplyBytes ? "gang with ting" : "gang");
}

void FuzzPeng(ReplayConnection& connection, std::span<const uint8_t> reply) {
    std::vector<uint8_t> out(tp::kTingInfoBytes + 64, kUntouched);
    std::string text;
    uint32_t result = 0;
    const int granted = connection.SendRequest229025(
        text, result, std::vector<uint8_t>(tp::OperationRecord::kSize, 0),
        std::span(out).first(tp::kTingInfoBytes));
    if (result != tp::kResultDone) {
        if (granted != 0) {
            FuzzFail("a refused peng answered 1");
        }
        CheckUntouched(out, "a refused peng wrote its reply");
        return;
    }
    CheckCopy(out, reply, tp::kTingInfoBytes);
    tp::TingInfo ting;
    if (!tp::ReadTableRecord(std::span(out).first(tp::kTingInfoBytes), ting) ||
        ting.options != tp::WordAt(out, 0)) {
        FuzzFail("the ting information read other words than were kept");
    }
    FuzzNote((ting.options & tp::kOptionTing) != 0 ? "peng with ting" : "peng");
}

void FuzzGangQuery(ReplayConnection& connection, std::span<const uint8_t> reply) {
    tp::GangQueryReply answer;
    answer.chairOptions.fill(-7);
    uint32_t result = 0;
    const int sent =
        connection.SendGangQuery(tp::kGangOnThrownTile, 1, 5, {1, 2, 3}, answer, result);
    (void)sent;
    if (result != tp::kResultDone) {
        FuzzNote("query refused", result);
        return;
    }
    for (size_t c = 0; c < answer.chairOptions.size(); ++c) {
        const size_t at = 16 + 4 * c;
        const int32_t expected = at + 4 <= reply.size() ? tp::WordAt(reply, 4 + c) : 0;
        if (answer.chairOptions[c] != expected) {
            FuzzFail("a chair's option word is not the reply's (0 when it did not come)");
        }
    }
    FuzzNote("query", std::min<size_t>(reply.size(), 64));
}

// The view takes ting information of any length: only a whole one with
// the ting flag offers the ting and names its candidates.
void FuzzTingInfo(std::span<const uint8_t> reply) {
    static CRegionalTableView view;
    std::fill(std::begin(g_TingCandidates), std::end(g_TingCandidates), -3);
    view.ApplyTingInfo(reply);
    const bool whole = reply.size() >= tp::kTingInfoBytes;
    const bool offered = whole && (tp::WordAt(reply, 0) & tp::kOptionTing) != 0;
    if (view.GetOffer(kOpTing).offered != (offered ? 1 : 0)) {
        FuzzFail("the ting was offered on other information than a whole flagged one");
    }
    for (size_t i = 0; i < 32; ++i) {
        const int32_t expected = offered ? tp::WordAt(reply, 1 + i) : -3;
        if (g_TingCandidates[i] != expected) {
            FuzzFail("the candidates are not the information's");
        }
    }
    FuzzNote(offered ? "ting offered" : whole ? "ting not flagged" : "ting cut");
}

// The value of the text's leading digits after blanks and one sign,
// clamped to the int range; 0 without digits.
int64_t ReferenceAmount(std::string_view text) {
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos) {
        return 0;
    }
    int64_t sign = 1;
    if (text[at] == '+' || text[at] == '-') {
        sign = text[at] == '-' ? -1 : 1;
        ++at;
    }
    int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{1} << 40);
    }
    return std::clamp<int64_t>(sign * value, INT_MIN, INT_MAX);
}

void FuzzAmount(std::span<const uint8_t> bytes) {
    const std::string text(bytes.begin(), bytes.end());
    const int amount = auto_fix::ParseAmountText(text);
    if (amount != ReferenceAmount(text)) {
        FuzzFail("the amount is not the clamped value of its leading digits");
    }
    FuzzNote(amount == 0 ? "amount 0" : amount < 0 ? "amount below 0" : "amount");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    // The reply in storage of its own size, so a read beyond it is seen.
    std::vector<uint8_t> reply(data + 2, data + size);
    reply.shrink_to_fit();
    static ReplayConnection connection;
    connection.answerResult = kResults[data[1] % kResults.size()];
    connection.answer = reply;
    switch (data[0] % 6) {
        case 0:
            FuzzDraw(connection, reply);
            break;
        case 1:
            FuzzGang(connection, reply);
            break;
        case 2:
            FuzzPeng(connection, reply);
            break;
        case 3:
            FuzzGangQuery(connection, reply);
            break;
        case 4:
            FuzzAmount(reply);
            break;
        default:
            FuzzTingInfo(reply);
            break;
    }
    return 0;
}
