#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/GbkCodec.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

// The text of the short string[200] at offset in a data file image.
std::string TextAt(const std::string& file, std::size_t offset)
{
    auto len = static_cast<unsigned char>(file.at(offset));
    return file.substr(offset + 1, len);
}

std::string CellAt(const std::string& file, std::size_t row, std::size_t col)
{
    return TextAt(file, 1232 + (row * kExampleColumns + col) * 201);
}

class ExampleFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("quillet-example-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

// The data file's head is laid out exactly as a reader expects: the GBK
// signature with its length byte, versions 1 and 5, six texts of 201 bytes.
TEST_F(ExampleFolder, DataFileHeadMatchesHandMadeBytes)
{
    fs::create_directories(dir);
    const fs::path path = dir / "d.dat";
    ASSERT_TRUE(WriteExampleData(path.string(), 0));
    const std::string file = ReadAll(path);
    ASSERT_EQ(file.size(), 1232u);

    const std::string expected = Bytes({ 0x15, 0x2e, 0x42, 0x72, 0x65, 0x6c, 0x6c, 0x69, 0x73, 0x6b, 0x2e,
        0x2d, 0xb4, 0xf2, 0xd3, 0xa1, 0xd3, 0xc3, 0xca, 0xfd, 0xbe, 0xdd, 0x01, 0x00, 0x05, 0x00 });
    EXPECT_EQ(file.substr(0, 26), expected);
    // 部门：销售一部, length 14.
    EXPECT_EQ(file.substr(26, 15),
        Bytes({ 0x0e, 0xb2, 0xbf, 0xc3, 0xc5, 0xa3, 0xba, 0xcf, 0xfa, 0xca, 0xdb, 0xd2, 0xbb, 0xb2, 0xbf }));
    // Bytes after a text's length are zero.
    EXPECT_EQ(file.substr(26 + 15, 201 - 15), std::string(201 - 15, '\0'));
    const auto texts = ExampleHeadFootTexts();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(TextAt(file, 26 + 201 * i), texts[i]) << "text " << i;
}

// Every block of the data leaves its two bottom rows empty for the subtotal
// and the grand total, and the lines continue after them.
TEST_F(ExampleFolder, BlocksLeaveTheirFootRowsEmpty)
{
    fs::create_directories(dir);
    const fs::path path = dir / "d.dat";
    const int rows = 2 * kExampleDataRowsPerBlock + 3; // two full blocks and three lines
    ASSERT_TRUE(WriteExampleData(path.string(), rows));
    const std::string file = ReadAll(path);

    const std::size_t fileRows = rows + 2 * kExampleFootRows;
    ASSERT_EQ(file.size(), 1232 + fileRows * kExampleColumns * 201);

    const std::size_t perBlock = kExampleDataRowsPerBlock + kExampleFootRows;
    int line = 0;
    for (std::size_t r = 0; r < fileRows; ++r) {
        const bool footRow = r % perBlock >= static_cast<std::size_t>(kExampleDataRowsPerBlock);
        const auto cells = footRow ? std::vector<std::string>(kExampleColumns) : ExampleRowCells(line++);
        for (int c = 0; c < kExampleColumns; ++c)
            ASSERT_EQ(CellAt(file, r, c), cells[c]) << "row " << r << " column " << c;
    }
    EXPECT_EQ(line, rows);
}

// The ledger lines hold numbers a strict decimal reader accepts, amounts that
// are quantity times price to the cent, some returns, and dates in order.
TEST(ExampleRows, LinesAreConsistentLedgerEntries)
{
    int returns = 0;
    std::string lastDate;
    std::set<std::string> numbers;
    for (int i = 0; i < 600; ++i) {
        const auto cells = ExampleRowCells(i);
        ASSERT_EQ(cells.size(), static_cast<std::size_t>(kExampleColumns));
        EXPECT_GE(cells[0], lastDate) << "line " << i;
        lastDate = cells[0];
        EXPECT_TRUE(numbers.insert(cells[1]).second) << "document number repeats: " << cells[1];
        for (int c = 2; c < 4; ++c) {
            EXPECT_FALSE(cells[c].empty());
            EXPECT_EQ(Utf8ToGbk(GbkToUtf8(cells[c])), cells[c]) << "not clean GBK";
        }
        for (int c = 4; c < 7; ++c)
            EXPECT_EQ(cells[c].find(','), std::string::npos) << cells[c];
        char* end = nullptr;
        const long qty = std::strtol(cells[4].c_str(), &end, 10);
        EXPECT_EQ(*end, '\0');
        const double price = std::strtod(cells[5].c_str(), &end);
        EXPECT_EQ(*end, '\0');
        const double amount = std::strtod(cells[6].c_str(), &end);
        EXPECT_EQ(*end, '\0');
        EXPECT_NEAR(amount, qty * price, 0.001) << "line " << i;
        if (qty < 0) {
            ++returns;
            EXPECT_EQ(cells[1].substr(0, 2), "TH");
        }
    }
    EXPECT_GT(returns, 10);
    EXPECT_LT(returns, 100);
    EXPECT_EQ(ExampleRowCells(0)[0], "2024-03-01");
    EXPECT_EQ(ExampleRowCells(309)[0], "2024-03-31");
    EXPECT_EQ(ExampleRowCells(310)[0], "2024-04-01");
    EXPECT_EQ(ExampleRowCells(7), ExampleRowCells(7));
}

// The layout is a consistent table: widths fit between the A4 margins, a
// block fits the sheet's height, and every merged cell lies in the table and
// sums a numeric column.
TEST(ExampleLayout, FitsA4AndReferencesRealColumns)
{
    TMyPrintFormat f;
    BuildExampleFormat(f);
    ASSERT_EQ(f.ColCount, kExampleColumns);
    ASSERT_EQ(f.RowCount, kExampleRowsPerBlock);
    EXPECT_EQ(f.HeadRowCount, kExampleHeadRows);
    EXPECT_EQ(f.FootRowCount, kExampleFootRows);

    int width = 0;
    for (int c = 1; c <= f.ColCount; ++c)
        width += f.ColWidth[c];
    EXPECT_LE(width, 210 - f.MarginLeft - f.MarginRight);

    // Rows, the 12 mm every block reserves, and generous text heights
    // (1.5 times the point size) for company line, title, head and foot.
    int rows = 0;
    for (int r = 1; r <= f.RowCount; ++r)
        rows += f.RowHeight[r];
    auto mm = [](int points) { return static_cast<int>(std::ceil(points * 1.5 * 25.4 / 72)); };
    const int block = rows + 12 + mm(f.Company.FontSize) + mm(f.Title.FontSize) + 3 + mm(f.Head[1].FontSize)
        + mm(f.Foot[1].FontSize) + 2;
    // The page number stands 10 mm above the bottom edge of a 290 mm sheet.
    EXPECT_LE(f.MarginTop + block, 290 - 15);

    int used = 0, sums = 0;
    for (int s = 1; s <= kMaxMergedCells; ++s) {
        const TMyMergedCell& m = f.MergedCells[s];
        if (m.Top == 0)
            continue;
        ++used;
        EXPECT_TRUE(m.Kind == kMergedText || m.Kind == kMergedSubtotal || m.Kind == kMergedGrandTotal);
        EXPECT_GE(m.Left, 1);
        EXPECT_LE(m.Left, m.Right);
        EXPECT_LE(m.Right, f.ColCount);
        EXPECT_LE(m.Top, m.Bottom);
        EXPECT_LE(m.Bottom, f.RowCount);
        EXPECT_FALSE(m.Item.FontName.Empty());
        if (m.Kind != kMergedText) {
            ++sums;
            const int col = std::atoi(m.Item.Text.Text().c_str());
            ASSERT_GE(col, 1);
            ASSERT_LE(col, f.ColCount);
            EXPECT_NE(f.ColDecimals[col], kTextColumn) << "slot " << s;
            EXPECT_GT(m.Top, f.RowCount - f.FootRowCount) << "sums belong to the foot rows";
        }
    }
    EXPECT_EQ(used, 14);
    EXPECT_EQ(sums, 4);
    EXPECT_EQ(f.TitleLine.Style, 2);
    EXPECT_EQ(f.PrintPageNumber, 1);
}

// The example folder is created when missing and holds a format file that
// reads back as the layout that was built, on A4 portrait paper.
TEST_F(ExampleFolder, ReportRoundTripsThroughTheFormatReader)
{
    ASSERT_TRUE(WriteExampleReport((dir / "sub").string(), 40));
    const fs::path fmt = dir / "sub" / kExampleFormatName;
    ASSERT_TRUE(fs::exists(dir / "sub" / kExampleDataName));
    ASSERT_TRUE(fs::exists(fmt));
    EXPECT_EQ(fs::file_size(fmt), kFormatFileSize);
    EXPECT_FALSE(fs::exists(dir / "sub" / "example.dat.part"));

    TMyPrintFormat loaded;
    ASSERT_EQ(loaded.LoadFromFile(fmt.string()), kFileOk);
    EXPECT_EQ(loaded.PaperSize, 9);
    EXPECT_EQ(loaded.PaperWidth, 210);
    EXPECT_EQ(loaded.PaperLength, 290);
    EXPECT_EQ(loaded.Orientation, 1);

    TMyPrintFormat built;
    BuildExampleFormat(built);
    built.Signature = loaded.Signature;
    built.VersionMajor = loaded.VersionMajor;
    built.VersionMinor = loaded.VersionMinor;
    built.PaperSize = loaded.PaperSize;
    built.PaperWidth = loaded.PaperWidth;
    built.PaperLength = loaded.PaperLength;
    built.Orientation = loaded.Orientation;
    EXPECT_TRUE(built == loaded);

    TMyPrintData data(loaded);
    EXPECT_EQ(data.Open((dir / "sub" / kExampleDataName).string()), kFileOk);
}

// A folder that cannot be created makes the writer report failure rather
// than leave a half-written example.
TEST_F(ExampleFolder, UnwritableFolderFails)
{
    fs::create_directories(dir);
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(WriteExampleReport((dir / "file" / "sub").string(), 5));
    EXPECT_FALSE(WriteExampleData((dir / "missing" / "d.dat").string(), 5));
}

// The command line of make_example, run in an empty folder: help and unknown
// options print the usage and write nothing, so no folder is ever named after
// an option; a folder, with a count or --sparse, gets its report.
TEST_F(ExampleFolder, CommandLineWritesOnlyIntoFolders)
{
    struct Case {
        std::string arguments;
        int status;
        const char* output; // what standard output and error together hold
        std::vector<std::string> written; // what the folder holds afterwards
    };
    const std::vector<Case> cases = {
        { "--help", 0, "usage: make_example <folder>", {} },
        { "-h", 0, "usage: make_example <folder>", {} },
        { "out -h", 0, "usage: make_example <folder>", {} },
        { "--rows 5", 2, "make_example: unknown option --rows", {} },
        { "-x", 2, "make_example: unknown option -x", {} },
        { "out --dense 5", 2, "make_example: unknown option --dense", {} },
        { "", 2, "usage: make_example <folder>", {} },
        { "out -5", 2, "rows must be a whole number", {} },
        { "./-h 3", 0, "", { "-h" } },
        { "out 3", 0, "", { "out" } },
        { "out --sparse 2", 0, "", { "out" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        fs::remove_all(dir);
        fs::create_directories(dir);
        const fs::path log = dir.parent_path() / (dir.filename().string() + ".log");
        const std::string command = "cd '" + dir.string() + "' && ASAN_OPTIONS=detect_leaks=0 '"
            + QUILLET_MAKE_EXAMPLE + "' " + c.arguments + " >'" + log.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.status);
        const std::string output = ReadAll(log);
        fs::remove(log);
        EXPECT_NE(output.find(c.output), std::string::npos) << output;
        std::vector<std::string> written;
        for (const auto& entry : fs::directory_iterator(dir))
            written.push_back(entry.path().filename().string());
        EXPECT_EQ(written, c.written);
    }
}

} // namespace
} // namespace quillet
