#include "platform/qt/PrinterSetupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/Texts.h"
#include "platform/qt/Language.h"

namespace quillet {

const PrinterSetupDialog::Sheet PrinterSetupDialog::kSheets[7] = {
    { 8, QUILLET_TEXT("PrinterSetupDialog", "A3 (297×420毫米)") },
    { DMPAPER_A4, QUILLET_TEXT("PrinterSetupDialog", "A4 (210×297毫米)") },
    { 11, QUILLET_TEXT("PrinterSetupDialog", "A5 (148×210毫米)") },
    { 12, QUILLET_TEXT("PrinterSetupDialog", "B4 (257×364毫米)") },
    { 13, QUILLET_TEXT("PrinterSetupDialog", "B5 (182×257毫米)") },
    { 1, QUILLET_TEXT("PrinterSetupDialog", "Letter (216×279毫米)") },
    { 5, QUILLET_TEXT("PrinterSetupDialog", "Legal (216×356毫米)") },
};

PrinterSetupDialog::PrinterSetupDialog(PrinterHost& host, QWidget* parent)
    : QDialog(parent)
    , host_(host)
{
    setWindowTitle(QTr("PrinterSetupDialog", "打印设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    PrinterBox = new QComboBox(this);
    PrinterBox->setObjectName(QStringLiteral("printer"));
    for (const std::string& name : host_.Printers())
        PrinterBox->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    PrinterBox->setCurrentIndex(std::max(0, host_.CurrentIndex()));

    hasSettings_ = host_.GetSettings(settings_);
    PaperBox = new QComboBox(this);
    PaperBox->setObjectName(QStringLiteral("paper"));
    for (const Sheet& s : kSheets)
        PaperBox->addItem(QTr("PrinterSetupDialog", s.name), s.code);
    const int known = PaperBox->findData(settings_.paperSize);
    if (hasSettings_ && known >= 0) {
        PaperBox->setCurrentIndex(known);
    } else if (hasSettings_) {
        // A sheet the list does not name stays as it is unless another is chosen.
        const QString size = settings_.paperSize == DMPAPER_USER
            ? QTr("PrinterSetupDialog", "自定义 (%1×%2毫米)")
                  .arg(settings_.paperWidth / 10.0, 0, 'f', 1)
                  .arg(settings_.paperLength / 10.0, 0, 'f', 1)
            : QTr("PrinterSetupDialog", "当前纸张");
        PaperBox->insertItem(0, size, -1);
        PaperBox->setCurrentIndex(0);
    }
    PaperBox->setEnabled(hasSettings_);

    Portrait = new QRadioButton(QTr("PrinterSetupDialog", "纵向"), this);
    Landscape = new QRadioButton(QTr("PrinterSetupDialog", "横向"), this);
    (host_.Landscape() ? Landscape : Portrait)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(Portrait);
    orientation->addWidget(Landscape);
    orientation->addStretch();

    const JobPreferences prefs = host_.Preferences();
    Copies = new QSpinBox(this);
    Copies->setRange(1, JobPreferences::kMaxCopies);
    Copies->setValue(std::clamp(prefs.copies, 1, JobPreferences::kMaxCopies));
    SidesBox = new QComboBox(this);
    SidesBox->setObjectName(QStringLiteral("sides"));
    ShowSidesOf(PrinterBox->currentIndex(), prefs.sides);
    connect(PrinterBox, &QComboBox::currentIndexChanged, this,
        [this](int index) { ShowSidesOf(index, static_cast<Sides>(SidesBox->currentData().toInt())); });
    OneJob = new QCheckBox(QTr("PrinterSetupDialog", "整份打印为一个作业"), this);
    OneJob->setChecked(prefs.oneJobPerRun);
    OneJob->setToolTip(QTr("PrinterSetupDialog", "打印机收到整份报表，才能双面打印和逐份打印；否则每页是一个作业"));
    Collate = new QCheckBox(QTr("PrinterSetupDialog", "逐份打印"), this);
    Collate->setChecked(prefs.collate);
    Collate->setToolTip(QTr("PrinterSetupDialog", "多份时一份印完再印下一份；只对整份打印为一个作业时有效"));
    Collate->setEnabled(OneJob->isChecked());
    connect(OneJob, &QCheckBox::toggled, Collate, &QWidget::setEnabled);

    auto* form = new QFormLayout;
    form->addRow(QTr("PrinterSetupDialog", "打印机(&N):"), PrinterBox);
    form->addRow(QTr("PrinterSetupDialog", "纸张(&Z):"), PaperBox);
    form->addRow(QTr("PrinterSetupDialog", "方向:"), orientation);
    form->addRow(QTr("PrinterSetupDialog", "份数(&C):"), Copies);
    form->addRow(QTr("PrinterSetupDialog", "双面打印(&D):"), SidesBox);
    form->addRow(QString(), OneJob);
    form->addRow(QString(), Collate);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QTr("PrinterSetupDialog", "确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QTr("PrinterSetupDialog", "取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void PrinterSetupDialog::Apply()
{
    const int chosen = PrinterBox->currentIndex();
    if (chosen >= 0 && chosen != host_.CurrentIndex())
        host_.SetCurrentIndex(chosen);
    PrinterSettings s;
    if (host_.GetSettings(s)) {
        s.fields |= DM_ORIENTATION;
        s.orientation = Landscape->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        const int code = PaperBox->currentData().toInt();
        if (code > 0) {
            s.paperSize = code;
            s.fields |= DM_PAPERSIZE;
            s.fields &= ~(DM_PAPERWIDTH | DM_PAPERLENGTH);
        } else if (hasSettings_) {
            // The sheet it opened with, carried to another printer too.
            s.paperSize = settings_.paperSize;
            s.paperWidth = settings_.paperWidth;
            s.paperLength = settings_.paperLength;
            s.fields |= settings_.fields & (DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH);
        }
        host_.SetSettings(s);
    }
    JobPreferences prefs;
    prefs.copies = Copies->value();
    prefs.sides = static_cast<Sides>(SidesBox->currentData().toInt());
    prefs.oneJobPerRun = OneJob->isChecked();
    prefs.collate = Collate->isChecked();
    host_.SetPreferences(prefs);
}

void PrinterSetupDialog::ShowSidesOf(int printer, Sides wanted)
{
    static const struct {
        Sides side;
        const char* name; // UTF-8
    } kSides[] = {
        { Sides::OneSided, QUILLET_TEXT("PrinterSetupDialog", "单面") },
        { Sides::LongEdge, QUILLET_TEXT("PrinterSetupDialog", "双面，长边翻转") },
        { Sides::ShortEdge, QUILLET_TEXT("PrinterSetupDialog", "双面，短边翻转") },
    };
    const std::vector<Sides> supported = host_.SidesSupported(printer);
    SidesBox->clear();
    for (const auto& s : kSides)
        if (s.side == Sides::OneSided
            || std::find(supported.begin(), supported.end(), s.side) != supported.end())
            SidesBox->addItem(QTr("PrinterSetupDialog", s.name), static_cast<int>(s.side));
    SidesBox->setCurrentIndex(std::max(0, SidesBox->findData(static_cast<int>(wanted))));
    SidesBox->setEnabled(SidesBox->count() > 1);
}

} // namespace quillet
