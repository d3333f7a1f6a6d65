#pragma once
// The in-memory print layout of one report. Field order and widths follow the
// format file; arrays are numbered from 1 (index 0 is unused) so code reads
// like the layout it implements. Texts are GBK bytes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

constexpr int kMaxCols = 500;
constexpr int kMaxRows = 500;
constexpr int kMaxMergedCells = 50;
constexpr int kHeadFootLines = 3;

// A Pascal short string: a length byte then N bytes of GBK text. Bytes after
// the length are kept as they are so a loaded layout saves back unchanged.
template <std::size_t N>
struct ShortString {
    std::uint8_t Length = 0;
    std::array<char, N> Bytes{};

    static constexpr std::size_t Capacity = N;

    std::string Text() const { return std::string(Bytes.data(), std::min<std::size_t>(Length, N)); }
    std::string_view View() const { return std::string_view(Bytes.data(), std::min<std::size_t>(Length, N)); }
    // Stores text cut to the capacity; bytes after it are left as they were.
    void SetText(std::string_view text)
    {
        std::size_t n = std::min(text.size(), N);
        std::copy_n(text.data(), n, Bytes.begin());
        Length = static_cast<std::uint8_t>(n);
    }
    bool Empty() const { return Length == 0; }
    void Clear() { Length = 0; }
    bool operator==(const ShortString&) const = default;
};

using FontNameString = ShortString<20>;
using TextString = ShortString<200>;
using SignatureString = ShortString<21>;

// One text with its font (232 bytes in the file).
struct TMyTextItem {
    FontNameString FontName;
    std::uint8_t Pad1 = 0;
    std::uint16_t FontSize = 0;
    std::uint32_t FontColor = 0;
    std::uint8_t Align = 0; // 1 left, 2 centre, 3 right
    std::uint8_t Wrap = 0;  // 1 = several lines inside the cell
    TextString Text;
    std::uint8_t Pad2 = 0;
    bool operator==(const TMyTextItem&) const = default;
};

// One rule (8 bytes): style 0..5 and colour.
struct TMyLineSpec {
    std::uint8_t Style = 0;
    std::array<std::uint8_t, 3> Pad{};
    std::uint32_t Color = 0;
    bool operator==(const TMyLineSpec&) const = default;
};

// Merged-cell kinds.
constexpr std::uint8_t kMergedSubtotal = 2;
constexpr std::uint8_t kMergedGrandTotal = 3;
constexpr std::uint8_t kMergedText = 255;

// One merged-cell text over the table (252 bytes).
struct TMyMergedCell {
    std::int32_t Left = 0;
    std::int32_t Top = 0; // 0 = empty slot
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    TMyTextItem Item;
    std::uint8_t Kind = 0;
    std::array<std::uint8_t, 3> Pad{};
    bool operator==(const TMyMergedCell&) const = default;
};

constexpr std::uint8_t kTextColumn = 255; // ColDecimals value of a text column

// The whole layout. Pad members stand where the record has pad bytes; the
// three marked "memory only" never reach the file.
struct TMyFormatRecord {
    SignatureString Signature;
    std::uint16_t VersionMajor = 0;
    std::uint16_t VersionMinor = 0;
    std::array<std::uint8_t, 72> Reserved{};
    std::uint8_t InterfaceStyle = 0;
    std::uint8_t PrintCompany = 0;
    std::uint8_t PrintTitle = 0;
    std::uint8_t PrintPageHead = 0;
    std::uint8_t PrintPageFoot = 0;
    std::uint8_t PrintPageNumber = 0;
    std::uint8_t MultiTables = 0;
    std::uint8_t PadMemory1 = 0; // memory only
    std::uint16_t TableGap = 10;
    std::uint8_t TableGapLine = 0;
    std::uint8_t NegativeRed = 0;
    std::uint8_t KeepEmptyGrid = 0;
    std::uint8_t PadMemory2 = 0; // memory only
    std::uint16_t HeadRowCount = 1;
    std::int16_t PaperSize = 9;
    std::uint16_t PaperLength = 0;
    std::uint16_t PaperWidth = 0;
    std::uint8_t Orientation = 0;
    std::uint8_t HorPlace = 2;
    std::uint8_t VerPlace = 1;
    std::uint8_t PadPaper = 0;
    std::uint16_t MarginTop = 25;
    std::uint16_t MarginBottom = 25;
    std::uint16_t MarginLeft = 30;
    std::uint16_t MarginRight = 30;
    TMyTextItem Company;
    TMyLineSpec CompanyLine;
    TMyTextItem Title;
    TMyLineSpec TitleLine;
    std::uint8_t HeadMultiLine = 0;
    std::array<std::uint8_t, 3> PadHead{};
    std::array<TMyTextItem, kHeadFootLines + 1> Head{}; // 1..3
    std::uint16_t ColCount = 0; // as stored; use Cols() for layout
    std::uint16_t RowCount = 0; // as stored; use Rows() for layout
    TMyLineSpec FrameLine;
    std::array<std::uint8_t, kMaxCols + 1> ColWidth{};    // 1..500, mm
    std::array<std::uint8_t, kMaxRows + 1> RowHeight{};   // 1..500, mm
    std::array<std::uint8_t, kMaxCols + 1> ColDecimals{}; // 1..500
    std::array<TMyTextItem, kMaxCols + 1> ColItem{};      // 1..500
    std::array<TMyLineSpec, kMaxCols> ColLine{};          // 1..499
    std::array<TMyLineSpec, kMaxRows> RowLine{};          // 1..499
    std::uint16_t FootRowCount = 0;
    std::array<std::uint8_t, 2> PadMemory3{}; // memory only
    std::uint8_t FootMultiLine = 0;
    std::array<std::uint8_t, 3> PadFoot{};
    std::array<TMyTextItem, kHeadFootLines + 1> Foot{};               // 1..3
    std::array<TMyMergedCell, kMaxMergedCells + 1> MergedCells{};     // 1..50

    // Counts as used for layout: never past the arrays, never negative.
    int Cols() const { return std::min<int>(ColCount, kMaxCols); }
    int Rows() const { return std::min<int>(RowCount, kMaxRows); }
    int HeadRows() const { return std::min<int>(HeadRowCount, Rows()); }
    // Data rows of one table block; 0 when the heading rows take every row.
    int DataRowsPerBlock() const { return Rows() - HeadRows(); }
    int FootRows() const { return std::min<int>(FootRowCount, Rows()); }

    bool operator==(const TMyFormatRecord&) const = default;
};

// A bool byte counts as on only when it equals 1.
inline bool IsOn(std::uint8_t flag) { return flag == 1; }

} // namespace quillet
