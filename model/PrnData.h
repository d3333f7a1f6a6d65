#pragma once
// The format object (the layout and its file) and the data object (the data
// file: head and foot texts, rows of cells, subtotals and totals).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
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
};

class TMyPrintFormat : public TMyFormatRecord {
public:
    TMyPrintFormat() = default;

    // 0 loaded, 1 missing, 2 signature differs, 3 I/O error, 100 version not 1.5.
    int LoadFromFile(const std::string& path);
    // 0 written, 3 I/O error. The paper fields come from printerPaper, which
    // gets the A4 adjustment (210 x 290 or 290 x 210) first. A new file is
    // written beside the target and renamed over it.
    int SaveToFile(const std::string& path, TMyPaperSpec& printerPaper);
};

class TMyPrintData {
public:
    explicit TMyPrintData(TMyPrintFormat& format);

    SignatureString Signature;
    std::uint16_t VersionMajor = 0;
    std::uint16_t VersionMinor = 0;
    std::vector<TextString> Cells; // 0..Cols(); entry 0 unused
    std::string FileName;

    void ClearRow();
    int Open(const std::string& path);
    // 0 all six texts read, 1 the file ended first, 3 the file could not be
    // read (the format keeps its texts).
    int ReadHeadFoot();
    // 0 row read (or heading row), 1 the file ended before the row was whole,
    // 3 the file could not be read.
    int ReadRow(int block, int row);
    double ColumnTotal(int col);
    double BlockTotal(int col, int block);
    // Cells in the table area, from the file's size; nothing when it is gone.
    std::optional<std::uint64_t> CellCount() const;

private:
    TMyPrintFormat& format_;
    // Grand totals of every column, remembered with the file they came from.
    struct TotalsCache {
        FileStamp stamp;
        std::string fileName;
        int cols = -1;
        std::vector<double> totals;
    };
    std::optional<TotalsCache> totals_;
};

} // namespace quillet
