#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

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

// A path is shown name by name: UTF-8 names as they are, the others decoded as GBK.
TEST(GbkCodec, FileNamesShowAsUtf8ElseGbk)
{
    struct Case {
        const char* name;
        std::string path;
        std::string shown;
    } cases[] = {
        { "UTF-8 path", "/home/张三/报表.dat", "/home/张三/报表.dat" },
        { "GBK name in a UTF-8 folder", "/home/张三/\xC9\xCF\xBA\xA3.dat", "/home/张三/上海.dat" },
        { "GBK folder and name", "/\xC9\xCF\xBA\xA3/\xB1\xA8\xB1\xED.fmt", "/上海/报表.fmt" },
        { "UTF-8 cut off at the end is read as GBK", "ok/\xE4\xB8", "ok/涓" },
        { "trailing slash", "/tmp/", "/tmp/" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileNameToUtf8(c.path), c.shown) << c.name;
    // Only well-formed UTF-8 counts: no overlong forms, surrogates or code points past U+10FFFF.
    EXPECT_TRUE(IsUtf8("\xF4\x8F\xBF\xBF"));
    for (const char* bad : { "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC9\xCF" })
        EXPECT_FALSE(IsUtf8(bad)) << bad;
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

// Every byte below 0x80 is the same character in GBK and UTF-8, NUL and control bytes included.
TEST(GbkCodec, AsciiBytesPassUnchangedBothWays)
{
    std::string all;
    for (int c = 0; c < 0x80; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(GbkToUtf8(all), all);
    EXPECT_EQ(Utf8ToGbk(all), all);
    // One byte above the range sends the whole text through the converter.
    EXPECT_EQ(GbkToUtf8(all + "\xCB\xCE"), all + "宋");
    EXPECT_EQ(Utf8ToGbk(all + "宋"), all + "\xCB\xCE");
}

// The converters are kept between calls: a text that failed half-way leaves nothing behind for the next one.
TEST(GbkCodec, FailedTextLeavesNoStateForTheNext)
{
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(GbkToUtf8(std::string("\xCB")), "\xEF\xBF\xBD"); // a lone lead byte
        EXPECT_EQ(GbkToUtf8(std::string("\xCE\xC4")), "文");
        EXPECT_EQ(Utf8ToGbk(std::string("\xE6\x96")), "?"); // a cut-off sequence
        EXPECT_EQ(Utf8ToGbk("文"), "\xCE\xC4");
    }
}

// Threads converting at the same time each get their own converters and correct results.
TEST(GbkCodec, ConcurrentThreadsConvertCorrectly)
{
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int i = 0; i < 500; ++i) {
                const std::string gbk = kDataSignatureGbk + std::to_string(t * 1000 + i);
                const std::string utf8 = ".Brellisk.-打印用数据" + std::to_string(t * 1000 + i);
                if (GbkToUtf8(gbk) != utf8 || Utf8ToGbk(utf8) != gbk)
                    ++wrong[static_cast<std::size_t>(t)];
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

// A text box asks whether a layout can hold a character: GBK's own characters
// can, those only GB18030 or Unicode has cannot, and one bad character spoils
// a whole text.
TEST(GbkCodec, HoldsOnlyWhatGbkCanStore)
{
    struct Case {
        const char* utf8;
        bool held;
    } cases[] = {
        { "", true }, { "Tahoma 12", true }, { "销售明细表（第一季度）", true }, { "黑体·—～‖", true },
        { "\xE2\x82\xAC", true }, // € is 0x80 in code page 936
        { "\xC9\x91", true }, // ɑ
        { "Ä", false }, { "한국", false }, { "😀", false }, { "\xC7\xB9", false }, // ǹ: GB18030 only
        { "\xE1\xB8\xBF", false }, // ḿ: GB18030 only
        { "\xC2\xA5", false }, // ¥
        { "报表Ä", false },
        { "a\xFF"
          "b",
            false }, // no UTF-8 at all
        { "\xE4\xB8", false }, // a cut-off character
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbkHolds(c.utf8), c.held) << c.utf8;
}

} // namespace
} // namespace quillet
