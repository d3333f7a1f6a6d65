#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/NumberLocale.h"

namespace quillet {
namespace {

// The C locale defines no grouping character, yet numbers are still grouped with ",".
TEST(NumberLocale, CLocaleGroupsWithComma)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    const NumberLocale locale = SystemNumberLocale();
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(locale.thousandsSeparator, ',');
    EXPECT_EQ(locale.decimalSeparator, '.');
}

} // namespace
} // namespace quillet
