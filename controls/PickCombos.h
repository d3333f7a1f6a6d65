#pragma once
// Owner-drawn drop-down lists of the dialogs: a colour list with a swatch
// beside each name, and a font list that shows each face's kind and can show
// each name in its own face.
#include <QComboBox>
#include <QImage>
#include <QStringList>
#include <functional>

#include "platform/Types.h"

namespace quillet {

// A drop-down list (no typing) whose items all have one height, drawn by the
// box itself, so the closed box and the open list draw an item alike.
class TOwnerDrawComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TOwnerDrawComboBox(QWidget* parent = nullptr);

    // The font's text height + 1, at least 9 pixels.
    virtual int ItemHeight() const;

    // Draws item `index` (-1: an empty box) into `rect`; `highlighted` is the
    // selected look.
    virtual void DrawItem(QPainter& painter, const QRect& rect, int index, bool highlighted) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The item height may have changed: lay the list out again.
    void ItemHeightChanged();
};

// Colour values that are no colour: the "None" and "Default" entries.
constexpr Color kColorNone = 0x1FFFFFFF;
constexpr Color kColorDefault = 0x20000000;

class TColorComboBox : public TOwnerDrawComboBox {
    Q_OBJECT
public:
    // Options: entries without a real colour, appended after the 16 colours.
    enum Option { kIncludeDefault = 1, kIncludeNone = 2 };

    explicit TColorComboBox(QWidget* parent = nullptr);

    // The current colour, kept even when no entry carries it.
    Color ColorValue() const { return colorValue_; }
    void SetColorValue(Color color);
    bool DisplayNames() const { return displayNames_; }
    void SetDisplayNames(bool on);
    // Names replacing the built-in name of the entry at the same position.
    QStringList ColorNames() const { return colorNames_; }
    void SetColorNames(const QStringList& names);
    int Options() const { return options_; }
    void SetOptions(int options);

    // The colour an entry carries.
    Color ItemColor(int index) const;

    void DrawItem(QPainter& painter, const QRect& rect, int index, bool highlighted) const override;

    // The 16 standard colours in list order, and their built-in names.
    static const Color kStandardColors[16];
    static const char* const kStandardNames[16];

signals:
    // The colour changed: set, or picked by the user.
    void Change();

private:
    void Fill();
    void SelectValue();
    void IndexChanged(int index);

    Color colorValue_ = 0; // black
    bool displayNames_ = true;
    QStringList colorNames_;
    int options_ = 0;
    bool filling_ = false;
};

enum class TFontDevice { Screen, Printer, Both };

// The kind bits a face carries, as the system reports them.
enum TFontTypeBits { kRasterFontType = 1, kDeviceFontType = 2, kTrueTypeFontType = 4 };

// One listed face.
struct TFontFamilyInfo {
    QString name;
    int typeBits = 0;
    bool symbol = false;
    bool fixedPitch = false;
    bool operator==(const TFontFamilyInfo&) const = default;
};

class TFontComboBox : public TOwnerDrawComboBox {
    Q_OBJECT
public:
    // Options: filters on the listed faces.
    enum Option {
        kTrueTypeOnly = 1,
        kFixedPitchOnly = 2,
        kScalableOnly = 4,
        kNoSymbolFonts = 8,
    };

    // Throws TResourceError when a glyph picture is missing.
    explicit TFontComboBox(QWidget* parent = nullptr);

    // The selected face ("" when none is selected).
    QString FontName() const;
    // Selects the face of this name in any letter case; none if not listed.
    void SetFontName(const QString& name);
    TFontDevice Device() const { return device_; }
    void SetDevice(TFontDevice device);
    int Options() const { return options_; }
    void SetOptions(int options);
    bool UseFonts() const { return useFonts_; }
    void SetUseFonts(bool on);

    // The listed face of an entry.
    TFontFamilyInfo ItemInfo(int index) const;

    // Where the faces come from (the font database by default); replacing it
    // refills the list. Tests list faces of their own.
    using TFamilySource = std::function<QList<TFontFamilyInfo>(TFontDevice)>;
    void SetFamilySource(TFamilySource source);
    static QList<TFontFamilyInfo> SystemFamilies(TFontDevice device);

    // Lists the faces again, keeping the selected face by name.
    void Refill();

    int ItemHeight() const override;
    void DrawItem(QPainter& painter, const QRect& rect, int index, bool highlighted) const override;

    static constexpr int kGlyphLeft = 2;
    static constexpr int kTextGap = 6;
    static constexpr int kNoGlyphTextLeft = 20;

signals:
    // The selected face changed.
    void Change();

private:
    void IndexChanged(int index);

    QImage trueTypeGlyph_;
    QImage deviceGlyph_;
    TFontDevice device_ = TFontDevice::Screen;
    int options_ = 0;
    bool useFonts_ = false;
    bool filling_ = false;
    QString lastName_;
    TFamilySource source_;
};

} // namespace quillet
