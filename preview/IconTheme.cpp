#include "preview/IconTheme.h"

#include <QIcon>
#include <QString>

namespace quillet {

void EnsureIconTheme()
{
    const QString ours = QString::fromLatin1(kIconTheme);
    // A desktop without a theme (a bare X server, the offscreen platform)
    // would leave the tool bars blank; a desktop theme that lacks some of the
    // window's icons borrows them from ours.
    if (QIcon::themeName().isEmpty() || !QIcon::hasThemeIcon(QStringLiteral("document-save")))
        QIcon::setThemeName(ours);
    else
        QIcon::setFallbackThemeName(ours);
}

} // namespace quillet
