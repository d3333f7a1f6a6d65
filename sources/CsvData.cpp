// CSV rows as data-file bytes. Quotes, commas and line breaks are ASCII in
// UTF-8 and in GBK alike (GBK's second bytes start at 0x40), so one reading
// of the structure serves both; the encoding only decides how the cells are
// turned into GBK.
#include "sources/CsvData.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/PrnFunction.h"
#include "platform/GbkCodec.h"
#include "platform/Texts.h"

namespace quillet {
namespace {

constexpr std::uint64_t kRowsPerCheckpoint = 64;
constexpr std::size_t kReadChunk = 64 * 1024;
// A cell holds 200 GBK bytes: of a longer field only this much is kept, so a
// field of any length costs no more memory.
constexpr std::size_t kFieldLimit = 4096;
// Cell widths for a made layout are taken from this many rows at the start.
constexpr std::uint64_t kSampleRows = 2000;

} // namespace

// The file read forward from a given offset through a buffer.
class CsvReader {
public:
    CsvReader(int fd, std::uint64_t offset)
        : fd_(fd)
        , offset_(offset)
    {
    }
    // The next byte, or -1 at the end; -2 after a read error.
    int Get()
    {
        if (at_ == filled_ && !Fill())
            return failed_ ? -2 : -1;
        ++offset_;
        return static_cast<unsigned char>(buf_[at_++]);
    }
    int Peek()
    {
        if (at_ == filled_ && !Fill())
            return failed_ ? -2 : -1;
        return static_cast<unsigned char>(buf_[at_]);
    }
    std::uint64_t Offset() const { return offset_; }
    bool Failed() const { return failed_; }

private:
    bool Fill()
    {
        if (failed_)
            return false;
        for (;;) {
            ssize_t n = ::pread(fd_, buf_, sizeof buf_, static_cast<off_t>(offset_));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                failed_ = true;
            if (n <= 0)
                return false;
            at_ = 0;
            filled_ = static_cast<std::size_t>(n);
            return true;
        }
    }

    int fd_;
    std::uint64_t offset_;
    char buf_[kReadChunk];
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
    bool failed_ = false;
};

namespace {

enum class Parsed { Record, End, Unclosed, ReadError };

// True when the field ends inside a UTF-8 character: its last lead byte asks
// for more bytes than follow it.
bool EndsInsideCharacter(const std::string& field)
{
    for (std::size_t back = 1; back <= 3 && back <= field.size(); ++back) {
        const unsigned char c = static_cast<unsigned char>(field[field.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return back < length;
    }
    return false;
}

// Adds a byte of a field while the field is short enough; past that, only
// the continuation bytes that end the UTF-8 character the field ends in.
void Append(std::string& field, int c)
{
    if (field.size() < kFieldLimit || ((c & 0xC0) == 0x80 && EndsInsideCharacter(field)))
        field.push_back(static_cast<char>(c));
}

// One record (a line, or more where a quoted field holds line breaks) into
// fields. Lines with nothing on them are passed over. line counts the
// lines read; on Unclosed it is the line where the open quote stands, and
// recordLine is the first line of the record.
Parsed ParseRecord(CsvReader& in, char delimiter, std::vector<std::string>& fields, std::uint64_t& line,
    std::uint64_t& recordLine)
{
    for (;;) {
        fields.clear();
        if (in.Peek() == -1)
            return Parsed::End;
        recordLine = line;
        fields.emplace_back();
        bool anything = false;
        for (;;) {
            int c = in.Get();
            if (c == -2)
                return Parsed::ReadError;
            if (c == -1)
                break;
            if (c == '\n') {
                ++line;
                break;
            }
            if (c == '\r' && in.Peek() == '\n')
                continue; // the line break follows
            anything = true;
            if (c == delimiter) {
                fields.emplace_back();
                continue;
            }
            std::string& field = fields.back();
            if (c == '"' && field.empty()) {
                // A quoted field: to the closing quote, a doubled quote
                // standing for one.
                const std::uint64_t opened = line;
                for (;;) {
                    c = in.Get();
                    if (c == -2)
                        return Parsed::ReadError;
                    if (c == -1) {
                        line = opened;
                        return Parsed::Unclosed;
                    }
                    if (c == '"') {
                        if (in.Peek() != '"')
                            break;
                        in.Get();
                    } else if (c == '\n') {
                        ++line;
                    }
                    Append(field, c);
                }
                continue;
            }
            Append(field, c);
        }
        if (anything)
            return Parsed::Record;
    }
}

bool HasHighBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The width of a field in GBK bytes: a character beyond ASCII takes two.
std::size_t GbkWidth(std::string_view field, bool utf8)
{
    if (!utf8)
        return field.size();
    std::size_t width = 0;
    for (char c : field) {
        const unsigned char b = static_cast<unsigned char>(c);
        width += b < 0x80 ? 1 : b >= 0xC0 ? 2 : 0;
    }
    return width;
}

int DecimalsOf(std::string_view number)
{
    const std::size_t point = number.find_first_of(".eE");
    if (point == std::string_view::npos || number[point] != '.')
        return 0;
    std::size_t end = point + 1;
    while (end < number.size() && number[end] >= '0' && number[end] <= '9')
        ++end;
    return static_cast<int>(end - point - 1);
}

// "007" or "0571": a code, not a number, whose zeros a number would lose.
bool LeadingZero(std::string_view field)
{
    if (!field.empty() && (field[0] == '-' || field[0] == '+'))
        field.remove_prefix(1);
    return field.size() > 1 && field[0] == '0' && field[1] >= '0' && field[1] <= '9';
}

// Adds one data row's fields to the facts of the columns; widths both as
// UTF-8 and as GBK, since the encoding is known only at the end.
void Learn(const std::vector<std::string>& fields, bool sample, std::vector<CsvColumnFacts>& utf8Facts,
    std::vector<std::size_t>& gbkWidest)
{
    const std::size_t n = std::min(fields.size(), utf8Facts.size());
    for (std::size_t c = 0; c < n; ++c) {
        const std::string& field = fields[c];
        CsvColumnFacts& facts = utf8Facts[c];
        if (sample) {
            facts.widest = std::max(facts.widest, GbkWidth(field, true));
            gbkWidest[c] = std::max(gbkWidest[c], field.size());
        }
        if (field.empty())
            continue;
        ++facts.filled;
        double value = 0;
        if (facts.numeric && !LeadingZero(field) && StrToFloatStrict(field, value)) {
            facts.decimals = std::max(facts.decimals, DecimalsOf(field));
            facts.absSum += value < 0 ? -value : value;
        } else {
            facts.numeric = false;
        }
    }
}

std::string Message(const std::string& path, std::uint64_t line, const char* reason)
{
    return FillIn(Tr("CsvData", "数据文件“%1”第%2行：%3"),
        { FileNameToUtf8(path), std::to_string(line), Tr("CsvData", reason) });
}

void AppendText(std::string& bytes, const TextString& text)
{
    const std::size_t start = bytes.size();
    bytes.resize(start + kCellSize, '\0');
    bytes[start] = static_cast<char>(text.Length);
    std::memcpy(bytes.data() + start + 1, text.Bytes.data(), std::min<std::size_t>(text.Length, TextString::Capacity));
}

} // namespace

bool IsCsvDataPath(std::string_view path)
{
    if (path.size() < 4)
        return false;
    std::string end(path.substr(path.size() - 4));
    for (char& c : end)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return end == ".csv" || end == ".tsv";
}

CsvByteSource::~CsvByteSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::unique_ptr<CsvByteSource> CsvByteSource::Open(const std::string& path, CsvEncoding encoding, std::string& message)
{
    const std::string readError
        = FillIn(Tr("CsvData", "对数据文件“%1”读时发生错误!"), { FileNameToUtf8(path) });
    std::unique_ptr<CsvByteSource> source(new CsvByteSource);
    source->fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st { };
    if (source->fd_ < 0 || ::fstat(source->fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        message = readError;
        return nullptr;
    }
    source->modifiedNs_ = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    source->delimiter_ = IsCsvDataPath(path) && (path.back() == 'v' || path.back() == 'V')
            && (path[path.size() - 3] == 't' || path[path.size() - 3] == 'T')
        ? '\t'
        : ',';

    // A byte-order mark says UTF-8 and is not part of the first heading.
    std::uint64_t start = 0;
    {
        char bom[3] = {};
        if (::pread(source->fd_, bom, 3, 0) == 3 && std::memcmp(bom, "\xEF\xBB\xBF", 3) == 0)
            start = 3;
    }
    bool validUtf8 = true;
    std::uint64_t firstNotUtf8 = 0, firstNotGbk = 0;
    CsvReader in(source->fd_, start);
    std::uint64_t line = 1, recordLine = 1;
    bool headingsRead = false;
    std::vector<std::size_t> gbkWidest;
    for (;;) {
        const std::uint64_t offset = in.Offset();
        const Parsed parsed = ParseRecord(in, source->delimiter_, source->fields_, line, recordLine);
        if (parsed == Parsed::End)
            break;
        if (parsed == Parsed::ReadError) {
            message = readError;
            return nullptr;
        }
        if (parsed == Parsed::Unclosed) {
            message = Message(path, line, QUILLET_TEXT("CsvData", "引号没有结束"));
            return nullptr;
        }
        for (const std::string& field : source->fields_) {
            if (!HasHighBytes(field))
                continue;
            if (!quillet::IsUtf8(field)) {
                if (validUtf8)
                    firstNotUtf8 = recordLine;
                validUtf8 = false;
            } else if (firstNotGbk == 0 && !GbkHolds(field)) {
                firstNotGbk = recordLine;
            }
        }
        if (!headingsRead) {
            headingsRead = true;
            source->headings_ = source->fields_; // turned into GBK below
            source->columns_.resize(std::min<std::size_t>(source->headings_.size(), kMaxCols));
            gbkWidest.resize(source->columns_.size());
            continue;
        }
        Learn(source->fields_, source->rows_ < kSampleRows, source->columns_, gbkWidest);
        if (source->rows_ % kRowsPerCheckpoint == 0)
            source->checkpoints_.push_back(offset);
        ++source->rows_;
    }

    // Only a file wholly in UTF-8 is taken for UTF-8 unless the mark says so.
    source->utf8_ = encoding == CsvEncoding::Utf8 || (encoding == CsvEncoding::Detect && (start == 3 || validUtf8));
    if (source->utf8_ && !validUtf8) {
        message = Message(path, firstNotUtf8, QUILLET_TEXT("CsvData", "不是UTF-8文字"));
        return nullptr;
    }
    if (source->utf8_ && firstNotGbk != 0) {
        message = Message(path, firstNotGbk, QUILLET_TEXT("CsvData", "有GBK不能表示的文字"));
        return nullptr;
    }
    if (source->utf8_)
        for (std::string& heading : source->headings_)
            heading = Utf8ToGbk(heading);
    for (std::size_t c = 0; c < source->columns_.size(); ++c) {
        CsvColumnFacts& facts = source->columns_[c];
        if (!source->utf8_)
            facts.widest = gbkWidest[c];
        facts.numeric = facts.numeric && facts.filled > 0;
    }
    return source;
}

void CsvByteSource::UseLayout(const TMyPrintFormat& format)
{
    format_ = &format;
    cols_ = format.Cols();
    emptyRow_.assign(static_cast<std::size_t>(cols_) * kCellSize, '\0');
    cachedIndex_ = UINT64_MAX;
    // The head: signature, version 1.5, and the layout's own page texts, so
    // that they stay as the layout has them.
    head_ = DataSignatureBytes();
    head_.append("\x01\x00\x05\x00", 4);
    for (int i = 1; i <= kHeadFootLines; ++i)
        AppendText(head_, format.Head[i].Text);
    for (int i = 1; i <= kHeadFootLines; ++i)
        AppendText(head_, format.Foot[i].Text);
    head_.resize(kDataHeadSize, '\0');
}

std::unique_ptr<ByteSource> CsvByteSource::Twin(const TMyPrintFormat& format) const
{
    // A query's spool has no name any more: only its descriptor reaches it.
    const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<CsvByteSource> twin(new CsvByteSource);
    twin->fd_ = fd;
    twin->delimiter_ = delimiter_;
    twin->utf8_ = utf8_;
    twin->cols_ = cols_;
    twin->format_ = format_ ? &format : nullptr;
    twin->emptyRow_ = emptyRow_;
    twin->rows_ = rows_;
    twin->modifiedNs_ = modifiedNs_;
    twin->head_ = head_;
    twin->checkpoints_ = checkpoints_;
    return twin;
}

std::optional<FileStamp> CsvByteSource::Stamp() const
{
    const std::uint64_t rows = format_ ? BlockShape().Rows(rows_) : rows_;
    return FileStamp { kDataHeadSize + rows * static_cast<std::uint64_t>(cols_) * kCellSize, modifiedNs_ };
}

CsvByteSource::Shape CsvByteSource::BlockShape() const
{
    Shape shape;
    const int perBlock = format_->DataRowsPerBlock();
    const int kept = perBlock - format_->FootRows();
    if (perBlock > 0 && kept > 0) {
        shape.perBlock = static_cast<std::uint64_t>(perBlock);
        shape.kept = static_cast<std::uint64_t>(kept);
    }
    return shape;
}

const std::string* CsvByteSource::Row(std::uint64_t index)
{
    if (index == cachedIndex_)
        return &cachedRow_;
    std::uint64_t at = index;
    std::uint64_t offset = nextOffset_;
    if (index != nextIndex_) {
        at = index / kRowsPerCheckpoint * kRowsPerCheckpoint;
        offset = checkpoints_[index / kRowsPerCheckpoint];
    }
    if (index != nextIndex_ || !reader_)
        reader_ = std::make_unique<CsvReader>(fd_, offset);
    CsvReader& in = *reader_;
    std::uint64_t line = 0, recordLine = 0;
    for (;; ++at) {
        if (ParseRecord(in, delimiter_, fields_, line, recordLine) != Parsed::Record)
            return nullptr; // the file changed since it was read through
        if (at == index)
            break;
    }
    nextIndex_ = index + 1;
    nextOffset_ = in.Offset();

    cachedRow_.assign(static_cast<std::size_t>(cols_) * kCellSize, '\0');
    // Cells past the layout's columns are left out; columns past the cells stay empty.
    const std::size_t cells = std::min<std::size_t>(fields_.size(), static_cast<std::size_t>(cols_));
    for (std::size_t c = 0; c < cells; ++c) {
        const std::string gbk = utf8_ && HasHighBytes(fields_[c]) ? Utf8ToGbk(fields_[c]) : fields_[c];
        const std::size_t length = GbkCut(gbk, TextString::Capacity);
        char* cell = cachedRow_.data() + c * kCellSize;
        cell[0] = static_cast<char>(length);
        std::memcpy(cell + 1, gbk.data(), length);
    }
    cachedIndex_ = index;
    return &cachedRow_;
}

long long CsvByteSource::ReadAt(std::uint64_t offset, char* buf, std::size_t size)
{
    if (head_.empty())
        return -1; // no layout given yet: the rows have no shape
    const std::uint64_t total = Stamp()->size;
    const std::size_t rowBytes = static_cast<std::size_t>(cols_) * kCellSize;
    const Shape shape = BlockShape();
    std::size_t got = 0;
    while (got < size && offset < total) {
        std::string_view piece;
        if (offset < kDataHeadSize) {
            piece = std::string_view(head_).substr(static_cast<std::size_t>(offset));
        } else {
            const std::uint64_t index = (offset - kDataHeadSize) / rowBytes;
            const std::uint64_t inBlock = index % shape.perBlock;
            const std::string* row = inBlock >= shape.kept
                ? &emptyRow_
                : Row(index / shape.perBlock * shape.kept + inBlock);
            if (row == nullptr)
                return -1;
            piece = std::string_view(*row).substr(
                static_cast<std::size_t>(offset - kDataHeadSize - index * rowBytes));
        }
        const std::size_t n = std::min(piece.size(), size - got);
        std::memcpy(buf + got, piece.data(), n);
        got += n;
        offset += n;
    }
    return static_cast<long long>(got);
}

std::string OpenCsvData(
    TMyPrintData& data, const TMyPrintFormat& format, const std::string& path, CsvEncoding encoding)
{
    std::string message;
    std::unique_ptr<CsvByteSource> source = CsvByteSource::Open(path, encoding, message);
    if (!source)
        return message;
    source->UseLayout(format);
    if (data.Open(std::move(source), path) != kFileOk)
        return FillIn(Tr("CsvData", "对数据文件“%1”读时发生错误!"), { FileNameToUtf8(path) });
    return {};
}

} // namespace quillet
