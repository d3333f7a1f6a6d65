#include <gtest/gtest.h>

#include <string>

#include "platform/GbkCodec.h"

namespace quillet {
namespace {

// The data file's signature, byte for byte as the files carry it.
const std::string kDataSignatureGbk = ".Brellisk.-\xB4\xF2\xD3\xA1\xD3\xC3\xCA\xFD\xBE\xDD";
// The format file's signature.
const std::string kFormatSignatureGbk = ".Brellisk.-\xB4\xF2\xD3\xA1\xD3\xC3\xB8\xF1\xCA\xBD";

// Both file signatures decode to their Chinese text and encode back to the same 21 bytes.
TEST(GbkCodec, FileSignaturesRoundTripByteForByte)
{
    struct Case {
        std::string gbk;
        std::string utf8;
    } cases[] = {
        { kDataSignatureGbk, ".Brellisk.-打印用数据" },
        { kFormatSignatureGbk, ".Brellisk.-打印用格式" },
    };
    for (const auto& c : cases) {
        ASSERT_EQ(c.gbk.size(), 21u);
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk);
    }
}

// A byte that starts no GBK character becomes one U+FFFD and the text after it survives.
TEST(GbkCodec, BadBytesBecomeReplacementCharacters)
{
    struct Case {
        const char* name;
        std::string gbk;
        std::string utf8;
    } cases[] = {
        { "lead byte 0xFF",
            std::string("a\xFF"
                        "b"),
            "a\xEF\xBF\xBD"
            "b" },
        { "cut-off double byte at the end", std::string("\xCB\xCE\xCC"), "宋\xEF\xBF\xBD" },
        { "empty", std::string(), std::string() },
        { "plain ASCII passes", std::string("Tahoma 12"), "Tahoma 12" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.name;
}

// Characters GBK cannot hold turn into "?" without losing their neighbours.
TEST(GbkCodec, UnencodableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToGbk("x😀y"), "x?y");
    EXPECT_EQ(Utf8ToGbk("宋体"), "\xCB\xCE\xCC\xE5");
    // A broken UTF-8 sequence is one "?" too.
    EXPECT_EQ(Utf8ToGbk(std::string("a\xC3")), "a?");
}

// A long text crosses the converter's internal buffer without losing bytes.
TEST(GbkCodec, LongTextsSurviveIntact)
{
    std::string gbk;
    for (int i = 0; i < 3000; ++i)
        gbk += "\xCB\xCE"; // 宋
    const std::string utf8 = GbkToUtf8(gbk);
    EXPECT_EQ(utf8.size(), 3000u * 3);
    EXPECT_EQ(Utf8ToGbk(utf8), gbk);
}

} // namespace
} // namespace quillet
