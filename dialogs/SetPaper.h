#pragma once
// The page setup dialog "页面设置": the four page margins, the switches that
// decide which parts of a page are printed and how tables share a sheet, the
// paper in force and a drawn sample of the page with its margins.
#include <QDialog>

#include "dialogs/DialogContext.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QTabWidget;

namespace quillet {

class TLumButton;
class TNumSpinEdit;

class TFrmSetPaper : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSetPaper(const DialogContext& context, QWidget* parent = nullptr);

    // Set by OK; the caller repaginates when it is on.
    bool Confirmed = false;

    // Client size and the sample's group box, in pixels.
    static constexpr int kClientWidth = 426;
    static constexpr int kClientHeight = 301;
    static constexpr int kPreviewGroupWidth = 185;
    static constexpr int kPreviewGroupHeight = 201;
    // Largest margin or gap the dialog stores, in millimetres.
    static constexpr int kMaxLength = 99;

    QTabWidget* PageControl1 = nullptr;
    TNumSpinEdit* NumSpinEdit1 = nullptr; // top margin
    TNumSpinEdit* NumSpinEdit2 = nullptr; // bottom margin
    TNumSpinEdit* NumSpinEdit3 = nullptr; // left margin
    TNumSpinEdit* NumSpinEdit4 = nullptr; // right margin
    TNumSpinEdit* NumSpinEdit5 = nullptr; // gap between stacked tables
    QCheckBox* CheckBox1 = nullptr; // negative numbers in red
    QCheckBox* CheckBox2 = nullptr; // keep the empty grid
    QCheckBox* CheckBox3 = nullptr; // several tables on a sheet
    QCheckBox* CheckBox4 = nullptr; // rule between tables
    QCheckBox* CheckBox5 = nullptr; // page number
    QCheckBox* CheckBoxCompany = nullptr;
    QCheckBox* CheckBoxTitle = nullptr;
    QCheckBox* CheckBoxHead = nullptr;
    QCheckBox* CheckBoxFoot = nullptr;
    QLabel* LabelGap = nullptr; // "表间距"
    QLabel* LabelGapUnit = nullptr; // "毫米" beside the gap
    QLabel* Label11 = nullptr; // paper size
    QLabel* Label14 = nullptr; // orientation
    QGroupBox* GroupBoxPreview = nullptr;
    QLabel* Image1 = nullptr; // the sample page
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    // The sample page as last drawn.
    const QImage& SamplePicture() const { return sample_; }

    void FormCreate();
    void FormShow();
    void NumSpinEdit1Change();
    void CheckBox3Click();
    void LumButton1Click();
    void LumButton2Click();

private:
    void BuildPageMargins(QWidget* page);
    void BuildPageContents(QWidget* page);
    void DrawSample();

    DialogContext context_;
    int sampleWidth_ = 0; // paper in mm, as the page buffer lays it out
    int sampleLength_ = 0;
    QImage sample_;
};

} // namespace quillet
