// Reading and writing the format file: a fixed little-endian layout of
// 140108 bytes, moved field by field (never a memory copy of the structures,
// whose padding and byte order are the compiler's business).
#include <cassert>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

#include "model/PrnData.h"
#include "platform/OutputFile.h"

namespace quillet {
namespace {

constexpr std::size_t kSignatureSize = 22;
constexpr std::size_t kVersionsEnd = 26;
constexpr std::size_t kReservedSize = 72;

// Puts fields into a byte image of the file's size, in file order.
class ImageWriter {
public:
    explicit ImageWriter(std::vector<std::uint8_t>& out)
    {
        out.assign(kFormatFileSize, 0);
        p_ = out.data();
    }

    void U8(std::uint8_t v) { p_[pos_++] = v; }
    void U16(std::uint16_t v)
    {
        p_[pos_++] = static_cast<std::uint8_t>(v & 0xFF);
        p_[pos_++] = static_cast<std::uint8_t>(v >> 8);
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void U32(std::uint32_t v)
    {
        p_[pos_++] = static_cast<std::uint8_t>(v & 0xFF);
        p_[pos_++] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        p_[pos_++] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
        p_[pos_++] = static_cast<std::uint8_t>(v >> 24);
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    template <std::size_t N> void Str(const ShortString<N>& s)
    {
        p_[pos_++] = s.Length;
        std::memcpy(p_ + pos_, s.Bytes.data(), N);
        pos_ += N;
    }
    template <std::size_t N> void Pad(const std::array<std::uint8_t, N>& pad)
    {
        std::memcpy(p_ + pos_, pad.data(), N);
        pos_ += N;
    }
    // The reserved block is always written as zeros (the image starts zeroed).
    void Reserved() { pos_ += kReservedSize; }
    std::size_t Position() const { return pos_; }

private:
    std::uint8_t* p_ = nullptr;
    std::size_t pos_ = 0;
};

// Takes fields from the first `size` bytes of a format file in file order.
// Where the file has ended, a field keeps its bytes: the file lies over the
// record as it was, down to the bytes of a field the file ends inside of.
// A reader of a whole file (`Whole`) needs no test of where the file ends.
template <bool Whole> class ImageReader {
public:
    ImageReader(const std::uint8_t* in, std::size_t size)
        : in_(in)
        , size_(size)
    {
        assert(!Whole || size == kFormatFileSize);
    }

    void U8(std::uint8_t& v) { Int(v); }
    void U16(std::uint16_t& v) { Int(v); }
    void I16(std::int16_t& v) { Int(v); }
    void U32(std::uint32_t& v) { Int(v); }
    void I32(std::int32_t& v) { Int(v); }
    // A length byte past the capacity would read beyond the text; it reads as
    // the capacity instead.
    template <std::size_t N> void Str(ShortString<N>& s)
    {
        std::uint8_t length = s.Length;
        Int(length);
        s.Length = static_cast<std::uint8_t>(std::min<std::size_t>(length, N));
        Bytes(s.Bytes.data(), N);
    }
    template <std::size_t N> void Pad(std::array<std::uint8_t, N>& pad) { Bytes(pad.data(), N); }
    void Reserved() { pos_ += kReservedSize; }

private:
    // Little-endian, byte by byte, each byte from the file while it lasts.
    template <class T> void Int(T& v)
    {
        static_assert(sizeof(T) <= 4);
        using U = std::make_unsigned_t<T>;
        std::uint32_t word = static_cast<U>(v);
        for (std::size_t i = 0; i < sizeof(T) && (Whole || pos_ + i < size_); ++i) {
            const unsigned shift = static_cast<unsigned>(8 * i);
            word = (word & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(in_[pos_ + i]) << shift);
        }
        v = static_cast<T>(static_cast<U>(word));
        pos_ += sizeof(T);
    }
    template <class Byte> void Bytes(Byte* out, std::size_t n)
    {
        if (Whole)
            std::memcpy(out, in_ + pos_, n);
        else if (pos_ < size_)
            std::memcpy(out, in_ + pos_, std::min(n, size_ - pos_));
        pos_ += n;
    }

    const std::uint8_t* in_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

template <class V, class Item> void VisitTextItem(V& v, Item& item)
{
    v.Str(item.FontName);
    v.U8(item.Pad1);
    v.U16(item.FontSize);
    v.U32(item.FontColor);
    v.U8(item.Align);
    v.U8(item.Wrap);
    v.Str(item.Text);
    v.U8(item.Pad2);
}

template <class V, class Line> void VisitLine(V& v, Line& line)
{
    v.U8(line.Style);
    v.Pad(line.Pad);
    v.U32(line.Color);
}

template <class V, class Cell> void VisitMergedCell(V& v, Cell& cell)
{
    v.I32(cell.Left);
    v.I32(cell.Top);
    v.I32(cell.Right);
    v.I32(cell.Bottom);
    VisitTextItem(v, cell.Item);
    v.U8(cell.Kind);
    v.Pad(cell.Pad);
}

// Every field of the file in file order; the in-memory-only pads are skipped.
template <class V, class Record> void VisitRecord(V& v, Record& r)
{
    v.Str(r.Signature);
    v.U16(r.VersionMajor);
    v.U16(r.VersionMinor);
    v.Reserved();
    v.U8(r.InterfaceStyle);
    v.U8(r.PrintCompany);
    v.U8(r.PrintTitle);
    v.U8(r.PrintPageHead);
    v.U8(r.PrintPageFoot);
    v.U8(r.PrintPageNumber);
    v.U8(r.MultiTables);
    v.U16(r.TableGap);
    v.U8(r.TableGapLine);
    v.U8(r.NegativeRed);
    v.U8(r.KeepEmptyGrid);
    v.U16(r.HeadRowCount);
    v.I16(r.PaperSize);
    v.U16(r.PaperLength);
    v.U16(r.PaperWidth);
    v.U8(r.Orientation);
    v.U8(r.HorPlace);
    v.U8(r.VerPlace);
    v.U8(r.PadPaper);
    v.U16(r.MarginTop);
    v.U16(r.MarginBottom);
    v.U16(r.MarginLeft);
    v.U16(r.MarginRight);
    VisitTextItem(v, r.Company);
    VisitLine(v, r.CompanyLine);
    VisitTextItem(v, r.Title);
    VisitLine(v, r.TitleLine);
    v.U8(r.HeadMultiLine);
    v.Pad(r.PadHead);
    for (int i = 1; i <= kHeadFootLines; ++i)
        VisitTextItem(v, r.Head[i]);
    v.U16(r.ColCount);
    v.U16(r.RowCount);
    VisitLine(v, r.FrameLine);
    for (int i = 1; i <= kMaxCols; ++i)
        v.U8(r.ColWidth[i]);
    for (int i = 1; i <= kMaxRows; ++i)
        v.U8(r.RowHeight[i]);
    for (int i = 1; i <= kMaxCols; ++i)
        v.U8(r.ColDecimals[i]);
    for (int i = 1; i <= kMaxCols; ++i)
        VisitTextItem(v, r.ColItem[i]);
    for (int i = 1; i < kMaxCols; ++i)
        VisitLine(v, r.ColLine[i]);
    for (int i = 1; i < kMaxRows; ++i)
        VisitLine(v, r.RowLine[i]);
    v.U16(r.FootRowCount);
    v.U8(r.FootMultiLine);
    v.Pad(r.PadFoot);
    for (int i = 1; i <= kHeadFootLines; ++i)
        VisitTextItem(v, r.Foot[i]);
    for (int i = 1; i <= kMaxMergedCells; ++i)
        VisitMergedCell(v, r.MergedCells[i]);
}

// Reads up to `size` bytes from the start of the file; false on a read error.
bool ReadPrefix(int fd, std::vector<std::uint8_t>& buf, std::size_t size)
{
    buf.resize(size);
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, buf.data() + got, size - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    buf.resize(got);
    return true;
}

std::uint16_t LittleU16(const std::uint8_t* b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

} // namespace

const std::string& FormatSignatureBytes()
{
    static const std::string bytes = "\x15.Brellisk.-"
                                     "\xB4\xF2\xD3\xA1\xD3\xC3\xB8\xF1\xCA\xBD"; // 打印用格式
    return bytes;
}

int TMyPrintFormat::LoadFromFile(const std::string& path)
{
    if (!FileExists(path))
        return kFileMissing;
    // Non-blocking, so a pipe put in the file's place cannot hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return kFileIoError;
    std::vector<std::uint8_t> bytes;
    bool readOk = ReadPrefix(fd, bytes, kFormatFileSize);
    ::close(fd);
    if (!readOk)
        return kFileIoError;
    return LoadFromBytes(bytes.data(), bytes.size());
}

int TMyPrintFormat::LoadFromBytes(const std::uint8_t* bytes, std::size_t size)
{
    size = std::min(size, kFormatFileSize);
    const std::string& signature = FormatSignatureBytes();
    if (size < kSignatureSize || std::memcmp(bytes, signature.data(), kSignatureSize) != 0)
        return kFileBadSignature;
    // The version words and the reserved block are read as one: a file that
    // ends anywhere inside them is a read error, before the versions count.
    if (size < kVersionsEnd + kReservedSize)
        return kFileIoError;
    if (LittleU16(bytes, 22) != 1 || LittleU16(bytes, 24) != 5)
        return kFileBadVersion;

    // A file that ends early fills what it holds; the rest of the record keeps
    // its values. The record is touched only once the file is known good.
    TMyFormatRecord& record = *this;
    if (size == kFormatFileSize) {
        ImageReader<true> reader(bytes, size);
        VisitRecord(reader, record);
    } else {
        ImageReader<false> reader(bytes, size);
        VisitRecord(reader, record);
    }
    return kFileOk;
}

int TMyPrintFormat::SaveToFile(const std::string& path, TMyPaperSpec& printerPaper, int* errorNumber)
{
    auto fail = [errorNumber](int number) {
        if (errorNumber)
            *errorNumber = number != 0 ? number : EIO;
        return kFileIoError;
    };
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    std::string_view base
        = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    if (folder.empty())
        folder = "/";
    if (base.empty())
        return fail(EISDIR);
    if (!FolderExists(folder) && !CreateFolder(folder))
        return fail(errno != 0 ? errno : ENOENT);

    // The layout goes to a new file first and replaces the old one only once it
    // is complete on disk, so a failed save keeps the layout saved before.
    OutputFile file;
    if (!file.Open(path))
        return fail(file.Error());
    std::vector<std::uint8_t> image;
    SaveToBytes(printerPaper, image);
    if (!file.Write(reinterpret_cast<const char*>(image.data()), image.size()) || !file.Commit())
        return fail(file.Error());
    return kFileOk;
}

void TMyPrintFormat::SaveToBytes(TMyPaperSpec& printerPaper, std::vector<std::uint8_t>& image)
{
    Signature.SetText(std::string_view(FormatSignatureBytes()).substr(1));
    VersionMajor = 1;
    VersionMinor = 5;
    // A4 is stored as 210 x 290 mm whatever the printer reported; the printer
    // metrics take the same size.
    if (printerPaper.PaperSize == 9) {
        if (printerPaper.Orientation == 1) {
            printerPaper.PaperWidth = 210;
            printerPaper.PaperLength = 290;
        } else {
            printerPaper.PaperWidth = 290;
            printerPaper.PaperLength = 210;
        }
    }
    PaperSize = printerPaper.PaperSize;
    PaperLength = printerPaper.PaperLength;
    PaperWidth = printerPaper.PaperWidth;
    Orientation = printerPaper.Orientation;

    ImageWriter writer(image);
    VisitRecord(writer, static_cast<const TMyFormatRecord&>(*this));
    assert(writer.Position() == kFormatFileSize);
}

void TMyPrintFormat::RecordImage(std::vector<std::uint8_t>& image) const
{
    ImageWriter writer(image);
    VisitRecord(writer, static_cast<const TMyFormatRecord&>(*this));
    assert(writer.Position() == kFormatFileSize);
    // The stamp SaveToBytes gives the record, given to the image only, so
    // that a record never saved still reads back.
    const std::string& signature = FormatSignatureBytes();
    std::memcpy(image.data(), signature.data(), kSignatureSize);
    image[22] = 1;
    image[23] = 0;
    image[24] = 5;
    image[25] = 0;
}

} // namespace quillet
