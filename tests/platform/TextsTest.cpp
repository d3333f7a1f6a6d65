#include <gtest/gtest.h>

#include "platform/Texts.h"

namespace quillet {
namespace {

TEST(TextsTest, FillInReplacesEachPlaceOnce)
{
    struct Case {
        const char* pattern;
        std::initializer_list<std::string_view> values;
        const char* expected;
    };
    const Case cases[] = {
        { "数据文件%1被截短了", { "“a.dat”" }, "数据文件“a.dat”被截短了" },
        { "第%2条数据的第%1列", { "3", "12" }, "第12条数据的第3列" },
        // A value holding a place of its own is not filled in again.
        { "%1 and %2", { "%2", "x" }, "%2 and x" },
        { "%3 stays; 100% too; %", { "a" }, "%3 stays; 100% too; %" },
        { "%1%1", { "ab" }, "abab" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillIn(c.pattern, c.values), c.expected) << c.pattern;
}

TEST(TextsTest, WithoutALookupTheTextStaysAsWritten)
{
    SetTextLookup(nullptr);
    EXPECT_EQ(Tr("DataFile", "打印用数据"), "打印用数据");
    SetTextLookup([](const char* context, const char* text) { return std::string(context) + "/" + text; });
    EXPECT_EQ(Tr("DataFile", "x"), "DataFile/x");
    SetTextLookup(nullptr);
}

} // namespace
} // namespace quillet
