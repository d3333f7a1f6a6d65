#include "platform/qt/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdlib>
#include <string>

#include "platform/Product.h"
#include "platform/Texts.h"

namespace quillet {

namespace {

Language languageInUse = Language::Chinese;

// The program's English texts, built into the program.
QTranslator& ProgramTranslation()
{
    static QTranslator translation;
    return translation;
}

// The toolkit's own texts in Chinese (its source texts are English).
QTranslator& ToolkitTranslation()
{
    static QTranslator translation;
    return translation;
}

std::string LookUp(const char* context, const char* text)
{
    return QTr(context, text).toStdString();
}

bool StartsWithWord(std::string_view name, std::string_view word)
{
    return name.substr(0, word.size()) == word
        && (name.size() == word.size() || name[word.size()] == '_' || name[word.size()] == '-'
            || name[word.size()] == '.' || name[word.size()] == '@');
}

} // namespace

std::optional<Language> LanguageNamed(std::string_view name)
{
    if (StartsWithWord(name, "zh"))
        return Language::Chinese;
    if (StartsWithWord(name, "en"))
        return Language::English;
    return std::nullopt;
}

Language LanguageOfEnvironment(const std::function<const char*(const char*)>& get)
{
    const auto value = [&](const char* name) -> std::string_view {
        const char* text = get ? get(name) : std::getenv(name);
        return text ? std::string_view(text) : std::string_view();
    };
    std::string_view list = value("LANGUAGE");
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        if (const auto language = LanguageNamed(list.substr(0, colon)))
            return *language;
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        if (const std::string_view locale = value(name); !locale.empty())
            return LanguageNamed(locale).value_or(Language::Chinese);
    }
    return Language::Chinese;
}

bool UseLanguage(Language language)
{
    bool loaded = true;
    if (language == Language::English && ProgramTranslation().isEmpty())
        loaded = ProgramTranslation().load(QStringLiteral(":/i18n/quillet_en.qm"));
    languageInUse = loaded ? language : Language::Chinese;
    SetTextLookup(languageInUse == Language::English ? &LookUp : nullptr);
    if (QCoreApplication::instance())
        InstallLanguage();
    return loaded;
}

Language LanguageInUse()
{
    return languageInUse;
}

void InstallLanguage()
{
    QCoreApplication::removeTranslator(&ProgramTranslation());
    QCoreApplication::removeTranslator(&ToolkitTranslation());
    if (languageInUse == Language::English) {
        QCoreApplication::installTranslator(&ProgramTranslation());
    } else if (!ToolkitTranslation().isEmpty()
        || ToolkitTranslation().load(
            QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&ToolkitTranslation());
    }
}

QString QTr(const char* context, const char* text)
{
    if (languageInUse == Language::English) {
        const QString translated = ProgramTranslation().translate(context, text);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(text);
}

const char* ManualName()
{
    return languageInUse == Language::English ? product::kEnglishManualFile : product::kManualFile;
}

} // namespace quillet
