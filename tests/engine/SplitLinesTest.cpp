#include <gtest/gtest.h>

#include "engine/SplitLines.h"
#include "tests/engine/EngineTestSupport.h"

namespace quillet::test {
namespace {

struct SplitCase {
    const char* name;
    std::string text;
    int limit;
    std::vector<std::string> pieces;
};

class SplitLinesCases : public ::testing::TestWithParam<SplitCase> { };

// Pieces never exceed the limit, never tear a double-byte character, and a
// limit too small for a character still moves on by one whole character.
TEST_P(SplitLinesCases, CutsIntoPieces)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitLines(c.text, c.limit), c.pieces);
    // The first piece alone is what a one-line cell shows.
    EXPECT_EQ(FirstLine(c.text, c.limit), c.pieces.empty() ? std::string() : c.pieces.front());
}

const std::string kExt = "\x81\x40"; // a GBK extension character whose second byte is below 0x80

INSTANTIATE_TEST_SUITE_P(Engine, SplitLinesCases,
    ::testing::Values(SplitCase { "AsciiSevenByThree", "abcdefg", 3, { "abc", "def", "g" } },
        SplitCase { "LettersThenCharacters", "ab" + kAh + kAh, 3, { "ab", kAh, kAh } },
        SplitCase { "TwoCharactersLimitTwo", kAh + kAh, 2, { kAh, kAh } },
        SplitCase { "LetterThenCharacterLimitTwo", "a" + kAh, 2, { "a", kAh } },
        SplitCase { "CharacterWiderThanLimitOne", kAh + "b" + kAh, 1, { kAh, "b", kAh } },
        SplitCase { "ZeroLimitActsAsOne", "a" + kAh + "b", 0, { "a", kAh, "b" } },
        SplitCase { "NegativeLimitActsAsOne", "ab", -7, { "a", "b" } }, SplitCase { "EmptyText", "", 4, {} },
        SplitCase { "LimitBeyondText", "abc", 50, { "abc" } },
        SplitCase { "ExactFit", kAh + "ab", 4, { kAh + "ab" } },
        SplitCase { "ExtensionCharacterKeptWhole", "a" + kExt + "b", 2, { "a", kExt, "b" } },
        SplitCase { "LoneLeadByteAtEnd", "ab\xB0", 2, { "ab", "\xB0" } },
        SplitCase { "IdeographicSpacePairs", "\xA1\xA1\xA1\xA1", 3, { "\xA1\xA1", "\xA1\xA1" } }),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

// A 200-byte cell split with limit 1 ends after as many pieces as it has
// characters: the walk always advances.
TEST(SplitLines, LongTextWithLimitOneTerminates)
{
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += kAh;
    auto pieces = SplitLines(text, 1);
    ASSERT_EQ(pieces.size(), 100u);
    for (const auto& p : pieces)
        EXPECT_EQ(p, kAh);
}

} // namespace
} // namespace quillet::test
