#pragma once
// The font setup dialog "设置字体": face, size and colour of every text part
// of the page (company line, title, each column, the page-head and page-foot
// texts, the merged-cell texts), each shown at once on a sample. It works on
// copies of the text items and writes them all back on OK.
#include <QDialog>
#include <QImage>

#include <array>
#include <optional>
#include <vector>

#include "dialogs/DialogContext.h"

class QComboBox;
class QLabel;
class QTabWidget;

namespace quillet {

class TColorComboBox;
class TFontComboBox;
class TLumButton;

class TFrmSetFont : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSetFont(const DialogContext& context, QWidget* parent = nullptr);

    // Set by OK; the caller redraws the current page when it is on.
    bool Confirmed = false;

    static constexpr int kClientWidth = 435;
    static constexpr int kClientHeight = 221;
    static constexpr int kSampleWidth = 169;
    static constexpr int kSampleHeight = 89;
    // Stored face names are at most this many GBK bytes.
    static constexpr std::size_t kFaceNameBytes = 20;

    // The six tabs in their order on the tab row.
    enum Tab { kCompanyTab, kTitleTab, kColumnTab, kHeadTab, kFootTab, kSpecialTab, kTabCount };

    QTabWidget* PageControl1 = nullptr;
    // Company line.
    TFontComboBox* FontComboBox5 = nullptr;
    QComboBox* ComboBox8 = nullptr;
    TColorComboBox* ColorComboBox5 = nullptr;
    QLabel* Image5 = nullptr;
    // Title.
    TFontComboBox* FontComboBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    TColorComboBox* ColorComboBox1 = nullptr;
    QLabel* Image1 = nullptr;
    // Columns.
    QComboBox* ComboBox2 = nullptr;
    TFontComboBox* FontComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    TColorComboBox* ColorComboBox2 = nullptr;
    QLabel* Image2 = nullptr;
    // Page head.
    QComboBox* ComboBox4 = nullptr;
    TFontComboBox* FontComboBox3 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    TColorComboBox* ColorComboBox3 = nullptr;
    QLabel* Image3 = nullptr;
    // Page foot.
    QComboBox* ComboBox6 = nullptr;
    TFontComboBox* FontComboBox4 = nullptr;
    QComboBox* ComboBox7 = nullptr;
    TColorComboBox* ColorComboBox4 = nullptr;
    QLabel* Image4 = nullptr;
    // Merged-cell texts ("special items").
    QComboBox* ComboBox9 = nullptr;
    TFontComboBox* FontComboBox6 = nullptr;
    QComboBox* ComboBox10 = nullptr;
    TColorComboBox* ColorComboBox6 = nullptr;
    QLabel* Image6 = nullptr;
    TLumButton* LumButton1 = nullptr;
    TLumButton* LumButton2 = nullptr;

    // The controls of one tab; selector is null on the company and title tabs.
    struct TabControls {
        QComboBox* selector = nullptr;
        TFontComboBox* face = nullptr;
        QComboBox* size = nullptr;
        TColorComboBox* color = nullptr;
        QLabel* image = nullptr;
    };
    const TabControls& Controls(Tab tab) const { return tabs_[tab]; }
    // The sample of a tab as last drawn (null when it was never drawn).
    const QImage& SamplePicture(Tab tab) const { return samples_[tab]; }

    void FormCreate();
    void FormShow();
    void FontComboBox5Change();
    void FontComboBox1Change();
    void ComboBox3Change();
    void ComboBox5Change();
    void FontComboBox4Change();
    void FontComboBox6Change();
    void ComboBox2Change();
    void ComboBox4Change();
    void ComboBox6Change();
    void ComboBox9Change();
    void LumButton1Click();
    void LumButton2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildTab(Tab tab, const QString& caption, const QString& selectorLabel);
    void ConnectHandlers();
    // The copy that a tab edits: for tabs with a selector, the item its
    // selected entry names; null when nothing is selected.
    TMyTextItem* EditedItem(Tab tab);
    void LoadTab(Tab tab, const TMyTextItem& item);
    void ValueChange(Tab tab);
    void SelectorChange(Tab tab);
    void DrawSample(Tab tab, const TMyTextItem* item);
    // The size in the tab's size box, held to 0..kMaxFontPoints (the box then
    // shows the held value); none, after a message, when the text is no
    // integer, and the box shows the stored size again.
    std::optional<int> SizeOfBox(Tab tab, const TMyTextItem& item);
    // ComboBox1KeyPress: backspace and digits pass; other typed characters
    // are dropped.
    bool ComboBox1KeyPress(QEvent* event) const;

    DialogContext context_;
    bool ready_ = false;
    std::array<TabControls, kTabCount> tabs_ {};
    std::array<QImage, kTabCount> samples_ {};
    TMyTextItem company_;
    TMyTextItem title_;
    std::array<TMyTextItem, kHeadFootLines + 1> head_ {};
    std::array<TMyTextItem, kHeadFootLines + 1> foot_ {};
    std::vector<TMyTextItem> colItems_; // 1..Cols(); slot 0 unused
    std::array<TMyTextItem, kMaxMergedCells + 1> mergedItems_ {};
};

} // namespace quillet
