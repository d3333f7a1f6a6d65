// The window's commands, menus and tool bars against the table of the
// program's commands written out here by hand, and hints reaching the status bar.
#include <QAction>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "platform/qt/Language.h"
#include "preview/HelpWindow.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

enum Rule { Always, DesignLocked, Printer, PrinterFromStart, History };

struct Expected {
    const char* name;
    const char* caption;
    const char* hint; // "" for none
    const char* shortcut;
    bool icon;
    Rule rule;
};

// clang-format off
const Expected kExpected[] = {
    {"ActionSaveFormat", "保存打印格式", "将当前打印格式保存起来，供以后打印使用", "Ctrl+S", true, Always},
    {"ActionDeleteFormat", "删除保存的打印格式", "删除当前保存的格式", "", true, Always},
    {"ActionSavePicture", "保存到图片", "将当前打印内容保存到指定的图片文件中", "", true, Always},
    {"ActionExportPdf", "导出PDF...", "将全部打印内容导出到指定的PDF文件中", "", true, Always},
    {"ActionExportXlsx", "导出Excel...", "将全部打印内容导出到指定的Excel工作簿中", "", false, Always},
    {"ActionExportCsv", "导出CSV...", "将全部数据行导出到指定的CSV文件中", "", false, Always},
    {"ActionExportJson", "导出格式为JSON...", "将当前打印格式（包括没有保存的修改）导出到指定的JSON文件中", "", false, Always},
    {"ActionClose", "退出程序", "退出程序", "", false, Always},
    {"ActionPriorPage", "前一页", "浏览前一页", "Ctrl+U", true, Always},
    {"ActionNextPage", "下一页", "浏览下一页", "Ctrl+D", true, Always},
    {"ActionFirstPage", "第一页", "浏览第一页", "", true, Always},
    {"ActionLastPage", "最后一页", "浏览最后一页", "", true, Always},
    {"ActionSelPage", "浏览指定页...", "浏览指定页", "", false, Always},
    {"ActionBack", "后退", "回到跳转之前浏览的页", "Alt+Left", false, History},
    {"ActionForward", "前进", "重新浏览后退之前的页", "Alt+Right", false, History},
    {"ActionEditTitle", "修改标题...", "修改打印内容的标题", "", true, Always},
    {"ActionEditCompany", "修改公司...", "修改打印内容的公司", "", false, Always},
    {"ActionEditRowCount", "修改打印行数...", "修改打印表格行数", "", false, Always},
    {"ActionEditPageHead", "修改页头...", "", "", false, Always},
    {"ActionEditPageFoot", "修改页尾...", "", "", false, Always},
    {"ActionEditAllRowHeight", "设置统一行高...", "", "", true, Always},
    {"ActionEditColWidth", "恢复合并的列宽...", "恢复合并后列宽为0的列", "", true, Always},
    {"ActionEditRowHeight", "恢复合并的行高...", "恢复合并后行高为0的行", "", true, Always},
    {"ActionWhereHorLeft", "水平居左", "将打印的内容停靠在纸张的左边", "", true, Always},
    {"ActionWhereHorCenter", "水平居中", "将打印的内容停靠在纸张的中央", "", true, Always},
    {"ActionWhereHorRight", "水平居右", "将打印的内容停靠在纸张的右边", "", true, Always},
    {"ActionWhereVerTop", "垂直居顶", "将打印的内容停靠在纸张的顶端", "", true, Always},
    {"ActionWhereVerCenter", "垂直居中", "将打印的内容停靠在纸张的中央", "", true, Always},
    {"ActionWhereVerBottom", "垂直居底", "将打印的内容停靠在纸张的底端", "", true, Always},
    {"ActionSetPage", "页面设置...", "对打印页面进行设置", "", true, Always},
    {"ActionSetFont", "字体设置...", "对打印页面上的字体进行设置", "Ctrl+F", true, Always},
    {"ActionUndo", "撤销", "撤销上一次对打印格式的修改", "Ctrl+Z", false, History},
    {"ActionRedo", "重做", "重做撤销了的修改", "Ctrl+Y", false, History},
    {"ActionViewRate50", "预览比率50%", "预览比率50%", "", true, DesignLocked},
    {"ActionViewRate100", "预览比率100%", "预览比率100%", "", true, DesignLocked},
    {"ActionPrintRate50", "打印比率50%", "打印比率50%", "", true, DesignLocked},
    {"ActionPrintRate100", "打印比率100%", "打印比率100%", "", true, DesignLocked},
    {"ActionRefurbish", "刷新", "从新显示打印页面上的内容", "F5", true, Always},
    {"ActionZoomIn", "放大", "放大预览的页面", "Ctrl+=", true, Always},
    {"ActionZoomOut", "缩小", "缩小预览的页面", "Ctrl+-", true, Always},
    {"ActionFitWidth", "适合页宽", "使页面的宽度适合窗口", "", true, Always},
    {"ActionFitPage", "适合整页", "使整个页面适合窗口", "", true, Always},
    {"ActionFind", "查找...", "在全部打印内容中查找文字", "Ctrl+Shift+F", false, Always},
    {"ActionThumbnails", "页面缩略图", "在窗口左边显示各页的缩略图", "F4", false, Always},
    {"ActionSetPrint", "打印...", "打印指定内容", "Ctrl+P", false, Printer},
    {"ActionSetPrinter", "设置打印机...", "设置打印机", "", true, Printer},
    {"ActionStartPrint", "开始打印", "开始打印所有内容", "", true, PrinterFromStart},
    {"ActionHelp", "帮助...", "帮助信息", "F1", true, Always},
    {"ActionMail", "写信...", "给我们的技术支持部发送电子邮件", "", false, Always},
    {"ActionHomePage", "Quillet的主页", "欢迎访问我们在Internet上的网站", "", true, Always},
    {"ActionAbout", "关于...", "关于", "", false, Always},
    {"ActionStateReview", "预览状态", "切换为预览状态", "", true, Always},
    {"ActionStateDesign", "设计状态", "切换为设计状态", "", true, Always},
    {"ActionIFStand", "标准风格", "", "", false, Always},
    {"ActionIFXp", "XP风格", "", "", false, Always},
};

// Menu titles and their items by command name, "-" for a separator.
const std::vector<std::pair<const char*, std::vector<const char*>>> kMenus = {
    {"文件(&F)", {"ActionSaveFormat", "ActionDeleteFormat", "-", "ActionSavePicture", "ActionExportPdf", "ActionExportXlsx", "ActionExportCsv", "ActionExportJson", "-", "ActionClose"}},
    {"翻页(&Y)", {"ActionPriorPage", "ActionNextPage", "ActionFirstPage", "ActionLastPage", "-", "ActionSelPage", "-", "ActionBack", "ActionForward"}},
    {"格式(&O)", {"ActionWhereHorLeft", "ActionWhereHorCenter", "ActionWhereHorRight", "-", "ActionWhereVerTop", "ActionWhereVerCenter", "ActionWhereVerBottom"}},
    {"设置(&S)", {"ActionEditCompany", "ActionEditTitle", "ActionEditPageHead", "ActionEditPageFoot", "ActionEditRowCount", "ActionEditAllRowHeight", "-", "ActionEditColWidth", "ActionEditRowHeight", "-", "ActionSetPage", "ActionSetFont", "-", "ActionUndo", "ActionRedo"}},
    {"浏览(&V)", {"ActionViewRate50", "ActionViewRate100", "-", "ActionPrintRate50", "ActionPrintRate100", "-", "ActionRefurbish", "-", "ActionZoomIn", "ActionZoomOut", "ActionFitWidth", "ActionFitPage", "-", "ActionFind", "ActionThumbnails"}},
    {"打印(&P)", {"ActionSetPrint", "ActionSetPrinter", "ActionStartPrint"}},
    {"状态(&T)", {"ActionStateDesign", "ActionStateReview"}},
    {"界面(&I)", {"ActionIFStand", "ActionIFXp"}},
    {"帮助(&H)", {"ActionHelp", "ActionMail", "ActionHomePage", "-", "ActionAbout"}},
};
// clang-format on

QStringList Names(const QList<QAction*>& actions)
{
    QStringList names;
    for (const QAction* a : actions)
        names.append(a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

QStringList Names(const std::vector<const char*>& names)
{
    QStringList out;
    for (const char* n : names)
        out.append(QString::fromUtf8(n));
    return out;
}

using ReviewCommandsTest = WindowFixture;

// Every command carries its caption, hint, short-cut and picture, and is
// enabled by its rule in design state with a printer installed.
TEST_F(ReviewCommandsTest, EveryCommandAsInTheTable)
{
    TFrmPrintReview& w = Open();
    ASSERT_EQ(w.Actions.size(), static_cast<qsizetype>(std::size(kExpected)));
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.name);
        auto* a = w.findChild<QAction*>(QString::fromLatin1(e.name));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromUtf8(e.caption));
        EXPECT_EQ(a->statusTip(), QString::fromUtf8(e.hint));
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(e.shortcut)));
        EXPECT_EQ(!a->icon().isNull(), e.icon);
        if (e.icon) { // a real picture of the theme, not an empty placeholder
            EXPECT_FALSE(a->icon().pixmap(16, 16).isNull());
        }
        EXPECT_EQ(a->isEnabled(), e.rule != DesignLocked && e.rule != History);
    }
    // Redo also answers Ctrl+Shift+Z.
    EXPECT_TRUE(w.ActionRedo->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Shift+Z"))));
    // Zooming in also answers Ctrl++ (Ctrl with the shifted "=" key).
    EXPECT_TRUE(w.ActionZoomIn->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl++"))));
    // Review state unlocks the rates; without printers the print commands go grey.
    w.ActionStateReview->trigger();
    for (const Expected& e : kExpected)
        EXPECT_EQ(w.findChild<QAction*>(QString::fromLatin1(e.name))->isEnabled(), e.rule != History) << e.name;

    fakePrinters_.printers.clear();
    TFrmPrintReview& none = Open();
    for (const Expected& e : kExpected) {
        const bool printerRule = e.rule == Printer || e.rule == PrinterFromStart;
        EXPECT_EQ(none.findChild<QAction*>(QString::fromLatin1(e.name))->isEnabled(),
            !printerRule && e.rule != DesignLocked && e.rule != History)
            << e.name;
    }
}

// The nine menus in order with their items and separators, and both tool bars.
TEST_F(ReviewCommandsTest, MenusAndToolBarsInOrder)
{
    TFrmPrintReview& w = Open();
    const QList<QAction*> menus = w.ActionMainMenuBarMain->actions();
    ASSERT_EQ(menus.size(), static_cast<qsizetype>(kMenus.size()));
    for (std::size_t i = 0; i < kMenus.size(); ++i) {
        SCOPED_TRACE(kMenus[i].first);
        const QAction* entry = menus[static_cast<qsizetype>(i)];
        EXPECT_EQ(entry->text(), QString::fromUtf8(kMenus[i].first));
        ASSERT_NE(entry->menu(), nullptr);
        EXPECT_EQ(Names(entry->menu()->actions()), Names(kMenus[i].second));
    }
    EXPECT_EQ(Names(w.ActionToolBarMain->actions()),
        Names({ "ActionStartPrint", "ActionSetPrinter", "-", "ActionSaveFormat", "ActionSetFont",
            "ActionSetPage" }));
    EXPECT_EQ(Names(w.ToolBarPage->actions()),
        Names({ "ActionFirstPage", "ActionPriorPage", "ActionNextPage", "ActionLastPage", "-",
            "PageNumberField", "PageCountLabel" }));
    // Every tool button shows a picture.
    for (QToolBar* bar : { w.ActionToolBarMain, w.ToolBarPage })
        for (QAction* a : bar->actions())
            if (qobject_cast<QToolButton*>(bar->widgetForAction(a))) {
                EXPECT_FALSE(qobject_cast<QToolButton*>(bar->widgetForAction(a))->icon().isNull())
                    << a->objectName().toStdString();
            }
}

// Resting the mouse on a tool button or a menu item shows its hint in panel 0.
TEST_F(ReviewCommandsTest, HintsReachStatusPanelZero)
{
    TFrmPrintReview& w = Open();
    QWidget* button = w.ActionToolBarMain->widgetForAction(w.ActionSaveFormat);
    ASSERT_NE(button, nullptr);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(w.StatusPanels[0]->text(), QStringLiteral("将当前打印格式保存起来，供以后打印使用"));
    // A menu item's hover goes the same way.
    w.ActionHomePage->hover();
    w.ActionHomePage->showStatusText(w.ActionMainMenuBarMain);
    EXPECT_EQ(w.StatusPanels[0]->text(), QStringLiteral("欢迎访问我们在Internet上的网站"));
    // The other panels keep their texts.
    EXPECT_EQ(w.StatusPanels[1]->text(), QStringLiteral("设计"));
}

// Short-cuts reach their commands from anywhere in the window.
TEST_F(ReviewCommandsTest, ShortCutsTurnPagesAndRedraw)
{
    TFrmPrintReview& w = Open();
    w.activateWindow();
    w.ScrollBox_Main->setFocus();
    QTest::keyClick(w.ScrollBox_Main, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(w.ScrollBox_Main, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(w.BuffPaper->CurrentPage, 3);
    QTest::keyClick(w.TabSetPage, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(w.BuffPaper->CurrentPage, 2);
    EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第2页"));
}

// Help opens the manual beside the program; mail and home page go to the
// product's addresses; close ends the window.
TEST_F(ReviewCommandsTest, HelpMailHomePageAndClose)
{
    TFrmPrintReview& w = Open();
    w.ActionHelp->trigger();
    w.ActionMail->trigger();
    w.ActionHomePage->trigger();
    ASSERT_EQ(shell_.opened.size(), 3u);
    EXPECT_EQ(QString::fromStdString(shell_.opened[0]), w.ExePath + QStringLiteral("Quillet.html"));
    EXPECT_TRUE(w.ExePath.endsWith(QLatin1Char('/')));
    EXPECT_EQ(shell_.opened[1], "mailto:support@quillet.org");
    EXPECT_EQ(shell_.opened[2], "https://quillet.org/");
    EXPECT_TRUE(w.isVisible());
    w.ActionClose->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(messages_.shown.empty());
}

// On a desktop that cannot show the manual (no browser), F1 shows it in the program's own window: titled as
// the manual (or saying it is missing), its links moving within it, the home page handed to the desktop, Esc
// closing it, F1 again bringing the same window back.
TEST_F(ReviewCommandsTest, ManualInTheProgramsOwnWindowWithoutABrowser)
{
    TFrmPrintReview& w = Open();
    shell_.showsDocuments = false;
    // The program's folder without its manual: the window says so.
    QTemporaryDir folder;
    w.ExePath = folder.path() + QStringLiteral("/");
    QTest::keyClick(&w, Qt::Key_F1);
    ASSERT_NE(w.HelpWindow, nullptr);
    THelpWindow& help = *w.HelpWindow;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Quillet 使用手册"));
    EXPECT_TRUE(help.Browser->toPlainText().startsWith(QStringLiteral("找不到使用手册：") + folder.path()));

    const QString manual = folder.filePath(QStringLiteral("Quillet.html"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLET_TEST_SOURCE_DIR "/../../doc/Quillet.html"), manual));
    QTest::keyClick(&w, Qt::Key_F1);
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Quillet 打印预览 使用手册"));
    EXPECT_EQ(help.Browser->source(), QUrl::fromLocalFile(manual));
    EXPECT_TRUE(help.Browser->toPlainText().contains(QStringLiteral("运行方式")));

    Q_EMIT help.Browser->anchorClicked(QUrl(QStringLiteral("#modes")));
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("modes"));
    EXPECT_TRUE(help.Browser->isBackwardAvailable());
    Q_EMIT help.Browser->anchorClicked(QUrl(QStringLiteral("https://quillet.org/")));
    EXPECT_EQ(shell_.opened.back(), "https://quillet.org/");
    EXPECT_EQ(help.Browser->source().fragment(), QStringLiteral("modes"));

    QTest::keyClick(help.Browser, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
    EXPECT_TRUE(w.isVisible());
    w.ActionHelp->trigger();
    EXPECT_EQ(w.HelpWindow, &help);
    EXPECT_TRUE(help.isVisible());
    EXPECT_TRUE(messages_.shown.empty());

    // It keeps no run alive: closing the preview window ends the program.
    QSignalSpy last(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, &w, &QWidget::close);
    QTimer::singleShot(5000, qApp, &QCoreApplication::quit); // a stuck run ends all the same
    QApplication::exec();
    EXPECT_EQ(last.count(), 1);

    // A desktop that shows it: no window of the program's own.
    w.show();
    shell_.showsDocuments = true;
    help.close();
    w.ActionHelp->trigger();
    EXPECT_FALSE(help.isVisible());
}

// F1 opens the manual of the language in use, the Chinese one where the
// English one is missing; the program's own help window speaks English too.
TEST_F(ReviewCommandsTest, HelpOpensTheManualOfTheLanguageInUse)
{
    struct Case {
        Language language;
        std::vector<const char*> present;
        const char* opened;
    };
    const Case cases[] = {
        { Language::English, { "Quillet.html", "Quillet.en.html" }, "Quillet.en.html" },
        { Language::English, { "Quillet.html" }, "Quillet.html" },
        { Language::Chinese, { "Quillet.html", "Quillet.en.html" }, "Quillet.html" },
    };
    TFrmPrintReview& w = Open();
    for (const Case& c : cases) {
        QTemporaryDir folder;
        for (const char* file : c.present)
            QFile(folder.filePath(QString::fromUtf8(file))).open(QIODevice::WriteOnly);
        w.ExePath = folder.path() + QStringLiteral("/");
        UseLanguage(c.language);
        w.ActionHelp->trigger();
        UseLanguage(Language::Chinese);
        EXPECT_EQ(QString::fromStdString(shell_.opened.back()), folder.filePath(QString::fromUtf8(c.opened)))
            << c.present.size();
    }

    QTemporaryDir empty;
    w.ExePath = empty.path() + QStringLiteral("/");
    shell_.showsDocuments = false;
    UseLanguage(Language::English);
    w.ActionHelp->trigger();
    UseLanguage(Language::Chinese);
    ASSERT_NE(w.HelpWindow, nullptr);
    EXPECT_EQ(w.HelpWindow->windowTitle(), QStringLiteral("Quillet User Manual"));
    EXPECT_EQ(w.HelpWindow->Browser->toPlainText(),
        QStringLiteral("The manual cannot be found: ") + empty.filePath(QStringLiteral("Quillet.en.html")));
}

} // namespace
} // namespace quillet::testing
