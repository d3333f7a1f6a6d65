#include "controls/PickCombos.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QSet>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "controls/Resources.h"
#include "controls/SystemColors.h"

namespace quillet {

namespace {

constexpr int kMinItemHeight = 9;

constexpr int kTypeRole = Qt::UserRole;
constexpr int kSymbolRole = Qt::UserRole + 1;
constexpr int kFixedRole = Qt::UserRole + 2;
constexpr int kColorRole = Qt::UserRole;

// Items of the open list are drawn by the box, like the closed box's item.
class TOwnerDrawDelegate : public QStyledItemDelegate {
public:
    explicit TOwnerDrawDelegate(TOwnerDrawComboBox* box)
        : QStyledItemDelegate(box)
        , box_(box)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        box_->DrawItem(*painter, option.rect, index.row(), (option.state & QStyle::State_Selected) != 0);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), box_->ItemHeight());
    }

private:
    TOwnerDrawComboBox* box_;
};

void FillBackground(QPainter& painter, const QRect& rect, const QPalette& pal, bool highlighted)
{
    painter.fillRect(rect, pal.color(QPalette::Active, highlighted ? QPalette::Highlight : QPalette::Base));
}

// "Nimbus Roman [urw]" -> "Nimbus Roman".
QString FamilyWithoutFoundry(const QString& family)
{
    const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
    if (open > 0 && family.endsWith(QLatin1Char(']')))
        return family.left(open);
    return family;
}

QColor TextColor(const QPalette& pal, bool highlighted)
{
    return pal.color(QPalette::Active, highlighted ? QPalette::HighlightedText : QPalette::Text);
}

} // namespace

// ---- TOwnerDrawComboBox ---------------------------------------------------

TOwnerDrawComboBox::TOwnerDrawComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(false);
    setItemDelegate(new TOwnerDrawDelegate(this));
}

int TOwnerDrawComboBox::ItemHeight() const
{
    return qMax(kMinItemHeight, fontMetrics().height() + 1);
}

void TOwnerDrawComboBox::DrawItem(QPainter& painter, const QRect& rect, int index, bool highlighted) const
{
    FillBackground(painter, rect, palette(), highlighted);
    if (index < 0 || index >= count())
        return;
    painter.setFont(font());
    painter.setPen(TextColor(palette(), highlighted));
    painter.drawText(
        rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, itemText(index));
}

QSize TOwnerDrawComboBox::sizeHint() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize base = QComboBox::sizeHint();
    const QSize content(base.width(), ItemHeight());
    return QSize(
        base.width(), style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this).height());
}

QSize TOwnerDrawComboBox::minimumSizeHint() const
{
    return QSize(QComboBox::minimumSizeHint().width(), sizeHint().height());
}

void TOwnerDrawComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const bool popupShown = view() && view()->isVisible();
    painter.save();
    painter.setClipRect(field);
    DrawItem(painter, field, currentIndex(), hasFocus() && !popupShown);
    painter.restore();
}

void TOwnerDrawComboBox::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        ItemHeightChanged();
}

void TOwnerDrawComboBox::ItemHeightChanged()
{
    updateGeometry();
    if (view())
        view()->doItemsLayout();
    update();
}

// ---- TColorComboBox -------------------------------------------------------

const Color TColorComboBox::kStandardColors[16] = {
    0x000000,
    0x000080,
    0x008000,
    0x008080,
    0x800000,
    0x800080,
    0x808000,
    0x808080,
    0xC0C0C0,
    0x0000FF,
    0x00FF00,
    0x00FFFF,
    0xFF0000,
    0xFF00FF,
    0xFFFF00,
    0xFFFFFF,
};

const char* const TColorComboBox::kStandardNames[16] = {
    "Black",
    "Maroon",
    "Green",
    "Olive",
    "Navy",
    "Purple",
    "Teal",
    "Gray",
    "Silver",
    "Red",
    "Lime",
    "Yellow",
    "Blue",
    "Fuchsia",
    "Aqua",
    "White",
};

TColorComboBox::TColorComboBox(QWidget* parent)
    : TOwnerDrawComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, &TColorComboBox::IndexChanged);
    Fill();
}

void TColorComboBox::Fill()
{
    filling_ = true;
    clear();
    QList<QPair<QString, Color>> entries;
    for (int i = 0; i < 16; ++i)
        entries.append({ QString::fromLatin1(kStandardNames[i]), kStandardColors[i] });
    if (options_ & kIncludeNone)
        entries.append({ QStringLiteral("None"), kColorNone });
    if (options_ & kIncludeDefault)
        entries.append({ QStringLiteral("Default"), kColorDefault });
    for (int i = 0; i < entries.size(); ++i) {
        const QString custom = colorNames_.value(i);
        addItem(custom.isEmpty() ? entries[i].first : custom, QVariant::fromValue<uint>(entries[i].second));
    }
    SelectValue();
    filling_ = false;
}

void TColorComboBox::SelectValue()
{
    setCurrentIndex(findData(QVariant::fromValue<uint>(colorValue_), kColorRole));
}

void TColorComboBox::SetColorValue(Color color)
{
    colorValue_ = color;
    filling_ = true;
    SelectValue();
    filling_ = false;
    emit Change();
}

void TColorComboBox::SetDisplayNames(bool on)
{
    displayNames_ = on;
    update();
    if (view())
        view()->viewport()->update();
}

void TColorComboBox::SetColorNames(const QStringList& names)
{
    colorNames_ = names;
    Fill();
}

void TColorComboBox::SetOptions(int options)
{
    options_ = options & (kIncludeDefault | kIncludeNone);
    Fill();
}

Color TColorComboBox::ItemColor(int index) const
{
    if (index < 0 || index >= count())
        return colorValue_;
    return static_cast<Color>(itemData(index, kColorRole).toUInt());
}

void TColorComboBox::IndexChanged(int index)
{
    if (filling_ || index < 0)
        return;
    colorValue_ = ItemColor(index);
    emit Change();
}

void TColorComboBox::DrawItem(QPainter& painter, const QRect& rect, int index, bool highlighted) const
{
    FillBackground(painter, rect, palette(), highlighted);
    if (index < 0 || index >= count())
        return;
    const Color value = ItemColor(index);
    const int right = displayNames_ ? rect.left() + 24 : rect.left() + rect.width() - 3;
    const QRect swatch(
        QPoint(rect.left() + 2, rect.top() + 2), QPoint(right - 1, rect.top() + rect.height() - 3));
    if (swatch.width() >= 2 && swatch.height() >= 2) {
        QColor fill;
        QColor outline;
        if (value == kColorNone) {
            outline = TextColor(palette(), highlighted);
        } else if (value == kColorDefault) {
            fill = palette().color(QPalette::Active, QPalette::WindowText);
            outline = TextColor(palette(), highlighted);
        } else {
            fill = ToQColor(value);
            const bool bright = ColorRed(value) > 192 || ColorGreen(value) > 192 || ColorBlue(value) > 192;
            outline = bright ? QColor(Qt::black) : highlighted ? QColor(Qt::white) : fill;
        }
        if (fill.isValid())
            painter.fillRect(swatch.adjusted(1, 1, -1, -1), fill);
        painter.setPen(outline);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        if (value == kColorNone)
            painter.drawLine(swatch.bottomLeft(), swatch.topRight());
    }
    if (displayNames_) {
        painter.setFont(font());
        painter.setPen(TextColor(palette(), highlighted));
        const QRect textRect(QPoint(rect.left() + 28, rect.top()), rect.bottomRight());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, itemText(index));
    }
}

// ---- TFontComboBox --------------------------------------------------------

TFontComboBox::TFontComboBox(QWidget* parent)
    : TOwnerDrawComboBox(parent)
    , trueTypeGlyph_(LoadResourceBitmap("TRUETYPE_FNT"))
    , deviceGlyph_(LoadResourceBitmap("DEVICE_FNT"))
{
    connect(this, &QComboBox::currentIndexChanged, this, &TFontComboBox::IndexChanged);
    // A font installed or removed while a dialog is open shows up at once.
    connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, this, &TFontComboBox::Refill);
    Refill();
}

QList<TFontFamilyInfo> TFontComboBox::SystemFamilies(TFontDevice device)
{
    QList<TFontFamilyInfo> list;
    QSet<QString> seen;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        TFontFamilyInfo info;
        // A family that several foundries supply is listed once, under the
        // name a layout stores and the font matcher finds.
        info.name = FamilyWithoutFoundry(family);
        if (seen.contains(info.name))
            continue;
        seen.insert(info.name);
        const bool outline = QFontDatabase::isSmoothlyScalable(family);
        info.typeBits = outline ? kTrueTypeFontType : kRasterFontType;
        info.symbol = QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol);
        info.fixedPitch = QFontDatabase::isFixedPitch(family);
        // Bitmap faces do not reach the printer as they look on screen.
        if (device == TFontDevice::Printer && !outline)
            continue;
        list.append(info);
    }
    return list;
}

void TFontComboBox::SetFamilySource(TFamilySource source)
{
    source_ = std::move(source);
    Refill();
}

void TFontComboBox::Refill()
{
    const QString previous = FontName();
    QList<TFontFamilyInfo> families = source_ ? source_(device_) : SystemFamilies(device_);
    std::stable_sort(
        families.begin(), families.end(), [](const TFontFamilyInfo& a, const TFontFamilyInfo& b) {
            const int c = QString::compare(a.name, b.name, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a.name < b.name;
        });
    filling_ = true;
    clear();
    QSet<QString> seen;
    for (const TFontFamilyInfo& info : families) {
        if (info.name.isEmpty() || seen.contains(info.name))
            continue;
        if ((options_ & kTrueTypeOnly) && !(info.typeBits & kTrueTypeFontType))
            continue;
        if ((options_ & kFixedPitchOnly) && !info.fixedPitch)
            continue;
        if ((options_ & kScalableOnly) && (info.typeBits & kRasterFontType))
            continue;
        if ((options_ & kNoSymbolFonts) && info.symbol)
            continue;
        seen.insert(info.name);
        addItem(info.name);
        const int row = count() - 1;
        setItemData(row, info.typeBits, kTypeRole);
        setItemData(row, info.symbol, kSymbolRole);
        setItemData(row, info.fixedPitch, kFixedRole);
    }
    int index = findText(previous, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 && !previous.isEmpty())
        index = findText(previous, Qt::MatchFixedString);
    setCurrentIndex(previous.isEmpty() ? -1 : index);
    filling_ = false;
    lastName_ = FontName();
    if (lastName_ != previous)
        emit Change();
}

QString TFontComboBox::FontName() const
{
    return currentIndex() < 0 ? QString() : currentText();
}

void TFontComboBox::SetFontName(const QString& name)
{
    int index = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        index = findText(name, Qt::MatchFixedString);
    setCurrentIndex(name.isEmpty() ? -1 : index);
}

void TFontComboBox::SetDevice(TFontDevice device)
{
    if (device == device_)
        return;
    device_ = device;
    Refill();
}

void TFontComboBox::SetOptions(int options)
{
    options_ = options;
    Refill();
}

void TFontComboBox::SetUseFonts(bool on)
{
    useFonts_ = on;
    update();
    if (view())
        view()->viewport()->update();
}

TFontFamilyInfo TFontComboBox::ItemInfo(int index) const
{
    TFontFamilyInfo info;
    if (index < 0 || index >= count())
        return info;
    info.name = itemText(index);
    info.typeBits = itemData(index, kTypeRole).toInt();
    info.symbol = itemData(index, kSymbolRole).toBool();
    info.fixedPitch = itemData(index, kFixedRole).toBool();
    return info;
}

void TFontComboBox::IndexChanged(int)
{
    if (filling_)
        return;
    const QString name = FontName();
    if (name == lastName_)
        return;
    lastName_ = name;
    emit Change();
}

int TFontComboBox::ItemHeight() const
{
    return qMax(TOwnerDrawComboBox::ItemHeight(), trueTypeGlyph_.height() - 1);
}

void TFontComboBox::DrawItem(QPainter& painter, const QRect& rect, int index, bool highlighted) const
{
    FillBackground(painter, rect, palette(), highlighted);
    if (index < 0 || index >= count())
        return;
    const TFontFamilyInfo info = ItemInfo(index);
    const QImage* glyph = nullptr;
    if (info.typeBits & kTrueTypeFontType)
        glyph = &trueTypeGlyph_;
    else if (info.typeBits & kDeviceFontType)
        glyph = &deviceGlyph_;
    int textLeft = rect.left() + kNoGlyphTextLeft;
    if (glyph) {
        const int y = rect.top() + (rect.height() - glyph->height()) / 2;
        painter.drawImage(rect.left() + kGlyphLeft, y, *glyph);
        textLeft = rect.left() + kGlyphLeft + glyph->width() + kTextGap;
    }
    QFont face = font();
    if (useFonts_ && !info.symbol)
        face.setFamilies({ info.name });
    painter.setFont(face);
    painter.setPen(TextColor(palette(), highlighted));
    const QRect textRect(QPoint(textLeft, rect.top()), rect.bottomRight());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, info.name);
}

} // namespace quillet
