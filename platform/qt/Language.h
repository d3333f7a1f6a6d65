#pragma once
// The language of the program's own texts: Chinese, as they are written, or
// English from the translation built into the program. It follows the
// locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) unless --lang forces it.
#include <QString>
#include <functional>
#include <optional>
#include <string_view>

namespace quillet {

enum class Language { Chinese, English };

// "zh", "zh_CN.UTF-8", "zh-TW" … are Chinese; "en", "en_US.UTF-8" … English;
// any other name is neither.
std::optional<Language> LanguageNamed(std::string_view name);

// The language the environment asks for: the first entry of LANGUAGE (a
// list "en_GB:en") that names one; else the first of LC_ALL, LC_MESSAGES and
// LANG that is set decides. Chinese whenever nothing names English. The
// environment is read through get (tests give their own).
Language LanguageOfEnvironment(const std::function<const char*(const char*)>& get = nullptr);

// Makes the language the one in use for Tr and QTr, from now on; to be done
// once at start, before any thread. False when the English translation could
// not be loaded (the texts then stay Chinese).
bool UseLanguage(Language language);
Language LanguageInUse();

// Once the application object exists: tr() and QCoreApplication::translate
// follow the language in use, and so do the toolkit's own dialogs (file,
// printer).
void InstallLanguage();

// The text in the language in use.
QString QTr(const char* context, const char* text);

// The file name of the manual in the language in use (the help command and
// --help look it up with ManualFile).
const char* ManualName();

} // namespace quillet
