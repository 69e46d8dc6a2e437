#include "frame/panels/safebox/AmountHistory.h"

#include <algorithm>
#include <array>

#include "frame/panels/safebox/SilverAmounts.h"
#include "platform/Profile.h"
#include "zep/ZepUtils.h"

namespace {

constexpr int kMaxPieces = 100;
constexpr size_t kValueBytes = 1024;

}  // namespace

AmountHistory::AmountHistory(std::string file, std::string key)
    : file_(std::move(file)), key_(std::move(key)) {}

void AmountHistory::SetStore(std::string file, std::string key) {
    file_ = std::move(file);
    key_ = std::move(key);
}

void AmountHistory::Load() {
    amounts_.clear();
    std::array<char, kValueBytes> value{};
    platform::GetPrivateProfileString(kSection, key_.c_str(), "", value.data(),
                                      static_cast<uint32_t>(value.size()), file_.c_str());
    if (value[0] == 0) {
        return;
    }
    std::array<char*, kMaxPieces> pieces{};
    const int count = ZepSplitBar(value.data(), pieces.data(), kMaxPieces, nullptr);
    for (int i = 0; i < count; ++i) {
        // A stored piece keeps the 32-bit field's value; one beyond it or 0
        // is no amount.
        const std::optional<int32_t> amount = TransferableAmount(ReadAmountText(pieces[i]));
        if (amount) {
            amounts_.push_back(*amount);
        }
    }
}

bool AmountHistory::Add(int32_t amount) {
    if (std::find(amounts_.begin(), amounts_.end(), amount) != amounts_.end()) {
        return false;
    }
    if (amounts_.size() > kMaxKept - 1) {
        amounts_.erase(amounts_.begin());
    }
    amounts_.push_back(amount);
    platform::WritePrivateProfileString(kSection, key_.c_str(), Joined().c_str(), file_.c_str());
    return true;
}

std::string AmountHistory::Joined() const {
    std::string joined;
    for (int32_t amount : amounts_) {
        joined += std::to_string(amount) + "|";
    }
    return joined;
}
