// Commands that open a format dialog: each dialog is made for one use, shown
// modally, and when it was confirmed the page is brought up to date.
#include <optional>

#include "controls/WaitCursor.h"
#include "dialogs/DialogContext.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/EditRowHeight.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "dialogs/SetCompany.h"
#include "dialogs/SetFont.h"
#include "dialogs/SetPageFoot.h"
#include "dialogs/SetPageHead.h"
#include "dialogs/SetPaper.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/SetTitle.h"
#include "dialogs/UnitAbout.h"
#include "dialogs/UnitSetAllRowHeight.h"
#include "platform/Texts.h"
#include "platform/qt/Language.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

enum class Hourglass { No, Yes };

// Creates the dialog (under the hourglass when asked), shows it modally and
// hands it to `after` once it has closed, before it is destroyed.
template <typename Dialog, typename After>
void RunDialog(TFrmPrintReview& w, Hourglass hourglass, After after)
{
    std::optional<WaitCursor> wait;
    if (hourglass == Hourglass::Yes)
        wait.emplace();
    Dialog dialog(
        DialogContext { *w.PrintFormat, *w.BuffPaper, *w.Printer, w.Services.messages, w.Hook.progress }, &w);
    wait.reset();
    dialog.exec();
    after(dialog);
}

// Every dialog that edits the layout is followed by a new pagination: texts,
// fonts and sizes all change the height of a table block, and with it how many
// blocks fit on a sheet.
// Each confirmed dialog is one step of the layout's history, named `step`.
template <typename Dialog> void EditLayout(TFrmPrintReview& w, Hourglass hourglass, const char* step)
{
    w.History->Begin();
    RunDialog<Dialog>(w, hourglass, [&w, step](Dialog& d) {
        // Recorded even when cancelled: a dialog that changed the record
        // anyway has made a change the user can take back.
        w.History->Record("ReviewDialogs", step, StepRefresh::Repaginate);
        if (d.Confirmed)
            w.RepaginateAndShow();
    });
}

} // namespace

void TFrmPrintReview::ActionEditCompanyExecute()
{
    EditLayout<TFrmSetCompany>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "修改公司"));
}
void TFrmPrintReview::ActionEditTitleExecute()
{
    EditLayout<TFrmSetTitle>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "修改标题"));
}
void TFrmPrintReview::ActionEditPageHeadExecute()
{
    EditLayout<TFrmSetPageHead>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "修改页头"));
}
void TFrmPrintReview::ActionEditPageFootExecute()
{
    EditLayout<TFrmSetPageFoot>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "修改页尾"));
}
void TFrmPrintReview::ActionSetFontExecute()
{
    EditLayout<TFrmSetFont>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "字体设置"));
}
void TFrmPrintReview::ActionEditRowCountExecute()
{
    EditLayout<TFrmSetRowCount>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "修改打印行数"));
}
void TFrmPrintReview::ActionEditAllRowHeightExecute()
{
    EditLayout<TFrmSetAllRowHeight>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "设置统一行高"));
}
void TFrmPrintReview::ActionEditColWidthExecute()
{
    EditLayout<TFrmEditColWidth>(*this, Hourglass::No, QUILLET_TEXT("ReviewDialogs", "恢复合并的列宽"));
}
void TFrmPrintReview::ActionEditRowHeightExecute()
{
    EditLayout<TFrmEditRowHeight>(*this, Hourglass::No, QUILLET_TEXT("ReviewDialogs", "恢复合并的行高"));
}
void TFrmPrintReview::ActionSetPageExecute()
{
    EditLayout<TFrmSetPaper>(*this, Hourglass::Yes, QUILLET_TEXT("ReviewDialogs", "页面设置"));
}

void TFrmPrintReview::ActionSelPageExecute()
{
    const int from = BuffPaper->CurrentPage;
    RunDialog<TFrmSelectPage>(*this, Hourglass::Yes, [this, from](TFrmSelectPage& d) {
        // The dialog has set the current page; redraw only when it changed.
        if (d.Confirmed && d.Changed) {
            Jumps.Jumped(from, BuffPaper->CurrentPage);
            ShowPageAndStatus();
        }
    });
}

void TFrmPrintReview::ActionSetPrintExecute()
{
    if (OnlyView) {
        ShowPlainMessage(QTr("ReviewDialogs", "对不起！只能预览不能打印"));
        return;
    }
    // The dialog prints by itself, with the progress box of print runs.
    RunDialog<TFrmPrintDlg>(*this, Hourglass::Yes, [](TFrmPrintDlg&) {});
}

void TFrmPrintReview::ActionAboutExecute()
{
    TFrmAbout about(Services.shell, this);
    about.exec();
}

} // namespace quillet
