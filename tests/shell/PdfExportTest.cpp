// `quillet --pdf FILE DATA FORMAT [mode]` as a process: the whole report in
// one PDF without a window, and on failure a message, a non-zero status and
// no file under the name asked for.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/platform/QtTestSupport.h"
#include "tests/shell/ProgramRun.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

const QString kProgram = QStringLiteral(QUILLET_BINARY);

test::ProgramRun Start(const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display and no platform asked for: the PDF needs neither.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QUILLET_NONINTERACTIVE"));
    // The toolkit warns without it; the error output must hold our lines all the same.
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return test::RunProgram(kProgram, arguments, env);
}

// Overwrites one cell of a data file with a short text.
void PutCell(const QString& dataPath, std::uint64_t offset, const QByteArray& text)
{
    QByteArray cell(201, '\0');
    cell[0] = static_cast<char>(text.size());
    cell.replace(1, text.size(), text);
    QFile file(dataPath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(static_cast<qint64>(offset)));
    ASSERT_EQ(file.write(cell), cell.size());
}

class PdfExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(WriteExampleReport(dir_.path().toStdString(), 120));
        data_ = dir_.filePath(QString::fromLatin1(kExampleDataName));
        format_ = dir_.filePath(QString::fromLatin1(kExampleFormatName));
        out_ = dir_.filePath(QStringLiteral("报表.pdf"));
    }
    QTemporaryDir dir_;
    QString data_;
    QString format_;
    QString out_;
};

// The whole report lands in one valid file, titled as the report, whose pages
// number themselves "n of N", with a mode word after the files as in a normal
// start, and the error output stays empty.
TEST_F(PdfExportTest, WholeReportInOneFile)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        GTEST_SKIP() << "poppler-utils or qpdf is not installed";
    for (const QString& mode : { QString(), QStringLiteral("NotDefPrint") }) {
        QStringList arguments { QStringLiteral("--pdf"), out_, data_, format_ };
        if (!mode.isEmpty())
            arguments << mode;
        const test::ProgramRun run = Start(arguments);
        ASSERT_EQ(run.status, 0) << run.Message().toStdString();
        EXPECT_EQ(run.err, QString());
        EXPECT_EQ(test::RunTool(QStringLiteral("qpdf"), { QStringLiteral("--check"), out_ }).exitCode, 0);
        const QString text = test::RunTool(
            QStringLiteral("pdftotext"), { QStringLiteral("-layout"), out_, QStringLiteral("-") })
                                 .out;
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        ASSERT_GE(pages.size(), 2);
        const int count = static_cast<int>(pages.size());
        for (int n = 1; n <= count; ++n) {
            EXPECT_TRUE(pages[n - 1].contains(QStringLiteral("第%1页 共%2页").arg(n).arg(count)))
                << "page " << n;
            EXPECT_TRUE(pages[n - 1].contains(QStringLiteral("2024年3月销售明细账"))) << "page " << n;
        }
        EXPECT_TRUE(test::RunTool(QStringLiteral("pdfinfo"), { out_ })
                        .out.contains(QStringLiteral("Title:           2024年3月销售明细账\n")));
        // Nothing beside it: no pages of their own, no half-written files.
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 3);
    }
}

// Failures say why in one line of the error output and nothing else, end with
// a non-zero status and leave what was under the file's name as it was.
TEST_F(PdfExportTest, FailuresLeaveNoFile)
{
    const QString missing = dir_.filePath(QStringLiteral("missing.dat"));
    const QString title = QStringLiteral("打印预览窗体: ");
    struct Case {
        QStringList arguments;
        QString message;
    };
    const Case cases[] = {
        { { QStringLiteral("--pdf") }, title + QStringLiteral("传递参数不正确!") },
        { { QStringLiteral("--pdf"), out_, data_ }, title + QStringLiteral("传递参数不正确!") },
        { { QStringLiteral("--pdf"), out_, missing, format_ },
            title + QStringLiteral("数据文件\"%1\"不存在!").arg(missing) },
        { { QStringLiteral("--pdf"), out_, data_, data_ },
            title + QStringLiteral("格式文件\"%1\"格式不对!").arg(data_) },
    };
    for (const Case& c : cases) {
        const test::ProgramRun run = Start(c.arguments);
        EXPECT_NE(run.status, 0) << c.message.toStdString();
        EXPECT_EQ(run.err.toStdString(), c.message.toStdString() + "\n");
        EXPECT_FALSE(QFile::exists(out_));
    }

    QFile old(out_);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_NE(Start({ QStringLiteral("--pdf"), out_, missing, format_ }).status, 0);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));

    const QString unwritable = dir_.filePath(QStringLiteral("no/such/folder/out.pdf"));
    const test::ProgramRun run = Start({ QStringLiteral("--pdf"), unwritable, data_, format_ });
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.Message().startsWith(title + QStringLiteral("无法写入PDF文件")))
        << run.Message().toStdString();
    EXPECT_FALSE(QFile::exists(unwritable));
}

// One word among the numbers of a long report stops the export with the place of its cell after the
// engine's words, as the only line of the error output, and leaves no file.
TEST_F(PdfExportTest, BadNumberSaysWhereItLies)
{
    // Ledger line 61 is the fifth of page 3, row 7 of its table; column 5 holds the quantity.
    PutCell(data_, ExampleCellOffset(60, 5), "x");
    const test::ProgramRun run = Start({ QStringLiteral("--pdf"), out_, data_, format_ });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("打印预览窗体: “x”不是有效的数值（第3页第7行第5列）\n"));
    EXPECT_FALSE(QFile::exists(out_));
}

} // namespace
} // namespace quillet
