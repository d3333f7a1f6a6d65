#include "dialogs/SetPaper.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

#include "controls/NumSpin.h"
#include "controls/SystemColors.h"
#include "dialogs/DialogFrame.h"
#include "dialogs/SetPaperSheet.h"
#include "platform/Arith.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtCanvas.h"

namespace quillet {
namespace {

// One pixel of the sample stands for this many millimetres.
constexpr int kMmPerSamplePixel = 4;
// A sample never grows past this, whatever paper the printer reports.
constexpr int kMaxSamplePixels = 2000;

QLabel* NewLabel(const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QCheckBox* NewCheckBox(const QString& text, QWidget* parent, int x, int y)
{
    auto* box = new QCheckBox(text, parent);
    box->move(x, y);
    box->adjustSize();
    return box;
}

TNumSpinEdit* NewLengthEdit(QWidget* parent, int x, int y)
{
    auto* edit = new TNumSpinEdit(parent);
    edit->SetValueType(TNumValueType::Integer);
    edit->SetIncrement(1);
    edit->SetMinValue(0);
    edit->SetMaxValue(TFrmSetPaper::kMaxLength);
    edit->setGeometry(x, y, 61, 21);
    return edit;
}

// The whole millimetres of an edit, brought into 0..99: a typed value outside
// the range may still stand in the box when OK is pressed with Enter.
std::uint16_t StoredLength(const TNumSpinEdit& edit)
{
    const double value = edit.Value();
    if (!(value > 0)) // also a text that reads as no number
        return 0;
    if (value >= TFrmSetPaper::kMaxLength)
        return TFrmSetPaper::kMaxLength;
    return static_cast<std::uint16_t>(std::trunc(value));
}

// The edit's whole value as the sample reads it, kept to the range so a
// huge typed number cannot overflow the arithmetic.
int SampleLength(const TNumSpinEdit& edit)
{
    return StoredLength(edit);
}

std::uint8_t Switch(const QCheckBox& box)
{
    return box.isChecked() ? 1 : 0;
}

} // namespace

TFrmSetPaper::TFrmSetPaper(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QTr("SetPaper", "页面设置"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(6, 6, 414, 254);
    auto* marginsPage = new QWidget;
    auto* contentsPage = new QWidget;
    PageControl1->addTab(marginsPage, QTr("SetPaper", "页面边距"));
    PageControl1->addTab(contentsPage, QTr("SetPaper", "打印内容"));
    BuildPageMargins(marginsPage);
    BuildPageContents(contentsPage);

    AddOkCancelButtons(*this, { 256, 270 }, { 343, 270 });
    FormShowOnOpening(*this, [this] { FormShow(); });

    for (TNumSpinEdit* edit : { NumSpinEdit1, NumSpinEdit2, NumSpinEdit3, NumSpinEdit4 })
        connect(edit, &QLineEdit::textChanged, this, &TFrmSetPaper::NumSpinEdit1Change);
    connect(CheckBox3, &QCheckBox::toggled, this, &TFrmSetPaper::CheckBox3Click);

    FormCreate();
}

void TFrmSetPaper::BuildPageMargins(QWidget* page)
{
    const QString mm = QTr("SetPaper", "毫米");
    const QString captions[4] = { QTr("SetPaper", "上边距"), QTr("SetPaper", "下边距"),
        QTr("SetPaper", "左边距"), QTr("SetPaper", "右边距") };
    TNumSpinEdit** edits[4] = { &NumSpinEdit1, &NumSpinEdit2, &NumSpinEdit3, &NumSpinEdit4 };
    for (int i = 0; i < 4; ++i) {
        const int y = 18 + i * 32;
        NewLabel(captions[i], page, 20, y + 4);
        *edits[i] = NewLengthEdit(page, 68, y);
        (*edits[i])->setMaxLength(2);
        NewLabel(mm, page, 136, y + 4);
    }
    // Design-time values, replaced by the record's when the dialog shows.
    NumSpinEdit2->SetValue(25);
    NumSpinEdit3->SetValue(30);
    NumSpinEdit4->SetValue(30);

    auto* paperBox = new QGroupBox(QTr("SetPaper", "当前纸张信息:"), page);
    paperBox->setGeometry(10, 148, 192, 70);
    Label11 = NewLabel(QString(), paperBox, 12, 22);
    QLabel* orientation = NewLabel(QTr("SetPaper", "打印方向:"), paperBox, 12, 44);
    // The English caption is longer than the room the Chinese one leaves.
    const int orientationAt = LanguageInUse() == Language::English ? orientation->geometry().right() + 6 : 72;
    Label14 = NewLabel(QString(), paperBox, orientationAt, 44);

    GroupBoxPreview = new QGroupBox(QTr("SetPaper", "预览:"), page);
    GroupBoxPreview->setGeometry(212, 10, kPreviewGroupWidth, kPreviewGroupHeight);
    Image1 = new QLabel(GroupBoxPreview);
}

void TFrmSetPaper::BuildPageContents(QWidget* page)
{
    CheckBoxCompany = NewCheckBox(QTr("SetPaper", "打印公司"), page, 20, 18);
    CheckBoxTitle = NewCheckBox(QTr("SetPaper", "打印标题"), page, 20, 44);
    CheckBoxHead = NewCheckBox(QTr("SetPaper", "打印页头"), page, 20, 70);
    CheckBoxFoot = NewCheckBox(QTr("SetPaper", "打印页尾"), page, 20, 96);
    CheckBox5 = NewCheckBox(QTr("SetPaper", "打印页号"), page, 20, 122);
    CheckBox1 = NewCheckBox(QTr("SetPaper", "负数用红色正数表示"), page, 180, 18);
    CheckBox2 = NewCheckBox(QTr("SetPaper", "没有数据继续打印表格"), page, 180, 44);
    CheckBox3 = NewCheckBox(QTr("SetPaper", "一张纸放多个表格"), page, 180, 70);

    auto* gapFrame = new QFrame(page);
    gapFrame->setFrameShape(QFrame::Box);
    gapFrame->setFrameShadow(QFrame::Sunken);
    gapFrame->setGeometry(196, 94, 190, 64);
    LabelGap = NewLabel(QTr("SetPaper", "表间距"), gapFrame, 12, 12);
    NumSpinEdit5 = NewLengthEdit(gapFrame, 56, 8);
    LabelGapUnit = NewLabel(QTr("SetPaper", "毫米"), gapFrame, 124, 12);
    CheckBox4 = NewCheckBox(QTr("SetPaper", "表间画线"), gapFrame, 12, 38);
}

void TFrmSetPaper::FormCreate()
{
    Confirmed = false;
    sampleWidth_ = context_.buffPaper.PageWidth;
    sampleLength_ = context_.buffPaper.PageHeight;
    Label11->setText(QTr("SetPaper", "长%1毫米    宽%2毫米").arg(sampleLength_).arg(sampleWidth_));
    Label11->adjustSize();
    Label14->setText(context_.printer.Orientation == 1 ? QTr("SetPaper", "纵向") : QTr("SetPaper", "横向"));
    Label14->adjustSize();
    DrawSample();
}

void TFrmSetPaper::FormShow()
{
    const TMyPrintFormat& f = context_.format;
    NumSpinEdit1->SetValue(f.MarginTop);
    NumSpinEdit2->SetValue(f.MarginBottom);
    NumSpinEdit3->SetValue(f.MarginLeft);
    NumSpinEdit4->SetValue(f.MarginRight);
    NumSpinEdit5->SetValue(f.TableGap);
    CheckBox1->setChecked(IsOn(f.NegativeRed));
    CheckBox2->setChecked(IsOn(f.KeepEmptyGrid));
    CheckBox3->setChecked(IsOn(f.MultiTables));
    CheckBox4->setChecked(IsOn(f.TableGapLine));
    CheckBox5->setChecked(IsOn(f.PrintPageNumber));
    CheckBoxCompany->setChecked(IsOn(f.PrintCompany));
    CheckBoxTitle->setChecked(IsOn(f.PrintTitle));
    CheckBoxHead->setChecked(IsOn(f.PrintPageHead));
    CheckBoxFoot->setChecked(IsOn(f.PrintPageFoot));
    CheckBox3Click();
    DrawSample();
}

void TFrmSetPaper::NumSpinEdit1Change()
{
    DrawSample();
}

void TFrmSetPaper::CheckBox3Click()
{
    const bool on = CheckBox3->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*> { NumSpinEdit5, CheckBox4, LabelGap, LabelGapUnit })
        w->setEnabled(on);
}

void TFrmSetPaper::DrawSample()
{
    const int w
        = std::clamp(Round(sampleWidth_ / static_cast<long double>(kMmPerSamplePixel)), 0, kMaxSamplePixels)
        + 3;
    const int h
        = std::clamp(Round(sampleLength_ / static_cast<long double>(kMmPerSamplePixel)), 0, kMaxSamplePixels)
        + 3;
    sample_ = NewSamplePicture(w, h);
    {
        QtCanvas canvas(sample_);
        DrawSampleSheet(canvas, w, h, FromQColor(SysColor(palette(), TSysColor::BtnFace)));
        // Lines of printed text, every second pixel row between the margins.
        const int top = SampleLength(*NumSpinEdit1) / kMmPerSamplePixel;
        const int bottom = SampleLength(*NumSpinEdit2) / kMmPerSamplePixel;
        const int left = SampleLength(*NumSpinEdit3) / kMmPerSamplePixel;
        const int right = SampleLength(*NumSpinEdit4) / kMmPerSamplePixel;
        canvas.SetPen(PenStyle::Solid, 1, FromQColor(SysColor(palette(), TSysColor::BtnShadow)));
        for (int y = top; y <= h - bottom - 1; y += 2) {
            canvas.MoveTo(left, y);
            canvas.LineTo(w - right - 1, y);
        }
    }
    Image1->setPixmap(QPixmap::fromImage(sample_));
    Image1->setGeometry((kPreviewGroupWidth - w) / 2, (kPreviewGroupHeight - h) / 2, w, h);
}

void TFrmSetPaper::LumButton1Click()
{
    Confirmed = true;
    TMyPrintFormat& f = context_.format;
    f.MarginTop = StoredLength(*NumSpinEdit1);
    f.MarginBottom = StoredLength(*NumSpinEdit2);
    f.MarginLeft = StoredLength(*NumSpinEdit3);
    f.MarginRight = StoredLength(*NumSpinEdit4);
    f.NegativeRed = Switch(*CheckBox1);
    f.KeepEmptyGrid = Switch(*CheckBox2);
    f.PrintPageNumber = Switch(*CheckBox5);
    f.PrintCompany = Switch(*CheckBoxCompany);
    f.PrintTitle = Switch(*CheckBoxTitle);
    f.PrintPageHead = Switch(*CheckBoxHead);
    f.PrintPageFoot = Switch(*CheckBoxFoot);
    f.MultiTables = Switch(*CheckBox3);
    if (CheckBox3->isChecked()) {
        f.TableGapLine = Switch(*CheckBox4);
        f.TableGap = StoredLength(*NumSpinEdit5);
    }
    accept();
}

void TFrmSetPaper::LumButton2Click()
{
    reject();
}

} // namespace quillet
