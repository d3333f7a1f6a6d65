#include "dialogs/SelectPage.h"

#include <QComboBox>
#include <QLabel>

#include "dialogs/DialogFrame.h"
#include "dialogs/PageList.h"

namespace quillet {

TFrmSelectPage::TFrmSelectPage(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QStringLiteral("选择指定页"));

    Label1 = new QLabel(QStringLiteral("选择页号："), this);
    Label1->setGeometry(16, 25, 64, 14);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setGeometry(82, 21, 126, 20);

    AddOkCancelButtons(*this, { 53, 60 }, { 137, 60 });
    FormShowOnOpening(*this, [this] { FormShow(); });

    // Only the user's choice counts as a change, not the filling on show.
    connect(ComboBox1, &QComboBox::activated, this, &TFrmSelectPage::ComboBox1Change);
}

void TFrmSelectPage::FormShow()
{
    Changed = false;
    const int count = context_.buffPaper.PageCount;
    FillPageList(*ComboBox1, count);
    const int page = context_.buffPaper.CurrentPage;
    ComboBox1->setCurrentIndex(page >= 1 && page <= count ? page - 1 : -1);
}

void TFrmSelectPage::ComboBox1Change()
{
    Changed = true;
}

void TFrmSelectPage::LumButton1Click()
{
    const int page = PageOfEntry(*ComboBox1);
    if (page >= 1)
        context_.buffPaper.CurrentPage = page;
    Confirmed = true;
    accept();
}

void TFrmSelectPage::LumButton2Click()
{
    Changed = false;
    reject();
}

} // namespace quillet
