#include "platform/qt/PdfPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

QString PdfPrinter::ClaimFile(const QString& title, int* error) const
{
    auto fail = [error](int number) {
        if (error)
            *error = number;
        return QString();
    };
    if (folder_.isEmpty())
        return fail(ENOENT);
    QDir dir(folder_);
    if (!dir.exists() && !QDir().mkpath(folder_))
        return fail(QFileInfo(folder_).isDir() ? EACCES : ENOENT);
    const QString base = SafeFileName(title);
    for (int n = 1; n <= 9999; ++n) {
        const QString name
            = n == 1 ? base + QStringLiteral(".pdf") : base + QStringLiteral(" (%1).pdf").arg(n);
        const QString path = dir.absoluteFilePath(name);
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink())
            continue;
        // O_EXCL: a file that appeared in the meantime is never truncated.
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            return fail(errno); // not a name clash: the folder refuses new files
    }
    return fail(EEXIST);
}

} // namespace quillet
