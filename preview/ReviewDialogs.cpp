// Commands that open a format dialog: each dialog is made for one use, shown
// modally, and when it was confirmed the page is brought up to date.
#include "preview/PrintReview.h"
#include "preview/WaitCursor.h"

namespace quillet {

void TFrmPrintReview::ActionSelPageExecute() { }
void TFrmPrintReview::ActionEditTitleExecute() { }
void TFrmPrintReview::ActionEditCompanyExecute() { }
void TFrmPrintReview::ActionEditRowCountExecute() { }
void TFrmPrintReview::ActionEditPageHeadExecute() { }
void TFrmPrintReview::ActionEditPageFootExecute() { }
void TFrmPrintReview::ActionEditAllRowHeightExecute() { }
void TFrmPrintReview::ActionEditColWidthExecute() { }
void TFrmPrintReview::ActionEditRowHeightExecute() { }
void TFrmPrintReview::ActionSetPageExecute() { }
void TFrmPrintReview::ActionSetFontExecute() { }

void TFrmPrintReview::ActionSetPrintExecute()
{
    if (OnlyView) {
        ShowPlainMessage(QStringLiteral("对不起！只能预览不能打印"));
        return;
    }
}

void TFrmPrintReview::ActionAboutExecute() { }

} // namespace quillet
