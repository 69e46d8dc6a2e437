#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zep/ZepBase64.h"

namespace {

using Form = CBase64Coder::Form;

std::string Decoded(const std::string& text, bool* ok = nullptr) {
    std::vector<uint8_t> out;
    const bool result = CBase64Coder::Decode(text, out);
    if (ok != nullptr) {
        *ok = result;
    }
    return std::string(out.begin(), out.end());
}

bool Refused(const std::string& text) {
    std::vector<uint8_t> out = {1, 2, 3};
    return !CBase64Coder::Decode(text, out) && out.empty();
}

}  // namespace

TEST(Base64, Rfc4648VectorsBothWays) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, text] : vectors) {
        SCOPED_TRACE(plain);
        EXPECT_EQ(CBase64Coder::EncodeToString(plain), text);
        const std::vector<uint8_t> encoded = CBase64Coder::Encode(
            std::span(reinterpret_cast<const uint8_t*>(plain.data()), plain.size()));
        EXPECT_EQ(std::string(encoded.begin(), encoded.end()), text);
        bool ok = false;
        EXPECT_EQ(Decoded(text, &ok), plain);
        EXPECT_TRUE(ok);
    }
    // Proxy credentials: the header text of user "Aladdin", password "open sesame".
    EXPECT_EQ(CBase64Coder::EncodeToString("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
}

TEST(Base64, DecodeSkipsWhiteSpaceAndToleratesPadding) {
    EXPECT_EQ(Decoded("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(Decoded(" Zm 9v\tYg = = "), "foob");
    EXPECT_EQ(Decoded("Zm9vYg"), "foob");   // unpadded last group
    EXPECT_EQ(Decoded("Zg==Zm8="), "ffo");  // groups after padding
    EXPECT_EQ(Decoded("Zm9v="), "foo");     // an "=" between groups
}

TEST(Base64, DecodeRefusesWhatIsNotBase64) {
    EXPECT_TRUE(Refused("Zm9v!"));
    EXPECT_TRUE(Refused("Zm-v"));   // the URL-safe alphabet is another one
    EXPECT_TRUE(Refused("Zm9vY"));  // one character cannot make a byte
    EXPECT_TRUE(Refused("Z==="));
    EXPECT_TRUE(Refused(std::string("Zm\0v", 4)));
    EXPECT_TRUE(Refused("Zm9v\xA1\xA1"));
}

TEST(Base64, LineBrokenFormOnRequest) {
    EXPECT_EQ(CBase64Coder::EncodeToString("", Form::LineBroken), "=");
    EXPECT_EQ(CBase64Coder::EncodeToString("f", Form::LineBroken), "Zg==");
    EXPECT_EQ(CBase64Coder::EncodeToString("fo", Form::LineBroken), "Zm8=");
    EXPECT_EQ(CBase64Coder::EncodeToString("foo", Form::LineBroken), "Zm9v=");

    // 55 bytes: 76 characters, broken after 72.
    const std::string credentials(55, 'u');
    const std::string standard = CBase64Coder::EncodeToString(credentials);
    const std::string broken = CBase64Coder::EncodeToString(credentials, Form::LineBroken);
    ASSERT_EQ(standard.size(), 76u);
    EXPECT_EQ(broken, standard.substr(0, 72) + "\r\n" + standard.substr(72));

    // 54 bytes fill exactly one line; the extra "=" goes on the next.
    const std::string full = CBase64Coder::EncodeToString(std::string(54, 'x'), Form::LineBroken);
    EXPECT_EQ(full.size(), 72u + 2 + 1);
    EXPECT_EQ(full.substr(72), "\r\n=");

    // Long text (3k + 1 bytes) is broken into 72-character lines throughout and
    // decodes back; the standard form has no breaks.
    const std::string text(1000, 'q');
    EXPECT_EQ(CBase64Coder::EncodeToString(text).find('\r'), std::string::npos);
    const std::string lines = CBase64Coder::EncodeToString(text, Form::LineBroken);
    size_t start = 0;
    for (size_t end; (end = lines.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_EQ(end - start, 72u);
    }
    EXPECT_LE(lines.size() - start, 72u);
    EXPECT_EQ(Decoded(lines), text);
}
