// "撤销" and "重做": every kind of layout change is put back byte for byte and
// the pages follow; the history's edges, its captions and its memory.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <functional>

#include "controls/LumEdit.h"
#include "controls/NumSpin.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/SetPaper.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/SetTitle.h"
#include "dialogs/UnitSetAllRowHeight.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

class LayoutHistoryTest : public WindowFixture {
protected:
    // Triggers the command and answers the dialog it opens.
    template <typename Dialog> void Answer(QAction* command, std::function<void(Dialog&)> answer)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                seen = true;
                answer(*dialog);
            }
        });
        command->trigger();
        EXPECT_TRUE(seen) << command->objectName().toStdString();
    }

    // The layout as a save would write it, and what the window shows of it.
    struct Seen {
        std::vector<std::uint8_t> saved;
        int pages = 0;
        int current = 0;
        int pageWidth = 0;
        int tabs = 0;
        QStringList status;
        bool horLeft = false;
        bool operator==(const Seen&) const = default;
    };
    Seen Look() const
    {
        const TFrmPrintReview& w = *window_;
        Seen s;
        TMyPrintFormat copy = *w.PrintFormat;
        TMyPaperSpec paper = *w.Printer;
        copy.SaveToBytes(paper, s.saved);
        s.pages = w.BuffPaper->PageCount;
        s.current = w.BuffPaper->CurrentPage;
        s.pageWidth = w.BuffPaper->PageWidth;
        for (int i = 2; i <= 3; ++i)
            s.status.append(w.StatusPanels[i]->text());
        s.status.append(w.Label_PaperSize->text());
        s.tabs = w.TabSetPage->count();
        s.horLeft = w.ActionWhereHorLeft->isChecked();
        return s;
    }
    void DragColumn(int column, int dx) { Drag(ColumnBorder(column), RowMiddle(3), dx, 0); }
};

// Each kind of step, made by its own command on the last page: undo gives the
// saved layout, the pages and the status bar as they were, redo as the change
// left them; the current page stays within the page count, as after the change.
TEST_F(LayoutHistoryTest, EveryKindOfStepUndoesAndRedoesExactly)
{
    struct Kind {
        const char* step;
        std::function<void(TFrmPrintReview&)> change;
    };
    const Kind kinds[] = {
        { "修改列宽", [this](TFrmPrintReview&) { DragColumn(2, 40); } },
        { "修改行高", [this](TFrmPrintReview&) { Drag(150, RowBorder(2), 0, 60); } },
        { "水平居中", [](TFrmPrintReview& w) { w.ActionWhereHorCenter->trigger(); } },
        { "修改标题",
            [this](TFrmPrintReview& w) {
                Answer<TFrmSetTitle>(w.ActionEditTitle, [](TFrmSetTitle& d) {
                    d.Edit_Title->setText(QStringLiteral("新的标题"));
                    d.LumButton1Click();
                });
            } },
        { "修改打印行数",
            [this](TFrmPrintReview& w) {
                Answer<TFrmSetRowCount>(w.ActionEditRowCount, [](TFrmSetRowCount& d) {
                    d.NumSpinEditRow->SetValue(200);
                    d.LumButton1Click();
                });
            } },
        { "设置统一行高",
            [this](TFrmPrintReview& w) {
                Answer<TFrmSetAllRowHeight>(w.ActionEditAllRowHeight, [](TFrmSetAllRowHeight& d) {
                    d.Edit1->setText(QStringLiteral("15"));
                    d.LumButton1Click();
                });
            } },
        { "页面设置",
            [this](TFrmPrintReview& w) {
                Answer<TFrmSetPaper>(w.ActionSetPage, [](TFrmSetPaper& d) {
                    d.NumSpinEdit1->SetValue(60);
                    d.LumButton1Click();
                });
            } },
        { "恢复合并的列宽",
            [this](TFrmPrintReview& w) {
                Answer<TFrmEditColWidth>(w.ActionEditColWidth, [](TFrmEditColWidth& d) {
                    d.findChild<QComboBox*>()->setCurrentIndex(0);
                    d.LumButton1Click();
                });
            } },
        { "设置打印机",
            [this](TFrmPrintReview& w) {
                w.Hook.printerSetup = [this] {
                    fakePrinters_.settings.orientation = DMORIENT_LANDSCAPE;
                    return true;
                };
                w.ActionSetPrinter->trigger();
            } },
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.step);
        fakePrinters_.settings.orientation = DMORIENT_PORTRAIT;
        TFrmPrintReview& w = OpenLaidOut();
        // A hidden column for the restore to offer: its drag is a step of its own.
        if (std::string_view(kind.step) == "恢复合并的列宽")
            DragColumn(2, -200);
        w.ActionLastPage->trigger();
        const Seen before = Look();
        const int steps = w.History->Stack().count();
        kind.change(w);
        const Seen after = Look();
        ASSERT_NE(after.saved, before.saved);
        ASSERT_EQ(w.History->Stack().count(), steps + 1);
        EXPECT_EQ(w.ActionUndo->text(), QStringLiteral("撤销 ") + QString::fromUtf8(kind.step));
        EXPECT_TRUE(w.ActionUndo->isEnabled());
        EXPECT_FALSE(w.ActionRedo->isEnabled());

        w.ActionUndo->trigger();
        Seen undone = Look();
        EXPECT_EQ(undone.current, std::min(after.current, before.pages));
        // The page the change left the window on, in the layout before it.
        Seen expected = before;
        expected.current = undone.current;
        expected.status[1] = QStringLiteral("第%1页").arg(undone.current);
        EXPECT_TRUE(undone == expected);
        EXPECT_EQ(w.ActionRedo->text(), QStringLiteral("重做 ") + QString::fromUtf8(kind.step));
        w.ActionRedo->trigger();
        EXPECT_TRUE(Look() == after);
    }
}

// Undo past the first step and redo past the last change nothing; a new
// change drops what could be redone; saving keeps the history; a page run
// keeps both commands off.
TEST_F(LayoutHistoryTest, EdgesOfTheHistory)
{
    TFrmPrintReview& w = OpenLaidOut();
    const Seen start = Look();
    EXPECT_FALSE(w.ActionUndo->isEnabled());
    EXPECT_EQ(w.ActionUndo->text(), QStringLiteral("撤销"));
    w.ActionUndoExecute();
    EXPECT_TRUE(Look() == start);

    DragColumn(1, 30);
    w.ActionWhereHorRight->trigger();
    const Seen two = Look();
    w.ActionRedoExecute(); // nothing to redo
    EXPECT_TRUE(Look() == two);
    w.ActionSaveFormat->trigger();
    EXPECT_EQ(w.History->Stack().count(), 2);

    w.ActionUndo->trigger();
    w.ActionUndo->trigger();
    EXPECT_TRUE(Look() == start);
    EXPECT_FALSE(w.ActionUndo->isEnabled());
    w.ActionUndoExecute(); // past the first step
    EXPECT_TRUE(Look() == start);
    w.ActionRedo->trigger();
    w.ActionRedo->trigger();
    EXPECT_TRUE(Look() == two);
    w.ActionRedoExecute(); // past the last step
    EXPECT_TRUE(Look() == two);

    w.ActionUndo->trigger();
    w.ActionWhereVerBottom->trigger();
    EXPECT_FALSE(w.ActionRedo->isEnabled());
    EXPECT_EQ(w.ActionRedo->text(), QStringLiteral("重做"));
    EXPECT_EQ(w.ActionUndo->text(), QStringLiteral("撤销 垂直居底"));

    // During an export neither command is offered, and both come back after.
    bool offered = true;
    w.Hook.pdfFile = [this](const QString&) { return saved_.filePath(QStringLiteral("out.pdf")); };
    w.Hook.progress = [&](TPageProgress&) { offered = offered && (w.ActionUndo->isEnabled()); };
    w.ActionExportPdf->trigger();
    EXPECT_FALSE(offered);
    EXPECT_TRUE(w.ActionUndo->isEnabled());
    EXPECT_FALSE(w.ActionRedo->isEnabled());
}

// Two hundred border drags are kept in a few bytes each, and undoing them
// all gives back the layout the drags started from.
TEST_F(LayoutHistoryTest, TwoHundredDragsCostLittle)
{
    TFrmPrintReview& w = OpenLaidOut();
    const Seen start = Look();
    for (int i = 0; i < 200; ++i)
        DragColumn(1, i % 2 == 0 ? 20 : -20);
    ASSERT_EQ(w.History->Stack().count(), 200);
    const std::size_t bytes = w.History->MemoryUse();
    std::printf("history of 200 drags: %zu bytes\n", bytes);
    EXPECT_LT(bytes, 1024u * 1024u);
    for (int i = 0; i < 200; ++i)
        w.ActionUndo->trigger();
    EXPECT_TRUE(Look() == start);
}

} // namespace
} // namespace quillet::testing
