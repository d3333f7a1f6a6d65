#pragma once
// Maps the Windows font names that layouts carry to families installed here.

namespace quillet {

// Registers the substitutions with Qt's font database; safe to call again.
// Needs a QGuiApplication.
void InstallFontSubstitutions();

} // namespace quillet
