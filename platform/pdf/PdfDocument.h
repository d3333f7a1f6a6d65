#pragma once
// One PDF file being written: pages are drawn one after the other through a
// PdfCanvas and kept compressed, in memory or, once StreamTo names the file,
// written out as they end; the fonts, subset to the glyphs the pages used,
// are written when the document is finished.
//
// A page's content names its fonts and pictures by the page's own numbers
// and its text by the faces' glyph numbers, so a page's bytes do not depend
// on the pages before it: pages can be drawn apart (PageRecord, in other
// threads, each with its own documents and faces) and added in order, and
// the file is the same as when they are drawn here one after the other.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/OutputFile.h"
#include "platform/Types.h"

namespace quillet::pdf {

class FaceLibrary;
class FontFace;
class PdfCanvas;

// Where a page's device pixels lie on the sheet.
struct PageSetup {
    double widthPoints = 595.276; // A4
    double heightPoints = 841.89;
    // Top-left corner of the drawable area, in points from the sheet's top-left.
    double originXPoints = 0;
    double originYPoints = 0;
    int dpiX = 72;
    int dpiY = 72;
    // Size of the drawable area in device pixels (the canvas's ClipRect).
    int widthPixels = 595;
    int heightPixels = 842;
    bool operator==(const PageSetup&) const = default;
};

// One page drawn, compressed, with what it names: its fonts /F1, /F2, ...
// and pictures /I1, /I2, ... in the order the page first used them.
struct PageRecord {
    PageSetup setup;
    std::string content; // the content stream, deflated when `deflated`
    bool deflated = false;
    std::vector<FontFace*> fonts;
    struct Image {
        int width = 0;
        int height = 0;
        std::string data; // RGB bytes, deflated when `deflated`
        bool deflated = false;
    };
    std::vector<Image> images;
    // Each glyph of a font (index into fonts) the first time the page shows
    // it, with the character it shows there.
    struct GlyphUse {
        int font = 0;
        std::uint32_t glyph = 0;
        char32_t c = 0;
    };
    std::vector<GlyphUse> glyphs;
};

class PdfDocument {
public:
    // compression: zlib level 0 (none) to 9 for the page and font streams.
    // Pages drawn here take their faces from `faces`, the program's shared
    // library when none is given (a thread of its own needs its own).
    explicit PdfDocument(int compression = kDefaultCompression, FaceLibrary* faces = nullptr);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // Starts a page (ending the one before); the canvas stays valid until
    // the next BeginPage or Finish.
    PdfCanvas& BeginPage(const PageSetup& setup);
    // Ends the current page; nothing happens when none is open.
    void EndPage();
    // Drops the current page unwritten (a print job that was aborted).
    void DiscardPage();
    int PageCount() const { return static_cast<int>(pages_.size()); }

    // From now on every page that ends goes to `sink` instead of into this
    // document (a page drawn for another document).
    void SendPagesTo(std::function<void(PageRecord&&)> sink) { sink_ = std::move(sink); }
    // Adds a page drawn apart, after the pages already there; its faces may
    // come from another library (they are found again here by file).
    void AddPage(PageRecord&& page);
    FaceLibrary& Faces() const { return *faces_; }

    // The title viewers show for the file (UTF-8); none when empty.
    void SetTitle(std::string utf8Title) { title_ = std::move(utf8Title); }
    // How the file asks to be printed (its viewer preferences): copies, and
    // two-sided flipped on the long or short edge; none when 1 and one-sided.
    enum class Duplex { Simplex, LongEdge, ShortEdge };
    // A file asking for them declares PDF 1.7, where /NumCopies and /Duplex
    // came in.
    void SetPrintPreferences(int copies, Duplex duplex)
    {
        copies_ = copies;
        duplex_ = duplex;
        if (AsksPrintPreferences() && written_ == 0 && out_.compare(0, 8, "%PDF-1.4") == 0)
            out_.replace(0, 8, "%PDF-1.7");
    }

    // Ends the last page and gives the whole file (of a streamed document,
    // what was not written yet). A document without pages gets one empty
    // page, as a PDF needs at least one.
    std::string Finish();
    // Finish, written to path through a file beside it that is renamed into
    // place, so a failure never leaves part of a file under that name. False
    // with a message in *error (UTF-8) on failure, ErrorNumber() telling why.
    // The target is taken as OutputFile takes it: a refused one is an error.
    bool Save(const std::string& path, std::string* error = nullptr);

    // From now on the document goes into a file beside path as its pages
    // end, so that a long one needs little memory; Save(path) renames it into
    // place. False (with *error and ErrorNumber()) when that file cannot be
    // made. A streamed document that is not saved leaves no file.
    bool StreamTo(const std::string& path, std::string* error = nullptr);
    // The same into a file in folder whose name SaveNew chooses at the end.
    bool StreamInto(const std::string& folder, std::string* error = nullptr);
    // Finishes a document streamed with StreamInto under the first free name
    // of nameFor(1), nameFor(2), ... (never replacing a file); chosen gets it.
    bool SaveNew(const std::function<std::string(int)>& nameFor, int tries, std::string& chosen);
    // Throws away a streamed document's file; nothing more can be saved.
    void Discard();
    // errno of the failure StreamTo or Save reported (ENOSPC, EFBIG,
    // EACCES, ...), 0 when none.
    int ErrorNumber() const { return errorNumber_; }

    // Measured on the 190-page ledger: level 1 gives most of the size saving
    // of level 6 at a fraction of its time.
    static constexpr int kDefaultCompression = 1;

    // An RGB picture (0x00RRGGBB pixels, row after row) as a page keeps it,
    // compressed at the document's level.
    PageRecord::Image PackImage(int width, int height, const std::vector<std::uint32_t>& pixels) const;

private:
    int NewObject();
    std::size_t Offset() const { return written_ + out_.size(); }
    bool AsksPrintPreferences() const { return copies_ > 1 || duplex_ != Duplex::Simplex; }
    void BeginObject(int number);
    // Writes out what a streamed document holds once it is worth a write.
    void Flush(bool all = false);
    // Finishes a streamed document into its file; false after a write failed.
    bool EndStream();
    bool Failed(const std::string& path, int number, std::string* error);
    void WriteStream(int number, std::string_view dict, std::string_view data, bool compress);
    // A stream whose data is already as it goes into the file.
    void WritePacked(int number, std::string_view dict, std::string_view data, bool deflated);
    void WriteFonts();
    struct FontUse; // one face's subset in this document
    FontUse& Use(FontFace& face);

    struct Page {
        int object = 0;
    };
    int compression_;
    std::string out_; // what is not written out yet
    std::size_t written_ = 0; // bytes already in the streamed file
    OutputFile stream_; // the streamed file, not open while the document is kept in memory
    bool streamed_ = false; // StreamTo or Discard was called
    int errorNumber_ = 0;
    std::vector<std::size_t> offsets_; // by object number, 0 for unused
    std::vector<Page> pages_;
    std::vector<std::unique_ptr<FontUse>> fonts_;
    std::map<FontFace*, FontUse*> fontsByFace_;
    FaceLibrary* faces_;
    std::function<void(PageRecord&&)> sink_;
    std::unique_ptr<PdfCanvas> canvas_;
    int pagesObject_ = 0;
    std::string title_;
    int copies_ = 1;
    Duplex duplex_ = Duplex::Simplex;
    bool pageOpen_ = false;
    bool finished_ = false;
};

} // namespace quillet::pdf
