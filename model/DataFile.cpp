// Reading the data file: head and foot texts, rows of cells, subtotals and
// grand totals, from the file or from bytes in memory through the same code.
// The file is never held in memory and never written. It stays
// open from Open to the end of the run, so a file removed or replaced by its
// writer meanwhile is still read as it was opened, and a file cut in place
// shows up as a read that comes up short instead of as empty cells.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "model/DataFileError.h"
#include "model/PrnData.h"
#include "model/PrnFunction.h"
#include "platform/GbkCodec.h"
#include "platform/Texts.h"

namespace quillet {
namespace {

constexpr std::size_t kSignatureSize = 22;
constexpr std::size_t kHeadFootOffset = 26;
constexpr int kHeadFootTexts = 6;
// Grand totals read the table area in pieces of about this size.
constexpr std::size_t kTotalsChunkBytes = 1 << 20;

// Reads up to `size` bytes at `offset`; the count read, fewer only at the end
// of the file, or -1 on a read error.
long long ReadFully(int fd, std::uint64_t offset, char* buf, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::pread(fd, buf + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(got);
}

// A text of the file from the bytes that arrived; a length byte past the
// capacity or past the bytes read cannot reach beyond them.
void TakeText(TextString& text, const char* bytes, std::size_t available)
{
    if (available == 0) {
        text.Clear();
        return;
    }
    std::size_t body = std::min(available - 1, TextString::Capacity);
    std::memcpy(text.Bytes.data(), bytes + 1, body);
    std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>(bytes[0]), body);
    text.Length = static_cast<std::uint8_t>(length);
}

// The data file, read through its descriptor, which it owns.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(int fd)
        : fd_(fd)
    {
    }
    ~FileByteSource() override { ::close(fd_); }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    long long ReadAt(std::uint64_t offset, char* buf, std::size_t size) override
    {
        return ReadFully(fd_, offset, buf, size);
    }
    std::unique_ptr<ByteSource> Twin(const TMyPrintFormat&) const override
    {
        // The same open file, so a file replaced meanwhile reads as it was opened.
        const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
        return fd < 0 ? nullptr : std::make_unique<FileByteSource>(fd);
    }
    std::optional<FileStamp> Stamp() const override
    {
        struct stat st { };
        if (::fstat(fd_, &st) != 0)
            return std::nullopt;
        FileStamp stamp;
        stamp.size = static_cast<std::uint64_t>(st.st_size);
        stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
        return stamp;
    }

private:
    int fd_;
};

std::uint16_t LittleU16(const char* p)
{
    return static_cast<std::uint16_t>(
        static_cast<std::uint8_t>(p[0]) | (static_cast<std::uint8_t>(p[1]) << 8));
}

// Adds the numbers of whole cells in `bytes` (starting at column 1 of a row)
// to totals[1..cols], or only to totals[onlyCol] when it is not 0.
void AddCells(const char* bytes, std::size_t size, int cols, int onlyCol, std::vector<double>& totals)
{
    std::size_t cells = size / kCellSize;
    for (std::size_t k = 0; k < cells; ++k) {
        int col = static_cast<int>(k % static_cast<std::size_t>(cols)) + 1;
        if (onlyCol != 0 && col != onlyCol)
            continue;
        const char* cell = bytes + k * kCellSize;
        std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>(cell[0]), TextString::Capacity);
        if (length == 0)
            continue;
        double value = TextToNumber(std::string_view(cell + 1, length));
        // -999 is the mark of a text that is not a number: it adds nothing.
        if (value != kNotANumber)
            totals[static_cast<std::size_t>(col)] += value;
    }
}

} // namespace

const std::string& DataSignatureBytes()
{
    static const std::string bytes = "\x15.Brellisk.-"
                                     "\xB4\xF2\xD3\xA1\xD3\xC3\xCA\xFD\xBE\xDD"; // 打印用数据
    return bytes;
}

TMyPrintData::TMyPrintData(TMyPrintFormat& format)
    : format_(format)
{
    ClearRow();
}

TMyPrintData::~TMyPrintData() = default;

long long MemoryByteSource::ReadAt(std::uint64_t offset, char* buf, std::size_t size)
{
    const std::string_view bytes = *InPlace(offset, size);
    // Past the end the view is empty and may hold no pointer at all.
    if (!bytes.empty())
        std::memcpy(buf, bytes.data(), bytes.size());
    return static_cast<long long>(bytes.size());
}

std::optional<std::string_view> MemoryByteSource::InPlace(std::uint64_t offset, std::size_t size) const
{
    if (offset >= size_)
        return std::string_view();
    return std::string_view(bytes_ + offset, std::min<std::uint64_t>(size, size_ - offset));
}

std::unique_ptr<ByteSource> MemoryByteSource::Twin(const TMyPrintFormat&) const
{
    auto twin = std::make_unique<MemoryByteSource>(bytes_, size_);
    twin->generation_ = generation_;
    return twin;
}

void MemoryByteSource::Shrink(std::size_t size)
{
    if (size < size_) {
        size_ = size;
        ++generation_;
    }
}

void TMyPrintData::ClearRow()
{
    // A row of many columns is cleared by its lengths alone: the bytes past
    // a length are never read, and every read row is cleared first.
    const std::size_t count = static_cast<std::size_t>(format_.Cols()) + 1;
    if (Cells.size() != count) {
        Cells.assign(count, TextString {});
        return;
    }
    for (TextString& cell : Cells)
        cell.Clear();
}

int TMyPrintData::Open(const std::string& path)
{
    if (!FileExists(path))
        return kFileMissing;
    // Non-blocking, so a pipe put in the data file's place cannot hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return kFileIoError;
    auto source = std::make_unique<FileByteSource>(fd);
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return kFileIoError;
    return Open(std::move(source), path);
}

int TMyPrintData::Open(std::unique_ptr<ByteSource> source, const std::string& name)
{
    char head[kHeadFootOffset];
    long long got = source->ReadAt(0, head, sizeof head);
    if (got < 0)
        return kFileIoError;
    std::size_t n = static_cast<std::size_t>(got);
    if (n < kSignatureSize)
        return kFileBadSignature;
    Signature.Length = static_cast<std::uint8_t>(head[0]);
    std::memcpy(Signature.Bytes.data(), head + 1, Signature.Bytes.size());
    if (std::memcmp(head, DataSignatureBytes().data(), kSignatureSize) != 0)
        return kFileBadSignature;
    if (n < 24)
        return kFileIoError;
    VersionMajor = LittleU16(head + 22);
    if (VersionMajor != 1)
        return kFileBadVersion;
    if (n < 26)
        return kFileIoError;
    VersionMinor = LittleU16(head + 24);
    if (VersionMinor != 5)
        return kFileBadVersion;
    const std::optional<FileStamp> stamp = source->Stamp();
    if (!stamp)
        return kFileIoError;

    // The source stays open for the rest of the run; an earlier one is let go.
    source_ = std::move(source);
    size_ = stamp->size;
    totals_.reset();
    FileName = name;
    return kFileOk;
}

std::unique_ptr<TMyPrintData> TMyPrintData::Twin(TMyPrintFormat& format,
    const std::function<std::unique_ptr<ByteSource>(std::unique_ptr<ByteSource>)>& wrap) const
{
    auto twin = std::make_unique<TMyPrintData>(format);
    if (source_) {
        std::unique_ptr<ByteSource> source = source_->Twin(format);
        if (!source)
            return nullptr;
        twin->source_ = wrap ? wrap(std::move(source)) : std::move(source);
    }
    twin->Signature = Signature;
    twin->VersionMajor = VersionMajor;
    twin->VersionMinor = VersionMinor;
    twin->FileName = FileName;
    twin->size_ = size_;
    // Grand totals already summed need not be summed again.
    twin->totals_ = totals_;
    return twin;
}

std::optional<FileStamp> TMyPrintData::Stamp() const
{
    if (!source_)
        return std::nullopt;
    return source_->Stamp();
}

void TMyPrintData::Fail(bool shortRead) const
{
    // The message is UTF-8; the name may be in GBK bytes.
    const std::string name = FileNameToUtf8(FileName);
    if (shortRead)
        throw DataFileError(FillIn(Tr("DataFile", "数据文件\"%1\"被截短了,读不到应有的数据!"), { name }));
    throw DataFileError(FillIn(Tr("DataFile", "对数据文件\"%1\"读时发生错误!"), { name }));
}

void TMyPrintData::FailCell(std::uint64_t dataRow, int col, int length) const
{
    throw DataFileError(FillIn(Tr("DataFile",
                                   "数据文件\"%1\"中第%2条数据的第%3列已损坏:长度是%4个字节,"
                                   "超过了一个单元格最多的%5个字节!"),
        { FileNameToUtf8(FileName), std::to_string(dataRow), std::to_string(col), std::to_string(length),
            std::to_string(TextString::Capacity) }));
}

char* TMyPrintData::ReadBuffer(std::size_t size)
{
    // Grown without clearing: every byte used is read into it first.
    if (readBufferSize_ < size) {
        readBuffer_.reset(new char[size]);
        readBufferSize_ = size;
    }
    return readBuffer_.get();
}

std::size_t TMyPrintData::Expected(std::uint64_t offset, std::size_t size) const
{
    // No data file opened: no cells, nothing to read. Only what the file held
    // when it was measured counts: bytes that were added since are not read.
    if (!source_ || offset >= size_)
        return 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
}

std::size_t TMyPrintData::ReadAt(std::uint64_t offset, char* buf, std::size_t size)
{
    const std::size_t expected = Expected(offset, size);
    if (expected == 0)
        return 0;
    // Bytes that went missing since the file was measured are an error.
    long long got = source_->ReadAt(offset, buf, expected);
    if (got < 0)
        Fail(false);
    if (static_cast<std::size_t>(got) < expected)
        Fail(true);
    return expected;
}

const char* TMyPrintData::Fetch(std::uint64_t offset, std::size_t size, std::size_t& got)
{
    got = Expected(offset, size);
    if (got == 0)
        return nullptr;
    if (const std::optional<std::string_view> bytes = source_->InPlace(offset, got)) {
        if (bytes->size() < got)
            Fail(true);
        return bytes->data();
    }
    char* buf = ReadBuffer(got);
    ReadAt(offset, buf, got);
    return buf;
}

int TMyPrintData::ReadHeadFoot()
{
    char texts[kHeadFootTexts * kCellSize];
    const std::size_t n = ReadAt(kHeadFootOffset, texts, sizeof texts);
    if (n == 0)
        return 1; // the format keeps its own texts

    // The head lines, then (only when all three were whole) the foot lines;
    // texts read before a short read stay.
    for (int group = 0; group < 2; ++group) {
        auto& items = group == 0 ? format_.Head : format_.Foot;
        for (int i = 1; i <= kHeadFootLines; ++i)
            items[i].Text.Clear();
        for (int i = 1; i <= kHeadFootLines; ++i) {
            std::size_t at = static_cast<std::size_t>(group * kHeadFootLines + i - 1) * kCellSize;
            std::size_t available = n > at ? std::min(n - at, kCellSize) : 0;
            TakeText(items[i].Text, texts + at, available);
            if (available < kCellSize)
                return 1;
        }
    }
    return 0;
}

int TMyPrintData::ReadRow(int block, int row)
{
    ClearRow();
    const int cols = format_.Cols();
    if (block < 1 || row < 1 || row <= format_.HeadRows() || cols == 0)
        return 0;
    const std::uint64_t dataIndex
        = static_cast<std::uint64_t>(block - 1) * static_cast<std::uint64_t>(format_.DataRowsPerBlock())
        + static_cast<std::uint64_t>(row - format_.HeadRows() - 1);
    const std::size_t rowBytes = static_cast<std::size_t>(cols) * kCellSize;

    // One positioned read of the whole row.
    std::size_t got = 0;
    const char* buf = Fetch(kDataHeadSize + dataIndex * rowBytes, rowBytes, got);
    // Only whole cells count; the bytes of a cut-off last cell are ignored, as
    // pagination ignores them.
    std::size_t cells = got / kCellSize;
    for (std::size_t k = 0; k < cells; ++k) {
        const char* cell = buf + k * kCellSize;
        // A length past what a cell holds is damage, not text: taken as it
        // stands it would show the zero bytes after the text.
        if (static_cast<std::uint8_t>(cell[0]) > TextString::Capacity)
            FailCell(dataIndex + 1, static_cast<int>(k) + 1, static_cast<std::uint8_t>(cell[0]));
        TakeText(Cells[k + 1], cell, kCellSize);
    }
    return cells == static_cast<std::size_t>(cols) ? 0 : 1;
}

void TMyPrintData::SumRows(
    std::uint64_t offset, std::uint64_t maxRows, int cols, int onlyCol, std::vector<double>& totals)
{
    const std::size_t rowBytes = static_cast<std::size_t>(cols) * kCellSize;
    const std::uint64_t chunkRows = std::max<std::size_t>(1, kTotalsChunkBytes / rowBytes);
    std::uint64_t rowsDone = 0;
    while ((maxRows == 0 || rowsDone < maxRows) && offset < size_) {
        std::uint64_t rows = maxRows == 0 ? chunkRows : std::min(chunkRows, maxRows - rowsDone);
        // No piece larger than what is left of the file: a small file costs
        // a small buffer.
        rows = std::min<std::uint64_t>(rows, (size_ - offset + rowBytes - 1) / rowBytes);
        std::size_t want = static_cast<std::size_t>(rows) * rowBytes;
        std::size_t got = 0;
        const char* buf = Fetch(offset, want, got);
        AddCells(buf, got, cols, onlyCol, totals);
        if (got < want)
            break;
        offset += want;
        rowsDone += rows;
    }
}

double TMyPrintData::ColumnTotal(int col)
{
    const int cols = format_.Cols();
    if (col < 1 || col > cols)
        return 0;
    const std::optional<FileStamp> before = Stamp();
    if (totals_ && before && totals_->stamp == *before && totals_->measured == size_ && totals_->cols == cols)
        return totals_->totals[static_cast<std::size_t>(col)];

    // One pass sums every column: a page may show several grand totals and a
    // print run draws them on every page.
    std::vector<double> totals(static_cast<std::size_t>(cols) + 1, 0.0);
    SumRows(kDataHeadSize, 0, cols, 0, totals);
    const std::optional<FileStamp> after = Stamp();
    if (before && after && *after == *before)
        totals_ = TotalsCache { *before, size_, cols, totals };
    else
        totals_.reset(); // the file changed while it was read: sum again next time
    return totals[static_cast<std::size_t>(col)];
}

double TMyPrintData::BlockTotal(int col, int block)
{
    const int cols = format_.Cols();
    const int rows = format_.DataRowsPerBlock();
    if (col < 1 || col > cols || block < 1 || rows == 0)
        return 0;
    const std::uint64_t firstRow = static_cast<std::uint64_t>(block - 1) * static_cast<std::uint64_t>(rows);
    std::vector<double> totals(static_cast<std::size_t>(cols) + 1, 0.0);
    SumRows(kDataHeadSize + firstRow * static_cast<std::uint64_t>(cols) * kCellSize,
        static_cast<std::uint64_t>(rows), cols, col, totals);
    return totals[static_cast<std::size_t>(col)];
}

std::optional<std::uint64_t> TMyPrintData::CellCount()
{
    if (!source_)
        return std::nullopt;
    const std::optional<FileStamp> stamp = Stamp();
    if (!stamp)
        Fail(false);
    size_ = stamp->size;
    // A file that ends inside its head holds no cells, yet it is a data file:
    // its table is still drawn, empty.
    if (size_ < kDataHeadSize)
        return 0;
    return (size_ - kDataHeadSize) / kCellSize;
}

} // namespace quillet
