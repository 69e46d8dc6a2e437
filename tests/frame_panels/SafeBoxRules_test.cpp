// The safe box's rules that need no window: amounts as typed, the amount
// history in the game's settings file, the protection password's fold and
// the keypad's shuffle, the quick-set presets of the user's data file, and
// the test server's safe box and welfare service with its state.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>

#include "frame/net/FrameRequests.h"
#include "frame/panels/safebox/AmountHistory.h"
#include "frame/panels/safebox/NumKeyPadDlg.h"
#include "frame/panels/safebox/SetDepositDlg.h"
#include "frame/panels/safebox/SilverAmounts.h"
#include "platform/Profile.h"
#include "tests/zep/ZepTestFolder.h"
#include "tools/test_server/ServiceScript.h"

namespace {

using namespace frame_requests;
using testserver::ServiceScript;

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

std::string ReadValue(const std::string& file, const char* section, const char* key) {
    char value[1024] = {};
    platform::GetPrivateProfileString(section, key, "<none>", value, sizeof value, file.c_str());
    return value;
}

// --- amounts ---

TEST(SilverAmounts, ATypedAmountIsItsLeadingDigitsWithoutASign) {
    EXPECT_EQ(ReadAmountText("500"), 500);
    EXPECT_EQ(ReadAmountText("12ab"), 12);
    EXPECT_EQ(ReadAmountText(""), 0);
    EXPECT_EQ(ReadAmountText(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(ReadAmountText("-5"), 0);
    EXPECT_EQ(ReadAmountText("+7"), 0);
    EXPECT_EQ(ReadAmountText(" 7"), 0);
    EXPECT_EQ(ReadAmountText("00042"), 42);
    // Beyond the 32-bit field the value is kept, not wrapped.
    EXPECT_EQ(ReadAmountText("4294967296"), 4294967296);
    EXPECT_GT(ReadAmountText(std::string(40, '9')), kInt32Max);
}

TEST(SilverAmounts, OnlyAmountsFrom1ToTheFieldsTopGoOut) {
    EXPECT_FALSE(TransferableAmount(0));
    EXPECT_FALSE(TransferableAmount(-1));
    EXPECT_EQ(TransferableAmount(1), 1);
    EXPECT_EQ(TransferableAmount(kInt32Max), kInt32Max);
    EXPECT_FALSE(TransferableAmount(kInt32Max + 1));
    // "4294967796" would wrap to 500 in 32 bits.
    EXPECT_FALSE(TransferableAmount(ReadAmountText("4294967796")));
}

TEST(SilverAmounts, SettingTheCarriedSilverMovesTheDifferenceIn64Bits) {
    struct Case {
        int64_t carried, target;
        SilverChange::Kind kind;
        int32_t amount;
    } cases[] = {
        {1234, 1234, SilverChange::kEqual, 0},
        {1234, 1000, SilverChange::kSave, 234},
        {1234, 30000, SilverChange::kTake, 28766},
        {1234, 0, SilverChange::kSave, 1234},
        // A hand-edited negative preset and differences beyond the field.
        {1234, -5, SilverChange::kRefused, 0},
        {-2, kInt32Max, SilverChange::kRefused, 0},
        {kInt32Max, 0, SilverChange::kSave, int32_t(kInt32Max)},
        {int64_t(INT32_MIN), 1, SilverChange::kRefused, 0},
    };
    for (const Case& c : cases) {
        const SilverChange change = PlanSilverChange(c.carried, c.target);
        EXPECT_EQ(change.kind, c.kind) << c.carried << " -> " << c.target;
        EXPECT_EQ(change.amount, c.amount) << c.carried << " -> " << c.target;
    }
}

// --- the history ---

class AmountHistoryTest : public ::testing::Test {
protected:
    std::string File() const { return (folder.Path() / "pvbn.ini").string(); }
    void Store(const std::string& value) {
        platform::WritePrivateProfileString("DEPOSIT", "Save", value.c_str(), File().c_str());
    }
    zeptest::TempFolder folder;
};

TEST_F(AmountHistoryTest, AFullHistoryLosesItsOldestForANewAmount) {
    Store("100|200|300|400|600|700|");
    AmountHistory history(File(), "Save");
    history.Load();
    EXPECT_TRUE(history.Add(500));
    EXPECT_EQ(ReadValue(File(), "DEPOSIT", "Save"), "200|300|400|600|700|500|");
    // An amount already held writes nothing.
    Store("kept as it was");
    EXPECT_FALSE(history.Add(200));
    EXPECT_EQ(ReadValue(File(), "DEPOSIT", "Save"), "kept as it was");
    EXPECT_EQ(history.Joined(), "200|300|400|600|700|500|");
    // The take dialog's key is its own.
    EXPECT_EQ(ReadValue(File(), "DEPOSIT", "Take"), "<none>");
}

TEST_F(AmountHistoryTest, LoadingKeepsTheStoredAmountsThatAreAmounts) {
    Store("100||abc|50|");
    AmountHistory history(File(), "Save");
    history.Load();
    EXPECT_EQ(history.Amounts(), (std::vector<int32_t>{100, 50}));
    // Negative and overlong pieces of a hand-edited list are no amounts.
    Store("-5|4294967796|7|7|");
    history.Load();
    EXPECT_EQ(history.Amounts(), (std::vector<int32_t>{7, 7}));
    // A longer hand-edited list is loaded whole and loses one per addition.
    Store("1|2|3|4|5|6|8|9|");
    history.Load();
    EXPECT_EQ(history.Amounts().size(), 8u);
    EXPECT_TRUE(history.Add(10));
    EXPECT_EQ(ReadValue(File(), "DEPOSIT", "Save"), "2|3|4|5|6|8|9|10|");
    // Nothing stored, or no file at all: an empty history.
    AmountHistory fresh((folder.Path() / "none.ini").string(), "Take");
    fresh.Load();
    EXPECT_TRUE(fresh.Amounts().empty());
    EXPECT_TRUE(fresh.Add(100));
    EXPECT_EQ(ReadValue((folder.Path() / "none.ini").string(), "DEPOSIT", "Take"), "100|");
}

// --- the protection password ---

TEST(ProtectionPassword, FoldsGroupsOfFourWithTheCalculationNumbersHalves) {
    EXPECT_EQ(FoldProtectionPassword("12345678", 123456789), 26046);
    EXPECT_EQ(FoldProtectionPassword("123456789", 123456789), 26055);
    // 16 digits: four groups of four.
    EXPECT_EQ(FoldProtectionPassword("1111222233334444", 0), 1111 + 2222 + 3333 + 4444);
    // Leading zeros add nothing; a 13-digit password ends in a group of one.
    EXPECT_EQ(FoldProtectionPassword("00010002", 0), 3);
    EXPECT_EQ(FoldProtectionPassword("1234567890123", 10000), 1234 + 5678 + 9012 + 3 + 1);
    // The server's own fold agrees.
    for (const char* password : {"12345678", "123456789", "9999999999999999", "00000001"}) {
        EXPECT_EQ(FoldProtectionPassword(password, 987654321),
                  ServiceScript::ExpectedAnswer(password, 987654321))
            << password;
    }
}

TEST(KeypadShuffle, ACSeedGivesTheCLibrarysSequence) {
    KeypadRandom random;
    random.Seed(1);
    EXPECT_EQ(random.Next(), 41);
    EXPECT_EQ(random.Next(), 18467);
    EXPECT_EQ(random.Next(), 6334);
}

TEST(KeypadShuffle, TheOrderIsAPermutationShuffledFromItsCurrentState) {
    KeypadRandom random;
    std::array<int, 10> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ShuffleDigitOrder(order, random, 1700000000);
    std::array<int, 10> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::array<int, 10>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // The same second gives the same swaps, applied to the order as it is.
    std::array<int, 10> again = order;
    ShuffleDigitOrder(again, random, 1700000000);
    std::array<int, 10> fromStart{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ShuffleDigitOrder(fromStart, random, 1700000000);
    EXPECT_EQ(fromStart, order);
    EXPECT_NE(again, order);
}

TEST(KeypadShuffle, TheProcessGeneratorIsLeftAlone) {
    std::srand(4242);
    const int expected = std::rand();
    std::srand(4242);
    KeypadRandom random;
    std::array<int, 10> order{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ShuffleDigitOrder(order, random, 1);
    EXPECT_EQ(std::rand(), expected);
}

// --- presets ---

class FixDepositTest : public ::testing::Test {
protected:
    std::string File() const { return (folder.Path() / "5001.dat").string(); }
    void Put(const char* key, const char* value) {
        platform::WritePrivateProfileString("FIXDEPOSIT", key, value, File().c_str());
    }
    zeptest::TempFolder folder;
};

TEST_F(FixDepositTest, AFreshUserGetsTheDefaults) {
    EXPECT_EQ(LoadFixDepositValues(File()), kDefaultFixDeposit);
    Put("Fix0", "7");
    Put("Fix5", "");
    EXPECT_EQ(LoadFixDepositValues(File()), kDefaultFixDeposit);
}

TEST_F(FixDepositTest, WithTheLastKeyEachKeyIsRead) {
    Put("Fix5", "600");
    Put("Fix1", "-20");
    Put("Fix3", "12ab");
    EXPECT_EQ(LoadFixDepositValues(File()), (FixDepositValues{0, -20, 0, 12, 0, 600}));
}

TEST_F(FixDepositTest, SavingWritesAllSixAndLeavesTheAutomaticKeys) {
    Put("AutoFix", "3000");
    Put("bAutoFix", "1");
    EXPECT_TRUE(SaveFixDepositValues(File(), {1, 2, 0, 4, 5, 99999999}));
    EXPECT_EQ(ReadValue(File(), "FIXDEPOSIT", "Fix2"), "0");
    EXPECT_EQ(ReadValue(File(), "FIXDEPOSIT", "Fix5"), "99999999");
    EXPECT_EQ(ReadValue(File(), "FIXDEPOSIT", "AutoFix"), "3000");
    EXPECT_EQ(ReadValue(File(), "FIXDEPOSIT", "bAutoFix"), "1");
    EXPECT_EQ(LoadFixDepositValues(File()), (FixDepositValues{1, 2, 0, 4, 5, 99999999}));
}

// --- the test server's service ---

std::vector<uint8_t> TransferBody(int32_t amount, int32_t answer, int32_t direction) {
    TransferRecord record;
    record.userId = 5001;
    record.chairNo = 2;
    record.amount = amount;
    record.answer = answer;
    record.direction = direction;
    std::vector<uint8_t> body(TransferRecord::kSize);
    WriteRecord(record, body);
    return body;
}

TEST(ServiceScript, TransfersMoveSilverAndAreAnnounced) {
    ServiceScript script;
    script.SetSafeBox({1234, 5000, "", 0, 77});
    ServiceScript::Outcome out =
        script.Answer(kTransferOutOfGame, TransferBody(500, 0, TransferRecord::kOutOfGame));
    EXPECT_EQ(out.reply.code, kResultOk);
    ASSERT_TRUE(out.notice);
    EXPECT_EQ(out.notice->id, 211600u);
    const std::vector<int32_t> words = {5001, 2, 2, 500, 734, 77};
    for (size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(WordAt(out.notice->data, i * 4), words[i]) << i;
    }
    EXPECT_EQ(script.GetSafeBox().balance, 5500);
    // Above the game silver, or above the balance: 60005, nothing moves.
    EXPECT_EQ(script.Answer(kTransferOutOfGame, TransferBody(735, 0, 1)).reply.code,
              kResultNotEnoughSilver);
    EXPECT_EQ(script.Answer(kTransferIntoGame, TransferBody(5501, 0, 2)).reply.code,
              kResultNotEnoughSilver);
    // Nothing, a short body or a negative amount moves nothing.
    EXPECT_EQ(script.Answer(kTransferIntoGame, TransferBody(-3, 0, 2)).reply.code,
              kResultRequestFailed);
    EXPECT_EQ(script.Answer(kTransferIntoGame, std::vector<uint8_t>(30)).reply.code,
              kResultRequestFailed);
    EXPECT_EQ(script.GetSafeBox().gameSilver, 734);
    EXPECT_EQ(script.GetSafeBox().balance, 5500);
    // Without a password the take needs no answer.
    out = script.Answer(kTransferIntoGame, TransferBody(5500, 0, 2));
    EXPECT_EQ(out.reply.code, kResultOk);
    EXPECT_EQ(WordAt(out.notice->data, 8), 1);
    EXPECT_EQ(WordAt(out.notice->data, 16), 6234);
    EXPECT_EQ(script.GetSafeBox().balance, 0);
}

TEST(ServiceScript, APasswordIsAskedForAndChecked) {
    ServiceScript script;
    EXPECT_EQ(script.Answer(kQueryTake, {}).reply.code, kResultNoProtection);
    script.SetProtection("12345678", 123456789);
    const ServiceScript::Outcome query = script.Answer(kQueryTake, {});
    EXPECT_EQ(query.reply.code, kResultOk);
    ASSERT_EQ(query.reply.data.size(), kTakeReplySize);
    EXPECT_EQ(WordAt(query.reply.data, 4), 123456789);
    EXPECT_EQ(script.Answer(kTransferIntoGame, TransferBody(100, 26045, 2)).reply.code,
              kResultBadAnswer);
    EXPECT_EQ(script.Answer(kTransferIntoGame, TransferBody(100, 26046, 2)).reply.code, kResultOk);
    const ServiceScript::Outcome box = script.Answer(kQuerySafeBox, {});
    ASSERT_EQ(box.reply.data.size(), kSafeBoxReplySize);
    EXPECT_EQ(WordAt(box.reply.data, 4), 4900);
}

TEST(ServiceScript, WelfareIsConfiguredAndClaimedUpToTheDailyNumber) {
    ServiceScript script;
    ServiceScript::Welfare welfare;
    welfare.status = 1;
    welfare.dailyNum = 2;
    welfare.amount = 300;
    welfare.dailyMax = 9;
    script.SetWelfare(welfare);
    std::vector<uint8_t> query(WelfareConfigQuery::kSize);
    query[20] = 44;
    const ServiceScript::Outcome config = script.Answer(kWelfareConfig, query);
    ASSERT_EQ(config.reply.data.size(), kWelfareConfigSize);
    EXPECT_EQ(WordAt(config.reply.data, 4), 44);
    EXPECT_EQ(WordAt(config.reply.data, 72), 1);
    EXPECT_EQ(WordAt(config.reply.data, 76), 2);
    EXPECT_EQ(WordAt(config.reply.data, 88), 9);
    for (int i = 0; i < 2; ++i) {
        const ServiceScript::Outcome claim = script.Answer(kWelfareClaim, {});
        EXPECT_EQ(claim.reply.code, kResultOk);
        EXPECT_EQ(WordAt(claim.reply.data, 0), 300);
    }
    const ServiceScript::Outcome refused = script.Answer(kWelfareClaim, {});
    EXPECT_EQ(refused.reply.code, kResultRefusedWithText);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(refused.reply.data.data())),
              "当日领取已达领取次数上限");
    EXPECT_EQ(script.WelfareClaims(), 2);
}

}  // namespace
