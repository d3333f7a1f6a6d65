#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

#include "model/DataFileError.h"
#include "model/PrnData.h"
#include "model/PrnFunction.h"
#include "platform/NumberLocale.h"
#include "tests/model/ModelTestSupport.h"

namespace quillet {
namespace {

using namespace quillet::test;
using Texts = std::vector<std::string>;

void AppendText(Bytes& b, const std::string& text)
{
    b.push_back(static_cast<std::uint8_t>(text.size()));
    b.insert(b.end(), text.begin(), text.end());
    b.insert(b.end(), 200 - text.size(), 0);
}

// A data file: signature, version 1.5, six head and foot texts, then cells.
Bytes DataBytes(const Texts& cells, const Texts& headFoot = Texts(6))
{
    const std::string& sig = DataSignatureBytes();
    Bytes b(sig.begin(), sig.end());
    b.insert(b.end(), { 1, 0, 5, 0 });
    for (const std::string& t : headFoot)
        AppendText(b, t);
    for (const std::string& t : cells)
        AppendText(b, t);
    return b;
}

Texts Row(const TMyPrintData& d)
{
    Texts row;
    for (std::size_t i = 1; i < d.Cells.size(); ++i)
        row.push_back(d.Cells[i].Text());
    return row;
}

void SetMtime(const std::string& path, std::int64_t seconds)
{
    timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { SetCurrentNumberLocale({ ',', '.' }); }
    // Writes the file, shapes the table and opens it.
    void OpenWith(const Bytes& bytes, int cols, int rows, int headRows)
    {
        WriteBytes(path, bytes);
        format.ColCount = static_cast<std::uint16_t>(cols);
        format.RowCount = static_cast<std::uint16_t>(rows);
        format.HeadRowCount = static_cast<std::uint16_t>(headRows);
        ASSERT_EQ(data.Open(path), kFileOk);
    }

    TempDir dir;
    std::string path = dir.File("report.dat");
    TMyPrintFormat format;
    TMyPrintData data { format };
};

TEST_F(DataFileTest, OpenChecksSignatureAndVersion)
{
    // Every refusal of Open, and the file name taken only on success.
    Bytes good = DataBytes({}), badByte = good, v14 = good, v25 = good;
    badByte[5] ^= 1, v14[24] = 4, v25[22] = 2;
    struct Case {
        const char* name;
        Bytes bytes;
        int result;
    } cases[] = {
        { "short", Bytes(good.begin(), good.begin() + 10), kFileBadSignature },
        { "byte", badByte, kFileBadSignature },
        { "v14", v14, kFileBadVersion },
        { "v25", v25, kFileBadVersion },
        { "sigonly", Bytes(good.begin(), good.begin() + 23), kFileIoError },
        { "halfminor", Bytes(good.begin(), good.begin() + 25), kFileIoError },
        { "good", good, kFileOk },
    };
    for (const Case& c : cases) {
        WriteBytes(dir.File(c.name), c.bytes);
        TMyPrintData d(format);
        EXPECT_EQ(d.Open(dir.File(c.name)), c.result) << c.name;
        EXPECT_EQ(d.FileName, c.result == kFileOk ? dir.File(c.name) : "") << c.name;
    }
    EXPECT_EQ(data.Open(dir.File("none")), kFileMissing);
    ::chmod(dir.File("good").c_str(), 0);
    EXPECT_EQ(RunUnprivileged([&] { return TMyPrintData(format).Open(dir.File("good")); }), kFileIoError);
}

TEST_F(DataFileTest, HeadAndFootTextsReplaceTheFormatsOwn)
{
    // All six texts replace the format's, empty ones included; a file cut in
    // the foot keeps what arrived; a file without texts leaves the format's
    // texts alone.
    format.Head[1].Text.SetText("old head");
    format.Foot[3].Text.SetText("old foot");
    OpenWith(DataBytes({}, { "", "H2", "H3", "F1", "F2", "F3" }), 1, 2, 1);
    EXPECT_EQ(data.ReadHeadFoot(), 0);
    EXPECT_EQ(format.Head[1].Text.Text(), "");
    EXPECT_EQ(format.Head[3].Text.Text(), "H3");
    EXPECT_EQ(format.Foot[3].Text.Text(), "F3");

    Bytes cut = DataBytes({}, { "A", "B", "C", "long foot", "x", "y" });
    cut.resize(26 + 3 * 201 + 5);
    OpenWith(cut, 1, 2, 1);
    EXPECT_EQ(data.ReadHeadFoot(), 1);
    EXPECT_EQ(format.Head[2].Text.Text(), "B");
    EXPECT_EQ(format.Foot[1].Text.Text(), "long");
    EXPECT_EQ(format.Foot[2].Text.Text(), "");
    EXPECT_EQ(format.Foot[3].Text.Text(), "");

    cut.resize(26);
    OpenWith(cut, 1, 2, 1);
    EXPECT_EQ(data.ReadHeadFoot(), 1);
    EXPECT_EQ(format.Head[2].Text.Text(), "B");
}

TEST_F(DataFileTest, FileShorterThanItsHeadIsADataFileWithoutCells)
{
    // A file cut inside the page-foot texts: the texts that are there are
    // taken, it counts 0 cells (not "no file"), its rows are empty and its
    // totals 0.
    Bytes cut = DataBytes({}, { "H1", "H2", "H3", "F1", "F2", "F3" });
    cut.resize(26 + 4 * 201 + 50);
    OpenWith(cut, 3, 4, 1);
    EXPECT_EQ(data.CellCount(), 0u);
    EXPECT_EQ(data.ReadHeadFoot(), 1);
    EXPECT_EQ(format.Head[3].Text.Text(), "H3");
    EXPECT_EQ(format.Foot[1].Text.Text(), "F1");
    EXPECT_EQ(format.Foot[2].Text.Text(), "F2"); // the part that arrived
    EXPECT_EQ(format.Foot[3].Text.Text(), "");
    EXPECT_EQ(data.ReadRow(1, 2), 1);
    EXPECT_EQ(Row(data), (Texts { "", "", "" }));
    EXPECT_EQ(data.ColumnTotal(1), 0);
    EXPECT_EQ(data.BlockTotal(1, 1), 0);

    TMyPrintData unopened(format);
    EXPECT_EQ(unopened.CellCount(), std::nullopt); // only a data object without a file has none
}

TEST_F(DataFileTest, RowsFollowTheBlocksOfTheFormat)
{
    // Three columns and seven cells; heading rows take no data; odd numbers
    // give empty rows.
    OpenWith(DataBytes({ "1", "2", "3", "4", "5", "6", "7" }), 3, 3, 1);
    struct Case {
        int block, row, result;
        Texts cells;
    } cases[] = {
        { 1, 1, 0, { "", "", "" } },
        { 1, 2, 0, { "1", "2", "3" } },
        { 1, 3, 0, { "4", "5", "6" } },
        { 2, 2, 1, { "7", "", "" } },
        { 2, 3, 1, { "", "", "" } },
        { 0, 2, 0, { "", "", "" } },
        { 1, 0, 0, { "", "", "" } },
        { -5, -5, 0, { "", "", "" } },
        { 2147483647, 3, 1, { "", "", "" } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(data.ReadRow(c.block, c.row), c.result) << c.block << "/" << c.row;
        EXPECT_EQ(Row(data), c.cells) << c.block << "/" << c.row;
    }
    // 20 rows with one heading row: block 2, row 2 shows data row 19.
    Texts many;
    for (int i = 0; i < 40; ++i)
        many.push_back(std::to_string(i));
    OpenWith(DataBytes(many), 1, 20, 1);
    EXPECT_EQ(data.ReadRow(2, 2), 0);
    EXPECT_EQ(Row(data), Texts { "19" });
}

TEST_F(DataFileTest, TotalsCountNumbersOnly)
{
    // Thousands separators count, texts and -999 add nothing; subtotals cover
    // exactly the rows of their block; columns out of range give 0.
    OpenWith(DataBytes({ "1,234.50", "1", "abc", "2", "-999", "3", "", "4", "2", "5" }), 2, 3, 1);
    EXPECT_EQ(data.ColumnTotal(1), 1236.5);
    EXPECT_EQ(data.ColumnTotal(2), 15);
    EXPECT_EQ(data.BlockTotal(2, 1), 3);
    EXPECT_EQ(data.BlockTotal(2, 2), 7);
    EXPECT_EQ(data.BlockTotal(2, 3), 5);
    EXPECT_EQ(data.BlockTotal(2, 4), 0);
    for (int col : { 0, 3, -1 }) {
        EXPECT_EQ(data.ColumnTotal(col), 0);
        EXPECT_EQ(data.BlockTotal(col, 1), 0);
    }
    EXPECT_EQ(data.BlockTotal(1, 0), 0);
    format.HeadRowCount = 3; // every row a heading row: no data rows, no division by zero
    EXPECT_EQ(data.BlockTotal(1, 1), 0);
    EXPECT_EQ(data.ReadRow(1, 3), 0);
}

TEST_F(DataFileTest, FileRemovedOrReplacedAfterOpenIsStillReadAsOpened)
{
    // The file stays open: removed, or replaced by a new file of the same
    // name, it still gives its rows, texts and totals as it was opened.
    OpenWith(DataBytes({ "1", "2", "3", "4", "5", "6" }, { "H1", "", "", "", "", "F3" }), 3, 5, 1);
    std::filesystem::remove(path);
    EXPECT_EQ(data.CellCount(), 6u);
    EXPECT_EQ(data.ReadRow(1, 3), 0);
    EXPECT_EQ(Row(data), (Texts { "4", "5", "6" }));
    EXPECT_EQ(data.ColumnTotal(1), 5);
    EXPECT_EQ(data.BlockTotal(2, 1), 7);
    EXPECT_EQ(data.ReadHeadFoot(), 0);
    EXPECT_EQ(format.Foot[3].Text.Text(), "F3");

    WriteBytes(path, DataBytes({ "9" }));
    EXPECT_EQ(data.CellCount(), 6u);
    EXPECT_EQ(data.ReadRow(1, 2), 0);
    EXPECT_EQ(Row(data), (Texts { "1", "2", "3" }));
    EXPECT_EQ(data.ColumnTotal(1), 5);
}

TEST_F(DataFileTest, FileCutInPlaceAfterOpenIsAReadError)
{
    // Cut mid-row while the window is open: a read that finds less than the
    // measured size promised throws, with a message naming the file, instead of
    // giving empty cells or a short total; measured again, the file is read as
    // it now is.
    Bytes bytes = DataBytes({ "1", "2", "3", "4", "5", "6" }, { "H1", "H2", "H3", "F1", "F2", "F3" });
    OpenWith(bytes, 3, 5, 1);
    EXPECT_EQ(data.CellCount(), 6u);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kDataHeadSize + 4 * kCellSize + 100)), 0);
    try {
        data.ReadRow(1, 3);
        ADD_FAILURE() << "no error for a row cut off";
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_THROW(data.ColumnTotal(1), DataFileError);
    EXPECT_THROW(data.BlockTotal(1, 1), DataFileError);
    EXPECT_EQ(data.ReadRow(1, 2), 0); // the first row is still all there
    EXPECT_EQ(data.ReadHeadFoot(), 0);

    EXPECT_EQ(data.CellCount(), 4u);
    EXPECT_EQ(data.ReadRow(1, 3), 1);
    EXPECT_EQ(Row(data), (Texts { "4", "", "" }));
    EXPECT_EQ(data.ColumnTotal(1), 5);
    EXPECT_EQ(data.ColumnTotal(2), 2);

    ASSERT_EQ(::truncate(path.c_str(), 600), 0);
    format.Foot[1].Text.SetText("kept");
    EXPECT_THROW(data.ReadHeadFoot(), DataFileError);
    EXPECT_EQ(format.Foot[1].Text.Text(), "kept");
}

TEST_F(DataFileTest, BytesInMemoryReadAsTheFileDoes)
{
    // The same bytes opened from memory (the fuzzers' and tests' way in) give
    // the file's results: refusals, texts, rows, and totals summed over more
    // than one piece; cut in place, they fail as the file does, by name, a
    // name in GBK shown readable.
    Texts cells;
    for (int i = 0; i < 6000; ++i)
        cells.push_back(i % 7 == 0 ? "x" : std::to_string(i % 100) + ".5");
    const Bytes bytes = DataBytes(cells, { "H1", "H2", "H3", "F1", "F2", "F3" });
    ASSERT_GT(bytes.size(), (1u << 20) + kDataHeadSize);
    OpenWith(bytes, 2, 9, 1);
    TMyPrintFormat memoryFormat = format;
    TMyPrintData memory(memoryFormat);
    EXPECT_EQ(memory.Open(std::make_unique<MemoryByteSource>(bytes.data(), 10), "short"), kFileBadSignature);
    EXPECT_EQ(memory.Open(std::make_unique<MemoryByteSource>(bytes.data(), 24), "short"), kFileIoError);
    EXPECT_TRUE(memory.FileName.empty());
    auto owned = std::make_unique<MemoryByteSource>(bytes.data(), bytes.size());
    MemoryByteSource& source = *owned;
    // A name in GBK bytes, as archives made on Chinese Windows give them.
    ASSERT_EQ(memory.Open(std::move(owned), "/in memory/\xC9\xCF\xBA\xA3.dat"), kFileOk);

    EXPECT_EQ(memory.ReadHeadFoot(), data.ReadHeadFoot());
    EXPECT_EQ(memoryFormat.Foot[3].Text.Text(), "F3");
    EXPECT_EQ(memory.CellCount(), data.CellCount());
    for (int block : { 1, 2, 374, 375, 376 })
        for (int row = 1; row <= 9; ++row) {
            EXPECT_EQ(memory.ReadRow(block, row), data.ReadRow(block, row)) << block << " " << row;
            EXPECT_EQ(Row(memory), Row(data)) << block << " " << row;
        }
    for (int col : { 1, 2 }) {
        EXPECT_EQ(memory.ColumnTotal(col), data.ColumnTotal(col));
        EXPECT_EQ(memory.BlockTotal(col, 5), data.BlockTotal(col, 5));
    }
    EXPECT_NE(memory.ColumnTotal(2), 0);

    source.Shrink(kDataHeadSize + 3 * kCellSize);
    EXPECT_THROW(memory.ReadRow(1, 3), DataFileError); // cells 3 and 4: only 3 is left
    EXPECT_EQ(memory.ReadRow(1, 2), 0); // cells 1 and 2 are still there
    try {
        memory.ColumnTotal(1);
        ADD_FAILURE() << "no error for totals of a cut source";
    } catch (const DataFileError& e) {
        EXPECT_EQ(std::string(e.what()), "数据文件\"/in memory/上海.dat\"被截短了,读不到应有的数据!");
    }
    EXPECT_EQ(memory.CellCount(), 3u);
    EXPECT_EQ(memory.ColumnTotal(1), 2.5); // "x" and "2.5"; "1.5" is column 2
}

TEST_F(DataFileTest, OversizedCountsAreClampedAndLengthsRefused)
{
    // A stored column count past 500 is clamped; a cell length byte past 200
    // is damage, reported with the file, the cell and the reason (the zero
    // bytes after "85" once cut the message short).
    Bytes bytes = DataBytes({ "85" });
    bytes[kDataHeadSize] = 250;
    OpenWith(bytes, 60000, 2, 1);
    try {
        data.ReadRow(1, 2);
        ADD_FAILURE() << "no error for a cell longer than it can be";
    } catch (const DataFileError& e) {
        EXPECT_EQ(std::string(e.what()),
            "数据文件\"" + path + "\"中第1条数据的第1列已损坏:长度是250个字节,超过了一个单元格最多的200个字节!");
    }
    EXPECT_EQ(data.Cells.size(), 501u);
    for (const TextString& cell : data.Cells)
        EXPECT_LE(cell.Length, TextString::Capacity);
    EXPECT_EQ(data.ColumnTotal(500), 0);
}

TEST_F(DataFileTest, GrandTotalsFollowAFileRewrittenInPlace)
{
    // Remembered grand totals are summed again when the open file's size or
    // time or the column count changes, and only then; cells added in place
    // count once the file is measured again.
    OpenWith(DataBytes({ "1", "2", "3", "4" }), 2, 3, 1);
    SetMtime(path, 1000);
    EXPECT_EQ(data.ColumnTotal(1), 4);
    WriteBytes(path, DataBytes({ "5", "2", "3", "4" }));
    SetMtime(path, 1000);
    EXPECT_EQ(data.ColumnTotal(1), 4); // same size and time: the remembered total
    SetMtime(path, 2000);
    EXPECT_EQ(data.ColumnTotal(1), 8);
    WriteBytes(path, DataBytes({ "5", "2", "3", "4", "10", "0" }));
    SetMtime(path, 2000);
    EXPECT_EQ(data.ColumnTotal(1), 8); // the new row lies past the measured size
    EXPECT_EQ(data.CellCount(), 6u);
    EXPECT_EQ(data.ColumnTotal(1), 18);
    format.ColCount = 3;
    EXPECT_EQ(data.ColumnTotal(1), 9);
    EXPECT_EQ(data.ColumnTotal(3), 3);
}

} // namespace
} // namespace quillet
