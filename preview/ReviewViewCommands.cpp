// The view, placement, state and style commands: preview zoom and print
// scale, where the table sits on the paper, review or design state, and the
// look of the menu bar and tool bars.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cmath>

#include "controls/WaitCursor.h"
#include "platform/qt/Language.h"
#include "preview/CommandTable.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"
#include "preview/SearchBar.h"
#include "preview/ThumbnailPanel.h"

namespace quillet {
namespace {

// The zooms that zooming in and out step through, in percent.
constexpr double kZoomLadder[] = { 10, 25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400, 600, 800 };
constexpr int kShadow = 5;

} // namespace

void TFrmPrintReview::SetViewRateChecked(QAction* chosen, double rate)
{
    fit_ = FitMode::None;
    RunEngine([this, rate] { BuffPaper->SetViewRate(rate); });
    ActionViewRate50->setChecked(chosen == ActionViewRate50);
    ActionViewRate100->setChecked(chosen == ActionViewRate100);
    ShowZoom();
}

double TFrmPrintReview::Zoom() const
{
    return BuffPaper->ViewRate;
}

double TFrmPrintReview::ZoomStep(double percent, bool in)
{
    if (in) {
        for (double step : kZoomLadder)
            if (step > percent + 1e-9)
                return step;
        return kMaxZoom;
    }
    for (auto it = std::rbegin(kZoomLadder); it != std::rend(kZoomLadder); ++it)
        if (*it < percent - 1e-9)
            return *it;
    return kMinZoom;
}

QPointF TFrmPrintReview::PagePointAt(const QPoint& at) const
{
    const TImageReview::PageView& view = Image_Review->View();
    const QPoint scrolled(ScrollBox_Main->horizontalScrollBar()->value(), ScrollBox_Main->verticalScrollBar()->value());
    const QPointF local = QPointF(at + scrolled - Image_Review->pos());
    return QPointF((local.x() - view.ox) / view.sx, (local.y() - view.oy) / view.sy);
}

void TFrmPrintReview::ScrollPagePointTo(const QPointF& onPage, const QPoint& at)
{
    const TImageReview::PageView& view = Image_Review->View();
    const QPointF now = QPointF(Image_Review->pos()) + QPointF(view.ox + onPage.x() * view.sx, view.oy + onPage.y() * view.sy);
    ScrollBox_Main->horizontalScrollBar()->setValue(static_cast<int>(std::lround(now.x() - at.x())));
    ScrollBox_Main->verticalScrollBar()->setValue(static_cast<int>(std::lround(now.y() - at.y())));
}

QPoint TFrmPrintReview::ViewCentre() const
{
    return ScrollBox_Main->viewport()->rect().center();
}

void TFrmPrintReview::SetZoom(double percent, const QPoint* anchor)
{
    if (!std::isfinite(percent))
        percent = 100.0;
    percent = std::clamp(percent, kMinZoom, kMaxZoom);
    // The point of the page under the anchor (else the middle of the view)
    // stays where it is.
    const QPoint at = anchor ? *anchor : ViewCentre();
    const QPointF onPage = PagePointAt(at);
    RunEngine([this, percent] { BuffPaper->SetViewRate(percent); });
    // Only the two zooms of their own commands carry a tick.
    ActionViewRate50->setChecked(percent == 50.0);
    ActionViewRate100->setChecked(percent == 100.0);
    ScrollPagePointTo(onPage, at);
    ShowZoom();
}

void TFrmPrintReview::WheelZoom(int angleDelta, const QPoint& at)
{
    // A fine-stepped wheel zooms a step once its parts make a whole one.
    const int steps = zoomWheel_.Add(angleDelta);
    if (steps == 0)
        return;
    fit_ = FitMode::None;
    double zoom = Zoom();
    for (int i = 0; i < std::abs(steps) && i < 32; ++i)
        zoom = ZoomStep(zoom, steps > 0);
    SetZoom(zoom, &at);
}

void TFrmPrintReview::ActionZoomInExecute()
{
    fit_ = FitMode::None;
    SetZoom(ZoomStep(Zoom(), true));
}

void TFrmPrintReview::ActionZoomOutExecute()
{
    fit_ = FitMode::None;
    SetZoom(ZoomStep(Zoom(), false));
}

void TFrmPrintReview::ActionFitWidthExecute()
{
    fit_ = FitMode::Width;
    SetZoom(FitZoom(fit_));
}

void TFrmPrintReview::ActionFitPageExecute()
{
    fit_ = FitMode::Page;
    SetZoom(FitZoom(fit_));
}

double TFrmPrintReview::FitZoom(FitMode mode) const
{
    // The sheet at the zoom is as wide (and, for the whole page, as high) as
    // the scroll area less the sheet's margins and shadow; a fitted width
    // leaves room for the vertical scroll bar that a tall page brings.
    const QSize area = ScrollBox_Main->size();
    int width = area.width();
    if (mode == FitMode::Width)
        width -= ScrollBox_Main->verticalScrollBar()->sizeHint().width();
    auto zoomFor = [](int pixels, double pixelsPerMm, int mm) {
        if (pixelsPerMm <= 0 || mm <= 0)
            return kMaxZoom;
        const int room = pixels - kShadow - 2 * TMyPaper::kSheetMargin;
        // A tenth of a percent below the exact fit, so the rounded sheet fits.
        return std::floor(room * 1000.0 / (mm * pixelsPerMm)) / 10.0;
    };
    double zoom = zoomFor(width, Screen->PixelsPerMmX, BuffPaper->PageWidth);
    if (mode == FitMode::Page)
        zoom = std::min(zoom, zoomFor(area.height(), Screen->PixelsPerMmY, BuffPaper->PageHeight));
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    // 100 % and 50 % show whole centimetres with wider margins: just below
    // them the sheet is exact and fits.
    if (zoom == 100.0 || zoom == 50.0)
        zoom -= 0.1;
    return zoom;
}

void TFrmPrintReview::ApplyFit()
{
    if (fit_ == FitMode::None)
        return;
    const double zoom = FitZoom(fit_);
    if (zoom != Zoom())
        SetZoom(zoom);
}

QSize TFrmPrintReview::StripSizes() const
{
    return QSize(ScrollBox_Top->width(), ScrollBox_Left->height());
}

void TFrmPrintReview::ViewResized(const QSize& oldSize)
{
    if (relayoutPending_)
        return;
    relayoutPending_ = true;
    // The page point in the middle of the view as it was, found before the
    // scroll bars take the new size into account; a view at the sheet's top
    // left corner (as the window opens) stays there.
    const QPoint centre = oldSize.isValid() ? QRect(QPoint(0, 0), oldSize).center() : ViewCentre();
    const QPointF onPage = PagePointAt(centre);
    const bool atOrigin = ScrollBox_Main->horizontalScrollBar()->value() == 0
        && ScrollBox_Main->verticalScrollBar()->value() == 0;
    // Once the resizing has settled: a fitted zoom follows the window, any
    // other one lays the sheet out again in the new room.
    QTimer::singleShot(0, this, [this, onPage, atOrigin] {
        relayoutPending_ = false;
        const double fitted = fit_ != FitMode::None ? FitZoom(fit_) : Zoom();
        if (fitted == Zoom() && StripSizes() == laidOutFor_)
            return;
        RunEngine([this, fitted] { BuffPaper->SetViewRate(fitted); });
        if (atOrigin)
            ScrollToOrigin();
        else
            ScrollPagePointTo(onPage, ViewCentre());
        ShowZoom();
    });
}

void TFrmPrintReview::BuildZoomMenu()
{
    ZoomPanelMenu = new QMenu(this);
    ZoomPanelMenu->setObjectName(QStringLiteral("ZoomPanelMenu"));
    auto* steps = new QActionGroup(ZoomPanelMenu);
    for (double step : kZoomLadder) {
        QAction* item = ZoomPanelMenu->addAction(QString::number(step) + QStringLiteral("%"));
        item->setCheckable(true);
        item->setData(step);
        steps->addAction(item);
        connect(item, &QAction::triggered, this, [this, step] {
            fit_ = FitMode::None;
            SetZoom(step);
        });
    }
    ZoomPanelMenu->addSeparator();
    ZoomPanelMenu->addAction(ActionFitWidth);
    ZoomPanelMenu->addAction(ActionFitPage);
    // The zoom shown is ticked, when it is one of the ladder's.
    connect(ZoomPanelMenu, &QMenu::aboutToShow, this, [this, steps] {
        for (QAction* item : steps->actions())
            item->setChecked(fit_ == FitMode::None && item->data().toDouble() == Zoom());
    });
    menus_.append(ZoomPanelMenu);
    StatusZoom->installEventFilter(this);
    StatusZoom->setCursor(Qt::PointingHandCursor);
}

void TFrmPrintReview::ShowZoom()
{
    const QString percent = QString::number(std::lround(Zoom()));
    if (fit_ == FitMode::Width)
        StatusZoom->setText(QTr("ReviewViewCommands", "%1% 适合页宽").arg(percent));
    else if (fit_ == FitMode::Page)
        StatusZoom->setText(QTr("ReviewViewCommands", "%1% 适合整页").arg(percent));
    else
        StatusZoom->setText(percent + QStringLiteral("%"));
}

void TFrmPrintReview::UpdatePageView()
{
    if (!BuffPaper)
        return;
    TImageReview::PageView view;
    if (!BuffPaper->WholeCentimetreZoom()) {
        // The page at exactly the zoom, as the sheet is sized.
        view.sx = view.sy = BuffPaper->ViewRate / 100.0;
    } else if (BuffPaper->ViewRate != 100.0) {
        // As the engine shows the page at 50 %: the whole page in the sheet
        // inside its edge and shadow, here drawn through that scale.
        Bitmap& page = BuffPaper->PageImage();
        if (page.Width() > 0 && page.Height() > 0) {
            view.sx = std::max(1, Image_Review->width() - kShadow - 7) / static_cast<double>(page.Width());
            view.sy = std::max(1, Image_Review->height() - kShadow - 7) / static_cast<double>(page.Height());
            view.ox = 1.0;
            view.oy = 1.0;
        }
    }
    Image_Review->SetPageView(view);
}

int TFrmPrintReview::ToImageX(double pagePixels) const
{
    const TImageReview::PageView& view = Image_Review->View();
    return static_cast<int>(std::floor(view.ox + pagePixels * view.sx + 0.5));
}

int TFrmPrintReview::ToImageY(double pagePixels) const
{
    const TImageReview::PageView& view = Image_Review->View();
    return static_cast<int>(std::floor(view.oy + pagePixels * view.sy + 0.5));
}

void TFrmPrintReview::SetPrintRateChecked(QAction* chosen, double rate)
{
    if (SearchBar)
        SearchBar->ReportChanged(); // the scale decides which columns show
    if (Thumbnails)
        Thumbnails->ReportChanged();
    RunEngine([this, rate] { BuffPaper->SetPrintRate(rate); });
    ActionPrintRate50->setChecked(chosen == ActionPrintRate50);
    ActionPrintRate100->setChecked(chosen == ActionPrintRate100);
}

void TFrmPrintReview::ActionViewRate50Execute()
{
    SetViewRateChecked(ActionViewRate50, 50.0);
}
void TFrmPrintReview::ActionViewRate100Execute()
{
    SetViewRateChecked(ActionViewRate100, 100.0);
}
void TFrmPrintReview::ActionPrintRate50Execute()
{
    SetPrintRateChecked(ActionPrintRate50, 50.0);
}
void TFrmPrintReview::ActionPrintRate100Execute()
{
    SetPrintRateChecked(ActionPrintRate100, 100.0);
}

void TFrmPrintReview::ActionRefurbishExecute()
{
    WaitCursor wait;
    RunEngine([this] { BuffPaper->ShowCurrentPage(); });
}

void TFrmPrintReview::SetHorPlace(std::uint8_t value)
{
    PrintFormat->HorPlace = value;
    RunEngine([this] { BuffPaper->ShowCurrentPage(); });
    SyncPlaceChecks();
}

void TFrmPrintReview::SetVerPlace(std::uint8_t value)
{
    PrintFormat->VerPlace = value;
    RunEngine([this] { BuffPaper->ShowCurrentPage(); });
    SyncPlaceChecks();
}

void TFrmPrintReview::SyncPlaceChecks()
{
    const std::uint8_t hor = PrintFormat->HorPlace;
    const std::uint8_t ver = PrintFormat->VerPlace;
    ActionWhereHorLeft->setChecked(hor == 1);
    ActionWhereHorCenter->setChecked(hor == 2);
    ActionWhereHorRight->setChecked(hor == 3);
    ActionWhereVerTop->setChecked(ver == 1);
    ActionWhereVerCenter->setChecked(ver == 2);
    ActionWhereVerBottom->setChecked(ver == 3);
}

void TFrmPrintReview::PlaceCommand(bool horizontal, std::uint8_t value, const QAction* command)
{
    History->Begin();
    if (horizontal)
        SetHorPlace(value);
    else
        SetVerPlace(value);
    // The step is named as the command is.
    const qsizetype index = Actions.indexOf(command);
    History->Record("Commands", index >= 0 ? CommandTable()[static_cast<std::size_t>(index)].caption : "",
        StepRefresh::Redraw);
}

void TFrmPrintReview::SetWorkState(bool review)
{
    BuffPaper->ReviewState = review;
    ActionStateReview->setChecked(false);
    ActionStateDesign->setChecked(false);
    QAction* rates[4] = { ActionViewRate50, ActionViewRate100, ActionPrintRate50, ActionPrintRate100 };
    if (review) {
        StatusPanels[1]->setText(QTr("ReviewViewCommands", "预览"));
        ActionStateReview->setChecked(true);
        Image_Review->setCursor(Qt::PointingHandCursor);
        for (QAction* rate : rates)
            rate->setEnabled(true);
        return;
    }
    StatusPanels[1]->setText(QTr("ReviewViewCommands", "设计"));
    ActionStateDesign->setChecked(true);
    Image_Review->setCursor(Qt::ArrowCursor);
    // Mouse editing converts pixels to millimetres at 100 %, so lock both rates there.
    if (!ActionViewRate100->isChecked())
        SetViewRateChecked(ActionViewRate100, 100.0);
    if (!ActionPrintRate100->isChecked())
        SetPrintRateChecked(ActionPrintRate100, 100.0);
    for (QAction* rate : rates)
        rate->setEnabled(false);
}

QStyle* TFrmPrintReview::BarStyle() const
{
    return standardStyle_ ? standardStyle.get() : xpStyle.get();
}

void TFrmPrintReview::ApplyBarStyle(QStyle* style)
{
    QStyle* use = style ? style : QApplication::style();
    // The XP look also has its own colour map: a light grey-beige for the bars'
    // empty area and for the highlighted item.
    QPalette palette = QApplication::palette();
    if (style && style == xpStyle.get()) {
        const QColor xp(226, 225, 219);
        palette.setColor(QPalette::Window, xp);
        palette.setColor(QPalette::Button, xp);
        palette.setColor(QPalette::Highlight, xp);
        palette.setColor(QPalette::HighlightedText, Qt::black);
    }
    QList<QWidget*> bars { ActionMainMenuBarMain, ActionToolBarMain, CoolBar1 };
    for (QMenu* m : menus_)
        bars.append(m);
    for (QWidget* bar : bars) {
        bar->setStyle(use);
        bar->setPalette(palette);
        bar->setAutoFillBackground(true);
    }
}

void TFrmPrintReview::ActionIFStandExecute()
{
    ActionIFStand->setChecked(true);
    ActionIFXp->setChecked(false);
    standardStyle_ = true;
    ApplyBarStyle(standardStyle.get());
}

void TFrmPrintReview::ActionIFXpExecute()
{
    ActionIFStand->setChecked(false);
    ActionIFXp->setChecked(true);
    standardStyle_ = false;
    ApplyBarStyle(xpStyle.get());
}

} // namespace quillet
