// The preview window after start-up on the example report: tabs, status bar,
// paper label, page turning, zoom, states, placement and styles.
#include "preview/TabSet.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/qt/QtBitmap.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"
#include "preview/ZtRuler.h"
#include "shell/Startup.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

using PreviewWindowTest = WindowFixture;

QString Tab(int n)
{
    return QStringLiteral("\u3000第") + QString::number(n) + QStringLiteral("页\u3000");
}

// After start-up the tab row holds one full-width-space tab per page and the
// status panels show state, page count, current page and printer.
TEST_F(PreviewWindowTest, StartupBringsTabsStatusAndLabelInStep)
{
    TFrmPrintReview& w = Open();
    ASSERT_FALSE(w.EndRequested());
    const int pages = w.BuffPaper->PageCount;
    ASSERT_GT(pages, 4);
    ASSERT_EQ(w.TabSetPage->count(), pages);
    EXPECT_EQ(w.TabSetPage->tabText(0), Tab(1));
    EXPECT_EQ(w.TabSetPage->tabText(pages - 1), Tab(pages));
    EXPECT_EQ(w.TabSetPage->currentIndex(), 0);
    EXPECT_EQ(w.StatusPanels[0]->width(), 350);
    EXPECT_EQ(w.StatusPanels[1]->text(), QStringLiteral("设计"));
    EXPECT_EQ(w.StatusPanels[2]->text(), QStringLiteral("共%1页").arg(pages));
    EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第1页"));
    EXPECT_EQ(w.StatusPanels[4]->text(), QStringLiteral("打印机:Fake"));
    // The example's A4 portrait paper is stored as 210 x 290 and laid out on whole centimetres.
    EXPECT_EQ(w.Label_PaperSize->text(), QStringLiteral("纸张 210*290(毫米)"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("打印预览"));
    EXPECT_TRUE(messages_.shown.empty());
}

// The first show puts the window in design state at 100 % with the rate
// commands disabled and the stored placements ticked.
TEST_F(PreviewWindowTest, FirstShowEntersDesignStateWithStoredPlacement)
{
    TFrmPrintReview& w = Open();
    EXPECT_FALSE(w.BuffPaper->ReviewState);
    EXPECT_TRUE(w.ActionStateDesign->isChecked());
    EXPECT_FALSE(w.ActionStateReview->isChecked());
    EXPECT_TRUE(w.ActionViewRate100->isChecked());
    EXPECT_TRUE(w.ActionPrintRate100->isChecked());
    for (QAction* a : { w.ActionViewRate50, w.ActionViewRate100, w.ActionPrintRate50, w.ActionPrintRate100 })
        EXPECT_FALSE(a->isEnabled());
    EXPECT_EQ(w.ActionWhereHorCenter->isChecked(), w.PrintFormat->HorPlace == 2);
    EXPECT_EQ(w.ActionWhereVerTop->isChecked(), w.PrintFormat->VerPlace == 1);
    EXPECT_TRUE(w.ActionSetPrinter->isEnabled());
    EXPECT_TRUE(w.ActionStartPrint->isEnabled());
    EXPECT_EQ(w.Image_Review->cursor().shape(), Qt::ArrowCursor);
}

// Page turning does nothing at either end and follows the tabs.
TEST_F(PreviewWindowTest, PageTurningStopsAtTheEndsAndFollowsTabs)
{
    TFrmPrintReview& w = Open();
    const int pages = w.BuffPaper->PageCount;
    w.ActionPriorPage->trigger();
    EXPECT_EQ(w.BuffPaper->CurrentPage, 1);
    w.ActionNextPage->trigger();
    EXPECT_EQ(w.BuffPaper->CurrentPage, 2);
    EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第2页"));
    EXPECT_EQ(w.TabSetPage->currentIndex(), 1);
    w.ActionLastPage->trigger();
    EXPECT_EQ(w.BuffPaper->CurrentPage, pages);
    w.ActionNextPage->trigger();
    EXPECT_EQ(w.BuffPaper->CurrentPage, pages);
    w.ActionFirstPage->trigger();
    EXPECT_EQ(w.BuffPaper->CurrentPage, 1);
    w.TabSetPageClick(3);
    EXPECT_EQ(w.BuffPaper->CurrentPage, 4);
    EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第4页"));
    EXPECT_EQ(w.TabSetPage->currentIndex(), 3);
    // Short-cuts of the two page commands.
    EXPECT_EQ(w.ActionPriorPage->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    EXPECT_EQ(w.ActionNextPage->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
}

// Zoom 50 % sizes rulers and page image to the shrunken sheet; design state
// forces both rates back to 100 % and locks their commands.
TEST_F(PreviewWindowTest, ZoomSizesRulersAndDesignStateLocksRates)
{
    TFrmPrintReview& w = Open();
    w.ActionStateReview->trigger();
    EXPECT_TRUE(w.BuffPaper->ReviewState);
    EXPECT_EQ(w.StatusPanels[1]->text(), QStringLiteral("预览"));
    EXPECT_EQ(w.Image_Review->cursor().shape(), Qt::PointingHandCursor);
    ASSERT_TRUE(w.ActionViewRate50->isEnabled());

    // 100 %: 210 x 290 mm is 21 x 29 cm; at 96 dpi 794 x 1096 pixels plus the 5-pixel shadow.
    EXPECT_EQ(w.Image_Review->width(), 794 + 5);
    EXPECT_EQ(w.Image_Review->height(), 1096 + 5);
    EXPECT_EQ(w.ZtRuler_Top->LengthNumber(), 20);
    EXPECT_EQ(w.ZtRuler_Left->LengthNumber(), 28);

    w.ScrollBox_Main->verticalScrollBar()->setValue(100);
    w.ActionViewRate50->trigger();
    EXPECT_EQ(w.ScrollBox_Main->verticalScrollBar()->value(), 0);
    EXPECT_EQ(w.BuffPaper->ViewRate, 50.0);
    EXPECT_TRUE(w.ActionViewRate50->isChecked());
    EXPECT_FALSE(w.ActionViewRate100->isChecked());
    // Round(105) div 10 = 10 cm, Round(145) div 10 = 14 cm.
    EXPECT_EQ(w.Image_Review->width(), 378 + 5);
    EXPECT_EQ(w.Image_Review->height(), 529 + 5);
    EXPECT_EQ(w.ZtRuler_Top->LengthNumber(), 9);
    EXPECT_EQ(w.ZtRuler_Left->LengthNumber(), 13);
    EXPECT_EQ(w.Image_Review->x(), w.ZtRuler_Top->StartWhere());
    EXPECT_EQ(w.Image_Review->y(), w.ZtRuler_Left->StartWhere());

    w.ActionPrintRate50->trigger();
    EXPECT_EQ(w.BuffPaper->PrintRate, 50.0);

    w.ActionStateDesign->trigger();
    EXPECT_EQ(w.BuffPaper->ViewRate, 100.0);
    EXPECT_EQ(w.BuffPaper->PrintRate, 100.0);
    EXPECT_TRUE(w.ActionViewRate100->isChecked());
    EXPECT_TRUE(w.ActionPrintRate100->isChecked());
    EXPECT_FALSE(w.ActionViewRate50->isChecked());
    for (QAction* a : { w.ActionViewRate50, w.ActionViewRate100, w.ActionPrintRate50, w.ActionPrintRate100 })
        EXPECT_FALSE(a->isEnabled());
    EXPECT_EQ(w.StatusPanels[1]->text(), QStringLiteral("设计"));
    EXPECT_EQ(w.Image_Review->width(), 794 + 5);
}

// Scrolling the page moves the top ruler with the horizontal position and the
// left ruler with the vertical one, each alone.
TEST_F(PreviewWindowTest, RulersFollowTheScrollPosition)
{
    TFrmPrintReview& w = Open();
    w.resize(600, 500);
    QApplication::processEvents();
    const int leftRulerTop = w.ZtRuler_Left->y();
    w.ScrollBox_Main->horizontalScrollBar()->setValue(40);
    EXPECT_EQ(w.ZtRuler_Top->x(), -40);
    EXPECT_EQ(w.ZtRuler_Left->y(), leftRulerTop);
    w.ScrollBox_Main->verticalScrollBar()->setValue(70);
    EXPECT_EQ(w.ZtRuler_Left->y(), -70);
    EXPECT_EQ(w.ZtRuler_Top->x(), -40);
}

// A shown window at rest paints its rulers a few times and then stops: a
// repaint of a ruler must not set off a repaint of the window beneath it.
TEST_F(PreviewWindowTest, IdleWindowStopsRepainting)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    TFrmPrintReview& w = Open();
    w.ZtRuler_Top->installEventFilter(&counter);
    w.ZtRuler_Left->installEventFilter(&counter);
    w.update();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    counter.paints = 0;
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_LE(counter.paints, 2);
}

// Placement commands move the table block and tick exactly one command of their group.
TEST_F(PreviewWindowTest, PlacementCommandsMoveTheTable)
{
    TFrmPrintReview& w = Open();
    const TMyPrintFormat& f = *w.PrintFormat;
    const int width = w.BuffPaper->TableRight - w.BuffPaper->TableLeft;
    w.ActionWhereHorLeft->trigger();
    EXPECT_EQ(f.HorPlace, 1);
    EXPECT_EQ(w.BuffPaper->TableLeft, f.MarginLeft);
    EXPECT_TRUE(w.ActionWhereHorLeft->isChecked());
    EXPECT_FALSE(w.ActionWhereHorCenter->isChecked());
    w.ActionWhereHorRight->trigger();
    EXPECT_EQ(
        w.BuffPaper->TableLeft, std::max<int>(f.MarginLeft, w.BuffPaper->PageWidth - f.MarginRight - width));
    EXPECT_TRUE(w.ActionWhereHorRight->isChecked());
    EXPECT_FALSE(w.ActionWhereHorLeft->isChecked());

    const int height = w.BuffPaper->TableBottom - w.BuffPaper->TableTop;
    w.ActionWhereVerBottom->trigger();
    EXPECT_EQ(f.VerPlace, 3);
    EXPECT_EQ(
        w.BuffPaper->TableTop, std::max<int>(f.MarginTop, w.BuffPaper->PageHeight - f.MarginBottom - height));
    // Triggering the ticked command again keeps it ticked.
    w.ActionWhereVerBottom->trigger();
    EXPECT_TRUE(w.ActionWhereVerBottom->isChecked());
    w.ActionWhereVerTop->trigger();
    EXPECT_EQ(w.BuffPaper->TableTop, f.MarginTop);

    // A stored value outside 1..3 ticks nothing.
    w.SetHorPlace(0);
    EXPECT_FALSE(w.ActionWhereHorLeft->isChecked() || w.ActionWhereHorCenter->isChecked()
        || w.ActionWhereHorRight->isChecked());
    EXPECT_EQ(w.BuffPaper->TableLeft, 0);
}

// The two interface styles are distinct styles on the menu bar and the tool bar.
TEST_F(PreviewWindowTest, InterfaceStylesSwitchAtRunTime)
{
    TFrmPrintReview& w = Open();
    // The example stores style 0: the standard style is ticked after start-up.
    EXPECT_TRUE(w.ActionIFStand->isChecked());
    EXPECT_FALSE(w.ActionIFXp->isChecked());
    QStyle* standard = w.ActionMainMenuBarMain->style();
    EXPECT_EQ(w.ActionToolBarMain->style(), standard);
    w.ActionIFXp->trigger();
    EXPECT_TRUE(w.ActionIFXp->isChecked());
    EXPECT_FALSE(w.ActionIFStand->isChecked());
    EXPECT_NE(w.ActionMainMenuBarMain->style(), standard);
    EXPECT_EQ(w.ActionMainMenuBarMain->style(), w.ActionToolBarMain->style());
    EXPECT_NE(w.ActionMainMenuBarMain->style()->name(), standard->name());
    w.ActionIFStand->trigger();
    EXPECT_EQ(w.ActionMainMenuBarMain->style(), standard);
}

// With no printer the print commands are disabled and panel 4 says so.
TEST_F(PreviewWindowTest, NoPrinterDisablesPrintCommands)
{
    fakePrinters_.printers.clear();
    TFrmPrintReview& w = Open();
    EXPECT_EQ(w.StatusPanels[4]->text(), QStringLiteral("没有安装打印机"));
    EXPECT_FALSE(w.ActionSetPrinter->isEnabled());
    EXPECT_FALSE(w.ActionStartPrint->isEnabled());
}

// Preview-only mode refuses to print; the other modes print one job per page.
TEST_F(PreviewWindowTest, OnlyViewRefusesToPrintAndStartPrintPrintsEveryPage)
{
    TFrmPrintReview& w = Open({ DataPath(), FormatPath(), QStringLiteral("onlyVIEW") });
    EXPECT_TRUE(w.OnlyView);
    w.ActionStartPrintExecute();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "对不起！只能预览不能打印");
    EXPECT_TRUE(fakePrinters_.jobs.empty());

    TFrmPrintReview& v = Open();
    v.ActionNextPage->trigger();
    v.ActionStartPrintExecute();
    EXPECT_EQ(static_cast<int>(fakePrinters_.jobs.size()), v.BuffPaper->PageCount);
    EXPECT_EQ(v.BuffPaper->CurrentPage, 2);
}

// A print mode prints every page and asks the program to end.
TEST_F(PreviewWindowTest, PrintModePrintsAllPagesAndEnds)
{
    TFrmPrintReview& w = Start({ DataPath(), FormatPath(), QStringLiteral("NotDefPrint") });
    EXPECT_TRUE(w.EndRequested());
    EXPECT_EQ(w.ExitCode(), 0);
    EXPECT_EQ(static_cast<int>(fakePrinters_.jobs.size()), w.BuffPaper->PageCount);
}

// A saved layout beside the program is preferred unless the mode says NotDef.
TEST_F(PreviewWindowTest, SavedLayoutIsPreferredUnlessNotDef)
{
    const QString folder
        = QFile::decodeName(QByteArray::fromStdString(ProgramFolder())) + QStringLiteral("/Format");
    QDir().mkpath(folder);
    const QString saved = folder + QStringLiteral("/example.PFD");
    // Other tests must never see this layout, whatever happens here.
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } cleanup { saved };
    TMyPrintFormat layout;
    ASSERT_EQ(layout.LoadFromFile(FormatPath().toStdString()), kFileOk);
    layout.HorPlace = 3;
    layout.MarginLeft = 17;
    TMyPaperSpec paper;
    ASSERT_EQ(layout.SaveToFile(saved.toStdString(), paper), kFileOk);

    TFrmPrintReview& preferred = Start({ DataPath(), FormatPath(), QStringLiteral("OnlyView") });
    EXPECT_EQ(preferred.PrintFormat->MarginLeft, 17);
    EXPECT_EQ(preferred.SavedFormatPath, LocalPath(saved));

    TFrmPrintReview& ignored = Start({ DataPath(), FormatPath(), QStringLiteral("notdef") });
    EXPECT_NE(ignored.PrintFormat->MarginLeft, 17);

    // Four arguments: no mode word, so the saved layout is used and the run previews.
    TFrmPrintReview& four
        = Start({ DataPath(), FormatPath(), QStringLiteral("NotDef"), QStringLiteral("x") });
    EXPECT_EQ(four.PrintFormat->MarginLeft, 17);
    EXPECT_FALSE(four.EndRequested());
}

// With QUILLET_SHOT_DIR set, the window is saved as pictures at 100 % and
// 50 % and in both styles, for people to look at.
TEST_F(PreviewWindowTest, ScreenshotsWhenAsked)
{
    const QString dir = qEnvironmentVariable("QUILLET_SHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set QUILLET_SHOT_DIR to save screenshots";
    TFrmPrintReview& w = Open();
    w.resize(1280, 900);
    w.grab().save(dir + QStringLiteral("/window-100-standard.png"));
    w.ActionStateReview->trigger();
    w.ActionViewRate50->trigger();
    w.ActionIFXp->trigger();
    w.ActionNextPage->trigger();
    w.grab().save(dir + QStringLiteral("/window-50-xp.png"));
    w.ActionPrintRate50->trigger();
    w.grab().save(dir + QStringLiteral("/window-50-print50-xp.png"));
}

// Mode words and base names follow the command-line rules, base names in the bytes of the path.
TEST(StartupRules, ModeWordsAndBaseNames)
{
    const std::string d = "a.dat", f = "b.fmt";
    EXPECT_TRUE(ModeFromArguments({ d, f, "print" }).print);
    EXPECT_TRUE(ModeFromArguments({ d, f, "print" }).preferSaved);
    EXPECT_FALSE(ModeFromArguments({ d, f, "NOTDEFPRINT" }).preferSaved);
    EXPECT_TRUE(ModeFromArguments({ d, f, "NotDefOnlyView" }).onlyView);
    EXPECT_FALSE(ModeFromArguments({ d, f, "Print", "x" }).print);
    const RunMode other = ModeFromArguments({ d, f, "Printer" });
    EXPECT_TRUE(other.preferSaved);
    EXPECT_FALSE(other.print || other.onlyView);
    EXPECT_EQ(FormatBaseName("/x/y/sales.2024.fmt"), "sales.2024");
    EXPECT_EQ(FormatBaseName("/x.d/plain"), "plain");
    EXPECT_EQ(FormatBaseName("/x/\xC9\xCF\xBA\xA3.fmt"), "\xC9\xCF\xBA\xA3");
}

// The screen's picture at 100 % and ratio 1 is the engine's preview picture
// pixel for pixel; at ratio 2 it is twice as large, its one-pixel sheet edge
// two device pixels wide.
TEST_F(PreviewWindowTest, ScreenPictureMatchesTheEnginesAtOneAndDoublesAtTwo)
{
    TFrmPrintReview& w = Open();
    const QImage engine = dynamic_cast<QtBitmap&>(w.PreviewPicture()).Image().copy();
    const QImage screen = w.Image_Review->Render(w.Image_Review->rect(), 1.0);
    ASSERT_EQ(screen.width(), engine.width() + 5);
    EXPECT_TRUE(screen.copy(0, 0, engine.width(), engine.height()) == engine);

    const QImage doubled = w.Image_Review->Render(w.Image_Review->rect(), 2.0);
    EXPECT_EQ(doubled.width(), 2 * screen.width());
    EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
    // The sheet's left edge: device columns 0 and 1 black, column 2 white.
    const int y = 2 * 300;
    EXPECT_EQ(doubled.pixel(0, y), qRgb(0, 0, 0));
    EXPECT_EQ(doubled.pixel(1, y), qRgb(0, 0, 0));
    EXPECT_EQ(doubled.pixel(2, y), qRgb(255, 255, 255));
}

// Zooming steps through the ladder within 10 .. 800 %, ticks 100 % and 50 %
// only at those zooms, fits the sheet to the scroll area and follows a
// resize, and a Ctrl+wheel keeps the page point under the pointer.
TEST_F(PreviewWindowTest, ZoomCommandsFitAndWheel)
{
    TFrmPrintReview& w = Open();
    w.ActionStateReview->trigger();
    w.ActionZoomIn->trigger();
    EXPECT_EQ(w.Zoom(), 125.0);
    EXPECT_FALSE(w.ActionViewRate100->isChecked());
    EXPECT_EQ(w.StatusZoom->text(), QStringLiteral("125%"));
    for (int i = 0; i < 20; ++i)
        w.ActionZoomIn->trigger();
    EXPECT_EQ(w.Zoom(), 800.0);
    // A4 at 800 % is shown whole, not cut to the picture limit; the ruler
    // counts the paper's 21 cm.
    EXPECT_FALSE(w.Paper->SheetFitted());
    EXPECT_EQ(w.ZtRuler_Top->Layout().labels.back().number, 20);
    for (int i = 0; i < 20; ++i)
        w.ActionZoomOut->trigger();
    EXPECT_EQ(w.Zoom(), 10.0);
    w.SetZoom(75.0);
    w.ActionZoomOut->trigger();
    EXPECT_EQ(w.Zoom(), 67.0);
    w.ActionZoomOut->trigger();
    EXPECT_EQ(w.Zoom(), 50.0);
    EXPECT_TRUE(w.ActionViewRate50->isChecked());

    w.resize(1000, 700);
    QCoreApplication::processEvents();
    w.ActionFitPage->trigger();
    const QSize area = w.ScrollBox_Main->size();
    EXPECT_LE(w.Image_Review->geometry().right(), area.width());
    EXPECT_LE(w.Image_Review->geometry().bottom(), area.height());
    EXPECT_EQ(w.StatusZoom->text().endsWith(QStringLiteral("适合整页")), true);
    const double small = w.Zoom();
    w.resize(1400, 1000);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_GT(w.Zoom(), small);
    w.ActionFitWidth->trigger();
    EXPECT_LE(w.Image_Review->geometry().right(), w.ScrollBox_Main->viewport()->width());

    // Ctrl+wheel up at a point of the page: the same page point stays there
    // (down the page, which is taller than the window and so can scroll).
    w.SetZoom(100.0);
    const QPoint at(300, 200);
    const QPoint content = at
        + QPoint(
            w.ScrollBox_Main->horizontalScrollBar()->value(), w.ScrollBox_Main->verticalScrollBar()->value())
        - w.Image_Review->pos();
    w.WheelZoom(120, at);
    EXPECT_EQ(w.Zoom(), 125.0);
    const TImageReview::PageView view = w.Image_Review->View();
    const QPoint after = at
        + QPoint(
            w.ScrollBox_Main->horizontalScrollBar()->value(), w.ScrollBox_Main->verticalScrollBar()->value())
        - w.Image_Review->pos();
    EXPECT_NEAR((after.y() - view.oy) / view.sy, content.y(), 2.0);
}

} // namespace
} // namespace quillet::testing
