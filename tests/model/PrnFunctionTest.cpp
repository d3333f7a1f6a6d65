#include <gtest/gtest.h>
#include <limits>

#include "model/PrnFunction.h"
#include "platform/NumberLocale.h"

namespace quillet {
namespace {

class PrnFunctionTest : public ::testing::Test {
protected:
    void SetUp() override { SetCurrentNumberLocale({ ',', '.' }); }
    void TearDown() override { SetCurrentNumberLocale({ ',', '.' }); }
};

TEST_F(PrnFunctionTest, FormatNumberGroupsRoundsAndSigns)
{
    // Cell values, subtotals and totals shown with thousands separators and a
    // fixed number of decimals; halves round away from zero, zero has no sign.
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        { 1234.5, 2, "1,234.50" },
        { 1234567, 0, "1,234,567" },
        { 0.004, 2, "0.00" },
        { -5, 1, "-5.0" },
        { -0.004, 2, "0.00" },
        { -0.0, 0, "0" },
        { 0.5, 0, "1" },
        { 2.5, 0, "3" },
        { -2.5, 0, "-3" },
        { 0.125, 2, "0.13" },
        { 0.005, 2, "0.01" },
        { 999.999, 2, "1,000.00" },
        { 123, 0, "123" },
        { 123456, 1, "123,456.0" },
        { -1234567.891, 2, "-1,234,567.89" },
        { 0.1 + 0.2, 2, "0.30" },
        { 12.34, 5, "12.34000" },
        { 1e20, 0, "100,000,000,000,000,000,000" },
        { 0.6, 0, "1" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(static_cast<std::uint8_t>(c.decimals), c.value), c.text)
            << c.value << " / " << c.decimals;
}

TEST_F(PrnFunctionTest, FormatNumberTakesExtremesWithoutOverflow)
{
    // The largest decimals and the largest doubles give long but exact texts.
    std::string s = FormatNumber(254, 1.5);
    EXPECT_EQ(s.size(), 256u);
    EXPECT_EQ(s.substr(0, 4), "1.50");
    EXPECT_EQ(s.find_first_not_of('0', 3), std::string::npos);
    std::string big = FormatNumber(254, -1.7976931348623157e308);
    EXPECT_EQ(big.size(), 1 + 309 + 102 + 1 + 254u);
    EXPECT_EQ(big.substr(0, 8), "-179,769");
    EXPECT_EQ(FormatNumber(2, std::numeric_limits<double>::infinity()), "INF");
}

TEST_F(PrnFunctionTest, FormatNumberUsesTheLocaleSeparators)
{
    // A locale with "." for thousands and "," for decimals.
    SetCurrentNumberLocale({ '.', ',' });
    EXPECT_EQ(FormatNumber(2, 1234567.5), "1.234.567,50");
}

TEST_F(PrnFunctionTest, TextToNumberAcceptsOnlyPlainNumbers)
{
    // Cell texts summed into totals: thousands separators allowed, anything
    // else that is not a whole number text gives the failure mark.
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        { "1,234.5", 1234.5 },
        { "-12.5", -12.5 },
        { "+3", 3 },
        { " 42 ", 42 },
        { ".5", 0.5 },
        { "5.", 5 },
        { "1e3", 1000 },
        { "1,234,567", 1234567 },
        { "", -999 },
        { "12abc", -999 },
        { ",,,", -999 },
        { ".", -999 },
        { "-", -999 },
        { "+", -999 },
        { "inf", -999 },
        { "nan", -999 },
        { "0x10", -999 },
        { "1e", -999 },
        { "1e400", -999 },
        { "1 2", -999 },
        { "--1", -999 },
        { "\t1", -999 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextToNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(PrnFunctionTest, ConversionsTakeTextsOfAnyLength)
{
    // Thousands of digits convert or fail cleanly.
    EXPECT_EQ(TextToNumber(std::string(5000, '0') + "1.5"), 1.5);
    EXPECT_EQ(TextToNumber(std::string(5000, '9')), -999);
    EXPECT_EQ(TextToNumber("1." + std::string(5000, '0')), 1.0);
    // Commas are dropped from texts longer than a cell as from short ones.
    EXPECT_EQ(TextToNumber(std::string(5000, '0') + "1,234.5"), 1234.5);
    EXPECT_EQ(TextToNumber(std::string(300, ' ') + "-1,5" + std::string(300, ',')), -15);
    EXPECT_EQ(TextToInt(std::string(5000, '0') + "7"), 7);
    EXPECT_EQ(TextToInt(std::string(5000, '9')), -999);
}

TEST_F(PrnFunctionTest, StrictConversionFollowsTheLocaleDecimalSeparator)
{
    // Numeric cells drawn by the page engine: no thousands separators.
    double v = 0;
    EXPECT_FALSE(StrToFloatStrict("1,234.5", v));
    ASSERT_TRUE(StrToFloatStrict("-1234.5", v));
    EXPECT_EQ(v, -1234.5);
    SetCurrentNumberLocale({ '.', ',' });
    EXPECT_FALSE(StrToFloatStrict("1234.5", v));
    ASSERT_TRUE(StrToFloatStrict("1234,5", v));
    EXPECT_EQ(v, 1234.5);
}

TEST_F(PrnFunctionTest, TextToIntTakesWholeNumbersInRange)
{
    // Column numbers read from merged-cell texts.
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        { "7", 7 },
        { "-12", -12 },
        { "+5", 5 },
        { " 3 ", 3 },
        { "2147483647", 2147483647 },
        { "-2147483648", -2147483647 - 1 },
        { "7.0", -999 },
        { "", -999 },
        { "-", -999 },
        { "2147483648", -999 },
        { "-2147483649", -999 },
        { "0x1F", -999 },
        { "$1F", -999 },
        { "1e3", -999 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST_F(PrnFunctionTest, RemovingCharactersLeavesGbkIntact)
{
    // Blanks and commas go; double-byte characters pass unharmed.
    EXPECT_EQ(RemoveSpaces("abc"), "abc");
    EXPECT_EQ(RemoveSpaces("   "), "");
    EXPECT_EQ(RemoveSpaces(" a b "), "ab");
    EXPECT_EQ(RemoveSpaces("\xB4\xF2 \xD3\xA1"), "\xB4\xF2\xD3\xA1");
    EXPECT_EQ(RemoveChar("1,2,3", ','), "123");
}

} // namespace
} // namespace quillet
