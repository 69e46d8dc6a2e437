#include "tools/test_server/ServiceScript.h"

#include <algorithm>
#include <cstdint>

#include "frame/net/FrameRequests.h"
#include "zep/ZepWire.h"

namespace testserver {

using namespace frame_requests;

namespace {

constexpr char kClaimLimitText[] = "当日领取已达领取次数上限";

std::vector<uint8_t> WordBytes(std::initializer_list<int32_t> words, size_t size) {
    std::vector<uint8_t> bytes(std::max(size, words.size() * 4));
    ZepWireWriter writer(bytes);
    for (int32_t word : words) {
        writer.WriteI32(word);
    }
    return bytes;
}

void PutWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    ZepWireWriter(std::span<uint8_t>(bytes).subspan(offset)).WriteI32(value);
}

ServiceScript::Reply Refused() {
    return {kResultRequestFailed, {}};
}

}  // namespace

bool ServiceScript::Handles(uint32_t requestId) {
    switch (requestId) {
        case kQuerySafeBox:
        case kQueryTake:
        case kTransferIntoGame:
        case kTransferOutOfGame:
        case kWelfareConfig:
        case kWelfareClaim:
            return true;
        default:
            return false;
    }
}

int64_t ServiceScript::ExpectedAnswer(const std::string& password, int32_t calcNumber) {
    int64_t sum = 0;
    size_t at = 0;
    for (int group = 0; group < 4 && at < password.size(); ++group) {
        const size_t rest = password.size() - at;
        const size_t take = rest >= 5 ? 4 : rest;
        int64_t value = 0;
        for (size_t i = at; i < at + take; ++i) {
            value = value * 10 + (password[i] - '0');
        }
        sum += value;
        at += take;
    }
    return sum + calcNumber / 10000 + calcNumber % 10000;
}

std::vector<uint8_t> ServiceScript::WelfareConfigBytes(int32_t activityId, const Welfare& w) {
    std::vector<uint8_t> bytes(kWelfareConfigSize);
    PutWord(bytes, 4, activityId);
    PutWord(bytes, 64, w.begin);
    PutWord(bytes, 68, w.end);
    PutWord(bytes, 72, w.status);
    PutWord(bytes, 76, w.dailyNum);
    PutWord(bytes, 80, w.welfareLine);
    PutWord(bytes, 84, w.sendLine);
    PutWord(bytes, 88, w.dailyMax);
    PutWord(bytes, 92, w.recordTime);
    return bytes;
}

ServiceScript::Outcome ServiceScript::Answer(uint32_t requestId, std::span<const uint8_t> body) {
    switch (requestId) {
        case kQuerySafeBox: {
            std::lock_guard lock(mutex_);
            return {{kResultOk, WordBytes({WordAt(body, 0), safeBox_.balance}, kSafeBoxReplySize)},
                    std::nullopt};
        }
        case kQueryTake: {
            std::lock_guard lock(mutex_);
            if (safeBox_.password.empty()) {
                return {{kResultNoProtection, {}}, std::nullopt};
            }
            return {{kResultOk, WordBytes({safeBox_.balance, safeBox_.calcNumber}, kTakeReplySize)},
                    std::nullopt};
        }
        case kTransferIntoGame:
        case kTransferOutOfGame:
            return Transfer(requestId, body);
        case kWelfareConfig: {
            std::lock_guard lock(mutex_);
            return {{kResultOk, WelfareConfigBytes(WordAt(body, 20), welfare_)}, std::nullopt};
        }
        case kWelfareClaim:
            return Claim();
        default:
            return {Refused(), std::nullopt};
    }
}

ServiceScript::Outcome ServiceScript::Transfer(uint32_t requestId, std::span<const uint8_t> body) {
    TransferRecord record;
    if (!ReadRecord(body, record) || record.amount < 1) {
        return {Refused(), std::nullopt};
    }
    std::lock_guard lock(mutex_);
    const bool intoGame = requestId == kTransferIntoGame;
    if (intoGame && !safeBox_.password.empty() &&
        int64_t{record.answer} != ExpectedAnswer(safeBox_.password, safeBox_.calcNumber)) {
        return {{kResultBadAnswer, {}}, std::nullopt};
    }
    int64_t from = intoGame ? safeBox_.balance : safeBox_.gameSilver;
    int64_t to = intoGame ? safeBox_.gameSilver : safeBox_.balance;
    if (record.amount > from) {
        return {{kResultNotEnoughSilver, {}}, std::nullopt};
    }
    if (to + record.amount > INT32_MAX) {
        return {Refused(), std::nullopt};
    }
    from -= record.amount;
    to += record.amount;
    safeBox_.balance = static_cast<int32_t>(intoGame ? from : to);
    safeBox_.gameSilver = static_cast<int32_t>(intoGame ? to : from);
    Notice notice{kTransferNotice,
                  WordBytes({record.userId, record.chairNo, intoGame ? kKindTake : kKindSave,
                             record.amount, safeBox_.gameSilver, safeBox_.baseSilver},
                            24)};
    return {{kResultOk, {}}, std::move(notice)};
}

ServiceScript::Outcome ServiceScript::Claim() {
    std::lock_guard lock(mutex_);
    if (claims_ >= welfare_.dailyNum) {
        std::vector<uint8_t> text(kClaimLimitText, kClaimLimitText + sizeof kClaimLimitText);
        return {{kResultRefusedWithText, std::move(text)}, std::nullopt};
    }
    ++claims_;
    return {{kResultOk, WordBytes({welfare_.amount}, 4)}, std::nullopt};
}

void ServiceScript::SetSafeBox(const SafeBox& state) {
    std::lock_guard lock(mutex_);
    safeBox_ = state;
}

ServiceScript::SafeBox ServiceScript::GetSafeBox() const {
    std::lock_guard lock(mutex_);
    return safeBox_;
}

void ServiceScript::SetGameSilver(int32_t silver) {
    std::lock_guard lock(mutex_);
    safeBox_.gameSilver = silver;
}

ServiceScript::Notice ServiceScript::ChangeGameSilver(int32_t userId, int32_t chair,
                                                      int32_t silver) {
    std::lock_guard lock(mutex_);
    const int64_t change = int64_t{silver} - safeBox_.gameSilver;
    safeBox_.gameSilver = silver;
    const int32_t amount = change > INT32_MAX   ? INT32_MAX
                           : change < INT32_MIN ? INT32_MIN
                                                : static_cast<int32_t>(change);
    return {kTransferNotice,
            WordBytes({userId, chair, kKindPlay, amount, silver, safeBox_.baseSilver}, 24)};
}

void ServiceScript::SetBalance(int32_t balance) {
    std::lock_guard lock(mutex_);
    safeBox_.balance = balance;
}

void ServiceScript::SetProtection(const std::string& password, int32_t calcNumber) {
    std::lock_guard lock(mutex_);
    safeBox_.password = password;
    safeBox_.calcNumber = calcNumber;
}

void ServiceScript::SetWelfare(const Welfare& welfare) {
    std::lock_guard lock(mutex_);
    welfare_ = welfare;
}

ServiceScript::Welfare ServiceScript::GetWelfare() const {
    std::lock_guard lock(mutex_);
    return welfare_;
}

int32_t ServiceScript::WelfareClaims() const {
    std::lock_guard lock(mutex_);
    return claims_;
}

void ServiceScript::ResetWelfareClaims() {
    std::lock_guard lock(mutex_);
    claims_ = 0;
}

}  // namespace testserver
