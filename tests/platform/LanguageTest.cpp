#include <gtest/gtest.h>

#include <QCoreApplication>
#include <map>
#include <string>

#include "platform/Texts.h"
#include "platform/qt/Language.h"

namespace quillet {
namespace {

TEST(LanguageTest, TheLocaleChoosesTheLanguage)
{
    using L = Language;
    struct Case {
        std::map<std::string, std::string> environment;
        Language expected;
    };
    const Case cases[] = {
        { {}, L::Chinese },
        { { { "LANG", "en_US.UTF-8" } }, L::English },
        { { { "LANG", "zh_CN.UTF-8" } }, L::Chinese },
        { { { "LANG", "de_DE.UTF-8" } }, L::Chinese },
        { { { "LANG", "C.UTF-8" } }, L::Chinese },
        // "eng" and "english" are no names of English here: only "en" as a whole word.
        { { { "LANG", "english" } }, L::Chinese },
        { { { "LC_MESSAGES", "en_GB" }, { "LANG", "zh_CN.UTF-8" } }, L::English },
        { { { "LC_ALL", "zh_TW.UTF-8" }, { "LC_MESSAGES", "en_GB" } }, L::Chinese },
        // The first entry of LANGUAGE that names a language of ours decides.
        { { { "LANGUAGE", "fr:en_GB:zh" }, { "LANG", "zh_CN.UTF-8" } }, L::English },
        { { { "LANGUAGE", "zh_CN:en" }, { "LC_ALL", "en_US.UTF-8" } }, L::Chinese },
        // A LANGUAGE naming none of them leaves it to the locale.
        { { { "LANGUAGE", "fr:de" }, { "LC_ALL", "en_US.UTF-8" } }, L::English },
        { { { "LANGUAGE", "" }, { "LANG", "en@quot" } }, L::English },
    };
    for (const Case& c : cases) {
        const auto get = [&](const char* name) -> const char* {
            const auto it = c.environment.find(name);
            return it == c.environment.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(LanguageOfEnvironment(get), c.expected) << c.environment.size();
    }
}

TEST(LanguageTest, EnglishComesFromTheBuiltInTranslationAndChineseStaysAsWritten)
{
    ASSERT_TRUE(UseLanguage(Language::English));
    EXPECT_EQ(LanguageInUse(), Language::English);
    EXPECT_EQ(QTr("OutputMessages", "磁盘已满"), QStringLiteral("The disk is full"));
    EXPECT_EQ(Tr("OutputMessages", "磁盘已满"), "The disk is full");
    EXPECT_EQ(QCoreApplication::translate("OutputMessages", "磁盘已满"), QStringLiteral("The disk is full"));
    // A text the translation does not hold is shown as written.
    EXPECT_EQ(QTr("OutputMessages", "没有这句"), QStringLiteral("没有这句"));

    ASSERT_TRUE(UseLanguage(Language::Chinese));
    EXPECT_EQ(QTr("OutputMessages", "磁盘已满"), QStringLiteral("磁盘已满"));
    EXPECT_EQ(Tr("OutputMessages", "磁盘已满"), "磁盘已满");
    EXPECT_EQ(QCoreApplication::translate("OutputMessages", "磁盘已满"), QStringLiteral("磁盘已满"));
}

} // namespace
} // namespace quillet
