#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <string>

#include "platform/qt/FontSubstitutions.h"
#include "platform/qt/QtBitmap.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageService.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/ToolkitMessages.h"

namespace quillet {
namespace {

// A bitmap keeps the resolution it was made for in its picture and on its canvas.
TEST(QtBitmap, CarriesItsResolution)
{
    QtBitmapFactory factory;
    for (int dpi : { 72, 96, 120, 180, 600, 1200 }) {
        auto bitmap = factory.CreateBitmap(dpi, dpi);
        bitmap->SetSize(30, 20);
        EXPECT_EQ(bitmap->Width(), 30);
        EXPECT_EQ(bitmap->Height(), 20);
        EXPECT_EQ(bitmap->GetCanvas().DpiX(), dpi);
        EXPECT_EQ(bitmap->GetCanvas().DpiY(), dpi);
        auto& qt = static_cast<QtBitmap&>(*bitmap);
        EXPECT_EQ(qt.Image().logicalDpiY(), dpi);
        EXPECT_EQ(qt.Image().format(), QImage::Format_RGB32);
        EXPECT_EQ(bitmap->GetCanvas().ClipRect(), (Rect { 0, 0, 30, 20 }));
    }
}

// Sizes a hostile layout could ask for leave an empty picture that still measures text at its resolution.
TEST(QtBitmap, HostileSizesLeaveAnEmptyPicture)
{
    struct Case {
        int w;
        int h;
    } cases[]
        = { { 0, 0 }, { -5, 10 }, { 10, -5 }, { 40000, 10 }, { 20000, 20000 }, { 2147483647, 2147483647 } };
    for (const auto& c : cases) {
        QtBitmap bitmap(96, 96);
        bitmap.SetSize(c.w, c.h);
        EXPECT_EQ(bitmap.Width(), 0) << c.w << "x" << c.h;
        EXPECT_EQ(bitmap.Height(), 0);
        Canvas& canvas = bitmap.GetCanvas();
        EXPECT_EQ(canvas.DpiY(), 96);
        canvas.SetFont("Tahoma", 12, kBlack);
        EXPECT_GE(canvas.TextExtent("abc").cy, 16);
        canvas.FillRect({ 0, 0, 10, 10 });
        canvas.TextOut(0, 0, "abc");
        bitmap.SetSize(8, 8); // usable again
        EXPECT_EQ(bitmap.Width(), 8);
    }
}

// The offscreen display reports 96 dots per inch both ways.
TEST(QtDisplay, OffscreenIs96Dpi)
{
    QtDisplay display;
    EXPECT_EQ(display.LogicalDpiX(), 96);
    EXPECT_EQ(display.LogicalDpiY(), 96);
}

// Installing the substitutions again adds no duplicate entries.
TEST(FontSubstitutions, InstallingTwiceChangesNothing)
{
    InstallFontSubstitutions();
    const QStringList before = QFont::substitutes(QStringLiteral("宋体"));
    InstallFontSubstitutions();
    EXPECT_EQ(QFont::substitutes(QStringLiteral("宋体")), before);
    EXPECT_EQ(before.filter(QStringLiteral("AR PL UMing CN"), Qt::CaseInsensitive).size(), 1);
}

// An unattended message box becomes one "<caption>: <text>" line, whatever line breaks the text holds.
TEST(QtMessageService, UnattendedLineIsOneLine)
{
    struct Case {
        std::string caption;
        std::string text;
        std::string line;
    } cases[] = {
        { "提示", "格式文件已保存", "提示: 格式文件已保存\n" },
        { "打印预览窗体", "第一行\n第二行", "打印预览窗体: 第一行 第二行\n" },
        { "c", "a\r\nb\rc\n", "c: a b c \n" },
        { "", "", ": \n" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtMessageService::UnattendedLine(c.caption, c.text), c.line);
}

// With QUILLET_NONINTERACTIVE=1 the message goes to standard error and the safe answer comes back without a
// window.
TEST(QtMessageService, UnattendedAnswersSafeDefault)
{
    const char* saved = std::getenv("QUILLET_NONINTERACTIVE");
    const std::string savedValue = saved ? saved : "";
    ::setenv("QUILLET_NONINTERACTIVE", "1", 1);
    QtMessageService messages;
    ::testing::internal::CaptureStderr();
    const MessageResult question = messages.Show("提示", "是否保存?\n现在", MessageButtons::YesNo);
    const MessageResult note = messages.Show("打印预览窗体", "没有安装打印机", MessageButtons::Ok);
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (saved)
        ::setenv("QUILLET_NONINTERACTIVE", savedValue.c_str(), 1);
    else
        ::unsetenv("QUILLET_NONINTERACTIVE");
    EXPECT_EQ(question, MessageResult::No);
    EXPECT_EQ(note, MessageResult::Ok);
    EXPECT_EQ(err, "提示: 是否保存? 现在\n打印预览窗体: 没有安装打印机\n");
}

// A document reaches the desktop through xdg-open; when it cannot open it (no handler, a failing one) or
// there is no xdg-open at all, the caller hears that it stayed unopened, once.
TEST(QtShell, DocumentsTheDesktopCannotOpenAreReported)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QByteArray path = qgetenv("PATH");
    struct Case {
        const char* name;
        const char* opener; // the body of the xdg-open script; none: no xdg-open
        bool unopened;
    } cases[] = {
        { "handler found", "exit 0", false },
        { "no handler", "echo 'xdg-open: no method available' >&2; exit 3", true },
        { "the handler fails", "exit 4", true },
        { "no xdg-open", nullptr, true },
    };
    for (const Case& c : cases) {
        QFile::remove(bin.filePath(QStringLiteral("xdg-open")));
        if (c.opener) {
            QFile script(bin.filePath(QStringLiteral("xdg-open")));
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(QByteArray("#!/bin/sh\n") + c.opener + "\n");
            script.close();
            script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        // Without xdg-open nothing else may be found either: the toolkit then says false on its own.
        qputenv("PATH", c.opener ? bin.path().toUtf8() + ':' + path : bin.path().toUtf8());
        QtShell shell;
        int unopened = 0;
        shell.OpenDocument("/nowhere/Quillet.html", [&unopened] { ++unopened; });
        qputenv("PATH", path);
        if (c.unopened)
            EXPECT_TRUE(QTest::qWaitFor([&unopened] { return unopened > 0; }, 5000)) << c.name;
        else
            QTest::qWait(1000);
        QTest::qWait(100);
        EXPECT_EQ(unopened, c.unopened ? 1 : 0) << c.name;
    }
}

// A fatal message is the last word of a crash: routed or not, it reaches the error output.
TEST(ToolkitMessagesDeathTest, FatalMessagesStillShow)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            RouteToolkitMessages();
            qFatal("painter state lost");
        },
        "painter state lost");
}

} // namespace
} // namespace quillet
