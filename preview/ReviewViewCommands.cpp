// The view, placement, state and style commands: preview zoom and print
// scale, where the table sits on the paper, review or design state, and the
// look of the menu bar and tool bars.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "controls/WaitCursor.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"

namespace quillet {

void TFrmPrintReview::SetViewRateChecked(QAction* chosen, double rate)
{
    RunEngine([this, rate] { BuffPaper->SetViewRate(rate); });
    ActionViewRate50->setChecked(chosen == ActionViewRate50);
    ActionViewRate100->setChecked(chosen == ActionViewRate100);
}

void TFrmPrintReview::SetPrintRateChecked(QAction* chosen, double rate)
{
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
    ActionWhereHorLeft->setChecked(value == 1);
    ActionWhereHorCenter->setChecked(value == 2);
    ActionWhereHorRight->setChecked(value == 3);
}

void TFrmPrintReview::SetVerPlace(std::uint8_t value)
{
    PrintFormat->VerPlace = value;
    RunEngine([this] { BuffPaper->ShowCurrentPage(); });
    ActionWhereVerTop->setChecked(value == 1);
    ActionWhereVerCenter->setChecked(value == 2);
    ActionWhereVerBottom->setChecked(value == 3);
}

void TFrmPrintReview::SetWorkState(bool review)
{
    BuffPaper->ReviewState = review;
    ActionStateReview->setChecked(false);
    ActionStateDesign->setChecked(false);
    QAction* rates[4] = { ActionViewRate50, ActionViewRate100, ActionPrintRate50, ActionPrintRate100 };
    if (review) {
        StatusPanels[1]->setText(QStringLiteral("预览"));
        ActionStateReview->setChecked(true);
        Image_Review->setCursor(Qt::PointingHandCursor);
        for (QAction* rate : rates)
            rate->setEnabled(true);
        return;
    }
    StatusPanels[1]->setText(QStringLiteral("设计"));
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
