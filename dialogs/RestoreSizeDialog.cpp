#include "dialogs/RestoreSizeDialog.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>

#include "dialogs/DialogFrame.h"

namespace quillet {

TRestoreSizeDialog::TRestoreSizeDialog(const DialogContext& context, const Fields& fields, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , fields_(fields)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, fields_.caption);

    GroupBox1 = NewGroupFrame(*this, { 6, 4, 255, 58 });
    Label1 = new QLabel(fields_.label, GroupBox1);
    Label1->setGeometry(12, 24, 78, 14);
    list_ = new QComboBox(GroupBox1);
    list_->setEditable(false);
    list_->setGeometry(92, 20, 150, 20);

    AddOkCancelButtons(*this, { 102, 70 }, { 186, 70 });
    FormShowOnOpening(*this, [this] { FormShow(); });
}

void TRestoreSizeDialog::FormShow()
{
    const TMyPrintFormat& f = context_.format;
    const Sizes& sizes = f.*fields_.sizes;
    const int count = (f.*fields_.count)();
    QStringList entries;
    for (int i = 1; i <= count; ++i) {
        if (sizes[i] == 0)
            entries.append(NumberedEntry(i, fields_.entry));
    }
    list_->clear();
    list_->addItems(entries);
    if (!entries.isEmpty())
        list_->setCurrentIndex(0);
}

void TRestoreSizeDialog::LumButton1Click()
{
    if (list_->count() > 0) {
        const int n = EntryNumber(list_->currentText(), fields_.entry);
        if (n >= 1 && n <= (context_.format.*fields_.count)())
            (context_.format.*fields_.sizes)[n] = fields_.restoredSize;
    }
    Confirmed = true;
    accept();
}

void TRestoreSizeDialog::LumButton2Click()
{
    Confirmed = false;
    reject();
}

} // namespace quillet
