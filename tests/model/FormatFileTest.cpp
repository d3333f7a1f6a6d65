#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

#include "model/PrnData.h"
#include "tests/model/ModelTestSupport.h"

namespace quillet {
namespace {

using namespace quillet::test;

// A format file of zeros with a good signature and version 1.5, cut to size.
Bytes ValidHeader(std::size_t size = kFormatFileSize)
{
    Bytes b(kFormatFileSize, 0);
    const std::string& sig = FormatSignatureBytes();
    std::copy(sig.begin(), sig.end(), b.begin());
    Put16(b, 22, 1);
    Put16(b, 24, 5);
    b.resize(size);
    return b;
}

template <std::size_t N> void Fill(ShortString<N>& s, std::mt19937& rng)
{
    s.Length = static_cast<std::uint8_t>(rng() % (N + 1));
    for (char& c : s.Bytes)
        c = static_cast<char>(rng());
}

template <class T> void Fill(T& v, std::mt19937& rng) requires std::is_integral_v<T>
{
    v = static_cast<T>(rng());
}

template <class T, std::size_t N> void Fill(std::array<T, N>& a, std::mt19937& rng)
{
    for (T& v : a)
        Fill(v, rng);
}

void Fill(TMyTextItem& t, std::mt19937& rng)
{
    Fill(t.FontName, rng), Fill(t.Pad1, rng), Fill(t.FontSize, rng), Fill(t.FontColor, rng);
    Fill(t.Align, rng), Fill(t.Wrap, rng), Fill(t.Text, rng), Fill(t.Pad2, rng);
}

void Fill(TMyLineSpec& l, std::mt19937& rng)
{
    Fill(l.Style, rng), Fill(l.Pad, rng), Fill(l.Color, rng);
}

void Fill(TMyMergedCell& m, std::mt19937& rng)
{
    Fill(m.Left, rng), Fill(m.Top, rng), Fill(m.Right, rng), Fill(m.Bottom, rng);
    Fill(m.Item, rng), Fill(m.Kind, rng), Fill(m.Pad, rng);
}

// Every field that reaches the file, pads included; index 0 of the arrays, the
// reserved block and the in-memory pads stay as constructed.
void FillRecord(TMyFormatRecord& r, unsigned seed)
{
    std::mt19937 rng(seed);
    for (std::uint8_t* f : { &r.InterfaceStyle, &r.PrintCompany, &r.PrintTitle, &r.PrintPageHead,
             &r.PrintPageFoot, &r.PrintPageNumber, &r.MultiTables, &r.TableGapLine, &r.NegativeRed,
             &r.KeepEmptyGrid, &r.HorPlace, &r.VerPlace, &r.PadPaper, &r.HeadMultiLine, &r.FootMultiLine })
        Fill(*f, rng);
    for (std::uint16_t* f : { &r.TableGap, &r.HeadRowCount, &r.MarginTop, &r.MarginBottom, &r.MarginLeft,
             &r.MarginRight, &r.ColCount, &r.RowCount, &r.FootRowCount })
        Fill(*f, rng);
    Fill(r.Company, rng), Fill(r.CompanyLine, rng), Fill(r.Title, rng), Fill(r.TitleLine, rng);
    Fill(r.PadHead, rng), Fill(r.PadFoot, rng), Fill(r.FrameLine, rng);
    for (int i = 1; i <= kHeadFootLines; ++i)
        Fill(r.Head[i], rng), Fill(r.Foot[i], rng);
    for (int i = 1; i <= kMaxCols; ++i) {
        Fill(r.ColWidth[i], rng), Fill(r.RowHeight[i], rng), Fill(r.ColDecimals[i], rng),
            Fill(r.ColItem[i], rng);
        if (i < kMaxCols)
            Fill(r.ColLine[i], rng), Fill(r.RowLine[i], rng);
    }
    for (int i = 1; i <= kMaxMergedCells; ++i)
        Fill(r.MergedCells[i], rng);
}

TEST(FormatFileTest, ReadsAndWritesFieldsAtTheirOffsets)
{
    // A file built byte by byte loads into the right fields and is written back
    // byte for byte, except the reserved block, which becomes zeros.
    TempDir dir;
    Bytes b = ValidHeader();
    std::fill(b.begin() + 26, b.begin() + 98, 0x5A);
    b[98] = 1, b[104] = 1, b[109] = 1;
    Put16(b, 105, 7), Put16(b, 110, 2), Put16(b, 112, 0xFFFE), Put16(b, 114, 297), Put16(b, 116, 210);
    b[118] = 2, b[119] = 3, b[120] = 2, b[121] = 0xAA;
    Put16(b, 122, 11), Put16(b, 128, 44);
    PutText(b, 130, "Arial", 5), b[151] = 0xA1, Put16(b, 152, 12), Put32(b, 154, 0x00112233);
    b[158] = 3, b[159] = 1, PutText(b, 160, "\xB4\xF2", 2), b[361] = 0xA2;
    b[362] = 4, b[363] = 0xA3, Put32(b, 366, 0xFF);
    PutText(b, 370 + 30, "T", 1), b[602] = 5, b[610] = 1, b[611] = 0xA4;
    PutText(b, 846 + 30, "H2", 2), Put16(b, 1310, 500), Put16(b, 1312, 20), b[1314] = 2;
    b[1321 + 1] = 30, b[1321 + 500] = 31, b[1821 + 2] = 8, b[2321 + 500] = 255;
    PutText(b, 2822 + 232 * 499 + 30, "C500", 4), b[118822 + 8 * 498] = 1, b[122814] = 3;
    Put16(b, 126806, 2), b[126808] = 1, b[126811] = 0xA5, PutText(b, 127276 + 30, "F3", 2);
    std::size_t m50 = 127508 + 252 * 49;
    Put32(b, m50, 0xFFFFFFFF), Put32(b, m50 + 4, 4), Put32(b, m50 + 8, 6), Put32(b, m50 + 12, 9);
    PutText(b, m50 + 16 + 30, "3", 1), b[m50 + 248] = 3, b[m50 + 251] = 0xA6;
    WriteBytes(dir.File("in.fmt"), b);

    // What it must give: the record of an all-zero file with those fields set.
    TMyPrintFormat e;
    WriteBytes(dir.File("zero.fmt"), ValidHeader());
    ASSERT_EQ(e.LoadFromFile(dir.File("zero.fmt")), kFileOk);
    e.InterfaceStyle = 1, e.MultiTables = 1, e.KeepEmptyGrid = 1, e.TableGap = 7, e.HeadRowCount = 2;
    e.PaperSize = -2, e.PaperLength = 297, e.PaperWidth = 210, e.Orientation = 2, e.HorPlace = 3;
    e.VerPlace = 2, e.PadPaper = 0xAA, e.MarginTop = 11, e.MarginRight = 44;
    e.Company.FontName.SetText("Arial"), e.Company.Pad1 = 0xA1, e.Company.FontSize = 12;
    e.Company.FontColor = 0x00112233, e.Company.Align = 3, e.Company.Wrap = 1,
    e.Company.Text.SetText("\xB4\xF2");
    e.Company.Pad2 = 0xA2, e.CompanyLine.Style = 4, e.CompanyLine.Pad[0] = 0xA3, e.CompanyLine.Color = 0xFF;
    e.Title.Text.SetText("T"), e.TitleLine.Style = 5, e.HeadMultiLine = 1, e.PadHead[0] = 0xA4;
    e.Head[2].Text.SetText("H2"), e.ColCount = 500, e.RowCount = 20, e.FrameLine.Style = 2;
    e.ColWidth[1] = 30, e.ColWidth[500] = 31, e.RowHeight[2] = 8, e.ColDecimals[500] = 255;
    e.ColItem[500].Text.SetText("C500"), e.ColLine[499].Style = 1, e.RowLine[1].Style = 3;
    e.FootRowCount = 2, e.FootMultiLine = 1, e.PadFoot[2] = 0xA5, e.Foot[3].Text.SetText("F3");
    TMyMergedCell& m = e.MergedCells[50];
    m.Left = -1, m.Top = 4, m.Right = 6, m.Bottom = 9, m.Item.Text.SetText("3"), m.Kind = 3, m.Pad[2] = 0xA6;

    TMyPrintFormat f;
    ASSERT_EQ(f.LoadFromFile(dir.File("in.fmt")), kFileOk);
    EXPECT_TRUE(f == e);

    TMyPaperSpec paper { -2, 210, 297, 2 };
    ASSERT_EQ(f.SaveToFile(dir.File("out.fmt"), paper), kFileOk);
    std::fill(b.begin() + 26, b.begin() + 98, 0);
    EXPECT_TRUE(ReadBytes(dir.File("out.fmt")) == b);
}

TEST(FormatFileTest, RoundTripKeepsEveryField)
{
    // Every field written and read back, pads included; the paper comes from
    // the printer, the signature and versions from the writer.
    TempDir dir;
    TMyPrintFormat saved;
    FillRecord(saved, 7);
    TMyPaperSpec paper { 256, 200, 150, 2 };
    ASSERT_EQ(saved.SaveToFile(dir.File("a.PFD"), paper), kFileOk);
    EXPECT_EQ(ReadBytes(dir.File("a.PFD")).size(), kFormatFileSize);
    EXPECT_EQ(saved.Signature.Text(), FormatSignatureBytes().substr(1));
    EXPECT_EQ(saved.VersionMinor, 5);
    TMyPrintFormat loaded;
    ASSERT_EQ(loaded.LoadFromFile(dir.File("a.PFD")), kFileOk);
    EXPECT_TRUE(loaded == saved);
    EXPECT_EQ(loaded.PaperLength, 150);
    EXPECT_EQ(loaded.PaperWidth, 200);
    EXPECT_EQ(loaded.PaperSize, 256);
}

TEST(FormatFileTest, FileCutAtAGroupBoundaryFillsWhatItHolds)
{
    // A file that ends early loads its bytes; every later field keeps its value.
    TempDir dir;
    TMyPaperSpec paper { 256, 200, 150, 1 };
    TMyPrintFormat source;
    FillRecord(source, 3);
    ASSERT_EQ(source.SaveToFile(dir.File("full"), paper), kFileOk);
    ASSERT_EQ(TMyPrintFormat().SaveToFile(dir.File("defaults"), paper), kFileOk);
    Bytes full = ReadBytes(dir.File("full")), defaults = ReadBytes(dir.File("defaults"));

    std::vector<std::size_t> cuts = { 98, 99, 100, 101, 102, 103, 104, 105, 107, 108, 109, 110, 112, 130, 370,
        610, 1310, 126806, 126808, 127508 };
    for (std::size_t k = 1; k <= 50; ++k)
        cuts.push_back(127508 + 252 * k);
    for (std::size_t cut : cuts) {
        WriteBytes(dir.File("cut"), Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
        TMyPrintFormat f;
        ASSERT_EQ(f.LoadFromFile(dir.File("cut")), kFileOk) << cut;
        if (cut == 126806) {
            EXPECT_EQ(f.FootRowCount, 0);
            EXPECT_TRUE(f.Foot[1] == TMyTextItem {});
            EXPECT_TRUE(f.MergedCells[1] == TMyMergedCell {});
            EXPECT_TRUE(f.RowLine[499] == source.RowLine[499]);
        }
        // The same as a whole file made of the bytes before the cut and the
        // defaults after it.
        Bytes spliced(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        spliced.insert(spliced.end(), defaults.begin() + static_cast<std::ptrdiff_t>(cut), defaults.end());
        WriteBytes(dir.File("spliced"), spliced);
        TMyPrintFormat expected;
        ASSERT_EQ(expected.LoadFromFile(dir.File("spliced")), kFileOk);
        expected.PaperSize = f.PaperSize, expected.PaperLength = f.PaperLength;
        expected.PaperWidth = f.PaperWidth, expected.Orientation = f.Orientation;
        EXPECT_TRUE(f == expected) << "cut at " << cut;
    }
}

TEST(FormatFileTest, BytesInMemoryLoadAndSaveAsTheFileDoes)
{
    // The loader's entry for bytes in memory (the fuzzers' and tests' way in)
    // gives the file's result and record for whole, cut and refused files,
    // and the writer's bytes are the file's bytes.
    TempDir dir;
    TMyPaperSpec paper { 256, 200, 150, 1 };
    TMyPrintFormat source;
    FillRecord(source, 5);
    ASSERT_EQ(source.SaveToFile(dir.File("full"), paper), kFileOk);
    const Bytes full = ReadBytes(dir.File("full"));
    TMyPaperSpec memoryPaper { 256, 200, 150, 1 };
    Bytes image { 1, 2, 3 };
    TMyPrintFormat(source).SaveToBytes(memoryPaper, image);
    EXPECT_EQ(image, full);
    EXPECT_EQ(memoryPaper, paper);

    Bytes badVersion = full;
    Put16(badVersion, 24, 6);
    Bytes longer = full;
    longer.insert(longer.end(), 500, 0xEE);
    std::vector<Bytes> inputs { full, longer, badVersion, Bytes(full.begin(), full.begin() + 21),
        Bytes(full.begin(), full.begin() + 97), Bytes(full.begin(), full.begin() + 99),
        Bytes(full.begin(), full.begin() + 1311), Bytes(full.begin(), full.end() - 1), Bytes {} };
    for (const Bytes& input : inputs) {
        WriteBytes(dir.File("in"), input);
        TMyPrintFormat fromFile, fromMemory;
        FillRecord(fromFile, 2);
        FillRecord(fromMemory, 2);
        const int fileResult = fromFile.LoadFromFile(dir.File("in"));
        EXPECT_EQ(fromMemory.LoadFromBytes(input.data(), input.size()), fileResult) << input.size();
        EXPECT_TRUE(fromMemory == fromFile) << input.size();
    }
}

TEST(FormatFileTest, FileCutInsideTheReservedBytesIsAReadError)
{
    // A format file cut at 30, 50 or 97 bytes, inside the 72 reserved bytes
    // after the versions, gives result 3, whatever its versions say; cut at 98
    // it loads with the defaults.
    TempDir dir;
    for (std::size_t cut : { 26, 30, 50, 97 }) {
        for (std::uint16_t minor : { 5, 6 }) {
            Bytes b = ValidHeader();
            Put16(b, 24, minor);
            b.resize(cut);
            WriteBytes(dir.File("cut"), b);
            TMyPrintFormat f;
            f.Title.Text.SetText("kept");
            const TMyPrintFormat before = f;
            EXPECT_EQ(f.LoadFromFile(dir.File("cut")), kFileIoError) << cut << " minor " << minor;
            EXPECT_TRUE(f == before) << cut;
        }
    }
    WriteBytes(dir.File("cut"), ValidHeader(98));
    TMyPrintFormat f;
    EXPECT_EQ(f.LoadFromFile(dir.File("cut")), kFileOk);
    EXPECT_TRUE(f.Company == TMyPrintFormat().Company);
}

TEST(FormatFileTest, LoaderResultCodesLeaveTheRecordAsItWas)
{
    // Every refusal of the loader, and the record untouched by each.
    TempDir dir;
    Bytes badLength = ValidHeader(), badByte = ValidHeader(), v16 = ValidHeader(), v25 = ValidHeader();
    badLength[0] = 20, badByte[21] ^= 1;
    Put16(v16, 24, 6), Put16(v25, 22, 2);
    struct Case {
        const char* name;
        Bytes bytes;
        int result;
    } cases[] = {
        { "short", ValidHeader(10), kFileBadSignature },
        { "length20", badLength, kFileBadSignature },
        { "byte", badByte, kFileBadSignature },
        { "sigonly", ValidHeader(22), kFileIoError },
        { "halfversion", ValidHeader(25), kFileIoError },
        { "v16", v16, kFileBadVersion },
        { "v25", v25, kFileBadVersion },
        { "versionsonly", ValidHeader(26), kFileIoError },
        { "reserved30", ValidHeader(30), kFileIoError },
        { "reserved50", ValidHeader(50), kFileIoError },
        { "reserved97", ValidHeader(97), kFileIoError },
        { "reservedwhole", ValidHeader(98), kFileOk },
    };
    for (const Case& c : cases) {
        WriteBytes(dir.File(c.name), c.bytes);
        TMyPrintFormat f;
        f.Title.Text.SetText("kept");
        TMyPrintFormat before = f;
        EXPECT_EQ(f.LoadFromFile(dir.File(c.name)), c.result) << c.name;
        if (c.result != kFileOk) {
            EXPECT_TRUE(f == before) << c.name;
        }
    }
    TMyPrintFormat f;
    EXPECT_EQ(f.LoadFromFile(dir.File("none")), kFileMissing);
    EXPECT_EQ(f.LoadFromFile(dir.Path()), kFileMissing);
    WriteBytes(dir.File("locked"), ValidHeader());
    ::chmod(dir.File("locked").c_str(), 0);
    EXPECT_EQ(
        RunUnprivileged([&] { return TMyPrintFormat().LoadFromFile(dir.File("locked")); }), kFileIoError);
}

TEST(FormatFileTest, OversizedCountsAndLengthsStayInsideTheArrays)
{
    // Counts past the capacities are clamped for layout but saved back as
    // stored; text lengths past their capacity read as the capacity.
    TempDir dir;
    Bytes b = ValidHeader();
    Put16(b, 1310, 60000), Put16(b, 1312, 501), Put16(b, 110, 600), Put16(b, 126806, 900);
    b[130] = 255, b[160] = 201, b[127508 + 16 + 30] = 255;
    WriteBytes(dir.File("big"), b);
    TMyPrintFormat f;
    ASSERT_EQ(f.LoadFromFile(dir.File("big")), kFileOk);
    EXPECT_EQ(f.Cols(), 500);
    EXPECT_EQ(f.Rows(), 500);
    EXPECT_EQ(f.HeadRows(), 500);
    EXPECT_EQ(f.DataRowsPerBlock(), 0);
    EXPECT_EQ(f.FootRows(), 500);
    EXPECT_EQ(f.Company.FontName.Length, 20);
    EXPECT_EQ(f.Company.Text.Length, 200);
    EXPECT_EQ(f.MergedCells[1].Item.Text.Length, 200);
    TMyPaperSpec paper;
    ASSERT_EQ(f.SaveToFile(dir.File("back"), paper), kFileOk);
    Bytes back = ReadBytes(dir.File("back"));
    EXPECT_EQ(Get16(back, 1310), 60000);
    EXPECT_EQ(Get16(back, 1312), 501);
    EXPECT_EQ(Get16(back, 110), 600);
}

TEST(FormatFileTest, SaveTakesThePaperFromThePrinter)
{
    // A4 is stored as 210 x 290 (the printer metrics follow); other papers as given.
    TempDir dir;
    struct Case {
        TMyPaperSpec printer;
        TMyPaperSpec after;
    } cases[] = {
        { { 9, 297, 210, 2 }, { 9, 290, 210, 2 } },
        { { 9, 202, 285, 1 }, { 9, 210, 290, 1 } },
        { { 9, 202, 285, 0 }, { 9, 290, 210, 0 } },
        { { 256, 200, 150, 1 }, { 256, 200, 150, 1 } },
    };
    for (Case& c : cases) {
        TMyPrintFormat f;
        ASSERT_EQ(f.SaveToFile(dir.File("p.PFD"), c.printer), kFileOk);
        EXPECT_EQ(c.printer, c.after);
        Bytes b = ReadBytes(dir.File("p.PFD"));
        EXPECT_EQ(static_cast<std::int16_t>(Get16(b, 112)), c.after.PaperSize);
        EXPECT_EQ(Get16(b, 114), c.after.PaperLength);
        EXPECT_EQ(Get16(b, 116), c.after.PaperWidth);
        EXPECT_EQ(b[118], c.after.Orientation);
    }
}

TEST(FormatFileTest, SaveCreatesOneFolderLevelOrFailsCleanly)
{
    // The Format folder is made when missing; a deeper missing path is an
    // error that leaves the printer metrics alone.
    TempDir dir;
    TMyPrintFormat f;
    TMyPaperSpec paper { 9, 100, 100, 1 };
    EXPECT_EQ(f.SaveToFile(dir.File("no/such/x.PFD"), paper), kFileIoError);
    EXPECT_EQ(paper.PaperWidth, 100);
    EXPECT_EQ(f.SaveToFile(dir.File("Format/x.PFD"), paper), kFileOk);
    EXPECT_EQ(ReadBytes(dir.File("Format/x.PFD")).size(), kFormatFileSize);
}

TEST(FormatFileTest, FailedSaveKeepsTheLayoutSavedBefore)
{
    // A save into a read-only folder, or one cut off by a full disk, reports 3,
    // keeps the old file and leaves no temporary file behind.
    TempDir dir;
    std::string folder = dir.File("Format"), target = folder + "/r.PFD";
    TMyPrintFormat f;
    TMyPaperSpec paper { 256, 200, 150, 1 };
    ASSERT_EQ(f.SaveToFile(target, paper), kFileOk);
    Bytes old = ReadBytes(target);
    f.Title.Text.SetText("new");

    ::chmod(folder.c_str(), 0555);
    EXPECT_EQ(RunUnprivileged([&] { return f.SaveToFile(target, paper); }), kFileIoError);
    ::chmod(folder.c_str(), 0777);
    ::chmod(target.c_str(), 0666); // writable in place, so only the way of saving protects it
    EXPECT_EQ(RunUnprivileged([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return f.SaveToFile(target, paper);
    }),
        kFileIoError);

    EXPECT_TRUE(ReadBytes(target) == old);
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder))
        ++files;
    EXPECT_EQ(files, 1);
}

} // namespace
} // namespace quillet
