// The window's settings kept between runs: what a file may hold and what is
// made of it, and a window that closes and the next one that opens.
#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QDir>
#include <QFile>
#include <QScrollBar>

#include "platform/qt/LocalPath.h"
#include "preview/SearchBar.h"
#include "preview/ViewSettings.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

void WriteText(const QString& path, const char* text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Values out of range or not understood keep their defaults; a missing file
// is all defaults.
TEST(ViewSettingsTest, LoadKeepsDefaultsForWhatItCannotUse)
{
    QTemporaryDir dir;
    using F = ViewSettings::Fit;
    struct Case {
        const char* text; // nullptr: no file
        ViewSettings expected;
    } cases[] = {
        { nullptr, {} },
        { "[view]\nzoom=250\nfit=page\n[thumbnails]\nshown=true\nwidth=220\n[search]\nmatch-case=true\n"
          "whole-word=true\n",
            { 250, F::Page, true, 220, true, true } },
        { "[view]\nzoom=33.3\nfit=width\n", { 33.3, F::Width } },
        { "[view]\nzoom=5\nfit=sideways\n[thumbnails]\nshown=yes\nwidth=9000\n", { 100, F::None, false, 400 } },
        { "[view]\nzoom=nan\n[thumbnails]\nwidth=3\n[search]\nmatch-case=1\n", { 100, F::None, false, 80 } },
        { "[view]\nzoom=inf\n[thumbnails]\nwidth=wide\n", {} },
        { "\xff\xfe garbage without sections\n=\n[", {} },
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("window.ini"));
        QFile::remove(path);
        if (c.text)
            WriteText(path, c.text);
        EXPECT_EQ(ViewSettings::Load(LocalPath(path)), c.expected) << (c.text ? c.text : "(no file)");
    }
    // What is saved is what loads again.
    const ViewSettings saved { 67, F::None, true, 180, false, true };
    const std::string path = LocalPath(dir.filePath(QStringLiteral("quillet/window.ini")));
    EXPECT_TRUE(saved.Save(path).isEmpty());
    EXPECT_EQ(ViewSettings::Load(path), saved);
    // A folder where the file goes is refused with the file named.
    const std::string folder = LocalPath(dir.filePath(QStringLiteral("taken")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("taken"))));
    const QString failure = saved.Save(folder);
    EXPECT_TRUE(failure.startsWith(QStringLiteral("无法把窗口设置保存到"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("taken"))) << failure.toStdString();
}

class ViewSettingsWindowTest : public WindowFixture {
protected:
    TFrmPrintReview& OpenWith(const std::string& settings)
    {
        Start({ DataPath(), FormatPath(), QStringLiteral("NotDef") });
        window_->SettingsFile = settings;
        window_->SavedFormatPath = LocalPath(saved_.filePath(QStringLiteral("Format/example.PFD")));
        window_->SavedFormatFallback.clear();
        window_->resize(1000, 800);
        window_->show();
        QApplication::processEvents();
        return *window_;
    }
};

// The settings of a closed window are those of the next one, which still
// opens on the first page, in design state, at the sheet's top left corner.
TEST_F(ViewSettingsWindowTest, NextStartRestoresTheWindowsSettings)
{
    QTemporaryDir dir;
    const std::string file = LocalPath(dir.filePath(QStringLiteral("quillet/window.ini")));
    using Fit = TFrmPrintReview::FitMode;
    struct Case {
        double zoom;
        Fit fit;
        bool matchCase;
        bool wholeWord;
    } cases[] = { { 200, Fit::None, true, false }, { 0, Fit::Width, false, true }, { 33, Fit::None, false, false },
        { 0, Fit::Page, true, true } };
    for (const Case& c : cases) {
        TFrmPrintReview& w = OpenWith(file);
        if (c.fit == Fit::Width)
            w.ActionFitWidth->trigger();
        else if (c.fit == Fit::Page)
            w.ActionFitPage->trigger();
        else
            for (QAction* a : w.ZoomPanelMenu->actions())
                if (a->text() == QString::number(c.zoom) + QStringLiteral("%"))
                    a->trigger();
        w.SearchBar->MatchCase->setChecked(c.matchCase);
        w.SearchBar->WholeWord->setChecked(c.wholeWord);
        w.ActionLastPageExecute();
        w.ActionStateReview->trigger();
        const double zoom = w.Zoom();
        w.close();

        TFrmPrintReview& next = OpenWith(file);
        EXPECT_EQ(next.Fit(), c.fit) << zoom;
        EXPECT_EQ(next.Zoom(), zoom);
        EXPECT_EQ(next.SearchBar->MatchCase->isChecked(), c.matchCase) << zoom;
        EXPECT_EQ(next.SearchBar->WholeWord->isChecked(), c.wholeWord) << zoom;
        EXPECT_EQ(next.BuffPaper->CurrentPage, 1) << zoom;
        EXPECT_FALSE(next.BuffPaper->ReviewState) << zoom;
        EXPECT_EQ(next.ScrollBox_Main->horizontalScrollBar()->value(), 0) << zoom;
        EXPECT_EQ(next.ScrollBox_Main->verticalScrollBar()->value(), 0) << zoom;
        next.close();
    }
    EXPECT_TRUE(messages_.shown.empty());

    // A settings file that cannot be written is told once at the close, and
    // the window closes all the same.
    const std::string folder = LocalPath(dir.path());
    TFrmPrintReview& w = OpenWith(folder);
    EXPECT_TRUE(w.close());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(messages_.shown[0].text.find("无法把窗口设置保存到"), std::string::npos);
}

} // namespace
} // namespace quillet::testing
