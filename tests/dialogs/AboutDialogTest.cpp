// The about box: borderless 500 x 220 picture with the version, the link
// that turns blue under the mouse and opens the home page, and a click
// anywhere else that closes it.
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/UnitAbout.h"
#include "platform/Product.h"
#include "platform/fake/RecordingShell.h"

namespace quillet::test {
namespace {

// The box has no frame, the picture fills it and the version and the short
// home-page address lie over it.
TEST(AboutDialogTest, PictureVersionAndLink)
{
    RecordingShell shell;
    TFrmAbout about(shell);
    about.show();
    EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(about.size(), QSize(500, 220));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于"));
    const QPixmap picture = about.Image1->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(500, 220));
    EXPECT_EQ(about.Label1->text(), QStringLiteral("Version: 1.5.0.601"));
    EXPECT_EQ(about.Label1->pos(), QPoint(96, 72));
    EXPECT_EQ(about.Label4->text(), QStringLiteral("quillet.org"));
    EXPECT_EQ(about.Label4->pos(), QPoint(392, 200));
    EXPECT_EQ(about.Label4->font().pixelSize(), 13);
    EXPECT_EQ(about.CurrentLinkColor(), TFrmAbout::LinkColor());
}

// Moving onto the link turns it blue, moving onto the picture grey again;
// clicking the link opens the home page and keeps the box; clicking the
// version closes it.
TEST(AboutDialogTest, LinkColourAndClicks)
{
    RecordingShell shell;
    TFrmAbout about(shell);
    about.show();
    QTest::mouseMove(about.Label4, QPoint(5, 5));
    EXPECT_EQ(about.CurrentLinkColor(), QColor(0, 0, 255));
    QTest::mouseMove(about.Image1, QPoint(200, 100));
    EXPECT_EQ(about.CurrentLinkColor(), QColor(128, 128, 128));

    QTest::mouseClick(about.Label4, Qt::LeftButton);
    EXPECT_EQ(shell.opened, std::vector<std::string> { product::kHomePage });
    EXPECT_TRUE(about.isVisible());
    QTest::mouseClick(about.Label1, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());

    TFrmAbout again(shell);
    again.show();
    QTest::mouseClick(again.Image1, Qt::LeftButton, {}, QPoint(250, 150));
    EXPECT_FALSE(again.isVisible());
}

} // namespace
} // namespace quillet::test
