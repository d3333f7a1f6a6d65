// CSV and TSV files read as data rows through the data object, and the
// faults of a bad file named by file and line.
#include <gtest/gtest.h>

#include <fstream>
#include <malloc.h>
#include <string>
#include <thread>
#include <vector>

#include "model/PrnData.h"
#include "platform/GbkCodec.h"
#include "sources/CsvData.h"
#include "tests/TempDir.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

// A layout of `cols` columns, one heading row and 10 data rows a block.
TMyPrintFormat Layout(int cols)
{
    TMyPrintFormat format;
    format.ColCount = static_cast<std::uint16_t>(cols);
    format.RowCount = 11;
    format.HeadRowCount = 1;
    return format;
}

std::string CellText(const TMyPrintData& data, int col)
{
    return GbkToUtf8(data.Cells[static_cast<std::size_t>(col)].Text());
}

// The data rows as UTF-8 texts, as the data object reads them.
std::vector<std::vector<std::string>> Rows(TMyPrintData& data, const TMyPrintFormat& format)
{
    std::vector<std::vector<std::string>> rows;
    const std::uint64_t cells = data.CellCount().value_or(0);
    const std::uint64_t count = cells / static_cast<std::uint64_t>(format.Cols());
    for (std::uint64_t i = 0; i < count; ++i) {
        const int block = static_cast<int>(i / 10) + 1;
        const int row = static_cast<int>(i % 10) + 2;
        EXPECT_EQ(data.ReadRow(block, row), 0);
        std::vector<std::string> texts;
        for (int c = 1; c <= format.Cols(); ++c)
            texts.push_back(CellText(data, c));
        rows.push_back(texts);
    }
    return rows;
}

using Table = std::vector<std::vector<std::string>>;

TEST(CsvDataTest, RowsReadAsTheDataFilesCells)
{
    const std::string longText(150, 'x');
    const auto chinese = [](int count) {
        std::string s;
        for (int i = 0; i < count; ++i)
            s += "汉";
        return s;
    };
    const std::string chinese120 = chinese(120);
    struct Case {
        const char* name;
        std::string file; // the name's ending decides the separator
        std::string bytes;
        CsvEncoding encoding;
        Table rows;
    };
    const std::vector<Case> cases = {
        { "plain, LF, no final line break", "a.csv", "h1,h2\n1,2\n3,4", CsvEncoding::Detect,
            { { "1", "2" }, { "3", "4" } } },
        { "CRLF and a final line break", "a.csv", "h1,h2\r\n1,2\r\n3,4\r\n", CsvEncoding::Detect,
            { { "1", "2" }, { "3", "4" } } },
        { "quoted commas, doubled quotes, line breaks", "a.csv",
            "h1,h2\r\n\"a,b\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",x\r\n", CsvEncoding::Detect,
            { { "a,b", "say \"hi\"" }, { "two\r\nlines", "x" } } },
        { "empty fields and blank lines", "a.csv", "h1,h2\n\n,\n\"\",b\n\n", CsvEncoding::Detect,
            { { "", "" }, { "", "b" } } },
        { "UTF-8 with a mark", "a.csv", "\xEF\xBB\xBF名称,数量\n苹果,3\n", CsvEncoding::Detect,
            { { "苹果", "3" } } },
        { "UTF-8 without a mark", "a.csv", "名称,数量\n梨,4\n", CsvEncoding::Detect, { { "梨", "4" } } },
        { "GBK detected", "a.csv", Utf8ToGbk("名称,数量\n香蕉,5\n"), CsvEncoding::Detect,
            { { "香蕉", "5" } } },
        // "涓" in GBK is also valid UTF-8 bytes of another text.
        { "GBK given", "a.csv", Utf8ToGbk("名称,数量\n涓,6\n"), CsvEncoding::Gbk, { { "涓", "6" } } },
        { "TSV: commas are text", "a.TSV", "h1\th2\na,b\t\"c\td\"\n", CsvEncoding::Detect,
            { { "a,b", "c\td" } } },
        { "extra cells left out, missing ones empty", "a.csv", "h1,h2\n1,2,3\n4\n", CsvEncoding::Detect,
            { { "1", "2" }, { "4", "" } } },
        { "long cells cut at 200 bytes between characters", "a.csv",
            "h1,h2\n" + longText + longText + "," + chinese120 + "\n", CsvEncoding::Detect,
            { { std::string(200, 'x'), chinese120.substr(0, 100 * 3) } } },
        // Only the start of a very long field is kept, and never half a character.
        { "a very long UTF-8 field", "a.csv", "h1,h2\n\"" + chinese(5000) + "\",2\n", CsvEncoding::Detect,
            { { chinese(100), "2" } } },
        { "headings only", "a.csv", "h1,h2\n", CsvEncoding::Detect, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string path = dir.File(c.file);
        test::Write(path, c.bytes);
        TMyPrintFormat format = Layout(2);
        TMyPrintData data(format);
        ASSERT_EQ(OpenCsvData(data, format, path, c.encoding), "");
        EXPECT_EQ(Rows(data, format), c.rows);
    }
}

TEST(CsvDataTest, ManyRowsInAnyOrderWithTotalsAndHeadings)
{
    test::TempDir dir;
    const std::string path = dir.File("many.csv");
    std::string bytes = "编号,金额\n";
    for (int i = 1; i <= 1000; ++i)
        bytes += std::to_string(i) + (i % 7 == 0 ? ",\"" + std::to_string(i) + "\n\"\n" : "," + std::to_string(i) + "\n");
    test::Write(path, bytes);
    TMyPrintFormat format = Layout(2);
    format.Head[1].Text.SetText(Utf8ToGbk("页头"));
    std::string message;
    auto source = CsvByteSource::Open(path, CsvEncoding::Detect, message);
    ASSERT_TRUE(source) << message;
    EXPECT_EQ(source->RowCount(), 1000u);
    ASSERT_EQ(source->Headings().size(), 2u);
    EXPECT_EQ(GbkToUtf8(source->Headings()[0]), "编号");
    source->UseLayout(format);
    TMyPrintData data(format);
    ASSERT_EQ(data.Open(std::move(source), path), kFileOk);
    // The layout's own page texts stay.
    EXPECT_EQ(data.ReadHeadFoot(), 0);
    EXPECT_EQ(GbkToUtf8(format.Head[1].Text.Text()), "页头");
    for (int i : { 1000, 1, 500, 65, 64, 63, 999, 128 }) {
        ASSERT_EQ(data.ReadRow((i - 1) / 10 + 1, (i - 1) % 10 + 2), 0);
        EXPECT_EQ(CellText(data, 1), std::to_string(i));
    }
    EXPECT_DOUBLE_EQ(data.ColumnTotal(1), 500500.0);
}

TEST(CsvDataTest, FaultsNameTheFileAndLine)
{
    struct Case {
        std::string bytes;
        CsvEncoding encoding;
        std::string reason;
    };
    const std::vector<Case> cases = {
        { "h1,h2\n1,2\n3,\"open\n4,5\n", CsvEncoding::Detect, "第3行：引号没有结束" },
        { "h1,h2\n\"a\nb\",2\n\"c\n", CsvEncoding::Detect, "第4行：引号没有结束" },
        { "h1,h2\n1,2\n3,😀\n", CsvEncoding::Detect, "第3行：有GBK不能表示的文字" },
        { "\xEF\xBB\xBFh1,h2\n1,2\n\xB0\xA1,3\n", CsvEncoding::Detect, "第3行：不是UTF-8文字" },
        { "h1,h2\n" + Utf8ToGbk("啊,1\n"), CsvEncoding::Utf8, "第2行：不是UTF-8文字" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        test::TempDir dir;
        const std::string path = dir.File("坏.csv");
        test::Write(path, c.bytes);
        TMyPrintFormat format = Layout(2);
        TMyPrintData data(format);
        EXPECT_EQ(OpenCsvData(data, format, path, c.encoding), "数据文件“" + path + "”" + c.reason);
        EXPECT_FALSE(data.CellCount().has_value());
    }
}

// A second data object over the same data file or CSV file reads the same
// lines on another thread while the first reads on, and after the file was
// removed and the first one is gone.
TEST(CsvDataTest, ATwinReadsTheSameLinesOnAnotherThread)
{
    constexpr int kLines = 100;
    for (const char* name : { "ledger.dat", "ledger.csv" }) {
        SCOPED_TRACE(name);
        test::TempDir dir;
        const std::string path = dir.File(name);
        TMyPrintFormat format;
        BuildExampleFormat(format);
        auto data = std::make_unique<TMyPrintData>(format);
        if (IsCsvDataPath(path)) {
            std::string bytes = "a,b,c,d,e,f,g\n";
            for (int i = 0; i < kLines; ++i) {
                for (const std::string& cell : ExampleRowCells(i))
                    bytes += "\"" + GbkToUtf8(cell) + "\",";
                bytes.back() = '\n';
            }
            test::Write(path, bytes);
            ASSERT_EQ(OpenCsvData(*data, format, path, CsvEncoding::Detect), "");
        } else {
            ASSERT_TRUE(WriteExampleData(path, kLines));
            ASSERT_EQ(data->Open(path), kFileOk);
        }
        TMyPrintFormat copy = format;
        std::unique_ptr<TMyPrintData> twin = data->Twin(copy);
        ASSERT_TRUE(twin);
        std::remove(path.c_str());
        // Line i's cells as a data object reads them.
        const auto line = [](TMyPrintData& d, int i) {
            d.ReadRow(i / kExampleDataRowsPerBlock + 1, kExampleHeadRows + i % kExampleDataRowsPerBlock + 1);
            std::vector<std::string> cells;
            for (int c = 1; c <= kExampleColumns; ++c)
                cells.push_back(d.Cells[static_cast<std::size_t>(c)].Text());
            return cells;
        };
        std::vector<std::vector<std::string>> onThread(kLines), here(kLines);
        std::thread other([&] {
            for (int i = 0; i < kLines; ++i)
                onThread[static_cast<std::size_t>(i)] = line(*twin, i);
        });
        for (int i = kLines - 1; i >= 0; --i)
            here[static_cast<std::size_t>(i)] = line(*data, i);
        other.join();
        for (int i = 0; i < kLines; ++i) {
            EXPECT_EQ(onThread[static_cast<std::size_t>(i)], ExampleRowCells(i)) << i;
            EXPECT_EQ(here[static_cast<std::size_t>(i)], ExampleRowCells(i)) << i;
        }
        data.reset();
        EXPECT_EQ(line(*twin, kLines - 1), ExampleRowCells(kLines - 1));
    }
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

// The bytes the program holds allocated now, freed ones waiting in the
// sanitizer's quarantine left out.
std::size_t AllocatedBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// A million lines (40 MB) read through, summed and read at both ends: what
// stays allocated is a small part of the file.
TEST(CsvDataTest, MillionLinesInFlatMemory)
{
    test::TempDir dir;
    const std::string path = dir.File("million.csv");
    {
        std::ofstream out(path, std::ios::binary);
        out << "编号,说明,金额\n";
        for (int i = 1; i <= 1000000; ++i)
            out << i << ",第" << i << "行的说明文字," << (i % 100) << ".5\n";
    }
    const std::size_t before = AllocatedBytes();
    TMyPrintFormat format = Layout(3);
    TMyPrintData data(format);
    ASSERT_EQ(OpenCsvData(data, format, path, CsvEncoding::Detect), "");
    EXPECT_DOUBLE_EQ(data.ColumnTotal(3), 10000.0 * 4950 + 500000.0);
    for (int i : { 1000000, 1, 500001 }) {
        ASSERT_EQ(data.ReadRow((i - 1) / 10 + 1, (i - 1) % 10 + 2), 0);
        EXPECT_EQ(CellText(data, 1), std::to_string(i));
    }
    EXPECT_LT(AllocatedBytes() - before, 2u << 20);
}

} // namespace
} // namespace quillet
