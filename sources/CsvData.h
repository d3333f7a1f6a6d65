#pragma once
// Data rows from a CSV (or tab-separated) file, handed to the data object as
// the bytes of a data file: the head with the layout's own page texts, then
// each row as the layout's columns of cells. One pass over the file keeps a
// record offset every 64 rows; the rows themselves are read when asked for.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/PrnData.h"

namespace quillet {

class CsvReader;

enum class CsvEncoding { Detect, Utf8, Gbk };

// What the read-through learnt of one column, for a layout made from the data.
struct CsvColumnFacts {
    bool numeric = true; // every non-empty cell is a number (and one is there)
    int decimals = 0; // the most digits after the decimal point
    double absSum = 0; // the sum of the numbers' sizes: no total can be wider
    std::size_t widest = 0; // the widest cell of the sample rows, in GBK bytes
    std::size_t filled = 0; // the non-empty cells
};

// True when path names a CSV or TSV data file: its name ends in ".csv" or
// ".tsv", in any letter case.
bool IsCsvDataPath(std::string_view path);

class CsvByteSource : public ByteSource {
public:
    // Reads the file once through. On a fault returns nothing and sets
    // message (UTF-8, naming the file and its line). The rows take the shape
    // of a layout only with UseLayout.
    static std::unique_ptr<CsvByteSource> Open(const std::string& path, CsvEncoding encoding, std::string& message);
    // Gives the rows the layout's columns and the head its page texts. The
    // rows fill each block's data rows above its foot rows, which stay
    // empty for the layout's sums; the layout must outlive the source, and
    // a change of its rows reshapes the blocks.
    void UseLayout(const TMyPrintFormat& format);
    ~CsvByteSource() override;

    long long ReadAt(std::uint64_t offset, char* buf, std::size_t size) override;
    std::optional<FileStamp> Stamp() const override;
    // The same file read again through a descriptor of its own, with the
    // offsets already found; its rows take the shape of `format`.
    std::unique_ptr<ByteSource> Another(const TMyPrintFormat& format) const override;

    // The first line's texts, in GBK.
    const std::vector<std::string>& Headings() const { return headings_; }
    // One entry for each heading.
    const std::vector<CsvColumnFacts>& Columns() const { return columns_; }
    std::uint64_t RowCount() const { return rows_; }
    bool IsUtf8() const { return utf8_; }

private:
    CsvByteSource() = default;
    // The cells of data row `index` (from 0); nullptr when it cannot be read.
    const std::string* Row(std::uint64_t index);
    // The rows as blocks show them: each block's rows of the file, then its
    // foot rows empty.
    struct Shape {
        std::uint64_t perBlock = 1; // rows of a block that take data
        std::uint64_t kept = 1; // of those, the rows that the file fills
        std::uint64_t Rows(std::uint64_t fileRows) const
        {
            return fileRows / kept * perBlock + fileRows % kept;
        }
    };
    Shape BlockShape() const;

    int fd_ = -1;
    char delimiter_ = ',';
    bool utf8_ = true;
    int cols_ = 0;
    const TMyPrintFormat* format_ = nullptr;
    std::string emptyRow_;
    std::uint64_t rows_ = 0;
    std::int64_t modifiedNs_ = 0;
    std::string head_; // the 1232 bytes before the rows
    std::vector<std::string> headings_;
    std::vector<CsvColumnFacts> columns_;
    std::vector<std::uint64_t> checkpoints_; // the offset of row 64*k
    // The row last made, and where the one after it starts.
    std::uint64_t cachedIndex_ = UINT64_MAX;
    std::string cachedRow_;
    std::uint64_t nextIndex_ = UINT64_MAX;
    std::uint64_t nextOffset_ = 0;
    std::unique_ptr<CsvReader> reader_; // at nextOffset_
    std::vector<std::string> fields_;
};

// Opens the CSV or TSV file at path as data's rows, for format's layout.
// Returns an empty string on success; otherwise the message (UTF-8) and data
// keeps what it had open.
std::string OpenCsvData(
    TMyPrintData& data, const TMyPrintFormat& format, const std::string& path, CsvEncoding encoding);

} // namespace quillet
