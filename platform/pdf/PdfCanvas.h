#pragma once
// A Canvas that draws one page of a PdfDocument in the GDI manner of the
// screen's canvas: rules and fills become rectangles on whole device pixels,
// text is set in subset TrueType faces at the positions the screen gives each
// glyph, so the page prints as it is previewed and its text extracts exactly.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/Canvas.h"
#include "platform/pdf/PdfDocument.h"

namespace quillet::pdf {

class FontFace;

class PdfCanvas : public Canvas {
public:
    PdfCanvas(PdfDocument& document, const PageSetup& setup);

    int DpiX() const override { return setup_.dpiX; }
    int DpiY() const override { return setup_.dpiY; }
    Rect ClipRect() const override { return { 0, 0, setup_.widthPixels, setup_.heightPixels }; }
    // The whole sheet: the page shows what lies on its margins too.
    Rect VisibleRect() const override { return sheet_; }

    void SetFont(std::string_view gbkName, int points, Color color) override;
    void SetFontSize(int points) override;
    void SetFontColor(Color color) override;
    Size TextExtent(std::string_view gbkText) override;
    void TextOut(int x, int y, std::string_view gbkText) override;
    void TextRect(const Rect& clip, int x, int y, std::string_view gbkText) override;

    void SetPen(PenStyle style, int width, Color color) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

    void SetBrushColor(Color color) override;
    void FillRect(const Rect& r) override;
    void Rectangle(const Rect& r) override;
    void StretchDraw(const Rect& dest, Bitmap& source) override;
    void ExcludeClipRect(const Rect& r) override;
    void ResetClip() override;

    // Reads a picture's pixels (0x00RRGGBB, row after row) for StretchDraw;
    // pictures belong to the window system, which sets this. Without it,
    // pictures are left out.
    using PictureReader
        = std::function<bool(Bitmap&, int& width, int& height, std::vector<std::uint32_t>& pixels)>;
    static void SetPictureReader(PictureReader reader);
    // The size in points a font of size 0 takes (the window system's default).
    static void SetDefaultFontPoints(double points);

    static constexpr int kMaxFontPixels = 4096;
    static constexpr int kMaxPenWidth = 1024;

    // What the page drew so far: the content stream.
    const std::string& Content() const { return content_; }
    const PageSetup& Setup() const { return setup_; }
    // The page as drawn, for the document; the canvas is spent.
    PageRecord TakePage();

private:
    struct Glyph {
        FontFace* face;
        std::uint32_t glyph;
        char32_t c;
        int advance64; // 64ths of a pixel
    };
    static long long Width(const std::vector<Glyph>& glyphs);
    void UpdateFont();
    const std::vector<Glyph>& Layout(std::string_view gbkText);
    void DrawGlyphs(int x, int baseline, const std::vector<Glyph>& glyphs);
    // The page's number of a face (from 1), given it at its first use.
    int PageFont(FontFace* face);
    // The parts of r outside every excluded rectangle.
    std::vector<Rect> Visible(const Rect& r) const;
    bool Excluded(const Rect& r) const;
    void FillPieces(const Rect& r, Color color);
    // The same for pieces Visible already gave.
    void FillVisible(const std::vector<Rect>& pieces, Color color);
    void ClipTo(const std::vector<Rect>& pieces);
    void SetFill(Color c);
    void SetStroke(Color c);
    void AppendRect(const Rect& r);
    // Dashes of a pen along one axis, as rectangles of pixels.
    void DashedRun(int first, int last, int across, bool horizontal, Color color);

    PdfDocument& document_;
    PageSetup setup_;
    Rect sheet_; // in device pixels, a pixel more on every side
    std::string content_;
    PageRecord page_; // fonts, pictures and glyphs the page used
    // Glyphs the page already showed, each as face number << 32 | glyph.
    std::unordered_set<std::uint64_t> shown_;
    FontFace* lastFontFace_ = nullptr; // the face PageFont gave last, and its number
    int lastFont_ = 0;

    std::string fontName_;
    std::string fontUtf8_;
    int fontPoints_ = 9;
    int pixels_ = 12;
    Color fontColor_ = kBlack;
    FontFace* face_ = nullptr;
    int ascent_ = 0;
    int height_ = 0;
    PenStyle penStyle_ = PenStyle::Solid;
    int penWidth_ = 1;
    Color penColor_ = kBlack;
    Color brushColor_ = kWhite;
    Point pen_;
    std::vector<Rect> excluded_;

    // Colours as last set in the content stream; 0xFFFFFFFF when unknown.
    Color fill_ = 0xFFFFFFFFu;
    Color stroke_ = 0xFFFFFFFFu;
    // The text laid out last: the page engine measures a text, then draws it.
    std::string lastText_;
    FontFace* lastFace_ = nullptr;
    int lastPixels_ = 0;
    std::vector<Glyph> lastGlyphs_;
};

} // namespace quillet::pdf
