#pragma once
// The layout the title and company dialogs share: one line of text printed
// above the table, its horizontal alignment, and the style and colour of the
// rule drawn with it. Each dialog names the fields of the layout it edits.
#include <QDialog>
#include <string>

#include "dialogs/DialogContext.h"

class QComboBox;
class QFrame;
class QLabel;
class QRadioButton;

namespace quillet {

class TColorComboBox;
class TLumButton;
class TLumEdit;

class TTextLineDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 353;
    static constexpr int kClientHeight = 157;
    static constexpr std::size_t kMaxTextBytes = 200;

    // Set by OK; the caller redraws the page when it is on.
    bool Confirmed = false;

    QFrame* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr; // "标题：" or "公司："
    QLabel* Label2 = nullptr; // "线型："
    QLabel* Label3 = nullptr; // "颜色："
    QComboBox* ComboBoxLine = nullptr;
    TColorComboBox* ColorComboBoxLine = nullptr;
    QRadioButton* RadioButton_Left = nullptr;
    QRadioButton* RadioButton_Center = nullptr;
    QRadioButton* RadioButton_Right = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    void FormShow();
    void LumButton1Click();
    void LumButton2Click();

protected:
    // Which text and rule of the layout the dialog edits, and its words.
    struct Fields {
        TMyTextItem TMyFormatRecord::*item;
        TMyLineSpec TMyFormatRecord::*line;
        QString caption;
        QString label;
        QString emptyMessage;
    };

    TTextLineDialog(const DialogContext& context, const Fields& fields, QWidget* parent);

    // The text box; the derived dialog gives it its own name.
    TLumEdit* TextEdit() const { return edit_; }
    DialogContext context_;

private:
    Fields fields_;
    TLumEdit* edit_ = nullptr;
    // The stored text as loaded, so an untouched box gives back the very
    // bytes it showed, even where they are no valid GBK.
    std::string loadedBytes_;
    QString loadedText_;
};

} // namespace quillet
