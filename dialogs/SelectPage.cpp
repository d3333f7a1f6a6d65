#include "dialogs/SelectPage.h"

#include <QLabel>
#include <QLineEdit>

#include "dialogs/DialogFrame.h"
#include "dialogs/PageList.h"
#include "platform/qt/Language.h"

namespace quillet {

TFrmSelectPage::TFrmSelectPage(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QTr("SelectPage", "选择指定页"));

    Label1 = new QLabel(QTr("SelectPage", "选择页号："), this);
    Label1->setGeometry(16, 25, 64, 14);
    ComboBox1 = new TPageList(this);
    ComboBox1->setGeometry(82, 21, 126, 20);

    AddOkCancelButtons(*this, { 53, 60 }, { 137, 60 });
    FormShowOnOpening(*this, [this] { FormShow(); });

    // Only the user's choice counts as a change, not the filling on show.
    connect(ComboBox1, &QComboBox::activated, this, &TFrmSelectPage::ComboBox1Change);
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, &TFrmSelectPage::ComboBox1Change);
}

void TFrmSelectPage::FormShow()
{
    Changed = false;
    ComboBox1->SetPages(context_.buffPaper.PageCount, context_.buffPaper.CurrentPage);
}

void TFrmSelectPage::ComboBox1Change()
{
    Changed = true;
}

void TFrmSelectPage::LumButton1Click()
{
    if (ComboBox1->PageCount() >= 1) {
        // A number that names no page keeps the dialog open.
        const int page = ComboBox1->CheckedPage(context_.messages);
        if (page < 1)
            return;
        context_.buffPaper.CurrentPage = page;
    }
    Confirmed = true;
    accept();
}

void TFrmSelectPage::LumButton2Click()
{
    Changed = false;
    reject();
}

} // namespace quillet
