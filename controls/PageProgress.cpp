#include "controls/PageProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>

#include "controls/LumButton.h"
#include "platform/qt/Language.h"

namespace quillet {

TPageProgress::TPageProgress(const QString& caption, const QString& pattern, QWidget* parent)
    : QDialog(parent)
    , pattern_(pattern)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // Nothing else of the program may start while pages are going out.
    setWindowModality(Qt::ApplicationModal);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - kClientWidth) / 2, area.y() + (area.height() - kClientHeight) / 2);
    }

    Label = new QLabel(this);
    Label->setGeometry(16, 12, kClientWidth - 32, 16);
    Bar = new QProgressBar(this);
    Bar->setGeometry(16, 34, kClientWidth - 32, 16);
    Bar->setTextVisible(false);
    CancelButton = new TLumButton(QTr("PageProgress", "取  消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry((kClientWidth - 75) / 2, 62, 75, 23);
    CancelButton->SetCancel(true);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &TPageProgress::Cancel);

    // A short run shows the hourglass only.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    hourglass_ = true;
}

TPageProgress::~TPageProgress()
{
    DropHourglass();
}

void TPageProgress::DropHourglass()
{
    if (hourglass_) {
        hourglass_ = false;
        QApplication::restoreOverrideCursor();
    }
}

bool TPageProgress::Step(int done, int total)
{
    if (cancelled_)
        return false;
    Bar->setRange(0, std::max(total, 1));
    Bar->setValue(std::clamp(done, 0, std::max(total, 1)));
    Label->setText(pattern_.arg(done + 1).arg(total));
    if (!isVisible() && total > kFewPages) {
        // The arrow, so that the cancel button looks like one to press.
        DropHourglass();
        show();
        activateWindow();
    }
    // Only a box that is up lets events through: it holds the other windows
    // still, and a short run stays one piece.
    if (isVisible())
        QApplication::processEvents();
    return !cancelled_;
}

void TPageProgress::Cancel()
{
    if (cancelled_)
        return;
    cancelled_ = true;
    Label->setText(QTr("PageProgress", "正在取消…"));
    CancelButton->setEnabled(false);
}

void TPageProgress::reject()
{
    Cancel();
}

void TPageProgress::closeEvent(QCloseEvent* event)
{
    Cancel();
    event->ignore();
}

} // namespace quillet
