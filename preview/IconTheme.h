#pragma once
// The icon theme the window's commands take their pictures from.

namespace quillet {

// The freedesktop theme used when the desktop names none, or names one that
// lacks the commands' icons.
inline constexpr const char* kIconTheme = "oxygen";

// Chooses the theme once: the desktop's own when it has the icons the window
// needs, else kIconTheme.
void EnsureIconTheme();

} // namespace quillet
