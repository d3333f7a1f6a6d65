#include "preview/HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/Shell.h"
#include "platform/qt/Language.h"

namespace quillet {
namespace {

// Looked up when shown: the language is chosen before any window exists.
QString Title()
{
    return QTr("HelpWindow", "Quillet 使用手册");
}

} // namespace

THelpWindow::THelpWindow(Shell& shell, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , shell_(shell)
{
    setWindowTitle(Title());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Browser = new QTextBrowser(this);
    // Every link comes to FollowLink: the browser would try to load a web
    // page as a document of its own.
    Browser->setOpenLinks(false);
    layout->addWidget(Browser);
    connect(Browser, &QTextBrowser::anchorClicked, this, &THelpWindow::FollowLink);
    connect(Browser, &QTextBrowser::sourceChanged, this, &THelpWindow::TakeTitle);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    // A reading width for the manual, within the screen.
    QSize size(960, 760);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void THelpWindow::ShowManual(const QString& path)
{
    if (QFileInfo(path).isFile()) {
        Browser->setSource(QUrl::fromLocalFile(path));
    } else {
        Browser->setHtml(QStringLiteral("<p>%1</p>")
                             .arg(QTr("HelpWindow", "找不到使用手册：%1").arg(path.toHtmlEscaped())));
        setWindowTitle(Title());
    }
    if (!placed_) {
        // Over the middle of the preview window the first time; where the
        // user moves it afterwards.
        placed_ = true;
        if (const QWidget* owner = parentWidget())
            move(owner->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void THelpWindow::FollowLink(const QUrl& url)
{
    const QUrl target = Browser->source().resolved(url);
    if (target.isLocalFile() || target.scheme().isEmpty()) {
        Browser->setSource(target);
        return;
    }
    shell_.Open(target.toString().toStdString());
}

void THelpWindow::TakeTitle()
{
    const QString title = Browser->documentTitle();
    setWindowTitle(title.isEmpty() ? Title() : title);
}

} // namespace quillet
