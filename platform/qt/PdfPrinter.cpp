#include "platform/qt/PdfPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>

#include <utility>

#include <cerrno>

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
    // A long title gives way to the page part at its end, "(3-9)" of a job a
    // page or "(第1-9页)" of a run, which tells the files apart.
    static const QRegularExpression pagePart(QStringLiteral("\\((第)?\\d+-\\d+(页)?\\)$"));
    const QRegularExpressionMatch match = pagePart.match(name);
    const QString pages = match.hasMatch() ? match.captured() : QString();
    const int pageBytes = static_cast<int>(pages.toUtf8().size());
    name = CutUtf8(name.left(name.size() - pages.size()), kMaxNameBytes - pageBytes).trimmed() + pages;
    if (name.isEmpty())
        name = QStringLiteral("untitled");
    return name;
}

QString PdfPrinter::FileName(const QString& title, int n) const
{
    const QString base = SafeFileName(title);
    const QString name = n == 1 ? base + QStringLiteral(".pdf") : base + QStringLiteral(" (%1).pdf").arg(n);
    return QDir(folder_).absoluteFilePath(name);
}

bool PdfPrinter::PrepareFolder(int* error) const
{
    auto fail = [error](int number) {
        if (error)
            *error = number;
        return false;
    };
    if (folder_.isEmpty())
        return fail(ENOENT);
    if (!QDir(folder_).exists() && !QDir().mkpath(folder_))
        return fail(QFileInfo(folder_).isDir() ? EACCES : ENOENT);
    return true;
}

} // namespace quillet
