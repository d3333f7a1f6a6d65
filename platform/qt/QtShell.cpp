#include "platform/qt/QtShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

namespace quillet {

bool QtShell::Open(const std::string& target)
{
    if (target.empty())
        return false;
    const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()));
    // Addresses with a scheme go as they are; anything else is a local path.
    const bool isAddress = text.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        || text.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive)
        || text.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive)
        || text.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive);
    const QUrl url = isAddress ? QUrl(text) : QUrl::fromLocalFile(text);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

void QtShell::Beep()
{
    QApplication::beep();
}

} // namespace quillet
