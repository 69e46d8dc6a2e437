#include "tests/game/claims/ClaimsScene.h"

#include <algorithm>

#include "platform/Input.h"

namespace claims_test {

int ScriptedPlayConnection::ProcessRequest(std::string& text, uint32_t requestId,
                                           std::span<const uint8_t> body, uint32_t& result,
                                           std::vector<uint8_t>& reply, int /*wait*/) {
    sent.push_back({requestId, {body.begin(), body.end()}});
    cursorsDuringRequests.push_back(platform::GetCursor());
    Answer answer;
    auto queued = answers.find(requestId);
    if (queued != answers.end() && !queued->second.empty()) {
        answer = queued->second.front();
        queued->second.pop_front();
    }
    text = "scripted";
    result = answer.result;
    reply = answer.reply;
    return answer.sent;
}

std::vector<ScriptedPlayConnection::Request> ScriptedPlayConnection::SentOf(
    uint32_t requestId) const {
    std::vector<Request> found;
    std::ranges::copy_if(sent, std::back_inserter(found),
                         [&](const Request& request) { return request.id == requestId; });
    return found;
}

ClaimsScene::ClaimsScene(bool lookOn) : RegionalPlayScene(0, lookOn) {
    makeView = [] { return new ClaimsView; };
}

bool ClaimsScene::OpenWithHand() {
    if (!Open() || !StoreHandStart(play_test::HandStart{})) {
        return false;
    }
    view->BuildWall();
    view->ShowOperationButtons(1);
    return true;
}

std::vector<uint8_t> ClaimsScene::Reply(int32_t tile, int32_t wallIndex, int32_t options,
                                        size_t bytes, std::vector<int32_t> candidates) {
    tp::OperationReply reply;
    reply.tile = tile;
    reply.wallIndex = wallIndex;
    reply.options = options;
    reply.tingCandidates.fill(-1);
    std::copy_n(candidates.begin(), std::min(candidates.size(), reply.tingCandidates.size()),
                reply.tingCandidates.begin());
    reply.tingTable[0] = 0x5a5a;
    std::vector<uint8_t> out = tp::WriteTableRecord(reply);
    out.resize(bytes);
    return out;
}

}  // namespace claims_test
