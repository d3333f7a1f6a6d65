// The colour and font pick lists: entries and values, a colour kept without
// an entry, swatch outlines, font names found in any letter case, the list
// refilled when the fonts change, and the glyph and text places of a face.
#include <QAbstractItemView>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPainter>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ControlsTestUtil.h"
#include "controls/PickCombos.h"
#include "controls/SystemColors.h"

namespace quillet {
namespace {

using namespace test;

QImage DrawItem(const TOwnerDrawComboBox& box, int index, bool highlighted, QSize size = QSize(150, 16))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    box.DrawItem(p, QRect(QPoint(0, 0), size), index, highlighted);
    return image;
}

// The 16 colours in list order with their names and stored values; "None"
// and then "Default" only with their options; ColorNames replaces names by
// position and leaves the values.
TEST(ColorComboBox, EntriesNamesAndOptions)
{
    const std::pair<const char*, Color> expected[]
        = { { "Black", 0x000000 }, { "Maroon", 0x000080 }, { "Green", 0x008000 }, { "Olive", 0x008080 },
              { "Navy", 0x800000 }, { "Purple", 0x800080 }, { "Teal", 0x808000 }, { "Gray", 0x808080 },
              { "Silver", 0xC0C0C0 }, { "Red", 0x0000FF }, { "Lime", 0x00FF00 }, { "Yellow", 0x00FFFF },
              { "Blue", 0xFF0000 }, { "Fuchsia", 0xFF00FF }, { "Aqua", 0xFFFF00 }, { "White", 0xFFFFFF } };
    TColorComboBox box;
    ASSERT_EQ(box.count(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(box.itemText(i), QString::fromLatin1(expected[i].first)) << i;
        EXPECT_EQ(box.ItemColor(i), expected[i].second) << i;
    }
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0)); // red is the low byte
    EXPECT_EQ(box.ColorValue(), kBlack);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_FALSE(box.isEditable());

    box.SetOptions(TColorComboBox::kIncludeNone);
    ASSERT_EQ(box.count(), 17);
    EXPECT_EQ(box.itemText(16), QStringLiteral("None"));
    EXPECT_EQ(box.ItemColor(16), kColorNone);
    box.SetOptions(TColorComboBox::kIncludeDefault);
    ASSERT_EQ(box.count(), 17);
    EXPECT_EQ(box.itemText(16), QStringLiteral("Default"));
    box.SetOptions(TColorComboBox::kIncludeNone | TColorComboBox::kIncludeDefault);
    ASSERT_EQ(box.count(), 18);
    EXPECT_EQ(box.itemText(16), QStringLiteral("None"));
    EXPECT_EQ(box.itemText(17), QStringLiteral("Default"));

    box.SetColorValue(0x008000);
    box.SetColorNames({ QStringLiteral("黑色"), QString(), QStringLiteral("绿色") });
    EXPECT_EQ(box.itemText(0), QStringLiteral("黑色"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("Maroon"));
    EXPECT_EQ(box.itemText(2), QStringLiteral("绿色"));
    EXPECT_EQ(box.ItemColor(2), Color(0x008000));
    EXPECT_EQ(box.currentIndex(), 2);
    EXPECT_EQ(box.count(), 18);
}

// RGB(1,2,3) is carried by no entry: no selection, yet it reads back, and it
// survives a rebuild of the list. Picking an entry sets its value; each
// change is reported.
TEST(ColorComboBox, ValueKeptWithoutEntryAndPicking)
{
    TColorComboBox box;
    QSignalSpy change(&box, &TColorComboBox::Change);
    box.SetColorValue(RgbColor(1, 2, 3));
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.ColorValue(), RgbColor(1, 2, 3));
    EXPECT_EQ(change.count(), 1);
    box.SetColorNames({ QStringLiteral("x") });
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.ColorValue(), RgbColor(1, 2, 3));

    box.SetColorValue(0x800000);
    EXPECT_EQ(box.currentIndex(), 4);
    EXPECT_EQ(change.count(), 2);

    // The keyboard on the closed list, and the list's own selection.
    box.show();
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.currentIndex(), 5);
    EXPECT_EQ(box.ColorValue(), Color(0x800080));
    EXPECT_EQ(change.count(), 3);
    box.setCurrentIndex(15);
    EXPECT_EQ(box.ColorValue(), kWhite);
    EXPECT_EQ(change.count(), 4);
}

// Swatch from 2 pixels inside the item to 24 from its left: bright colours
// (White, Yellow, Red) outlined in black, Navy in navy or in white while
// highlighted, Silver (no part above 192) likewise; name from 28 pixels.
TEST(ColorComboBox, SwatchOutlines)
{
    TColorComboBox box;
    box.setPalette(TestPalette());
    box.setFont(CrispFont());
    const QColor navy(0, 0, 128);
    for (int index : { 15, 11, 9 }) {
        const QImage img = DrawItem(box, index, false);
        for (QPoint p : { QPoint(2, 2), QPoint(23, 2), QPoint(2, 13), QPoint(23, 13), QPoint(12, 13) })
            EXPECT_EQ(At(img, p.x(), p.y()), "#000000") << index << " " << p.x() << "," << p.y();
        EXPECT_EQ(At(img, 3, 3), Hex(ToQColor(box.ItemColor(index))));
        EXPECT_EQ(At(img, 22, 12), Hex(ToQColor(box.ItemColor(index))));
        EXPECT_EQ(At(img, 1, 1), Hex(kBase));
        EXPECT_EQ(At(img, 24, 5), Hex(kBase));
        EXPECT_EQ(At(img, 2, 14), Hex(kBase));
    }
    QImage img = DrawItem(box, 4, false);
    EXPECT_EQ(At(img, 2, 2), Hex(navy));
    EXPECT_EQ(At(img, 23, 13), Hex(navy));
    EXPECT_EQ(At(img, 10, 8), Hex(navy));
    const QRect text = BoxOf(img, kText);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 28);
    EXPECT_LE(text.left(), 30);
    EXPECT_LE(std::abs(text.top() - (15 - text.bottom())), 3);

    img = DrawItem(box, 4, true);
    EXPECT_EQ(At(img, 2, 2), "#ffffff");
    EXPECT_EQ(At(img, 23, 13), "#ffffff");
    EXPECT_EQ(At(img, 10, 8), Hex(navy));
    EXPECT_EQ(At(img, 0, 0), Hex(kHighlight));
    EXPECT_EQ(At(img, 25, 8), Hex(kHighlight));
    EXPECT_FALSE(BoxOf(img, kHighlightText).isEmpty());
    EXPECT_TRUE(BoxOf(img, kText).isEmpty());

    img = DrawItem(box, 8, false); // Silver
    EXPECT_EQ(At(img, 2, 2), "#c0c0c0");
    img = DrawItem(box, 8, true);
    EXPECT_EQ(At(img, 2, 2), "#ffffff");

    // Without names the swatch runs to 3 pixels before the right edge.
    box.SetDisplayNames(false);
    img = DrawItem(box, 4, false);
    EXPECT_EQ(At(img, 146, 2), Hex(navy));
    EXPECT_EQ(At(img, 100, 8), Hex(navy));
    EXPECT_EQ(At(img, 147, 8), Hex(kBase));
    EXPECT_TRUE(BoxOf(img, kText).isEmpty());
}

// The closed box draws its selected entry like the list does, highlighted
// while it has the focus; the open list's rows are the item height.
TEST(ColorComboBox, ClosedBoxAndOpenList)
{
    QWidget window;
    window.setPalette(TestPalette());
    auto* box = new TColorComboBox(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    box->resize(140, box->sizeHint().height());
    box->SetColorValue(0x800000);
    ShowActive(window);
    other->setFocus();
    QImage img = Render(*box);
    EXPECT_FALSE(BoxOf(img, QColor(0, 0, 128)).isEmpty());
    EXPECT_TRUE(BoxOf(img, kHighlight).isEmpty());
    box->setFocus();
    img = Render(*box);
    EXPECT_FALSE(BoxOf(img, kHighlight).isEmpty());

    box->showPopup();
    const QRect row = box->view()->visualRect(box->model()->index(3, 0));
    EXPECT_EQ(row.height(), box->ItemHeight());
    box->hidePopup();
}

// Item height: the font's text height + 1, never below 9; a font change
// recomputes it. The font list's rows are never lower than its glyph - 1.
TEST(OwnerDrawComboBox, ItemHeightRules)
{
    TColorComboBox colors;
    colors.setFont(CrispFont(4));
    EXPECT_EQ(colors.ItemHeight(), std::max(9, QFontMetrics(CrispFont(4)).height() + 1));
    colors.setFont(CrispFont(20));
    EXPECT_EQ(colors.ItemHeight(), QFontMetrics(CrispFont(20)).height() + 1);
    EXPECT_GE(colors.sizeHint().height(), colors.ItemHeight());

    TFontComboBox fonts;
    fonts.setFont(CrispFont(5));
    EXPECT_EQ(fonts.ItemHeight(), 11);
    fonts.setFont(CrispFont(20));
    EXPECT_EQ(fonts.ItemHeight(), QFontMetrics(CrispFont(20)).height() + 1);
}

QList<TFontFamilyInfo> SomeFaces()
{
    return {
        { QStringLiteral("Zeta Sans"), kTrueTypeFontType, false, false },
        { QStringLiteral("alpha serif"), kTrueTypeFontType, false, false },
        { QStringLiteral("Beta Mono"), kRasterFontType, false, true },
        { QStringLiteral("Symbolic"), kTrueTypeFontType, true, false },
        { QStringLiteral("Printer Gothic"), kDeviceFontType, false, false },
        { QStringLiteral("Zeta Sans"), kTrueTypeFontType, false, false },
    };
}

QStringList Names(const QComboBox& box)
{
    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names.append(box.itemText(i));
    return names;
}

// The faces are listed once each, sorted by name regardless of case, and
// filtered by the options; a name in other letter case selects its face, a
// face not installed selects nothing and reads as an empty name.
TEST(FontComboBox, SortedFilteredAndFoundInAnyCase)
{
    TFontComboBox box;
    box.SetFamilySource([](TFontDevice) { return SomeFaces(); });
    EXPECT_EQ(Names(box),
        QStringList({ QStringLiteral("alpha serif"), QStringLiteral("Beta Mono"),
            QStringLiteral("Printer Gothic"), QStringLiteral("Symbolic"), QStringLiteral("Zeta Sans") }));
    EXPECT_EQ(box.ItemInfo(1).typeBits, kRasterFontType);
    EXPECT_TRUE(box.ItemInfo(3).symbol);

    QSignalSpy change(&box, &TFontComboBox::Change);
    box.SetFontName(QStringLiteral("BETA MONO"));
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(box.FontName(), QStringLiteral("Beta Mono"));
    EXPECT_EQ(change.count(), 1);
    box.SetFontName(QStringLiteral("Not Installed"));
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.FontName(), QString());
    EXPECT_EQ(change.count(), 2);

    box.SetFontName(QStringLiteral("zeta sans"));
    box.SetOptions(TFontComboBox::kTrueTypeOnly);
    EXPECT_EQ(Names(box),
        QStringList(
            { QStringLiteral("alpha serif"), QStringLiteral("Symbolic"), QStringLiteral("Zeta Sans") }));
    EXPECT_EQ(box.FontName(), QStringLiteral("Zeta Sans"));
    box.SetOptions(TFontComboBox::kFixedPitchOnly);
    EXPECT_EQ(Names(box), QStringList({ QStringLiteral("Beta Mono") }));
    EXPECT_EQ(box.FontName(), QString());
    box.SetOptions(TFontComboBox::kNoSymbolFonts | TFontComboBox::kScalableOnly);
    EXPECT_EQ(Names(box),
        QStringList({ QStringLiteral("alpha serif"), QStringLiteral("Printer Gothic"),
            QStringLiteral("Zeta Sans") }));

    // The device picks the source's list.
    TFontDevice asked = TFontDevice::Screen;
    box.SetFamilySource([&asked](TFontDevice device) {
        asked = device;
        return SomeFaces();
    });
    box.SetDevice(TFontDevice::Printer);
    EXPECT_EQ(asked, TFontDevice::Printer);
}

// A face installed while the list is open appears when the system announces
// the change, and the selected face stays selected; a removed selected face
// leaves no selection and reports the change.
TEST(FontComboBox, FontChangeRefillsAndKeepsSelection)
{
    QList<TFontFamilyInfo> faces = SomeFaces();
    TFontComboBox box;
    box.SetFamilySource([&faces](TFontDevice) { return faces; });
    box.SetFontName(QStringLiteral("Printer Gothic"));
    ASSERT_EQ(box.currentIndex(), 2);
    QSignalSpy change(&box, &TFontComboBox::Change);

    faces.append({ QStringLiteral("Aardvark"), kTrueTypeFontType, false, false });
    QMetaObject::invokeMethod(qGuiApp, "fontDatabaseChanged");
    EXPECT_EQ(box.count(), 6);
    EXPECT_EQ(box.itemText(0), QStringLiteral("Aardvark"));
    EXPECT_EQ(box.FontName(), QStringLiteral("Printer Gothic"));
    EXPECT_EQ(box.currentIndex(), 3);
    EXPECT_EQ(change.count(), 0);

    faces.removeIf([](const TFontFamilyInfo& f) { return f.name == QStringLiteral("Printer Gothic"); });
    QMetaObject::invokeMethod(qGuiApp, "fontDatabaseChanged");
    EXPECT_EQ(box.FontName(), QString());
    EXPECT_EQ(change.count(), 1);
}

// The installed families are listed, and one named in capitals is found.
TEST(FontComboBox, InstalledFamilies)
{
    TFontComboBox box;
    const QStringList families = QFontDatabase::families();
    if (families.isEmpty())
        GTEST_SKIP() << "no fonts installed";
    EXPECT_GT(box.count(), 0);
    const QString some = box.itemText(box.count() / 2);
    box.SetFontName(some.toUpper());
    EXPECT_EQ(box.FontName(), some);
    for (const TFontFamilyInfo& info : TFontComboBox::SystemFamilies(TFontDevice::Printer))
        EXPECT_TRUE(info.typeBits & kTrueTypeFontType) << info.name.toStdString();
    // Families from several foundries are listed once, without the foundry.
    QSet<QString> names;
    for (const TFontFamilyInfo& info : TFontComboBox::SystemFamilies(TFontDevice::Screen)) {
        EXPECT_FALSE(info.name.endsWith(QLatin1Char(']'))) << info.name.toStdString();
        EXPECT_FALSE(names.contains(info.name)) << info.name.toStdString();
        names.insert(info.name);
    }
}

// The TrueType and printer glyphs sit 2 pixels from the left, centred, with
// their transparent parts showing the item; the name starts 6 pixels after
// the glyph, or 20 pixels in without one.
TEST(FontComboBox, ItemGlyphAndTextPlaces)
{
    TFontComboBox box;
    box.setPalette(TestPalette());
    box.setFont(CrispFont());
    box.SetFamilySource([](TFontDevice) { return SomeFaces(); });
    const int trueType = box.findText(QStringLiteral("Zeta Sans"));
    const int device = box.findText(QStringLiteral("Printer Gothic"));
    const int raster = box.findText(QStringLiteral("Beta Mono"));

    QImage img = DrawItem(box, trueType, false, QSize(200, 16));
    EXPECT_EQ(At(img, 2, 2), "#808080");
    EXPECT_EQ(At(img, 8, 6), "#000000");
    EXPECT_EQ(At(img, 13, 2), Hex(kBase));
    QRect text = BoxOf(img, kText);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 20);
    EXPECT_LE(text.left(), 22);

    img = DrawItem(box, trueType, true, QSize(200, 16));
    EXPECT_EQ(At(img, 2, 2), "#808080");
    EXPECT_EQ(At(img, 13, 2), Hex(kHighlight));
    EXPECT_FALSE(BoxOf(img, kHighlightText).isEmpty());

    img = DrawItem(box, device, false, QSize(200, 20));
    EXPECT_EQ(At(img, 5, 4), "#000000"); // glyph top at (20 - 12) / 2
    EXPECT_EQ(At(img, 2, 4), Hex(kBase));
    EXPECT_EQ(At(img, 6, 5), "#ffffff");

    img = DrawItem(box, raster, false, QSize(200, 16));
    EXPECT_TRUE(BoxOf(img, QColor(0, 0, 0), QRect(0, 0, 20, 16)).isEmpty());
    EXPECT_TRUE(BoxOf(img, QColor(128, 128, 128), QRect(0, 0, 20, 16)).isEmpty());
    text = BoxOf(img, kText);
    EXPECT_GE(text.left(), 20);
    EXPECT_LE(text.left(), 22);
}

// UseFonts draws each name in its own face, except the names of symbol faces.
TEST(FontComboBox, UseFontsExceptSymbolFaces)
{
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("DejaVu Serif"))
        || !families.contains(QStringLiteral("DejaVu Sans")))
        GTEST_SKIP() << "needs the DejaVu faces";
    TFontComboBox box;
    box.setFont(CrispFont());
    box.SetFamilySource([](TFontDevice) {
        return QList<TFontFamilyInfo> { { QStringLiteral("DejaVu Serif"), kTrueTypeFontType, false, false },
            { QStringLiteral("DejaVu Serif"), kTrueTypeFontType, true, false } };
    });
    const QImage plain = DrawItem(box, 0, false, QSize(200, 16));
    box.SetUseFonts(true);
    EXPECT_NE(DrawItem(box, 0, false, QSize(200, 16)), plain);

    box.SetFamilySource([](TFontDevice) {
        return QList<TFontFamilyInfo> { { QStringLiteral("DejaVu Serif"), kTrueTypeFontType, true, false } };
    });
    box.SetUseFonts(false);
    const QImage symbolPlain = DrawItem(box, 0, false, QSize(200, 16));
    box.SetUseFonts(true);
    EXPECT_EQ(DrawItem(box, 0, false, QSize(200, 16)), symbolPlain);
}

} // namespace
} // namespace quillet
