#include "dialogs/PageLinesDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

#include "controls/LumEdit.h"
#include "dialogs/DialogFrame.h"
#include "dialogs/GbkText.h"
#include "platform/qt/Language.h"

namespace quillet {

TPageLinesDialog::TPageLinesDialog(const DialogContext& context, const Fields& fields, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , fields_(fields)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, fields_.caption);

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(6, 6, 358, 120);
    const QString numbers[kHeadFootLines]
        = { QTr("PageLinesDialog", "一"), QTr("PageLinesDialog", "二"), QTr("PageLinesDialog", "三") };
    for (int i = 0; i < kHeadFootLines; ++i) {
        auto* sheet = new QWidget;
        auto* label = new QLabel(QTr("PageLinesDialog", "文字："), sheet);
        label->setGeometry(12, 18, 40, 14);
        Line& line = lines_[i];
        line.edit = new TLumEdit(sheet);
        line.edit->SetGbkOnly(true); // the layout stores GBK
        line.edit->setGeometry(56, 15, 265, line.edit->sizeHint().height());
        std::tie(line.left, line.center, line.right) = NewAlignButtons(sheet, 52);
        PageControl1->addTab(sheet, fields_.tabPattern.arg(numbers[i]));
    }
    EditStr1 = lines_[0].edit;
    EditStr2 = lines_[1].edit;
    EditStr3 = lines_[2].edit;
    RadioButton_Left = lines_[0].left;
    RadioButton_Center = lines_[0].center;
    RadioButton_Right = lines_[0].right;
    RadioButton1 = lines_[1].left;
    RadioButton2 = lines_[1].center;
    RadioButton3 = lines_[1].right;
    RadioButton4 = lines_[2].left;
    RadioButton5 = lines_[2].center;
    RadioButton6 = lines_[2].right;

    CheckBoxMoreLine = new QCheckBox(QTr("PageLinesDialog", "是否多行显示"), this);
    CheckBoxMoreLine->setGeometry(10, 136, 120, 20);

    AddOkCancelButtons(*this, { 206, 135 }, { 289, 135 });
    FormShowOnOpening(*this, [this] { FormShow(); });
    FormCreate();
}

void TPageLinesDialog::FormShow()
{
    const auto& items = context_.format.*fields_.items;
    for (int i = 0; i < kHeadFootLines; ++i) {
        Line& line = lines_[i];
        line.loadedBytes = items[i + 1].Text.Text();
        line.loadedText = FromGbk(line.loadedBytes);
        line.edit->setText(line.loadedText);
        CheckAlign(items[i + 1].Align, *line.left, *line.center, *line.right);
    }
    CheckBoxMoreLine->setChecked(IsOn(context_.format.*fields_.multiLine));
    PageControl1->setCurrentIndex(0);
}

void TPageLinesDialog::LumButton1Click()
{
    auto& items = context_.format.*fields_.items;
    for (int i = 0; i < kHeadFootLines; ++i) {
        const Line& line = lines_[i];
        const QString text = line.edit->text();
        items[i + 1].Text.SetText(
            CutGbk(text == line.loadedText ? line.loadedBytes : ToGbk(text), kMaxTextBytes));
        items[i + 1].Align = CheckedAlign(*line.left, *line.right);
    }
    context_.format.*fields_.multiLine = CheckBoxMoreLine->isChecked() ? 1 : 0;
    Confirmed = true;
    accept();
}

void TPageLinesDialog::LumButton2Click()
{
    reject();
}

} // namespace quillet
