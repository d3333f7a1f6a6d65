#include "dialogs/TextLineDialog.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>

#include "controls/LumEdit.h"
#include "controls/PickCombos.h"
#include "dialogs/DialogFrame.h"
#include "dialogs/GbkText.h"
#include "platform/qt/Language.h"

namespace quillet {

TTextLineDialog::TTextLineDialog(const DialogContext& context, const Fields& fields, QWidget* parent)
    : QDialog(parent)
    , context_(context)
    , fields_(fields)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, fields_.caption);

    GroupBox1 = NewGroupFrame(*this, { 8, 4, 337, 110 });

    Label1 = new QLabel(fields_.label, GroupBox1);
    Label1->setGeometry(8, 14, 44, 14);
    edit_ = new TLumEdit(GroupBox1);
    edit_->SetGbkOnly(true); // the layout stores GBK
    edit_->setGeometry(56, 11, 265, edit_->sizeHint().height());
    if (LanguageInUse() == Language::English) {
        // "Company:" is wider than "公司：": the edit makes room, its right edge kept.
        const int width = std::max(44, Label1->fontMetrics().horizontalAdvance(fields_.label));
        Label1->setGeometry(8, 14, width, 14);
        edit_->setGeometry(8 + width + 6, 11, 321 - (8 + width + 6), edit_->sizeHint().height());
    }

    Label2 = new QLabel(QTr("TextLineDialog", "线型："), GroupBox1);
    Label2->setGeometry(8, 46, 44, 14);
    ComboBoxLine = new QComboBox(GroupBox1);
    ComboBoxLine->setEditable(false);
    // In the order of the stored line style.
    ComboBoxLine->addItems({ QTr("TextLineDialog", "无线"), QTr("TextLineDialog", "单线"),
        QTr("TextLineDialog", "双线"), QTr("TextLineDialog", "单粗线"), QTr("TextLineDialog", "虚线"),
        QTr("TextLineDialog", "点划线") });
    ComboBoxLine->setGeometry(56, 42, 100, 20);

    Label3 = new QLabel(QTr("TextLineDialog", "颜色："), GroupBox1);
    Label3->setGeometry(172, 46, 44, 14);
    ColorComboBoxLine = new TColorComboBox(GroupBox1);
    ColorComboBoxLine->setGeometry(216, 42, 105, 20);

    std::tie(RadioButton_Left, RadioButton_Center, RadioButton_Right) = NewAlignButtons(GroupBox1, 78);

    AddOkCancelButtons(*this, { 186, 124 }, { 270, 124 });
    FormShowOnOpening(*this, [this] { FormShow(); });
}

void TTextLineDialog::FormShow()
{
    const TMyTextItem& item = context_.format.*fields_.item;
    const TMyLineSpec& line = context_.format.*fields_.line;
    loadedBytes_ = item.Text.Text();
    loadedText_ = FromGbk(loadedBytes_);
    edit_->setText(loadedText_);
    CheckAlign(item.Align, *RadioButton_Left, *RadioButton_Center, *RadioButton_Right);
    ComboBoxLine->setCurrentIndex(line.Style < ComboBoxLine->count() ? line.Style : -1);
    ColorComboBoxLine->SetColorValue(line.Color);
}

void TTextLineDialog::LumButton1Click()
{
    const QString text = edit_->text();
    if (text.isEmpty()) {
        ShowHintMessage(context_.messages, fields_.emptyMessage);
        if (edit_->isEnabled())
            edit_->setFocus();
        return;
    }
    TMyTextItem& item = context_.format.*fields_.item;
    TMyLineSpec& line = context_.format.*fields_.line;
    item.Text.SetText(CutGbk(text == loadedText_ ? loadedBytes_ : ToGbk(text), kMaxTextBytes));
    item.Align = CheckedAlign(*RadioButton_Left, *RadioButton_Right);
    // A style the list does not know stays as it was rather than becoming
    // the byte of "no entry".
    if (ComboBoxLine->currentIndex() >= 0)
        line.Style = static_cast<std::uint8_t>(ComboBoxLine->currentIndex());
    line.Color = ColorComboBoxLine->ColorValue();
    Confirmed = true;
    accept();
}

void TTextLineDialog::LumButton2Click()
{
    Confirmed = false;
    reject();
}

} // namespace quillet
