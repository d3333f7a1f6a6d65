#include "dialogs/PrintDlg.h"

#include <QLabel>
#include <QRadioButton>
#include <algorithm>

#include "dialogs/DialogFrame.h"
#include "dialogs/PageList.h"
#include "dialogs/PageRun.h"
#include "platform/qt/Language.h"

namespace quillet {

TFrmPrintDlg::TFrmPrintDlg(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QTr("PrintDlg", "打印..."));

    RadioButton1 = new QRadioButton(QTr("PrintDlg", "打印全部页"), this);
    RadioButton1->setGeometry(24, 14, 100, 20);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QTr("PrintDlg", "打印当前页"), this);
    RadioButton2->setGeometry(24, 40, 100, 20);
    RadioButton3 = new QRadioButton(QTr("PrintDlg", "打印指定页"), this);
    RadioButton3->setGeometry(24, 66, 100, 20);

    Label1 = new QLabel(QTr("PrintDlg", "从"), this);
    Label1->setGeometry(128, 69, 14, 14);
    if (LanguageInUse() == Language::English) {
        // "from" needs more room than "从": the radio caption before it is shorter.
        RadioButton3->setGeometry(24, 66, 70, 20);
        Label1->setGeometry(104, 69, 36, 14);
        Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    ComboBox1 = new TPageList(this);
    ComboBox1->setGeometry(144, 66, 94, 20);
    Label2 = new QLabel(QTr("PrintDlg", "到"), this);
    Label2->setGeometry(248, 69, 14, 14);
    ComboBox2 = new TPageList(this);
    ComboBox2->setGeometry(264, 66, 94, 20);

    AddOkCancelButtons(*this, { 199, 100 }, { 283, 100 });

    for (QRadioButton* button : { RadioButton1, RadioButton2, RadioButton3 })
        connect(button, &QRadioButton::clicked, this, &TFrmPrintDlg::RadioButton3Click);
    FormCreate();
}

void TFrmPrintDlg::FormCreate()
{
    ComboBox1->SetPages(context_.buffPaper.PageCount, 1);
    ComboBox2->SetPages(context_.buffPaper.PageCount, 1);
    for (QWidget* range : std::initializer_list<QWidget*> { Label1, ComboBox1, Label2, ComboBox2 })
        range->setEnabled(false);
}

void TFrmPrintDlg::RadioButton3Click()
{
    const bool range = RadioButton3->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*> { Label1, ComboBox1, Label2, ComboBox2 })
        w->setEnabled(range);
}

std::pair<int, int> TFrmPrintDlg::ChosenPages() const
{
    const int count = context_.buffPaper.PageCount;
    if (RadioButton2->isChecked()) {
        const int page = context_.buffPaper.CurrentPage;
        // A current page the engine does not have prints nothing.
        if (page < 1 || page > count)
            return { 1, 0 };
        return { page, page };
    }
    if (RadioButton3->isChecked()) {
        const long long a = ComboBox1->TypedPage();
        const long long b = ComboBox2->TypedPage();
        if (a < 1 || b < 1 || a > count || b > count)
            return { 1, 0 };
        return { static_cast<int>(std::min(a, b)), static_cast<int>(std::max(a, b)) };
    }
    return { 1, count };
}

void TFrmPrintDlg::LumButton1Click()
{
    // A typed number that names no page keeps the dialog open.
    if (RadioButton3->isChecked() && context_.buffPaper.PageCount >= 1
        && (ComboBox1->CheckedPage(context_.messages) < 1 || ComboBox2->CheckedPage(context_.messages) < 1))
        return;
    const auto [first, last] = ChosenPages();
    PrintRunResult run;
    {
        // Box and hourglass are gone before the message comes.
        const std::unique_ptr<TPageProgress> box = NewPrintProgress(this);
        run = PrintPageRun(context_.buffPaper, first, last, *box, context_.progress);
    }
    ReportPrintRun(context_.messages, run);
    Confirmed = run.failure.isEmpty();
    accept();
}

void TFrmPrintDlg::LumButton2Click()
{
    reject();
}

} // namespace quillet
