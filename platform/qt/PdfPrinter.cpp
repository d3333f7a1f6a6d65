#include "platform/qt/PdfPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <utility>

namespace quillet {
namespace {

bool IsControl(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

// Cuts s to at most maxBytes of UTF-8 without splitting a character.
QString CutUtf8(const QString& s, int maxBytes)
{
    QString out;
    int bytes = 0;
    for (char32_t c : s.toUcs4()) {
        const int n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes + n > maxBytes)
            break;
        bytes += n;
        out += QString::fromUcs4(&c, 1);
    }
    return out;
}

} // namespace

PdfPrinter::PdfPrinter(QString folder)
    : folder_(std::move(folder))
{
}

void PdfPrinter::Prepare(QPrinter& printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setFullPage(false);
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, Margins(), QPageLayout::Point));
}

QString PdfPrinter::SafeFileName(const QString& title)
{
    QString name;
    for (char32_t c : title.toUcs4()) {
        if (c == U'/' || c == U'\\')
            name += QLatin1Char('-');
        else if (!IsControl(c))
            name += QString::fromUcs4(&c, 1);
    }
    // Blanks between leading dots would hide a dot behind them.
    name = name.trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name = name.mid(1).trimmed();
    name = CutUtf8(name, kMaxNameBytes).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("untitled");
    return name;
}

QString PdfPrinter::ClaimFile(const QString& title) const
{
    if (folder_.isEmpty())
        return {};
    QDir dir(folder_);
    if (!dir.exists() && !QDir().mkpath(folder_))
        return {};
    const QString base = SafeFileName(title);
    for (int n = 1; n <= 9999; ++n) {
        const QString name
            = n == 1 ? base + QStringLiteral(".pdf") : base + QStringLiteral(" (%1).pdf").arg(n);
        const QString path = dir.absoluteFilePath(name);
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink())
            continue;
        // NewOnly: a file that appeared in the meantime is never truncated.
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
            return {}; // not a name clash: the folder refuses new files
    }
    return {};
}

} // namespace quillet
