#pragma once
// The product's own values, kept in one place so that a packager changes them
// here only: the version shown in the about box, the home page and the
// support mail address of the help menu.
namespace quillet::product {

inline constexpr const char* kName = "Quillet";
inline constexpr const char* kVersion = "1.5.0.601";
inline constexpr const char* kHomePage = "https://quillet.org/";
inline constexpr const char* kSupportMail = "support@quillet.org";
// The HTML manuals beside the program: the Chinese one, and the English one
// that the English interface opens.
inline constexpr const char* kManualFile = "Quillet.html";
inline constexpr const char* kEnglishManualFile = "Quillet.en.html";

} // namespace quillet::product
