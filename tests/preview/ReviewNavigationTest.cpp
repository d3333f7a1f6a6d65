// Finding one's way in a report: the page field, back and forward through
// the pages jumped to, reading on across page ends, Ctrl+0 and the middle
// button.
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "preview/PageJumps.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

using ReviewNavigationTest = WindowFixture;

// The page field takes what the page list takes and refuses what it refuses,
// with the same words; a refused text stays for correcting, the page does not move.
TEST_F(ReviewNavigationTest, PageFieldChecksAsThePageList)
{
    TFrmPrintReview& w = Open();
    const int count = w.BuffPaper->PageCount;
    ASSERT_GE(count, 3);
    const QString last = QString::number(count);
    struct Case {
        QString typed;
        int page; // where the window is after Enter
        QString message; // "" for none
    };
    const Case cases[] = {
        { QStringLiteral("2"), 2, {} },
        { QStringLiteral(" 第3页 "), 3, {} },
        { QStringLiteral("\uFF11"), 1, {} }, // a full-width digit
        { last, count, {} },
        { QStringLiteral("0"), count, QStringLiteral("没有第0页，请输入1到%1之间的页号").arg(count) },
        { QString::number(count + 1), count,
            QStringLiteral("没有第%1页，请输入1到%2之间的页号").arg(count + 1).arg(count) },
        { QStringLiteral("abc"), count, QStringLiteral("“abc”不是有效的整数值") },
        { QString(), count, QStringLiteral("“”不是有效的整数值") },
        { QStringLiteral("99999999999999999999"), count, QStringLiteral("“99999999999999999999”不是有效的整数值") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        messages_.shown.clear();
        w.PageNumberField->setText(c.typed);
        QTest::keyClick(w.PageNumberField, Qt::Key_Return);
        EXPECT_EQ(w.BuffPaper->CurrentPage, c.page);
        EXPECT_EQ(w.StatusPanels[3]->text(), QStringLiteral("第%1页").arg(c.page));
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages_.shown.empty());
            EXPECT_EQ(w.PageNumberField->text(), QString::number(c.page));
        } else {
            ASSERT_EQ(messages_.shown.size(), 1u);
            EXPECT_EQ(QString::fromStdString(messages_.shown[0].text), c.message);
            EXPECT_EQ(w.PageNumberField->text(), c.typed);
        }
    }
    EXPECT_EQ(w.PageCountLabel->text().trimmed(), QStringLiteral("/ ") + last);
    // Esc gives up the typing and shows the page again.
    w.PageNumberField->setText(QStringLiteral("1"));
    QTest::keyClick(w.PageNumberField, Qt::Key_Escape);
    EXPECT_EQ(w.PageNumberField->text(), last);
    EXPECT_EQ(w.BuffPaper->CurrentPage, count);
}

// The jump lists as a browser keeps them: a new jump drops what lay ahead,
// turning by hand onto a listed page skips it, the lists are bounded and a
// shorter report drops pages beyond its end.
TEST(PageJumpsTest, BackAndForward)
{
    enum Op { Jump, Back, Forward, Limit };
    struct Step {
        Op op;
        int a; // from / current / page count
        int b; // to (Jump)
        int expected; // the page Back or Forward gives, 0 for none
    };
    const Step steps[] = {
        { Back, 1, 0, 0 },
        { Jump, 1, 5, 0 },
        { Jump, 5, 9, 0 },
        { Jump, 9, 9, 0 }, // no jump at all
        { Back, 9, 0, 5 },
        { Back, 5, 0, 1 },
        { Back, 1, 0, 0 },
        { Forward, 1, 0, 5 },
        { Jump, 5, 7, 0 }, // drops 9 ahead
        { Forward, 7, 0, 0 },
        { Back, 7, 0, 5 },
        { Back, 1, 0, 0 }, // turned back to 1 by hand: nowhere further back
        { Jump, 1, 40, 0 },
        { Jump, 40, 50, 0 },
        { Limit, 30, 0, 0 },
        { Back, 20, 0, 1 }, // 40 is gone with the pages beyond 30
    };
    PageJumps jumps;
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        switch (s.op) {
        case Jump:
            jumps.Jumped(s.a, s.b);
            break;
        case Back:
            EXPECT_EQ(jumps.Back(s.a), s.expected);
            break;
        case Forward:
            EXPECT_EQ(jumps.Forward(s.a), s.expected);
            break;
        case Limit:
            jumps.Limit(s.a);
            break;
        }
    }
    PageJumps many;
    for (int p = 1; p <= 1000; ++p)
        many.Jumped(p, p + 1);
    int back = 0;
    for (int current = 1001; many.CanGoBack(); ++back)
        current = many.Back(current);
    EXPECT_EQ(back, static_cast<int>(PageJumps::kKept));
}

// Tabs, the page field and the page-turn commands as the user meets them:
// Alt+Left and Alt+Right go back and forward through the jumps only.
TEST_F(ReviewNavigationTest, BackAndForwardThroughJumps)
{
    TFrmPrintReview& w = Open();
    ASSERT_GE(w.BuffPaper->PageCount, 3);
    EXPECT_FALSE(w.ActionBack->isEnabled());
    w.TabSetPageClick(2); // page 3
    w.PageNumberField->setText(QStringLiteral("2"));
    QTest::keyClick(w.PageNumberField, Qt::Key_Return);
    w.ActionNextPage->trigger(); // 3, not a jump
    EXPECT_TRUE(w.ActionBack->isEnabled());
    EXPECT_FALSE(w.ActionForward->isEnabled());
    struct Step {
        Qt::Key key;
        int page;
    };
    const Step steps[] = { { Qt::Key_Left, 1 }, { Qt::Key_Left, 1 }, { Qt::Key_Right, 3 }, { Qt::Key_Right, 3 } };
    for (const Step& s : steps) {
        QTest::keyClick(&w, s.key, Qt::AltModifier);
        EXPECT_EQ(w.BuffPaper->CurrentPage, s.page);
        EXPECT_EQ(w.PageNumberField->text(), QString::number(s.page));
    }
}

// The arrows, Space and the wheel read on across the page's ends; Space
// moves by a screen less a line; Ctrl+0 returns to 100 %.
TEST_F(ReviewNavigationTest, ReadingOnAcrossPageEnds)
{
    TFrmPrintReview& w = Open();
    w.SetZoom(150.0);
    QScrollBar* bar = w.ScrollBox_Main->verticalScrollBar();
    bar->setValue(0);
    const int bottom = bar->maximum();
    ASSERT_GT(bottom, bar->pageStep()) << "the page must be taller than the view";
    const int space = bar->pageStep() - bar->singleStep();
    QWidget* area = w.ScrollBox_Main;
    auto wheel = [&w](int angle) {
        const QPointF at = w.ScrollBox_Main->viewport()->rect().center();
        QWheelEvent event(at, w.ScrollBox_Main->viewport()->mapToGlobal(at), {}, { 0, angle }, Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.ScrollBox_Main->viewport(), &event);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        int page;
        int scroll;
    };
    const Step steps[] = {
        { "Up on the first page's top", [&] { QTest::keyClick(area, Qt::Key_Up); }, 1, 0 },
        { "Space", [&] { QTest::keyClick(area, Qt::Key_Space); }, 1, std::min(bottom, space) },
        { "Shift+Space", [&] { QTest::keyClick(area, Qt::Key_Space, Qt::ShiftModifier); }, 1, 0 },
        { "End", [&] { QTest::keyClick(area, Qt::Key_End); }, 1, bottom },
        { "Down at the bottom", [&] { QTest::keyClick(area, Qt::Key_Down); }, 2, 0 },
        { "Up at the top", [&] { QTest::keyClick(area, Qt::Key_Up); }, 1, bottom },
        { "Space at the bottom", [&] { QTest::keyClick(area, Qt::Key_Space); }, 2, 0 },
        { "Shift+Space at the top", [&] { QTest::keyClick(area, Qt::Key_Space, Qt::ShiftModifier); }, 1, bottom },
        { "half a notch down at the bottom", [&] { wheel(-60); }, 1, bottom },
        { "the other half", [&] { wheel(-60); }, 2, 0 },
        { "a notch up at the top", [&] { wheel(120); }, 1, bottom },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(w.BuffPaper->CurrentPage, s.page);
        EXPECT_EQ(bar->value(), s.scroll);
    }
    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(w.Zoom(), 100.0);
    EXPECT_EQ(w.Fit(), TFrmPrintReview::FitMode::None);
}

// The middle button drags the page in both states, over the page and over
// the grey around it, and leaves the layout alone.
TEST_F(ReviewNavigationTest, MiddleButtonDragsThePage)
{
    TFrmPrintReview& w = Open();
    w.SetZoom(300.0);
    QScrollBar* across = w.ScrollBox_Main->horizontalScrollBar();
    QScrollBar* down = w.ScrollBox_Main->verticalScrollBar();
    for (bool review : { false, true }) {
        for (QWidget* target : { static_cast<QWidget*>(w.Image_Review), w.ScrollContent }) {
            SCOPED_TRACE(std::string(review ? "review " : "design ") + target->metaObject()->className());
            w.SetWorkState(review);
            w.SetZoom(300.0);
            across->setValue(200);
            down->setValue(200);
            const auto widths = w.PrintFormat->ColWidth;
            const QPointF from(20, 20);
            auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPointF at) {
                QMouseEvent e(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
                QApplication::sendEvent(target, &e);
            };
            send(QEvent::MouseButtonPress, Qt::MiddleButton, Qt::MiddleButton, from);
            send(QEvent::MouseMove, Qt::NoButton, Qt::MiddleButton, from + QPointF(50, 30));
            EXPECT_EQ(target->cursor().shape(), Qt::ClosedHandCursor);
            send(QEvent::MouseButtonRelease, Qt::MiddleButton, Qt::NoButton, from + QPointF(50, 30));
            EXPECT_EQ(across->value(), 150);
            EXPECT_EQ(down->value(), 170);
            EXPECT_NE(target->cursor().shape(), Qt::ClosedHandCursor);
            EXPECT_EQ(w.PrintFormat->ColWidth, widths);
        }
    }
}

} // namespace
} // namespace quillet::testing
