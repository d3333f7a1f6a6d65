// Papers of 0 x 0 mm and 65535 x 65535 mm, from a format file or from the
// printer: the preview shows a sheet that fits and says it was fitted, and
// printing goes on as for any paper.
#include <QLabel>
#include <tuple>

#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

class AbsurdPaperTest : public WindowFixture {
protected:
    // The example's layout saved with a paper of its own.
    QString FormatWithPaper(int widthMm, int lengthMm)
    {
        TMyPrintFormat format;
        EXPECT_EQ(format.LoadFromFile(FormatPath().toStdString()), kFileOk);
        TMyPaperSpec paper { DMPAPER_USER, static_cast<std::uint16_t>(widthMm),
            static_cast<std::uint16_t>(lengthMm), 1 };
        const QString path = saved_.filePath(QStringLiteral("paper.fmt"));
        EXPECT_EQ(format.SaveToFile(path.toStdString(), paper), kFileOk);
        return path;
    }

    void ExpectFittedSheet(TFrmPrintReview& w, int shownCm)
    {
        EXPECT_TRUE(w.Paper->SheetFitted());
        EXPECT_EQ(w.Paper->ShownWidthCm(), shownCm);
        EXPECT_GT(w.PreviewPicture().Width(), 0);
        EXPECT_GT(w.PreviewPicture().Height(), 0);
        EXPECT_LE(w.PreviewPicture().Width(), TMyPaper::kMaxSheetPixels);
        EXPECT_TRUE(w.Label_PaperSize->text().contains(QStringLiteral("无法照原样显示")))
            << w.Label_PaperSize->text().toStdString();
    }
};

TEST_F(AbsurdPaperTest, FromAFormatFileTheSheetFitsAndPrintingGoesOn)
{
    // The page takes the paper in whole centimetres: 65535 mm is 65540.
    for (auto [side, shownCm, pageText] :
        { std::tuple { 0, 1, "纸张 0*0(毫米)" }, std::tuple { 65535, 127, "纸张 65540*65540(毫米)" } }) {
        SCOPED_TRACE(side);
        fakePrinters_.jobs.clear();
        TFrmPrintReview& w = Open({ DataPath(), FormatWithPaper(side, side), QStringLiteral("NotDef") });
        ASSERT_FALSE(w.EndRequested());
        ExpectFittedSheet(w, shownCm);
        EXPECT_TRUE(w.Label_PaperSize->text().startsWith(QString::fromUtf8(pageText)))
            << w.Label_PaperSize->text().toStdString();
        w.ActionViewRate50->trigger();
        EXPECT_GT(w.PreviewPicture().Width(), 0);
        w.ActionStartPrint->trigger();
        EXPECT_EQ(static_cast<int>(fakePrinters_.jobs.size()), w.BuffPaper->PageCount);
    }
}

TEST_F(AbsurdPaperTest, FromThePrinterTheSheetFitsAndAnA4SheetIsShownAsItIs)
{
    TFrmPrintReview& w = Open();
    EXPECT_FALSE(w.Paper->SheetFitted());
    for (auto [side, shownCm] : { std::pair { 0, 1 }, std::pair { 655350, 127 } }) {
        SCOPED_TRACE(side);
        w.Hook.printerSetup = [this, side] {
            fakePrinters_.settings
                = { DM_PAPERSIZE | DM_ORIENTATION, DMORIENT_PORTRAIT, DMPAPER_USER, side, side };
            return true;
        };
        w.ActionSetPrinter->trigger();
        ExpectFittedSheet(w, shownCm);
    }
    w.Hook.printerSetup = [this] {
        fakePrinters_.settings = { DM_PAPERSIZE | DM_ORIENTATION, DMORIENT_PORTRAIT, DMPAPER_A4, 0, 0 };
        return true;
    };
    w.ActionSetPrinter->trigger();
    EXPECT_FALSE(w.Paper->SheetFitted());
    EXPECT_FALSE(w.Label_PaperSize->text().contains(QStringLiteral("无法")));
}

} // namespace
} // namespace quillet::testing
