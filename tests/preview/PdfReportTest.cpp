// The PDF export on several threads: the same bytes as on one whatever the
// layout, nothing left behind by a cancel, and a bad cell reported as one
// thread reports it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

#include "geometry/PrnScreen.h"
#include "model/PrnData.h"
#include "platform/Display.h"
#include "platform/GbkCodec.h"
#include "preview/PdfReport.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

class ScreenDisplay : public Display {
public:
    int LogicalDpiX() const override { return 96; }
    int LogicalDpiY() const override { return 96; }
};

// Stops the run before page `stopAt`.
class StopBefore : public PrintProgress {
public:
    explicit StopBefore(int page)
        : page_(page)
    {
    }
    bool BeforePage(int done, int) override { return done + 1 < page_; }

private:
    int page_;
};

class PdfReportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    // The example ledger of `rows` lines under a layout changed by `edit`.
    void Report(int rows, const std::function<void(TMyPrintFormat&)>& edit = {})
    {
        const std::string dataPath = dir_.filePath(QStringLiteral("ledger.dat")).toStdString();
        ASSERT_TRUE(WriteExampleData(dataPath, rows));
        format_ = TMyPrintFormat();
        BuildExampleFormat(format_);
        format_.PaperSize = 9;
        format_.PaperWidth = 210;
        format_.PaperLength = 290;
        format_.Orientation = 1;
        if (edit)
            edit(format_);
        data_ = std::make_unique<TMyPrintData>(format_);
        ASSERT_EQ(data_->Open(dataPath), kFileOk);
        data_->ReadHeadFoot();
    }

    PdfReportResult Write(const QString& name, int jobs, PrintProgress* progress = nullptr)
    {
        PdfReportPages layout;
        layout.sheet = { format_.PaperSize, format_.PaperWidth, format_.PaperLength, format_.Orientation };
        layout.pageWidth = format_.PaperWidth;
        layout.pageHeight = format_.PaperLength;
        return WriteReportPdf(format_, *data_, screen_, layout, dir_.filePath(name).toStdString(),
            {}, progress, jobs);
    }

    QByteArray Bytes(const QString& name)
    {
        QFile file(dir_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList Files() const
    {
        return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
    ScreenDisplay display_;
    TMyScreen screen_ { display_ };
    TMyPrintFormat format_;
    std::unique_ptr<TMyPrintData> data_;
};

void SetFont(TMyTextItem& item, const char* utf8Name, int points)
{
    item.FontName.SetText(Utf8ToGbk(utf8Name));
    item.FontSize = static_cast<std::uint16_t>(points);
}

// Pages drawn on two or three threads make the file one thread makes, byte
// for byte, with every rule style and colour, faces found, substituted and
// missing, wrapped and red texts, and the merged text, subtotal and total
// cells of the ledger on tables side by side.
TEST_F(PdfReportTest, ThreadsWriteTheFileOneThreadWrites)
{
    struct Case {
        const char* name;
        std::function<void(TMyPrintFormat&)> edit;
    };
    const Case cases[] = {
        { "the ledger", {} },
        { "every rule style",
            [](TMyPrintFormat& f) {
                for (int c = 1; c < kExampleColumns; ++c)
                    f.ColLine[c] = { static_cast<std::uint8_t>(c % 6), {}, c % 2 ? kBlack : kRed };
                for (int r = 1; r < kExampleRowsPerBlock; ++r)
                    f.RowLine[r]
                        = { static_cast<std::uint8_t>(r % 6), {}, r % 3 ? kBlack : RgbColor(0, 0, 255) };
                f.FrameLine.Style = 3;
                f.CompanyLine = { 4, {}, kRed };
                f.TitleLine = { 5, {}, kBlack };
            } },
        { "every face",
            [](TMyPrintFormat& f) {
                const char* faces[] = { "宋体", "楷体", "黑体", "仿宋", "Arial", "Tahoma", "没有这种字体" };
                for (int c = 1; c <= kExampleColumns; ++c) {
                    SetFont(f.ColItem[c], faces[c - 1], 6 + 3 * c);
                    f.ColItem[c].Wrap = c % 2;
                }
                SetFont(f.Title, "MS Sans Serif", 30);
                SetFont(f.MergedCells[10].Item, "Arial", 12);
                SetFont(f.MergedCells[13].Item, "没有这种字体", 11);
                f.NegativeRed = 1;
            } },
        { "tables side by side",
            [](TMyPrintFormat& f) {
                f.MultiTables = 1;
                f.TableGapLine = 1;
                for (int r = 1; r <= kExampleRowsPerBlock; ++r)
                    f.RowHeight[r] = 3;
                for (int c = 1; c <= kExampleColumns; ++c)
                    f.ColWidth[c] = 9;
                f.Orientation = 2;
            } },
    };
    for (const Case& c : cases) {
        Report(200, c.edit);
        const PdfReportResult one = Write(QStringLiteral("one.pdf"), 1);
        ASSERT_EQ(one.outcome, PdfReportResult::Written) << c.name << one.message.toStdString();
        const QByteArray bytes = Bytes(QStringLiteral("one.pdf"));
        for (int jobs : { 2, 3 }) {
            const QString name = QStringLiteral("jobs%1.pdf").arg(jobs);
            const PdfReportResult many = Write(name, jobs);
            EXPECT_EQ(many.outcome, PdfReportResult::Written) << c.name << jobs;
            EXPECT_EQ(many.pages, one.pages) << c.name << jobs;
            EXPECT_TRUE(Bytes(name) == bytes) << c.name << " on " << jobs << " threads";
        }
    }
}

// A cancel before any page of a parallel run leaves no file and nothing
// beside it; a file that was there stays as it was.
TEST_F(PdfReportTest, CancelLeavesNothing)
{
    Report(200);
    QFile old(dir_.filePath(QStringLiteral("old.pdf")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    const QStringList before = Files();
    for (int page : { 1, 2, 5, 8 }) {
        for (const char* name : { "new.pdf", "old.pdf" }) {
            StopBefore stop(page);
            const PdfReportResult result = Write(QString::fromLatin1(name), 2, &stop);
            EXPECT_EQ(result.outcome, PdfReportResult::Cancelled) << page;
            EXPECT_EQ(result.pages, page - 1) << page;
            EXPECT_EQ(Files(), before) << page << name;
            EXPECT_EQ(Bytes(QStringLiteral("old.pdf")), QByteArray("old")) << page;
        }
    }
}

// A word in a number column on page 700 stops a parallel run with the words
// of a run on one thread, whichever thread meets a bad page first, and no file.
TEST_F(PdfReportTest, BadNumberOnPage700SaysWhatOneThreadSays)
{
    const int line = 699 * kExampleDataRowsPerBlock + 4; // page 700, row 7
    Report(702 * kExampleDataRowsPerBlock);
    const std::string dataPath = dir_.filePath(QStringLiteral("ledger.dat")).toStdString();
    QFile data(QString::fromStdString(dataPath));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite));
    for (int at : { line, line + 2 * kExampleDataRowsPerBlock }) { // pages 700 and 702
        ASSERT_TRUE(data.seek(static_cast<qint64>(ExampleCellOffset(at, 5))));
        ASSERT_EQ(data.write(QByteArray("\x01x", 2)), 2);
    }
    data.close();
    const PdfReportResult many = Write(QStringLiteral("many.pdf"), 3);
    EXPECT_EQ(many.outcome, PdfReportResult::Failed);
    EXPECT_EQ(many.message, QStringLiteral("“x”不是有效的数值（第700页第7行第5列）"));
    const PdfReportResult one = Write(QStringLiteral("one.pdf"), 1);
    EXPECT_EQ(one.message, many.message);
    EXPECT_EQ(Files(), QStringList { QStringLiteral("ledger.dat") });
}

} // namespace
} // namespace quillet
