#include "platform/qt/QtShell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <memory>
#include <utility>

namespace quillet {
namespace {

// xdg-open reports a document it cannot open (no handler, a handler that
// fails) by its exit status. On some desktops it waits for the program it
// started, a browser perhaps for hours: its status counts while it ends
// within ten seconds; after that the document is in the handler's hands and
// the script ends with 0, leaving xdg-open running. Its messages are not the
// program's.
const char kOpenDocument[] = R"(xdg-open "$1" >/dev/null 2>&1 &
opener=$!
waited=0
while kill -0 "$opener" 2>/dev/null; do
    [ "$waited" -ge 50 ] && exit 0
    sleep 0.2
    waited=$((waited + 1))
done
wait "$opener"
)";

} // namespace

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

void QtShell::OpenDocument(const std::string& path, std::function<void()> unopened)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
        if (!Open(path))
            unopened();
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    // Called once at most, whichever of the process's signals comes.
    auto report = std::make_shared<std::function<void()>>(std::move(unopened));
    auto fail = [report] {
        if (*report)
            std::exchange(*report, nullptr)();
    };
    QObject::connect(
        process, &QProcess::finished, process, [process, fail](int code, QProcess::ExitStatus status) {
            if (status != QProcess::NormalExit || code != 0)
                fail();
            process->deleteLater();
        });
    QObject::connect(
        process, &QProcess::errorOccurred, process, [process, fail](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                fail();
                process->deleteLater();
            }
        });
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"), QString::fromLatin1(kOpenDocument), QStringLiteral("sh"),
            QFile::decodeName(QByteArray::fromStdString(path)) });
}

void QtShell::Beep()
{
    QApplication::beep();
}

} // namespace quillet
