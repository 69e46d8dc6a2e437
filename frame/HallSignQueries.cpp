#include "frame/HallSignQueries.h"

#include "frame/HallRecords.h"
#include "frame/RecordFields.h"
#include "zep/ZepLog.h"

uint32_t CHallSignQueries::Open(int32_t userId) {
    std::lock_guard<std::mutex> guard(lock_);
    auto query = std::make_unique<Query>();
    query->token = nextToken_++;
    query->userId = userId;
    queries_.push_back(std::move(query));
    return queries_.back()->token;
}

CHallSignQueries::Query* CHallSignQueries::Find(uint32_t token) {
    for (const auto& query : queries_) {
        if (query->token == token) {
            return query.get();
        }
    }
    return nullptr;
}

std::optional<std::string> CHallSignQueries::Wait(uint32_t token, uint32_t timeoutMs) {
    Query* query = nullptr;
    {
        std::lock_guard<std::mutex> guard(lock_);
        query = Find(token);
    }
    // The query lives as long as this object, so it may be waited on
    // without the lock.
    if (query == nullptr || !query->answered.Wait(timeoutMs)) {
        return std::nullopt;
    }
    std::lock_guard<std::mutex> guard(lock_);
    return query->text;
}

void CHallSignQueries::Answer(std::span<const uint8_t> enciphered) {
    const auto plain = DecipherHallRecord(enciphered);
    HallSignAnswer answer;
    if (!plain || !ReadRecord(std::span<const uint8_t>(*plain), answer)) {
        ZepLog("sign answer: an answer of %zu bytes is refused", enciphered.size());
        return;
    }
    std::lock_guard<std::mutex> guard(lock_);
    Query* query = Find(static_cast<uint32_t>(answer.token));
    if (query == nullptr) {
        ZepLog("sign answer: no sign query %u", static_cast<uint32_t>(answer.token));
        return;
    }
    if (answer.userId == query->userId) {
        std::string text = FieldText(answer.text);
        if (text.size() > kSignTextMax) {
            text.resize(kSignTextMax);
        }
        query->text = std::move(text);
    }
    query->answered.Set();
}
