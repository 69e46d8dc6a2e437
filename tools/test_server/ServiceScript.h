#pragma once
// The safe box and the welfare service of the loopback test server, with
// state: the silver the player carries in the game, the safe box's balance,
// an optional protection password with its calculation number, the welfare
// configuration and the claims made today.
//
//   200040 -> 10, 32 bytes: word 0 the user, word 1 the balance
//   200043 -> 60000 without a password; else 10, 24 bytes: word 0 the
//             balance, word 1 the calculation number
//   200041 -> 1011 when the answer is not the password folded with the
//             calculation number; 60005 when the box holds less than the
//             amount; else 10 and the silver moves into the game
//   200042 -> 60005 when the amount is above the game silver; else 10 and
//             the silver moves into the safe box
//   (an amount below 1 gets 10100 and moves nothing)
//   each transfer that succeeds is followed by 211600: w0 user, w1 chair,
//   w2 kind (1 take, 2 save), w3 amount, w4 the new game silver, w5 the
//   base silver
//   a change of the game silver by play (ChangeGameSilver) gives the same
//   211600 with kind 3 and the change as amount
//   214010 -> 10, the 124-byte configuration (activity from the request)
//   214000 -> 10 with the amount as word 0 while fewer than daily_num claims
//             were made; then 60031 "当日领取已达领取次数上限"
//
// Rules:
//  - Bodies are read through the request records; a short body reads as
//    zeros past its end and never moves silver.
//  - Sums and differences are computed in 64 bits; a balance never leaves
//    the 32-bit range.
//  - Every operation takes the script's own lock, so tests may read and set
//    the state from any thread while the client runs.

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace testserver {

class ServiceScript {
public:
    struct SafeBox {
        int32_t gameSilver = 10000;
        int32_t balance = 5000;
        std::string password;  // empty: no protection password
        int32_t calcNumber = 0;
        int32_t baseSilver = 0;
    };
    // The fields of the 124-byte welfare configuration the script fills.
    struct Welfare {
        int32_t begin = 0;        // @64
        int32_t end = 0;          // @68
        int32_t status = 2;       // @72, 2: not active
        int32_t dailyNum = 3;     // @76, claims a day
        int32_t welfareLine = 0;  // @80
        int32_t sendLine = 0;     // @84
        int32_t dailyMax = 0;     // @88
        int32_t recordTime = 0;   // @92
        int32_t amount = 2000;    // given per claim
    };
    struct Reply {
        uint32_t code = 0;
        std::vector<uint8_t> data;
    };
    struct Notice {
        uint32_t id = 0;
        std::vector<uint8_t> data;
    };
    struct Outcome {
        Reply reply;
        std::optional<Notice> notice;  // sent after the reply
    };

    static constexpr uint32_t kTransferNotice = 211600;
    static constexpr int32_t kKindPlay = 3;
    static constexpr int32_t kKindTake = 1;
    static constexpr int32_t kKindSave = 2;

    // True for the ids this script answers.
    static bool Handles(uint32_t requestId);
    // The answer to one request of those ids.
    Outcome Answer(uint32_t requestId, std::span<const uint8_t> body);

    // The protection password folded with the calculation number: the
    // password cut into groups of four digits from the left (a rest of one
    // to four digits is the last group, at most four groups), their values
    // summed, plus the number's two halves (÷ 10000 and mod 10000).
    static int64_t ExpectedAnswer(const std::string& password, int32_t calcNumber);
    static std::vector<uint8_t> WelfareConfigBytes(int32_t activityId, const Welfare& welfare);

    void SetSafeBox(const SafeBox& state);
    SafeBox GetSafeBox() const;
    void SetGameSilver(int32_t silver);
    // Sets the game silver as a hand played would and answers the 211600
    // that tells the table (the caller sends it).
    Notice ChangeGameSilver(int32_t userId, int32_t chair, int32_t silver);
    void SetBalance(int32_t balance);
    void SetProtection(const std::string& password, int32_t calcNumber);
    void SetWelfare(const Welfare& welfare);
    Welfare GetWelfare() const;
    int32_t WelfareClaims() const;
    void ResetWelfareClaims();

private:
    Outcome Transfer(uint32_t requestId, std::span<const uint8_t> body);
    Outcome Claim();

    mutable std::mutex mutex_;
    SafeBox safeBox_;     // guarded by mutex_
    Welfare welfare_;     // guarded by mutex_
    int32_t claims_ = 0;  // guarded by mutex_
};

}  // namespace testserver
