#include "dialogs/SetRowCount.h"

#include <QFrame>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "controls/NumSpin.h"
#include "dialogs/DialogFrame.h"
#include "platform/qt/Language.h"

namespace quillet {

TFrmSetRowCount::TFrmSetRowCount(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QTr("SetRowCount", "修改打印行数"));

    GroupBox1 = NewGroupFrame(*this, { 6, 4, 222, 56 });
    Label1 = new QLabel(QTr("SetRowCount", "打印行数："), GroupBox1);
    Label1->setGeometry(10, 22, 62, 14);
    NumSpinEditRow = new TNumSpinEdit(GroupBox1);
    NumSpinEditRow->SetValueType(TNumValueType::Integer);
    NumSpinEditRow->SetIncrement(1);
    NumSpinEditRow->SetMaxValue(kMaxRows);
    NumSpinEditRow->setGeometry(74, 18, 64, NumSpinEditRow->sizeHint().height());
    Label_Range = new QLabel(GroupBox1);
    Label_Range->setGeometry(144, 22, 76, 14);

    AddOkCancelButtons(*this, { 67, 68 }, { 151, 68 });
    FormShowOnOpening(*this, [this] { FormShow(); });
    FormCreate();
}

int TFrmSetRowCount::LowerBound() const
{
    // A layout whose heading rows fill all 500 rows still gets a bound the
    // range can hold.
    return std::min<int>(context_.format.HeadRowCount + 1, kMaxRows);
}

void TFrmSetRowCount::FormShow()
{
    const int lower = LowerBound();
    NumSpinEditRow->SetMinValue(lower);
    NumSpinEditRow->SetValue(context_.format.RowCount);
    Label_Range->setText(QStringLiteral("(") + QString::number(lower) + QStringLiteral("...500)"));
}

void TFrmSetRowCount::LumButton1Click()
{
    // The box may still hold a typed number outside the range (Enter does not
    // leave the box): bring it to the nearer bound.
    const double typed = NumSpinEditRow->Value();
    const double lower = LowerBound();
    const double value = std::isfinite(typed) ? std::trunc(typed) : lower;
    const double rows = value < lower ? lower : (value > kMaxRows ? kMaxRows : value);
    context_.format.RowCount = static_cast<std::uint16_t>(rows);
    Confirmed = true;
    accept();
}

void TFrmSetRowCount::LumButton2Click()
{
    reject();
}

} // namespace quillet
