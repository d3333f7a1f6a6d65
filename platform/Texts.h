#pragma once
// The program's own texts (messages, captions, hints, help) are written in
// Chinese, UTF-8, and looked up in the language in use where they are shown.
// Texts of the reports themselves (files' texts) never pass through here.
//
//   Tr("DataFile", "…")            a text looked up now
//   QUILLET_TEXT("Commands", "…")  a text kept in a table, looked up with Tr
//                                  (or QTr) and the same context where it is used
//
// scripts/update-translations.sh reads both forms (and QTr, QCoreApplication::
// translate) into the translation files under i18n/.
#include <initializer_list>
#include <string>
#include <string_view>

#define QUILLET_TEXT(context, text) text

namespace quillet {

// The lookup of the language in use: UTF-8 context and text in, UTF-8 out.
using TextLookup = std::string (*)(const char* context, const char* text);

// Set once at start, before any thread is started; none (the default) keeps
// the Chinese texts as they are written.
void SetTextLookup(TextLookup lookup);

std::string Tr(const char* context, const char* text);

// The pattern with %1 … %9 replaced by the values, each in one step, so a
// value that holds "%2" itself stays as it is (as QString::arg with several
// arguments does). A number with no value stays as written.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

} // namespace quillet
