#pragma once
// The layout the page head and page foot dialogs share: three short texts on
// three tabs, each with its alignment, and one switch that lays them out on
// several lines. Each dialog names the fields of the layout it edits.
#include <QDialog>
#include <array>
#include <string>

#include "dialogs/DialogContext.h"

class QCheckBox;
class QLabel;
class QRadioButton;
class QTabWidget;

namespace quillet {

class TLumButton;
class TLumEdit;

class TPageLinesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 370;
    static constexpr int kClientHeight = 167;
    static constexpr std::size_t kMaxTextBytes = 200;

    // Set by OK; the caller redraws the page when it is on.
    bool Confirmed = false;

    QTabWidget* PageControl1 = nullptr;
    TLumEdit* EditStr1 = nullptr;
    TLumEdit* EditStr2 = nullptr;
    TLumEdit* EditStr3 = nullptr;
    QRadioButton* RadioButton_Left = nullptr;
    QRadioButton* RadioButton_Center = nullptr;
    QRadioButton* RadioButton_Right = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QCheckBox* CheckBoxMoreLine = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    void FormCreate() { Confirmed = false; }
    void FormShow();
    void LumButton1Click();
    void LumButton2Click();

protected:
    struct Fields {
        std::array<TMyTextItem, kHeadFootLines + 1> TMyFormatRecord::*items;
        std::uint8_t TMyFormatRecord::*multiLine;
        QString caption;
        QString tabPattern; // "页头%1" or "页尾%1", %1 the line's number "一", "二", "三"
    };

    TPageLinesDialog(const DialogContext& context, const Fields& fields, QWidget* parent);

private:
    // One tab's controls.
    struct Line {
        TLumEdit* edit = nullptr;
        QRadioButton* left = nullptr;
        QRadioButton* center = nullptr;
        QRadioButton* right = nullptr;
        // The stored text as loaded, so an untouched box gives back its very bytes.
        std::string loadedBytes;
        QString loadedText;
    };

    DialogContext context_;
    Fields fields_;
    std::array<Line, kHeadFootLines> lines_;
};

} // namespace quillet
