#include "platform/qt/PdfPrinter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>

#include "platform/qt/LocalPath.h"

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

PdfPrinter::PdfPrinter(std::string folder)
    : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_[0] != '/') {
        char here[PATH_MAX];
        if (::getcwd(here, sizeof here))
            folder_ = std::string(here) + "/" + folder_;
    }
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
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

std::string PdfPrinter::FileName(const QString& title, int n) const
{
    const QString base = SafeFileName(title);
    const QString name = n == 1 ? base + QStringLiteral(".pdf") : base + QStringLiteral(" (%1).pdf").arg(n);
    return (folder_ == "/" ? folder_ : folder_ + "/") + LocalPath(name);
}

bool PdfPrinter::PrepareFolder(int* error) const
{
    auto fail = [error](int number) {
        if (error)
            *error = number;
        return false;
    };
    if (folder_.empty())
        return fail(ENOENT);
    struct stat st { };
    if (::stat(folder_.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? true : fail(ENOTDIR);
    // Level by level from the top, as mkdir -p.
    for (std::size_t slash = folder_.find('/', 1);; slash = folder_.find('/', slash + 1)) {
        const std::string level = folder_.substr(0, slash);
        if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST)
            return fail(errno);
        if (slash == std::string::npos)
            break;
    }
    if (::stat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(ENOTDIR);
    return true;
}

} // namespace quillet
