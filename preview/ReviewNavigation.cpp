// Finding one's way through a long report as in a document viewer: the page
// field of the page tool bar, going back and forward through the pages jumped
// to, reading on across page ends with the wheel, the arrows and Space,
// Ctrl+0 for 100 %, and dragging the page with the middle button.
#include <QAction>
#include <QDockWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "dialogs/DialogFrame.h"
#include "dialogs/PageList.h"
#include "platform/qt/Language.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"
#include "preview/SearchBar.h"
#include "preview/ThumbnailPanel.h"

namespace quillet {
namespace {

QString Num(int n)
{
    return QString::number(n);
}

} // namespace

void TFrmPrintReview::BuildNavigation()
{
    ToolBarPage->addSeparator();
    PageNumberField = new QLineEdit(ToolBarPage);
    PageNumberField->setObjectName(QStringLiteral("PageNumberField"));
    PageNumberField->setAlignment(Qt::AlignCenter);
    PageNumberField->setStatusTip(QTr("ReviewNavigation", "输入页号后按回车键浏览该页"));
    // Wide enough for a nine-digit page number.
    PageNumberField->setFixedWidth(PageNumberField->fontMetrics().horizontalAdvance(QStringLiteral("9999999999"))
        + 12);
    PageNumberField->installEventFilter(this);
    connect(PageNumberField, &QLineEdit::returnPressed, this, [this] { PageNumberFieldEntered(); });
    ToolBarPage->addWidget(PageNumberField)->setObjectName(PageNumberField->objectName());
    PageCountLabel = new QLabel(QStringLiteral(" / 1 "), ToolBarPage);
    PageCountLabel->setObjectName(QStringLiteral("PageCountLabel"));
    ToolBarPage->addWidget(PageCountLabel)->setObjectName(PageCountLabel->objectName());

    // Ctrl+0 returns to 100 %, wherever the focus is in the window.
    auto* actual = new QAction(this);
    actual->setObjectName(QStringLiteral("ActionActualSize"));
    actual->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    actual->setShortcutContext(Qt::WindowShortcut);
    connect(actual, &QAction::triggered, this, [this] {
        fit_ = FitMode::None;
        SetZoom(100.0);
    });
    addAction(actual);

    // The search bar at the top of the page area, F3 and Shift+F3 for its
    // next and previous hit.
    SearchBar = new TSearchBar(*this);
    ThumbnailDock = new QDockWidget(this);
    ThumbnailDock->setObjectName(QStringLiteral("ThumbnailDock"));
    // Neither closed nor floated on its own: 页面缩略图 shows and hides it.
    ThumbnailDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    ThumbnailDock->setTitleBarWidget(new QWidget(ThumbnailDock));
    // As wide as the settings keep it.
    ThumbnailDock->setMinimumWidth(ViewSettings::kMinThumbnailWidth);
    ThumbnailDock->setMaximumWidth(ViewSettings::kMaxThumbnailWidth);
    Thumbnails = new TThumbnailPanel(*this, ThumbnailDock);
    ThumbnailDock->setWidget(Thumbnails);
    addDockWidget(Qt::LeftDockWidgetArea, ThumbnailDock);
    ThumbnailDock->hide();
    // Every change of the layout, its undo and redo go through the history:
    // the pictures drawn before it are stale.
    connect(&History->Stack(), &QUndoStack::indexChanged, Thumbnails, [this] { Thumbnails->ReportChanged(); });
    if (auto* column = qobject_cast<QVBoxLayout*>(centralWidget()->layout()))
        column->insertWidget(0, SearchBar);
    for (const bool forward : { true, false }) {
        auto* find = new QAction(this);
        find->setObjectName(forward ? QStringLiteral("ActionFindNext") : QStringLiteral("ActionFindPrior"));
        find->setShortcut(forward ? QKeySequence(Qt::Key_F3) : QKeySequence(Qt::SHIFT | Qt::Key_F3));
        find->setShortcutContext(Qt::WindowShortcut);
        connect(find, &QAction::triggered, this, [this, forward] {
            if (SearchBar->Box->text().isEmpty())
                ActionFindExecute();
            else
                SearchBar->Find(forward);
        });
        addAction(find);
    }

    // The grey around the page takes the middle button as the page does.
    ScrollContent->installEventFilter(this);
}

void TFrmPrintReview::ShowPageNumber()
{
    if (!PageNumberField->hasFocus() || !PageNumberField->isModified())
        PageNumberField->setText(Num(BuffPaper->CurrentPage));
    PageCountLabel->setText(QStringLiteral(" / ") + Num(BuffPaper->PageCount) + QLatin1Char(' '));
    Jumps.Limit(BuffPaper->PageCount);
    ActionBack->setEnabled(Jumps.CanGoBack() && !PageRunActive());
    ActionForward->setEnabled(Jumps.CanGoForward() && !PageRunActive());
}

bool TFrmPrintReview::PageNumberFieldEntered()
{
    const QString text = PageNumberField->text();
    const QString complaint = PageTextComplaint(text, BuffPaper->PageCount);
    if (!complaint.isEmpty()) {
        // As the page list does: say why, and leave the text to be corrected.
        quillet::ShowPlainMessage(Services.messages, complaint);
        PageNumberField->setFocus();
        PageNumberField->selectAll();
        return false;
    }
    PageNumberField->setModified(false);
    JumpToPage(static_cast<int>(ParsePageText(text)));
    PageNumberField->setText(Num(BuffPaper->CurrentPage));
    ScrollBox_Main->setFocus();
    return true;
}

void TFrmPrintReview::JumpToPage(int page)
{
    if (page < 1 || page > BuffPaper->PageCount || page == BuffPaper->CurrentPage)
        return;
    Jumps.Jumped(BuffPaper->CurrentPage, page);
    BuffPaper->CurrentPage = page;
    ShowPageAndStatus();
}

void TFrmPrintReview::ActionBackExecute()
{
    if (const int page = Jumps.Back(BuffPaper->CurrentPage); page >= 1 && page <= BuffPaper->PageCount) {
        BuffPaper->CurrentPage = page;
        ShowPageAndStatus();
    } else {
        ShowPageNumber();
    }
}

void TFrmPrintReview::ActionForwardExecute()
{
    if (const int page = Jumps.Forward(BuffPaper->CurrentPage); page >= 1 && page <= BuffPaper->PageCount) {
        BuffPaper->CurrentPage = page;
        ShowPageAndStatus();
    } else {
        ShowPageNumber();
    }
}

bool TFrmPrintReview::ReadOn(int direction, int by)
{
    QScrollBar* down = ScrollBox_Main->verticalScrollBar();
    if (direction > 0) {
        if (down->value() < down->maximum()) {
            down->setValue(std::min(down->maximum(), down->value() + by));
        } else if (BuffPaper->CurrentPage < BuffPaper->PageCount) {
            ActionNextPageExecute();
            down->setValue(down->minimum());
        } else {
            return false;
        }
        return true;
    }
    if (down->value() > down->minimum()) {
        down->setValue(std::max(down->minimum(), down->value() - by));
    } else if (BuffPaper->CurrentPage >= 2) {
        ActionPriorPageExecute();
        down->setValue(down->maximum());
    } else {
        return false;
    }
    return true;
}

bool TFrmPrintReview::PageAreaWheel(const QWheelEvent& wheel)
{
    QScrollBar* down = ScrollBox_Main->verticalScrollBar();
    const int angle = wheel.angleDelta().y();
    if (angle == 0 || wheel.angleDelta().x() != 0)
        return false;
    // Within the page the scroll area scrolls as ever; at an end of it the
    // turns add up to whole notches, each turning one page.
    const bool atEnd = angle < 0 ? down->value() >= down->maximum() : down->value() <= down->minimum();
    if (!atEnd) {
        pageWheel_.Reset();
        return false;
    }
    const int steps = pageWheel_.Add(angle);
    for (int i = 0; i < std::abs(steps) && i < 32; ++i)
        if (!ReadOn(steps < 0 ? 1 : -1, 0))
            break;
    return true;
}

bool TFrmPrintReview::PanEvent(QEvent& event)
{
    const QEvent::Type type = event.type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return false;
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    const QPoint at = mouse.globalPosition().toPoint();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (mouse.button() != Qt::MiddleButton || MouseIsDown)
            return false;
        panning_ = true;
        panFrom_ = at;
        panScroll_ = QPoint(ScrollBox_Main->horizontalScrollBar()->value(), ScrollBox_Main->verticalScrollBar()->value());
        panCursor_ = Image_Review->cursor();
        Image_Review->setCursor(Qt::ClosedHandCursor);
        ScrollContent->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    if (!panning_)
        return false;
    if (type == QEvent::MouseMove) {
        const QPoint moved = at - panFrom_;
        ScrollBox_Main->horizontalScrollBar()->setValue(panScroll_.x() - moved.x());
        ScrollBox_Main->verticalScrollBar()->setValue(panScroll_.y() - moved.y());
        return true;
    }
    if (mouse.button() == Qt::MiddleButton) {
        panning_ = false;
        Image_Review->setCursor(panCursor_);
        ScrollContent->unsetCursor();
    }
    return true;
}

bool TFrmPrintReview::PageNumberFieldKey(QEvent& event)
{
    if (event.type() == QEvent::KeyPress && static_cast<QKeyEvent&>(event).key() == Qt::Key_Escape) {
        PageNumberField->setModified(false);
        PageNumberField->setText(Num(BuffPaper->CurrentPage));
        ScrollBox_Main->setFocus();
        return true;
    }
    if (event.type() == QEvent::FocusOut) {
        // Leaving the field by the mouse or Tab drops an unfinished number;
        // a message box over it keeps it for correcting.
        const Qt::FocusReason why = static_cast<QFocusEvent&>(event).reason();
        if (why == Qt::MouseFocusReason || why == Qt::TabFocusReason || why == Qt::BacktabFocusReason
            || why == Qt::ShortcutFocusReason || why == Qt::OtherFocusReason) {
            PageNumberField->setModified(false);
            PageNumberField->setText(Num(BuffPaper->CurrentPage));
        }
    }
    return false;
}

void TFrmPrintReview::ActionThumbnailsExecute()
{
    SetThumbnailsShown(ActionThumbnails->isChecked());
}

void TFrmPrintReview::SetThumbnailsShown(bool shown)
{
    if (!shown && ThumbnailDock->isVisible())
        thumbnailWidth_ = ThumbnailDock->width();
    thumbnailsShown_ = shown;
    ActionThumbnails->setChecked(shown);
    ThumbnailDock->setVisible(shown);
    if (shown) {
        resizeDocks({ ThumbnailDock }, { thumbnailWidth_ }, Qt::Horizontal);
        Thumbnails->PageShown();
    }
}

void TFrmPrintReview::ActionFindExecute()
{
    SearchBar->Open();
}

} // namespace quillet
