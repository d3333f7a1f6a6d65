#pragma once
// The format object (the layout and its file) and the data object (the data
// file: head and foot texts, rows of cells, subtotals and totals).
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/PrnDataStruct.h"
#include "platform/FileSystem.h"

namespace quillet {

// Result codes of the file readers and writer.
constexpr int kFileOk = 0;
constexpr int kFileMissing = 1;
constexpr int kFileBadSignature = 2;
constexpr int kFileIoError = 3;
constexpr int kFileBadVersion = 100;

constexpr std::size_t kFormatFileSize = 140108;
constexpr std::size_t kDataHeadSize = 1232;
constexpr std::size_t kCellSize = 201;

// The 22 signature bytes (length byte 21 and GBK text) of each file kind.
const std::string& FormatSignatureBytes();
const std::string& DataSignatureBytes();

// The paper of the printer, in the units of the format record.
struct TMyPaperSpec {
    std::int16_t PaperSize = 9;
    std::uint16_t PaperWidth = 210;
    std::uint16_t PaperLength = 290;
    std::uint8_t Orientation = 1;
    bool operator==(const TMyPaperSpec&) const = default;
    // The paper as the pages lie on it, in millimetres. A custom size (256)
    // is held upright, as the printer's settings give it, and lies turned
    // unless the orientation is portrait (1); other sizes are held as the
    // printable area lies.
    bool TurnedCustom() const { return PaperSize == 256 && Orientation != 1; }
    int LyingWidth() const { return TurnedCustom() ? PaperLength : PaperWidth; }
    int LyingLength() const { return TurnedCustom() ? PaperWidth : PaperLength; }
};

class TMyPrintFormat : public TMyFormatRecord {
public:
    TMyPrintFormat() = default;

    // 0 loaded, 1 missing, 2 signature differs, 3 I/O error, 100 version not 1.5.
    int LoadFromFile(const std::string& path);
    // The first bytes of a format file, as LoadFromFile reads them from the
    // file (only the first kFormatFileSize count): 0, 2, 3 or 100 as above.
    int LoadFromBytes(const std::uint8_t* bytes, std::size_t size);
    // 0 written, 3 I/O error (its errno in *errorNumber). The paper fields
    // come from printerPaper, which gets the A4 adjustment (210 x 290 or
    // 290 x 210) first. A new file is written beside the target and renamed
    // over it.
    int SaveToFile(const std::string& path, TMyPaperSpec& printerPaper, int* errorNumber = nullptr);
    // The bytes SaveToFile writes, into `image` (its storage is reused), with
    // the same changes to the record and to printerPaper.
    void SaveToBytes(TMyPaperSpec& printerPaper, std::vector<std::uint8_t>& image);
    // The record as it stands, in the file's layout and with the file's
    // signature and version, into `image` (its storage is reused); neither
    // the record nor any printer is touched. LoadFromBytes reads it back.
    void RecordImage(std::vector<std::uint8_t>& image) const;
};

// Where the data object reads its bytes from: the data file, or bytes in
// memory that tests and fuzzers hand it instead of a file.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes at `offset`; the count read, fewer only at the end,
    // or -1 on a read error.
    virtual long long ReadAt(std::uint64_t offset, char* buf, std::size_t size) = 0;
    // The size and modification time now; nothing when they cannot be had.
    virtual std::optional<FileStamp> Stamp() const = 0;
    // Up to `size` bytes at `offset` where they lie (fewer only at the end),
    // when the source holds them in memory; nothing when they have to be read.
    virtual std::optional<std::string_view> InPlace(std::uint64_t /*offset*/, std::size_t /*size*/) const
    {
        return std::nullopt;
    }
    // A second view of the same bytes that another thread may read while
    // this one is read, its rows shaped by `format` (a copy of the layout);
    // nothing when the source cannot be read twice.
    virtual std::unique_ptr<ByteSource> Another(const TMyPrintFormat& /*format*/) const { return nullptr; }
};

// Bytes owned by the caller, read in place. Shrink cuts them as a file cut in
// place would be (the stamp changes, later reads come up short).
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* bytes, std::size_t size)
        : bytes_(static_cast<const char*>(bytes))
        , size_(size)
    {
    }
    long long ReadAt(std::uint64_t offset, char* buf, std::size_t size) override;
    std::optional<FileStamp> Stamp() const override { return FileStamp { size_, generation_ }; }
    std::optional<std::string_view> InPlace(std::uint64_t offset, std::size_t size) const override;
    std::unique_ptr<ByteSource> Another(const TMyPrintFormat& format) const override;
    void Shrink(std::size_t size);

private:
    const char* bytes_;
    std::size_t size_;
    std::int64_t generation_ = 0;
};

// The data file, kept open from a successful Open to the end of the run: a
// file removed or replaced by its writer meanwhile is still read as it was
// opened. Reads that fail, or that come up short of the size the file had
// when it was last measured, throw DataFileError.
class TMyPrintData {
public:
    explicit TMyPrintData(TMyPrintFormat& format);
    ~TMyPrintData();
    TMyPrintData(const TMyPrintData&) = delete;
    TMyPrintData& operator=(const TMyPrintData&) = delete;

    SignatureString Signature;
    std::uint16_t VersionMajor = 0;
    std::uint16_t VersionMinor = 0;
    std::vector<TextString> Cells; // 0..Cols(); entry 0 unused
    std::string FileName;

    void ClearRow();
    // 0 opened (the file stays open), 1 missing, 2 signature differs, 3 I/O
    // error, 100 version not 1.5. A failed Open leaves an earlier file open.
    int Open(const std::string& path);
    // Open on bytes that are not a file; `name` stands for the file name in
    // messages. The same checks and results as Open, without 1.
    int Open(std::unique_ptr<ByteSource> source, const std::string& name);
    // Reads the file `other` has open through a view of its own (for a
    // thread that draws pages beside the one reading `other`): the same
    // name, size and remembered totals. False when the file cannot be read
    // twice, or `other` has none open.
    bool ShareFile(const TMyPrintData& other);
    // 0 all six texts read, 1 the file ended first (a file that ends at the
    // versions keeps the format's texts).
    int ReadHeadFoot();
    // 0 row read (or heading row), 1 the file ended before the row was whole.
    // A cell whose length byte is past its capacity throws DataFileError.
    int ReadRow(int block, int row);
    double ColumnTotal(int col);
    double BlockTotal(int col, int block);
    // Cells in the table area of the open file, measured now: 0 for a file
    // that ends inside its 1232-byte head; nothing only before a successful
    // Open. The size measured here is what later reads expect to find.
    std::optional<std::uint64_t> CellCount();

private:
    // Reads up to `size` bytes at `offset`, no further than the measured size;
    // the count read. Throws DataFileError when the read fails or delivers
    // less than the measured size promised.
    std::size_t ReadAt(std::uint64_t offset, char* buf, std::size_t size);
    // The same bytes as ReadAt, where the source holds them or else read into
    // the read buffer; their count in `got`.
    const char* Fetch(std::uint64_t offset, std::size_t size, std::size_t& got);
    // How many of `size` bytes at `offset` the measured size holds.
    std::size_t Expected(std::uint64_t offset, std::size_t size) const;
    // Adds up to maxRows rows from `offset` (all rows of the measured size
    // when maxRows is 0) to totals[1..cols], or only to totals[onlyCol].
    void SumRows(
        std::uint64_t offset, std::uint64_t maxRows, int cols, int onlyCol, std::vector<double>& totals);
    // The read buffer, at least `size` bytes long; its contents are undefined.
    char* ReadBuffer(std::size_t size);
    std::optional<FileStamp> Stamp() const;
    [[noreturn]] void Fail(bool shortRead) const;
    // A cell of the file whose length byte is past the capacity.
    [[noreturn]] void FailCell(std::uint64_t dataRow, int col, int length) const;

    TMyPrintFormat& format_;
    std::unique_ptr<ByteSource> source_;
    std::uint64_t size_ = 0; // the file's size when last measured
    // Grand totals of every column, remembered with the file's state they
    // came from.
    struct TotalsCache {
        FileStamp stamp;
        std::uint64_t measured = 0; // the size the sums stopped at
        int cols = -1;
        std::vector<double> totals;
    };
    std::optional<TotalsCache> totals_;
    // Rows and pieces of sums, kept from read to read.
    std::unique_ptr<char[]> readBuffer_;
    std::size_t readBufferSize_ = 0;
};

} // namespace quillet
