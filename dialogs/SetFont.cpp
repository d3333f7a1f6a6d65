#include "dialogs/SetFont.h"

#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <set>

#include "controls/PickCombos.h"
#include "controls/SystemColors.h"
#include "dialogs/DialogFrame.h"
#include "dialogs/GbkText.h"
#include "dialogs/SetPaperSheet.h"
#include "platform/GbkCodec.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtCanvas.h"

namespace quillet {
namespace {

// A size box with nothing in it stands for this size.
const QString kEmptySizeText = QStringLiteral("9");

const char* const kSizeChoices[]
    = { "8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72" };

// The decimal value of a size text as the integer conversion reads it:
// leading blanks, an optional sign, digits, and a value that fits 32 bits.
std::optional<long long> IntegerValue(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return value;
}

// Typed characters a size box takes: digits, and every control character
// (backspace, and Enter and Esc, which belong to the dialog's buttons).
bool SizeCharAllowed(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c.unicode() < 0x20;
}

QLabel* NewLabel(const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// Face lists offer the installed families and also the program's own face
// names (宋体, 黑体, ...) that the layout uses and that are drawn through a
// substitute family, so such a face shows selected instead of blank. The
// list sorts what it is given. A family whose name GBK cannot hold is left
// out: the layout could only store it garbled.
TFontComboBox::TFamilySource FamiliesWith(const QStringList& storedFaces)
{
    return [storedFaces](TFontDevice device) {
        QList<TFontFamilyInfo> families = TFontComboBox::SystemFamilies(device);
        families.removeIf([](const TFontFamilyInfo& f) { return !GbkHolds(f.name.toStdString()); });
        for (const QString& name : storedFaces) {
            const bool listed = std::any_of(families.begin(), families.end(),
                [&](const TFontFamilyInfo& f) { return f.name.compare(name, Qt::CaseInsensitive) == 0; });
            if (listed || QFont::substitutes(name).isEmpty())
                continue;
            families.append({ name, kTrueTypeFontType, false, false });
        }
        return families;
    };
}

// Six tabs share the width of the dialog; the toolkit's own spacing around
// a tab caption would push the last ones behind scroll buttons.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return 10;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TFrmSetFont::TFrmSetFont(const DialogContext& context, QWidget* parent)
    : QDialog(parent)
    , context_(context)
{
    ApplyDialogFrame(*this, kClientWidth, kClientHeight, QTr("SetFont", "设置字体"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setGeometry(6, 6, 423, 180);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(PageControl1);
    PageControl1->tabBar()->setStyle(tabStyle);
    BuildTab(kCompanyTab, QTr("SetFont", " 公司字体 "), QString());
    BuildTab(kTitleTab, QTr("SetFont", " 标题字体 "), QString());
    BuildTab(kColumnTab, QTr("SetFont", " 各列字体 "), QTr("SetFont", "列号:"));
    BuildTab(kHeadTab, QTr("SetFont", " 页头字体 "), QTr("SetFont", "项号:"));
    BuildTab(kFootTab, QTr("SetFont", " 页尾字体 "), QTr("SetFont", "项号:"));
    BuildTab(kSpecialTab, QTr("SetFont", "特殊项字体"), QTr("SetFont", "名称:"));

    // The controls under the names the handlers and the window know them by.
    FontComboBox5 = tabs_[kCompanyTab].face;
    ComboBox8 = tabs_[kCompanyTab].size;
    ColorComboBox5 = tabs_[kCompanyTab].color;
    Image5 = tabs_[kCompanyTab].image;
    FontComboBox1 = tabs_[kTitleTab].face;
    ComboBox1 = tabs_[kTitleTab].size;
    ColorComboBox1 = tabs_[kTitleTab].color;
    Image1 = tabs_[kTitleTab].image;
    ComboBox2 = tabs_[kColumnTab].selector;
    FontComboBox2 = tabs_[kColumnTab].face;
    ComboBox3 = tabs_[kColumnTab].size;
    ColorComboBox2 = tabs_[kColumnTab].color;
    Image2 = tabs_[kColumnTab].image;
    ComboBox4 = tabs_[kHeadTab].selector;
    FontComboBox3 = tabs_[kHeadTab].face;
    ComboBox5 = tabs_[kHeadTab].size;
    ColorComboBox3 = tabs_[kHeadTab].color;
    Image3 = tabs_[kHeadTab].image;
    ComboBox6 = tabs_[kFootTab].selector;
    FontComboBox4 = tabs_[kFootTab].face;
    ComboBox7 = tabs_[kFootTab].size;
    ColorComboBox4 = tabs_[kFootTab].color;
    Image4 = tabs_[kFootTab].image;
    ComboBox9 = tabs_[kSpecialTab].selector;
    FontComboBox6 = tabs_[kSpecialTab].face;
    ComboBox10 = tabs_[kSpecialTab].size;
    ColorComboBox6 = tabs_[kSpecialTab].color;
    Image6 = tabs_[kSpecialTab].image;

    AddOkCancelButtons(*this, { 266, 193 }, { 352, 193 });
    FormShowOnOpening(*this, [this] { FormShow(); });

    FormCreate();
    ConnectHandlers();
}

QWidget* TFrmSetFont::BuildTab(Tab tab, const QString& caption, const QString& selectorLabel)
{
    auto* page = new QWidget;
    PageControl1->addTab(page, caption);
    TabControls& t = tabs_[tab];
    int y = 12;
    const int step = 30;
    // The lists stand further right in English, where "Column:" is wider than "列号:".
    const int x = LanguageInUse() == Language::English ? 62 : 56;
    if (!selectorLabel.isEmpty()) {
        NewLabel(selectorLabel, page, 14, y + 4);
        t.selector = new QComboBox(page);
        t.selector->setEditable(false);
        t.selector->setGeometry(x, y, 150, 20);
        y += step;
    }
    NewLabel(QTr("SetFont", "字体:"), page, 14, y + 4);
    t.face = new TFontComboBox(page);
    t.face->setGeometry(x, y, 150, 20);
    y += step;
    NewLabel(QTr("SetFont", "字号:"), page, 14, y + 4);
    t.size = new QComboBox(page);
    t.size->setEditable(true);
    t.size->setInsertPolicy(QComboBox::NoInsert);
    for (const char* choice : kSizeChoices)
        t.size->addItem(QString::fromLatin1(choice));
    t.size->setGeometry(x, y, 150, 20);
    t.size->installEventFilter(this);
    t.size->lineEdit()->installEventFilter(this);
    y += step;
    NewLabel(QTr("SetFont", "颜色:"), page, 14, y + 4);
    t.color = new TColorComboBox(page);
    t.color->setGeometry(x, y, 150, 20);

    auto* preview = new QGroupBox(QTr("SetFont", "预览:"), page);
    preview->setGeometry(226, 6, 181, 114);
    t.image = new QLabel(preview);
    t.image->setGeometry(6, 18, kSampleWidth, kSampleHeight);
    return page;
}

void TFrmSetFont::FormCreate()
{
    Confirmed = false;
    ready_ = false;
    const TMyPrintFormat& f = context_.format;
    const int cols = f.Cols();
    colItems_.assign(static_cast<std::size_t>(cols) + 1, TMyTextItem {});
    for (int i = 1; i <= cols; ++i)
        colItems_[i] = f.ColItem[i];
    for (int i = 1; i <= kMaxMergedCells; ++i)
        mergedItems_[i] = f.MergedCells[i].Item;
    company_ = f.Company;
    title_ = f.Title;
    head_ = f.Head;
    foot_ = f.Foot;

    // Every face the copies name, for the face lists.
    QStringList faces;
    auto addFace = [&faces](const TMyTextItem& item) {
        const QString name = FromGbk(item.FontName.Text());
        if (!name.isEmpty() && !faces.contains(name, Qt::CaseInsensitive))
            faces.append(name);
    };
    addFace(company_);
    addFace(title_);
    for (int i = 1; i <= kHeadFootLines; ++i) {
        addFace(head_[i]);
        addFace(foot_[i]);
    }
    for (int i = 1; i <= cols; ++i)
        addFace(colItems_[i]);
    for (int i = 1; i <= kMaxMergedCells; ++i)
        addFace(mergedItems_[i]);
    for (TabControls& t : tabs_)
        t.face->SetFamilySource(FamiliesWith(faces));

    for (int i = 1; i <= cols; ++i)
        ComboBox2->addItem(NumberedEntry(i, QTr("SetFont", "第%1列")), i);
    for (int i = 1; i <= kHeadFootLines; ++i) {
        ComboBox4->addItem(NumberedEntry(i, QTr("SetFont", "第%1项")), i);
        ComboBox6->addItem(NumberedEntry(i, QTr("SetFont", "第%1项")), i);
    }
    for (int i = 1; i <= kMaxMergedCells; ++i) {
        const TextString& text = mergedItems_[i].Text;
        if (!text.Empty())
            ComboBox9->addItem(
                QStringLiteral("%1.").arg(i, 2, 10, QLatin1Char('0')) + FromGbk(text.Text()), i);
    }

    LoadTab(kCompanyTab, company_);
    LoadTab(kTitleTab, title_);
    for (Tab tab : { kColumnTab, kHeadTab, kFootTab, kSpecialTab }) {
        QComboBox* selector = tabs_[tab].selector;
        const bool entries = selector->count() > 0;
        selector->setCurrentIndex(entries ? 0 : -1);
        if (const TMyTextItem* item = EditedItem(tab))
            LoadTab(tab, *item);
        // With no entry the tab's controls would edit nothing.
        for (QWidget* w :
            std::initializer_list<QWidget*> { selector, tabs_[tab].face, tabs_[tab].size, tabs_[tab].color })
            w->setEnabled(entries);
    }
    ready_ = true;
}

void TFrmSetFont::ConnectHandlers()
{
    const std::array<void (TFrmSetFont::*)(), kTabCount> valueHandlers = { &TFrmSetFont::FontComboBox5Change,
        &TFrmSetFont::FontComboBox1Change, &TFrmSetFont::ComboBox3Change, &TFrmSetFont::ComboBox5Change,
        &TFrmSetFont::FontComboBox4Change, &TFrmSetFont::FontComboBox6Change };
    for (int tab = 0; tab < kTabCount; ++tab) {
        const TabControls& t = tabs_[tab];
        const auto handler = valueHandlers[tab];
        connect(t.face, &TFontComboBox::Change, this, handler);
        connect(t.size, &QComboBox::editTextChanged, this, handler);
        connect(t.color, &TColorComboBox::Change, this, handler);
    }
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TFrmSetFont::ComboBox2Change);
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, &TFrmSetFont::ComboBox4Change);
    connect(ComboBox6, &QComboBox::currentIndexChanged, this, &TFrmSetFont::ComboBox6Change);
    connect(ComboBox9, &QComboBox::currentIndexChanged, this, &TFrmSetFont::ComboBox9Change);
}

TMyTextItem* TFrmSetFont::EditedItem(Tab tab)
{
    switch (tab) {
    case kCompanyTab:
        return &company_;
    case kTitleTab:
        return &title_;
    default:
        break;
    }
    const QComboBox* selector = tabs_[tab].selector;
    if (selector->currentIndex() < 0)
        return nullptr;
    const int n = selector->currentData().toInt();
    switch (tab) {
    case kColumnTab:
        return n >= 1 && n < static_cast<int>(colItems_.size()) ? &colItems_[n] : nullptr;
    case kHeadTab:
        return n >= 1 && n <= kHeadFootLines ? &head_[n] : nullptr;
    case kFootTab:
        return n >= 1 && n <= kHeadFootLines ? &foot_[n] : nullptr;
    case kSpecialTab:
        return n >= 1 && n <= kMaxMergedCells ? &mergedItems_[n] : nullptr;
    default:
        return nullptr;
    }
}

void TFrmSetFont::LoadTab(Tab tab, const TMyTextItem& item)
{
    const TabControls& t = tabs_[tab];
    t.face->SetFontName(FromGbk(item.FontName.Text()));
    t.size->setEditText(QString::number(item.FontSize));
    t.color->SetColorValue(item.FontColor);
}

std::optional<int> TFrmSetFont::SizeOfBox(Tab tab, const TMyTextItem& item)
{
    QComboBox* box = tabs_[tab].size;
    const QString text = box->currentText();
    const std::optional<long long> value = IntegerValue(text);
    if (!value) {
        ShowPlainMessage(context_.messages, QTr("SetFont", "“%1”不是有效的整数值").arg(text));
        // The box goes back to the size still stored.
        ready_ = false;
        box->setEditText(QString::number(item.FontSize));
        ready_ = true;
        return std::nullopt;
    }
    // The stored size is 16 bits and the page draws at most kMaxFontPoints;
    // the box shows the size that is kept.
    const int size = static_cast<int>(std::clamp<long long>(*value, 0, kMaxFontPoints));
    if (size != *value) {
        ready_ = false;
        box->setEditText(QString::number(size));
        ready_ = true;
    }
    return size;
}

void TFrmSetFont::ValueChange(Tab tab)
{
    if (!ready_)
        return;
    TMyTextItem* item = EditedItem(tab);
    if (!item)
        return;
    const TabControls& t = tabs_[tab];
    if (t.size->currentText().isEmpty()) {
        ready_ = false;
        t.size->setEditText(kEmptySizeText);
        ready_ = true;
    }
    const std::optional<int> size = SizeOfBox(tab, *item);
    if (!size)
        return;
    // A face the system does not list shows no selection; the stored face
    // is kept then rather than blanked.
    const QString face = t.face->FontName();
    if (!face.isEmpty())
        item->FontName.SetText(CutGbk(ToGbk(face), kFaceNameBytes));
    item->FontSize = static_cast<std::uint16_t>(*size);
    item->FontColor = t.color->ColorValue();
    DrawSample(tab, item);
}

void TFrmSetFont::SelectorChange(Tab tab)
{
    ready_ = false;
    if (const TMyTextItem* item = EditedItem(tab))
        LoadTab(tab, *item);
    ready_ = true;
    ValueChange(tab);
}

void TFrmSetFont::FontComboBox5Change()
{
    ValueChange(kCompanyTab);
}
void TFrmSetFont::FontComboBox1Change()
{
    ValueChange(kTitleTab);
}
void TFrmSetFont::ComboBox3Change()
{
    ValueChange(kColumnTab);
}
void TFrmSetFont::ComboBox5Change()
{
    ValueChange(kHeadTab);
}
void TFrmSetFont::FontComboBox4Change()
{
    ValueChange(kFootTab);
}
void TFrmSetFont::FontComboBox6Change()
{
    ValueChange(kSpecialTab);
}
void TFrmSetFont::ComboBox2Change()
{
    SelectorChange(kColumnTab);
}
void TFrmSetFont::ComboBox4Change()
{
    SelectorChange(kHeadTab);
}
void TFrmSetFont::ComboBox6Change()
{
    SelectorChange(kFootTab);
}
void TFrmSetFont::ComboBox9Change()
{
    SelectorChange(kSpecialTab);
}

void TFrmSetFont::DrawSample(Tab tab, const TMyTextItem* item)
{
    QImage& picture = samples_[tab];
    if (!item) {
        picture = QImage();
        tabs_[tab].image->clear();
        return;
    }
    const std::string sampleText = ToGbk(QTr("SetFont", "字体效果"));
    const int w = kSampleWidth;
    const int h = kSampleHeight;
    picture = NewSamplePicture(w, h);
    {
        QtCanvas canvas(picture);
        canvas.SetDpi(logicalDpiX(), logicalDpiY());
        DrawSampleSheet(canvas, w, h, FromQColor(SysColor(palette(), TSysColor::BtnFace)));
        canvas.SetFont(item->FontName.View(), std::min<int>(item->FontSize, kMaxFontPoints), item->FontColor);
        canvas.SetBrushColor(kWhite);
        const Size extent = canvas.TextExtent(sampleText);
        const int x = std::max((w - extent.cx) / 2, 2);
        const int y = std::max((h - extent.cy) / 2, 2);
        canvas.TextRect({ 2, 2, w - 4, h - 4 }, x, y, sampleText);
    }
    tabs_[tab].image->setPixmap(QPixmap::fromImage(picture));
}

void TFrmSetFont::FormShow()
{
    if (ready_) {
        for (int tab = 0; tab < kTabCount; ++tab)
            DrawSample(static_cast<Tab>(tab), EditedItem(static_cast<Tab>(tab)));
    }
    PageControl1->setCurrentIndex(kCompanyTab);
}

bool TFrmSetFont::ComboBox1KeyPress(QEvent* event) const
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        // Short-cuts such as paste are no typed characters.
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = key->text();
        return std::any_of(text.begin(), text.end(), [](QChar c) { return !SizeCharAllowed(c); });
    }
    if (event->type() == QEvent::InputMethod) {
        const QString text = static_cast<const QInputMethodEvent*>(event)->commitString();
        return std::any_of(text.begin(), text.end(), [](QChar c) { return !SizeCharAllowed(c); });
    }
    return false;
}

bool TFrmSetFont::eventFilter(QObject* watched, QEvent* event)
{
    for (const TabControls& t : tabs_) {
        if (t.size && (watched == t.size || watched == t.size->lineEdit()))
            return ComboBox1KeyPress(event);
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmSetFont::LumButton1Click()
{
    TMyPrintFormat& f = context_.format;
    f.Company = company_;
    f.Title = title_;
    for (int i = 1; i < static_cast<int>(colItems_.size()); ++i)
        f.ColItem[i] = colItems_[i];
    f.Head = head_;
    f.Foot = foot_;
    for (int i = 1; i <= kMaxMergedCells; ++i)
        f.MergedCells[i].Item = mergedItems_[i];
    Confirmed = true;
    accept();
}

void TFrmSetFont::LumButton2Click()
{
    reject();
}

} // namespace quillet
