#pragma once
// The user's number punctuation, from LC_NUMERIC. Tests pin their own.

namespace quillet {

struct NumberLocale {
    char thousandsSeparator = ',';
    char decimalSeparator = '.';
    bool operator==(const NumberLocale&) const = default;
};

// The separators of the process's current LC_NUMERIC locale, with "," when the
// locale defines none (the C locale): numbers are always grouped.
NumberLocale SystemNumberLocale();

// What the formatting helpers use; starts as SystemNumberLocale() on first use.
const NumberLocale& CurrentNumberLocale();
void SetCurrentNumberLocale(const NumberLocale& locale);

} // namespace quillet
