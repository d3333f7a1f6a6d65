#include "platform/pdf/PdfDocument.h"

#include <algorithm>
#include <cmath>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

#include "platform/pdf/Deflate.h"
#include "platform/pdf/FaceLibrary.h"
#include "platform/pdf/FontFace.h"
#include "platform/pdf/FontPrograms.h"
#include "platform/pdf/PdfCanvas.h"
#include "platform/pdf/TrueTypeSubset.h"

namespace quillet::pdf {

// A CID is the face's own glyph number, so that pages drawn apart agree.
struct PdfDocument::FontUse {
    FontFace* face = nullptr;
    int object = 0; // the Type0 font
    std::map<std::uint32_t, char32_t> glyphs; // each glyph used, with the character it showed first
};

namespace {

void AppendInt(std::string& s, long long v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

void AppendReal(std::string& s, double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
    s.append(buf, r.ptr);
}

// A page's resource sub-dictionary (fonts or pictures), the objects named by
// the prefix and their place on the page from 1; nothing when the page uses none.
void AppendResources(
    std::string& s, std::string_view open, std::string_view prefix, const std::vector<int>& objects)
{
    if (objects.empty())
        return;
    s += open;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        s += prefix;
        AppendInt(s, static_cast<long long>(i + 1));
        s += ' ';
        AppendInt(s, objects[i]);
        s += " 0 R";
    }
    s += " >>";
}

void AppendHex4(std::string& s, unsigned v)
{
    static const char kHex[] = "0123456789ABCDEF";
    s += kHex[(v >> 12) & 0xF];
    s += kHex[(v >> 8) & 0xF];
    s += kHex[(v >> 4) & 0xF];
    s += kHex[v & 0xF];
}

// A text string of the document information: UTF-16BE with its byte order mark.
std::string TextString(const std::string& utf8)
{
    std::string s = "<FEFF";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        n = std::min(n, utf8.size() - i);
        for (std::size_t k = 1; k < n; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n;
        if (c >= 0x10000 && c <= 0x10FFFF) {
            AppendHex4(s, 0xD800 + ((c - 0x10000) >> 10));
            AppendHex4(s, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendHex4(s, c <= 0xFFFF ? static_cast<unsigned>(c) : 0xFFFDu);
        }
    }
    return s + ">";
}

std::string ToUnicodeMap(const std::map<std::uint32_t, char32_t>& characters)
{
    std::string s = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<std::uint32_t, char32_t>> mapped;
    for (const auto& [cid, c] : characters) {
        if (c != 0)
            mapped.emplace_back(cid, c);
    }
    for (std::size_t at = 0; at < mapped.size(); at += 100) {
        const std::size_t n = std::min<std::size_t>(100, mapped.size() - at);
        AppendInt(s, static_cast<long long>(n));
        s += " beginbfchar\n";
        for (std::size_t i = at; i < at + n; ++i) {
            const char32_t c = mapped[i].second;
            s += '<';
            AppendHex4(s, mapped[i].first);
            s += "> <";
            if (c >= 0x10000) {
                const char32_t v = c - 0x10000;
                AppendHex4(s, 0xD800 + (v >> 10));
                AppendHex4(s, 0xDC00 + (v & 0x3FF));
            } else {
                AppendHex4(s, c);
            }
            s += ">\n";
        }
        s += "endbfchar\n";
    }
    s += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return s;
}

} // namespace

PdfDocument::PdfDocument(int compression, FaceLibrary* faces)
    : compression_(std::clamp(compression, 0, 9))
    , faces_(faces ? faces : &FaceLibrary::Shared())
{
    out_ = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    offsets_.push_back(0); // object 0 is never used
    NewObject(); // 1: the catalog
    pagesObject_ = NewObject();
}

PdfDocument::~PdfDocument()
{
    Discard();
}

int PdfDocument::NewObject()
{
    offsets_.push_back(0);
    return static_cast<int>(offsets_.size() - 1);
}

void PdfDocument::BeginObject(int number)
{
    offsets_[static_cast<std::size_t>(number)] = Offset();
    AppendInt(out_, number);
    out_ += " 0 obj\n";
}

void PdfDocument::WriteStream(int number, std::string_view dict, std::string_view data, bool compress)
{
    std::string packed;
    if (compress && compression_ > 0)
        packed = Deflate(data, compression_);
    const bool deflated = !packed.empty();
    WritePacked(number, dict, deflated ? std::string_view(packed) : data, deflated);
}

void PdfDocument::WritePacked(int number, std::string_view dict, std::string_view data, bool deflated)
{
    BeginObject(number);
    out_ += "<< ";
    out_ += dict;
    out_ += " /Length ";
    AppendInt(out_, static_cast<long long>(data.size()));
    if (deflated)
        out_ += " /Filter /FlateDecode";
    out_ += " >>\nstream\n";
    out_ += data;
    out_ += "\nendstream\nendobj\n";
}

PdfCanvas& PdfDocument::BeginPage(const PageSetup& setup)
{
    EndPage();
    canvas_ = std::make_unique<PdfCanvas>(*this, setup);
    pageOpen_ = true;
    return *canvas_;
}

void PdfDocument::EndPage()
{
    if (!pageOpen_ || !canvas_)
        return;
    pageOpen_ = false;
    PageRecord page = canvas_->TakePage();
    page.content += "Q\n";
    // Compressed here, in the thread that drew the page.
    if (compression_ > 0) {
        std::string packed = Deflate(page.content, compression_);
        if (!packed.empty()) {
            page.content = std::move(packed);
            page.deflated = true;
        }
    }
    if (sink_)
        sink_(std::move(page));
    else
        AddPage(std::move(page));
}

void PdfDocument::AddPage(PageRecord&& page)
{
    std::vector<int> fonts;
    std::vector<FontUse*> uses;
    for (FontFace* face : page.fonts) {
        FontFace* own = faces_->Open(face->Path(), face->Index());
        FontUse& use = Use(own ? *own : *face);
        fonts.push_back(use.object);
        uses.push_back(&use);
    }
    for (const PageRecord::GlyphUse& g : page.glyphs) {
        if (g.font >= 0 && static_cast<std::size_t>(g.font) < uses.size())
            uses[static_cast<std::size_t>(g.font)]->glyphs.emplace(g.glyph, g.c);
    }
    std::vector<int> images;
    for (const PageRecord::Image& image : page.images) {
        const int object = NewObject();
        std::string dict = "/Type /XObject /Subtype /Image /Width ";
        AppendInt(dict, image.width);
        dict += " /Height ";
        AppendInt(dict, image.height);
        dict += " /ColorSpace /DeviceRGB /BitsPerComponent 8";
        WritePacked(object, dict, image.data, image.deflated);
        images.push_back(object);
        Flush();
    }
    const int contents = NewObject();
    const int object = NewObject();
    WritePacked(contents, "", page.content, page.deflated);
    BeginObject(object);
    out_ += "<< /Type /Page /Parent ";
    AppendInt(out_, pagesObject_);
    out_ += " 0 R /MediaBox [0 0 ";
    AppendReal(out_, page.setup.widthPoints);
    out_ += ' ';
    AppendReal(out_, page.setup.heightPoints);
    out_ += "] /Resources << /ProcSet [/PDF /Text /ImageC]";
    AppendResources(out_, " /Font <<", " /F", fonts);
    AppendResources(out_, " /XObject <<", " /I", images);
    out_ += " >> /Contents ";
    AppendInt(out_, contents);
    out_ += " 0 R >>\nendobj\n";
    pages_.push_back({ object });
    Flush();
}

void PdfDocument::DiscardPage()
{
    pageOpen_ = false;
}

PdfDocument::FontUse& PdfDocument::Use(FontFace& face)
{
    if (auto it = fontsByFace_.find(&face); it != fontsByFace_.end())
        return *it->second;
    auto use = std::make_unique<FontUse>();
    use->face = &face;
    use->object = NewObject();
    use->glyphs.emplace(0, 0);
    FontUse& ref = *use;
    fontsByFace_.emplace(&face, use.get());
    fonts_.push_back(std::move(use));
    return ref;
}

PageRecord::Image PdfDocument::PackImage(
    int width, int height, const std::vector<std::uint32_t>& pixels) const
{
    PageRecord::Image image;
    image.width = width;
    image.height = height;
    std::string rgb;
    rgb.reserve(pixels.size() * 3);
    for (std::uint32_t p : pixels) {
        rgb += static_cast<char>((p >> 16) & 0xFF);
        rgb += static_cast<char>((p >> 8) & 0xFF);
        rgb += static_cast<char>(p & 0xFF);
    }
    if (compression_ > 0)
        image.data = Deflate(rgb, compression_);
    image.deflated = !image.data.empty();
    if (!image.deflated)
        image.data = std::move(rgb);
    return image;
}

void PdfDocument::WriteFonts()
{
    for (const auto& use : fonts_) {
        FontFace& face = *use->face;
        // The font program is the face's kept one for these glyphs; each CID
        // names its glyph there through the CIDToGIDMap.
        std::vector<std::uint32_t> used;
        used.reserve(use->glyphs.size());
        for (const auto& g : use->glyphs)
            used.push_back(g.first);
        const FontProgram& program = FontPrograms::Shared().For(face, used, compression_);
        const std::string name = program.tag + "+" + face.PostScriptName();
        const int cidFont = NewObject();
        const int descriptor = NewObject();
        const int file = NewObject();
        const int toUnicode = NewObject();
        const int cidToGid = NewObject();
        const double scale = 1000.0 / face.UnitsPerEm();

        BeginObject(use->object);
        out_ += "<< /Type /Font /Subtype /Type0 /BaseFont /" + name
            + " /Encoding /Identity-H /DescendantFonts [";
        AppendInt(out_, cidFont);
        out_ += " 0 R] /ToUnicode ";
        AppendInt(out_, toUnicode);
        out_ += " 0 R >>\nendobj\n";

        BeginObject(cidFont);
        out_ += "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
            + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
        AppendInt(out_, descriptor);
        out_ += " 0 R /CIDToGIDMap ";
        AppendInt(out_, cidToGid);
        out_ += " 0 R /DW 1000 /W [";
        // Widths in runs of consecutive CIDs; the map gives every CID up to
        // the last one used its glyph in the program (0 where none is used).
        std::string map(2 * (static_cast<std::size_t>(used.back()) + 1), '\0');
        std::uint32_t next = 0;
        std::size_t inRun = 0;
        for (std::size_t i = 0; i < used.size(); ++i) {
            const std::uint32_t cid = used[i];
            if (i == 0 || cid != next) {
                if (i > 0)
                    out_ += "]\n";
                AppendInt(out_, cid);
                out_ += " [";
                inRun = 0;
            } else if (inRun % 16 == 15) {
                out_ += '\n';
            } else {
                out_ += ' ';
            }
            ++inRun;
            next = cid + 1;
            AppendInt(out_, face.DesignWidth(cid));
            const auto at = program.index.find(cid);
            const std::uint32_t gid = at == program.index.end() ? 0 : at->second;
            map[2 * cid] = static_cast<char>(gid >> 8);
            map[2 * cid + 1] = static_cast<char>(gid & 0xFF);
        }
        out_ += "]] >>\nendobj\n";

        BeginObject(descriptor);
        out_ += "<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [";
        AppendInt(out_, std::lround(face.BoxXMin * scale));
        out_ += ' ';
        AppendInt(out_, std::lround(face.BoxYMin * scale));
        out_ += ' ';
        AppendInt(out_, std::lround(face.BoxXMax * scale));
        out_ += ' ';
        AppendInt(out_, std::lround(face.BoxYMax * scale));
        out_ += "] /ItalicAngle 0 /Ascent ";
        AppendInt(out_, std::lround(face.Ascender * scale));
        out_ += " /Descent ";
        AppendInt(out_, std::lround(face.Descender * scale));
        out_ += " /CapHeight ";
        AppendInt(out_, std::lround(face.CapHeight * scale));
        out_ += " /StemV 80 /FontFile2 ";
        AppendInt(out_, file);
        out_ += " 0 R >>\nendobj\n";

        // The program as kept, compressed once for every document that takes it.
        BeginObject(file);
        out_ += "<< /Length1 ";
        AppendInt(out_, static_cast<long long>(program.length));
        out_ += " /Length ";
        AppendInt(out_, static_cast<long long>(program.data.size()));
        if (program.compressed)
            out_ += " /Filter /FlateDecode";
        out_ += " >>\nstream\n";
        out_ += program.data;
        out_ += "\nendstream\nendobj\n";
        WriteStream(toUnicode, "", ToUnicodeMap(use->glyphs), true);
        WriteStream(cidToGid, "", map, true);
        Flush();
    }
}

std::string PdfDocument::Finish()
{
    if (finished_)
        return out_;
    EndPage();
    if (pages_.empty()) {
        BeginPage(PageSetup {});
        EndPage();
    }
    WriteFonts();
    BeginObject(1);
    out_ += "<< /Type /Catalog /Pages ";
    AppendInt(out_, pagesObject_);
    out_ += " 0 R";
    if (AsksPrintPreferences()) {
        // Also said here, for a file whose header went out before.
        out_ += " /Version /1.7";
        // What a viewer proposes in its print dialog for this file.
        out_ += "\n/ViewerPreferences << /NumCopies ";
        AppendInt(out_, std::max(1, copies_));
        out_ += duplex_ == Duplex::LongEdge ? " /Duplex /DuplexFlipLongEdge"
            : duplex_ == Duplex::ShortEdge  ? " /Duplex /DuplexFlipShortEdge"
                                            : " /Duplex /Simplex";
        out_ += " >>";
    }
    out_ += " >>\nendobj\n";
    BeginObject(pagesObject_);
    out_ += "<< /Type /Pages /Count ";
    AppendInt(out_, static_cast<long long>(pages_.size()));
    out_ += " /Kids [";
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        out_ += i % 10 == 9 ? '\n' : ' ';
        AppendInt(out_, pages_[i].object);
        out_ += " 0 R";
    }
    out_ += "] >>\nendobj\n";
    int info = 0;
    if (!title_.empty()) {
        info = NewObject();
        BeginObject(info);
        out_ += "<< /Title " + TextString(title_) + " >>\nendobj\n";
    }
    const std::size_t xref = Offset();
    out_ += "xref\n0 ";
    AppendInt(out_, static_cast<long long>(offsets_.size()));
    out_ += "\n0000000000 65535 f \n";
    for (std::size_t i = 1; i < offsets_.size(); ++i) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offsets_[i]);
        out_ += line;
    }
    out_ += "trailer\n<< /Size ";
    AppendInt(out_, static_cast<long long>(offsets_.size()));
    out_ += " /Root 1 0 R";
    if (info > 0) {
        out_ += " /Info ";
        AppendInt(out_, info);
        out_ += " 0 R";
    }
    out_ += " >>\nstartxref\n";
    AppendInt(out_, static_cast<long long>(xref));
    out_ += "\n%%EOF\n";
    finished_ = true;
    canvas_.reset();
    return out_;
}

bool PdfDocument::Failed(const std::string& path, int number, std::string* error)
{
    errorNumber_ = number;
    if (error)
        *error = path + ": " + std::strerror(number);
    return false;
}

bool PdfDocument::StreamTo(const std::string& path, std::string* error)
{
    if (stream_.IsOpen() || streamed_ || finished_)
        return false;
    streamed_ = true;
    if (!stream_.Open(path))
        return Failed(path, stream_.Error(), error);
    Flush(true);
    return true;
}

bool PdfDocument::StreamInto(const std::string& folder, std::string* error)
{
    if (stream_.IsOpen() || streamed_ || finished_)
        return false;
    streamed_ = true;
    if (!stream_.OpenInFolder(folder))
        return Failed(folder, stream_.Error(), error);
    Flush(true);
    return true;
}

void PdfDocument::Flush(bool all)
{
    // Writes of about this size keep the calls few and the memory small.
    constexpr std::size_t kChunk = 256 * 1024;
    if (!stream_.IsOpen() || (!all && out_.size() < kChunk))
        return;
    // After a failure the rest is not kept either: saving reports it.
    stream_.Write(out_.data(), out_.size());
    written_ += out_.size();
    out_.clear();
}

void PdfDocument::Discard()
{
    streamed_ = true; // nothing is saved after this
    if (!stream_.IsOpen())
        return;
    stream_.Discard();
    finished_ = true;
}

bool PdfDocument::EndStream()
{
    Finish();
    Flush(true);
    return stream_.Error() == 0;
}

bool PdfDocument::Save(const std::string& path, std::string* error)
{
    if (streamed_ && !stream_.IsOpen())
        return Failed(path, ECANCELED, error); // discarded, or saved already
    if (!stream_.IsOpen()) {
        const std::string bytes = Finish();
        if (!stream_.Open(path) || !stream_.Write(bytes.data(), bytes.size()) || !stream_.Commit())
            return Failed(path, stream_.Error(), error);
        return true;
    }
    EndStream();
    if (!stream_.Commit())
        return Failed(path, stream_.Error(), error);
    return true;
}

bool PdfDocument::SaveNew(const std::function<std::string(int)>& nameFor, int tries, std::string& chosen)
{
    if (!stream_.IsOpen())
        return Failed(std::string(), ECANCELED, nullptr);
    EndStream();
    if (!stream_.CommitNew(nameFor, tries, chosen))
        return Failed(std::string(), stream_.Error(), nullptr);
    return true;
}

} // namespace quillet::pdf
