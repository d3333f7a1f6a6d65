// The PDF canvas on its own: files that qpdf and poppler accept, text that
// extracts exactly as drawn, faces missing from the machine, hostile sizes
// and coordinates, and files saved whole or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/GbkCodec.h"
#include "platform/pdf/FontPrograms.h"
#include "platform/pdf/PdfCanvas.h"
#include "platform/pdf/PdfFileHost.h"
#include "platform/pdf/PdfNumbers.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Output of a shell command, and its exit status in *status.
std::string Shell(const std::string& command, int* status = nullptr)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    std::array<char, 4096> buf {};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        out.append(buf.data(), n);
    const int rc = pclose(pipe);
    if (status)
        *status = rc;
    return out;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class PdfCanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillet-pdf-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        if (!HaveTool("qpdf") || !HaveTool("pdftotext") || !HaveTool("pdffonts"))
            GTEST_SKIP() << "qpdf or poppler-utils is not installed";
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // Saves the document and checks it with qpdf.
    std::string SaveChecked(pdf::PdfDocument& document, const std::string& name = "out.pdf")
    {
        const std::string path = (dir_ / name).string();
        std::string error;
        EXPECT_TRUE(document.Save(path, &error)) << error;
        int status = -1;
        const std::string report = Shell("qpdf --check '" + path + "' 2>&1", &status);
        EXPECT_EQ(status, 0) << report;
        EXPECT_EQ(report.find("WARNING"), std::string::npos) << report;
        return path;
    }
    fs::path dir_;
};

pdf::PageSetup A4At(int dpi)
{
    pdf::PageSetup s;
    s.dpiX = s.dpiY = dpi;
    s.widthPixels = static_cast<int>(s.widthPoints * dpi / 72);
    s.heightPixels = static_cast<int>(s.heightPoints * dpi / 72);
    return s;
}

// Text extracts exactly as drawn: GB2312 and GBK-only characters, digits and
// punctuation, characters the chosen face lacks (set in a fallback face), a
// family missing from the machine, and one face's subset shared by pages.
TEST_F(PdfCanvasTest, TextExtractsExactlyAsDrawn)
{
    struct Line {
        const char* face;
        const char* text;
    };
    const Line kLines[] = {
        { "宋体", "中华人民共和国 2026年12月7日" },
        { "宋体", "堃喆镕瑢 赟 玥" }, // outside GB2312, inside GBK
        { "黑体", "合计：-12,345.67（元）" },
        { "楷体", "备注：补单 No.42" },
        { "Arial", "Ledger 中文 fallback" }, // CJK from a fallback face
        { "Tahoma", "lǚ ü éè àā" }, // pinyin letters GBK holds
        { "没有这个字体", "缺字体 still drawn" }, // a face the machine lacks
        { "", "empty face name" },
    };
    pdf::PdfDocument document;
    document.SetTitle("2024年3月销售明细账 𠀀");
    for (int page = 0; page < 2; ++page) {
        Canvas& c = document.BeginPage(A4At(300));
        int y = 100;
        for (const Line& line : kLines) {
            c.SetFont(Utf8ToGbk(line.face), 10, kBlack);
            c.TextOut(100, y, Utf8ToGbk(line.text));
            y += 80;
        }
    }
    const std::string path = SaveChecked(document);
    const std::string text = Shell("pdftotext -raw -enc UTF-8 '" + path + "' -");
    std::string expected;
    for (int page = 0; page < 2; ++page) {
        for (const Line& line : kLines)
            expected += std::string(line.text) + "\n";
        expected += "\f";
    }
    EXPECT_EQ(text, expected);
    const std::string info = Shell("pdfinfo -enc UTF-8 '" + path + "'");
    EXPECT_NE(info.find("Title:           2024年3月销售明细账 𠀀\n"), std::string::npos) << info;

    // Every face embedded once, as a named subset with a ToUnicode map.
    const std::string fonts = Shell("pdffonts '" + path + "'");
    std::istringstream rows(fonts);
    std::string row;
    int faces = 0;
    while (std::getline(rows, row)) {
        if (row.find("CID TrueType") == std::string::npos)
            continue;
        ++faces;
        EXPECT_TRUE(
            std::regex_search(row, std::regex("^[A-Z]{6}\\+\\S+ +CID TrueType +Identity-H +yes yes yes")))
            << row;
    }
    EXPECT_GE(faces, 4) << fonts;
    // Subsets: the Ming face alone is megabytes.
    EXPECT_LT(fs::file_size(path), 200u * 1024) << fonts;
}

// A page is as large as its setup says, and a document without pages still
// has the one empty page a PDF needs.
TEST_F(PdfCanvasTest, PagesTakeTheirSetup)
{
    pdf::PdfDocument document;
    pdf::PageSetup landscape = A4At(600);
    std::swap(landscape.widthPoints, landscape.heightPoints);
    document.BeginPage(A4At(600));
    document.BeginPage(landscape);
    document.EndPage();
    EXPECT_EQ(document.PageCount(), 2);
    const std::string info = Shell("pdfinfo -f 1 -l 2 '" + SaveChecked(document) + "'");
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +2\n"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex("Page +1 size: +595.276 x 841.89"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex("Page +2 size: +841.89 x 595.276"))) << info;

    pdf::PdfDocument empty;
    const std::string none = Shell("pdfinfo '" + SaveChecked(empty, "empty.pdf") + "'");
    EXPECT_TRUE(std::regex_search(none, std::regex("Pages: +1\n"))) << none;
}

// Drawing wholly off the sheet leaves nothing in the page, while drawing on
// the sheet's margins, outside the drawable area, stays: the page looks as
// before, it only no longer carries what nobody can see.
TEST_F(PdfCanvasTest, DrawingOffTheSheetIsDropped)
{
    pdf::PageSetup setup = A4At(72); // a pixel a point
    setup.originXPoints = setup.originYPoints = 10;
    setup.widthPixels = 575;
    setup.heightPixels = 822;
    struct Case {
        const char* name;
        std::function<void(Canvas&)> draw;
        bool kept;
    };
    const Case cases[] = {
        { "fill on the left margin",
            [](Canvas& c) {
                c.FillRect({ -8, 10, -2, 20 });
            },
            true },
        { "fill right of the sheet",
            [](Canvas& c) {
                c.FillRect({ 600, 10, 650, 20 });
            },
            false },
        { "text on the top margin", [](Canvas& c) { c.TextOut(5, -9, "x"); }, true },
        { "text below the sheet", [](Canvas& c) { c.TextOut(5, 900, "x"); }, false },
        { "long text left of it", [](Canvas& c) { c.TextOut(-100000, 5, std::string(40, 'W')); }, false },
        { "text box right of it",
            [](Canvas& c) {
                c.TextRect({ 700, 5, 800, 30 }, 700, 5, "x");
            },
            false },
        { "rule across the sheet", [](Canvas& c) { c.MoveTo(-5000, 40), c.LineTo(5000, 40); }, true },
        { "rule right of the sheet", [](Canvas& c) { c.MoveTo(700, 0), c.LineTo(700, 500); }, false },
        { "slanted line above it", [](Canvas& c) { c.MoveTo(0, -300), c.LineTo(500, -200); }, false },
        { "rectangle below the sheet",
            [](Canvas& c) {
                c.Rectangle({ 10, 850, 60, 900 });
            },
            false },
    };
    for (const Case& c : cases) {
        pdf::PdfDocument document;
        pdf::PdfCanvas& canvas = document.BeginPage(setup);
        canvas.SetFont(Utf8ToGbk("宋体"), 10, kBlack);
        const std::size_t before = canvas.Content().size();
        c.draw(canvas);
        EXPECT_EQ(canvas.Content().size() > before, c.kept) << c.name;
    }
}

// Sizes, coordinates and bytes no layout should hold neither crash the canvas
// nor spoil the file.
TEST_F(PdfCanvasTest, HostileCallsLeaveAValidFile)
{
    pdf::PdfDocument document(0);
    Canvas& c = document.BeginPage(A4At(1200));
    const std::string badGbk = "\x81\xFF\xFE\x80\xA1";
    for (int points : { -5, 0, 1, 100000, INT_MAX }) {
        c.SetFont(Utf8ToGbk("宋体"), points, kBlack);
        EXPECT_GE(c.TextExtent(badGbk).cy, 0);
        c.TextOut(INT_MAX - 10, INT_MIN + 10, badGbk);
        c.TextRect({ INT_MIN, INT_MIN, INT_MAX, INT_MAX }, 0, 0, std::string("\0\n\t x", 5));
    }
    for (PenStyle style : { PenStyle::Solid, PenStyle::Dot, PenStyle::DashDot, PenStyle::Null }) {
        for (int width : { -1, 0, 1, 7, INT_MAX }) {
            c.SetPen(style, width, kRed);
            c.MoveTo(INT_MIN, 5);
            c.LineTo(INT_MAX, 5);
            c.LineTo(INT_MAX, INT_MIN);
            c.LineTo(-3, 1000000000);
            c.Rectangle({ INT_MAX, INT_MAX, INT_MIN, INT_MIN });
            c.Rectangle({ 10, 10, 11, 200 });
        }
    }
    for (int i = 0; i < 40; ++i)
        c.ExcludeClipRect({ i * 7, i * 5, i * 7 + 50, i * 5 + 30 });
    c.FillRect({ 0, 0, 400, 400 });
    c.FillRect({ INT_MIN, INT_MIN, INT_MAX, INT_MAX });
    c.TextOut(10, 10, "clipped");
    c.ResetClip();
    SaveChecked(document);
}

// Saving goes through a file beside the target: a folder that is missing
// fails with a message and leaves nothing; an old file is replaced whole.
TEST_F(PdfCanvasTest, SaveLeavesWholeFilesOnly)
{
    pdf::PdfDocument first;
    first.BeginPage(A4At(72)).TextOut(10, 10, "first");
    std::string error;
    EXPECT_FALSE(first.Save((dir_ / "missing" / "out.pdf").string(), &error));
    EXPECT_NE(error.find("out.pdf"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir_ / "missing"));

    const fs::path target = dir_ / "report.pdf";
    std::ofstream(target) << "old";
    pdf::PdfDocument second;
    second.BeginPage(A4At(72)).TextOut(10, 10, "second");
    ASSERT_TRUE(second.Save(target.string(), &error)) << error;
    EXPECT_EQ(ReadFile(target).rfind("%PDF-", 0), 0u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_))
        ++files;
    EXPECT_EQ(files, 1);
    EXPECT_EQ(Shell("pdftotext -raw '" + target.string() + "' -"), "second\n\f");
}

// A picture of fixed pixels for StretchDraw.
class PixelBitmap : public Bitmap {
public:
    PixelBitmap(int w, int h, std::vector<std::uint32_t> pixels)
        : w_(w)
        , h_(h)
        , pixels_(std::move(pixels))
    {
    }
    void SetSize(int, int) override { }
    int Width() const override { return w_; }
    int Height() const override { return h_; }
    Canvas& GetCanvas() override { std::abort(); }
    int w_, h_;
    std::vector<std::uint32_t> pixels_;
};

// Pixels (0x00RRGGBB) of page 1 rasterised at 288 dpi, row after row:
// pictures enlarged four times or more are not smoothed by poppler.
std::vector<std::uint32_t> Raster288(const std::string& pdf, int& width, int& height)
{
    const std::string ppm = Shell("pdftoppm -r 288 -f 1 -l 1 -aa no -aaVector no '" + pdf + "'");
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    std::vector<std::uint32_t> pixels;
    for (int i = 0; i < width * height && in; ++i) {
        const int r = in.get(), g = in.get(), b = in.get();
        pixels.push_back(static_cast<std::uint32_t>((r << 16) | (g << 8) | b));
    }
    return pixels;
}

// Dashed and dash-dot rules drawn at 1200 dpi keep the lengths they have on the 96-dpi screen: rasterised
// at 150 dpi as a printer driver would, a horizontal and a vertical rule of each still shows its gaps (at
// one device pixel a dash they printed as solid lines), and a solid rule none.
TEST_F(PdfCanvasTest, DashedRulesKeepTheirGapsOnAFineDevice)
{
    if (!HaveTool("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    const PenStyle styles[] = { PenStyle::Solid, PenStyle::Dot, PenStyle::DashDot };
    pdf::PdfDocument document;
    pdf::PageSetup setup = A4At(1200);
    Canvas& c = document.BeginPage(setup);
    for (int i = 0; i < 3; ++i) {
        c.SetPen(styles[i], 2, kBlack);
        c.MoveTo(600, 1200 + 600 * i); // 1 inch long, half an inch apart
        c.LineTo(1800, 1200 + 600 * i);
        c.MoveTo(3000 + 600 * i, 1200); // and down
        c.LineTo(3000 + 600 * i, 2400);
    }
    const std::string path = SaveChecked(document);
    const std::string ppm = Shell("pdftoppm -r 150 -f 1 -l 1 -gray -aa no -aaVector no '" + path + "'");
    std::istringstream in(ppm);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    std::vector<unsigned char> gray(static_cast<std::size_t>(width) * height);
    in.read(reinterpret_cast<char*>(gray.data()), static_cast<std::streamsize>(gray.size()));
    ASSERT_NEAR(width, 1240, 1); // A4 at 150 dpi
    auto dark = [&](int x, int y) { return gray[static_cast<std::size_t>(y) * width + x] < 128; };
    // Gaps along a rule: light runs between its first and last dark pixel, on the rows (or columns) the
    // 150-dpi rule covers, a pixel counting dark when any of them is.
    auto gaps = [&](bool horizontal, int at) {
        const int across = at * 150 / 1200;
        const int from = 600 * 150 / 1200, to = 1800 * 150 / 1200;
        int count = 0;
        bool seenDark = false, inGap = false;
        for (int t = from; t < to; ++t) {
            bool d = false;
            for (int k = across - 1; k <= across + 1; ++k)
                d = d || (horizontal ? dark(t, k) : dark(k, t));
            if (d) {
                count += seenDark && inGap ? 1 : 0;
                seenDark = true;
                inGap = false;
            } else {
                inGap = seenDark;
            }
        }
        return count;
    };
    const int expectedAtLeast[]
        = { 0, 15, 8 }; // an inch holds 32 dots, or 10 dashes (a dot may merge two gaps)
    for (int i = 0; i < 3; ++i) {
        const int along = gaps(true, 1200 + 600 * i);
        const int down = gaps(false, 3000 + 600 * i);
        if (i == 0) {
            EXPECT_EQ(along, 0);
            EXPECT_EQ(down, 0);
        } else {
            EXPECT_GE(along, expectedAtLeast[i]) << "style " << i;
            EXPECT_GE(down, expectedAtLeast[i]) << "style " << i;
        }
    }
}

// A picture shrunk onto the page keeps its dark pixels, as on the screen; one
// drawn at its size or larger keeps all of them; without a reader for the
// window system's pictures nothing is drawn.
TEST_F(PdfCanvasTest, PicturesKeepTheirDarkPixels)
{
    if (!HaveTool("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    // 4 x 4: white with one dark pixel in each 2 x 2 quarter but the last.
    constexpr std::uint32_t W = 0xFFFFFF, K = 0x000000, R = 0xC00000;
    PixelBitmap picture(4, 4, { K, W, W, W, W, W, W, R, W, W, W, W, W, K, W, W });
    pdf::PdfCanvas::SetPictureReader([](Bitmap& b, int& w, int& h, std::vector<std::uint32_t>& pixels) {
        auto* p = dynamic_cast<PixelBitmap*>(&b);
        if (!p)
            return false;
        w = p->w_;
        h = p->h_;
        pixels = p->pixels_;
        return true;
    });
    pdf::PdfDocument document;
    pdf::PageSetup setup = A4At(72);
    setup.widthPoints = setup.widthPixels = 30;
    setup.heightPoints = setup.heightPixels = 20;
    Canvas& c = document.BeginPage(setup);
    c.StretchDraw({ 0, 0, 2, 2 }, picture);
    c.StretchDraw({ 10, 0, 26, 16 }, picture);
    pdf::PdfCanvas::SetPictureReader(nullptr);
    c.StretchDraw({ 4, 4, 8, 8 }, picture);
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = Raster288(SaveChecked(document), width, height);
    ASSERT_EQ(width, 120);
    ASSERT_EQ(height, 80);
    // The middle of a page pixel.
    auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>((4 * y + 2) * width + 4 * x + 2)]; };
    EXPECT_EQ(at(0, 0), K);
    EXPECT_EQ(at(1, 0), R);
    EXPECT_EQ(at(0, 1), K);
    EXPECT_EQ(at(1, 1), W);
    EXPECT_EQ(at(10, 0), K);
    EXPECT_EQ(at(13, 3), K);
    EXPECT_EQ(at(14, 0), W);
    EXPECT_EQ(at(25, 5), R);
    EXPECT_EQ(at(6, 6), W);
}

// The one-file printer: each ended job is a page, an aborted one leaves none,
// a second job waits for the first, paper settings shape later sheets, and
// between jobs the pages can go to another document.
TEST_F(PdfCanvasTest, FileHostMakesEachJobAPage)
{
    pdf::PdfDocument document;
    pdf::PdfFileHost host(document);
    EXPECT_EQ(host.Printers(), std::vector<std::string> { "PDF" });
    EXPECT_EQ(host.DpiX(), 1200);
    // A4 less a 10-point edge each side, at 1200 dpi.
    EXPECT_EQ(host.PageWidthPixels(), 9588);
    EXPECT_EQ(host.PageHeightPixels(), 13698);

    auto first = host.BeginJob("report (1/3)");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(host.BeginJob("report (2/3)"), nullptr);
    first->GetCanvas().TextOut(0, 0, "one");
    EXPECT_TRUE(first->End());
    auto aborted = host.BeginJob("report (2/3)");
    ASSERT_NE(aborted, nullptr);
    aborted->GetCanvas().TextOut(0, 0, "half");
    aborted->Abort();
    aborted.reset();

    PrinterSettings landscapeA3;
    landscapeA3.fields = DM_ORIENTATION | DM_PAPERSIZE;
    landscapeA3.orientation = DMORIENT_LANDSCAPE;
    landscapeA3.paperSize = 8;
    host.SetSettings(landscapeA3);
    EXPECT_TRUE(host.Landscape());
    PrinterSettings back;
    ASSERT_TRUE(host.GetSettings(back));
    EXPECT_EQ(back.paperSize, 8);
    auto third = host.BeginJob("report (3/3)");
    ASSERT_NE(third, nullptr);
    third->GetCanvas().TextOut(0, 0, "three");
    EXPECT_TRUE(third->End());

    // One document a job: the next job goes into another document.
    pdf::PdfDocument other;
    auto fourth = host.BeginJob("other");
    ASSERT_NE(fourth, nullptr);
    EXPECT_FALSE(host.SetDocument(other));
    fourth->GetCanvas().TextOut(0, 0, "four");
    EXPECT_TRUE(fourth->End());
    EXPECT_TRUE(host.SetDocument(other));
    auto fifth = host.BeginJob("other");
    ASSERT_NE(fifth, nullptr);
    fifth->GetCanvas().TextOut(0, 0, "five");
    EXPECT_TRUE(fifth->End());
    EXPECT_EQ(Shell("pdftotext -raw '" + SaveChecked(other, "other.pdf") + "' -"), "five\n\f");

    const std::string path = SaveChecked(document);
    EXPECT_EQ(Shell("pdftotext -raw '" + path + "' -"), "one\n\fthree\n\ffour\n\f");
    const std::string info = Shell("pdfinfo -f 1 -l 2 '" + path + "'");
    EXPECT_TRUE(std::regex_search(info, std::regex("Page +2 size: +1190.55 x 841.89"))) << info;
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

// Files in dir, hidden ones too.
std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A streamed document is written beside its name while pages end and renamed into place when saved; one
// discarded (a cancelled job) or dropped leaves nothing; a folder that is not there is reported with its
// errno.
TEST_F(PdfCanvasTest, StreamedDocumentsAppearWholeOrNotAtAll)
{
    const std::string path = (dir_ / "streamed.pdf").string();
    {
        pdf::PdfDocument document;
        std::string error;
        ASSERT_TRUE(document.StreamTo(path, &error)) << error;
        for (int page = 1; page <= 3; ++page) {
            pdf::PdfCanvas& canvas = document.BeginPage(A4At(1200));
            canvas.SetFont("\xCB\xCE\xCC\xE5", 12, kBlack); // 宋体
            canvas.TextOut(600, 600, Utf8ToGbk("第" + std::to_string(page) + "页 流式写出"));
        }
        EXPECT_FALSE(fs::exists(path));
        ASSERT_EQ(FilesIn(dir_).size(), 1u); // the file beside it
        EXPECT_EQ(FilesIn(dir_)[0].rfind(".streamed.pdf.quillet-tmp", 0), 0u);
        SaveChecked(document, "streamed.pdf");
    }
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string> { "streamed.pdf" });
    const std::string text = Shell("pdftotext '" + path + "' -");
    for (const char* line : { "第1页 流式写出", "第2页 流式写出", "第3页 流式写出" })
        EXPECT_NE(text.find(line), std::string::npos) << text;

    for (bool discard : { true, false }) {
        pdf::PdfDocument document;
        ASSERT_TRUE(document.StreamTo((dir_ / "gone.pdf").string()));
        document.BeginPage(A4At(300)).TextOut(10, 10, "x");
        document.EndPage();
        if (discard) {
            document.Discard();
            EXPECT_FALSE(document.Save((dir_ / "gone.pdf").string()));
        }
    }
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string> { "streamed.pdf" });

    pdf::PdfDocument nowhere;
    std::string error;
    EXPECT_FALSE(nowhere.StreamTo((dir_ / "missing" / "x.pdf").string(), &error));
    EXPECT_EQ(nowhere.ErrorNumber(), ENOENT);
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

// Documents a page take the font program an earlier document made for the same glyphs, whatever order they
// use them in: the second and third files embed the first one's subset and still extract exactly.
TEST_F(PdfCanvasTest, LaterDocumentsTakeTheKeptFontProgram)
{
    const char* texts[] = { "合计12345 第1页", "页1第 54321计合", "12 合" };
    std::string subset;
    for (int i = 0; i < 3; ++i) {
        const int made = pdf::FontPrograms::Shared().Made();
        pdf::PdfDocument document;
        pdf::PdfCanvas& canvas = document.BeginPage(A4At(1200));
        canvas.SetFont("\xCB\xCE\xCC\xE5", 12, kBlack);
        canvas.TextOut(600, 600, Utf8ToGbk(texts[i]));
        const std::string path = SaveChecked(document, "doc" + std::to_string(i) + ".pdf");
        EXPECT_NE(Shell("pdftotext '" + path + "' -").find(texts[i]), std::string::npos) << texts[i];
        const std::string fonts = Shell("pdffonts '" + path + "'");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(fonts, m, std::regex("[A-Z]{6}\\+\\S+"))) << fonts;
        if (i == 0) {
            subset = m.str();
        } else {
            EXPECT_EQ(m.str(), subset) << "document " << i << " made a subset of its own";
            EXPECT_EQ(pdf::FontPrograms::Shared().Made(), made);
        }
    }
}

} // namespace
} // namespace quillet

namespace quillet::pdf {
namespace {

// What the content stream wrote before numbers took a quicker way: the exact
// decimal expansion, trailing zeros taken off, "0" for a negative zero.
std::string ExactReal(double v, int digits)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    std::string s(buf, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

// The quick way writes every number byte for byte as the exact one does:
// ties and near-ties, halves of 64ths (the glyph pens), negative zero, huge
// values, and a million values of every size.
TEST(PdfNumbersTest, RealsAreWrittenAsTheirExactRounding)
{
    std::vector<std::pair<double, int>> cases = {
        { 0, 4 }, { -0.0, 4 }, { -0.00004, 4 }, { -0.00005, 4 }, { 0.00005, 4 }, { 0.125, 2 }, { 0.375, 2 },
        { 2.5, 0 }, { 3.5, 0 }, { -2.5, 0 }, { 1e12, 4 }, { -1e15, 2 }, { 1e300, 3 }, { 123456.789, 6 },
        { 0.1, 6 }, { 1.0 / 3, 6 }, { -1.0 / 3, 1 }, { 12.015625, 4 }, { 0.03125, 4 }, { 99.995, 2 },
    };
    for (long long pen = -2000; pen <= 200000; pen += 7)
        cases.push_back({ pen / 64.0, 4 });
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 1000000; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        const double unit = static_cast<double>(x >> 11) / static_cast<double>(1ull << 53);
        const double v = (unit - 0.5) * std::pow(10.0, static_cast<int>(x % 16) - 4);
        cases.push_back({ v, static_cast<int>(x % 7) });
    }
    int wrong = 0;
    for (const auto& [v, digits] : cases) {
        std::string quick;
        AppendReal(quick, v, digits);
        if (quick != ExactReal(v, digits) && ++wrong <= 10)
            ADD_FAILURE() << v << " to " << digits << " decimals: " << quick << " not " << ExactReal(v, digits);
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace quillet::pdf
