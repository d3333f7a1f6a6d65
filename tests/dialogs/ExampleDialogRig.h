#pragma once
// The example report opened as the program opens it, for the dialogs that
// edit its layout or work on its pages: the layout, the data file, a page
// buffer paginated on an A4 sheet laid out as 210 x 300 mm, a fake printer
// counting print jobs and a message recorder; with the steps the dialog
// tests share (running a dialog modally, cancelling it, reading samples).
#include <QDialog>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "dialogs/DialogContext.h"
#include "engine/BuffPaper.h"
#include "platform/GbkCodec.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "tools/EngineRig.h"
#include "tools/ExampleReport.h"

namespace quillet::test {

struct ExampleDialogRig {
    ExampleDialogRig()
    {
        SetCurrentNumberLocale({ ',', '.' });
        const std::string dir = folder.path().toStdString();
        started = folder.isValid() && WriteExampleReport(dir, kExampleDataRowsPerBlock * 5)
            && data.Open(dir + "/" + kExampleDataName) == kFileOk;
        data.ReadHeadFoot();
        buffer.SetPageSize(210, 300);
        buffer.Paginate();
    }
    DialogContext Context() { return { format, buffer, printer, messages }; }

    QTemporaryDir folder;
    bool started = false;
    QtDisplay display;
    TMyScreen screen { display };
    FakePrinterHost printerHost;
    TMyPrinter printer { printerHost };
    OffscreenPaperHost paperHost;
    TMyPaper paper { paperHost, screen };
    QtBitmapFactory bitmaps;
    TMyPrintFormat format = [] {
        TMyPrintFormat f;
        BuildExampleFormat(f);
        return f;
    }();
    TMyPrintData data { format };
    TMyBuffPaper buffer { format, data, screen, printer, paper, bitmaps };
    FakeMessageService messages;
};

inline std::string Gbk(const char* utf8)
{
    return Utf8ToGbk(utf8);
}

// Whole layouts compared field by field.
inline bool SameRecord(const TMyFormatRecord& a, const TMyFormatRecord& b)
{
    return a == b;
}

// Runs the dialog modally with the user's steps queued before the loop; a
// dialog the steps leave open is closed as a failure so a test never hangs.
inline int ExecWith(QDialog& dialog, const std::function<void()>& steps)
{
    QTimer::singleShot(0, &dialog, [&dialog, steps] {
        steps();
        QTimer::singleShot(0, &dialog, [&dialog] {
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the dialog stayed open";
                dialog.done(-1);
            }
        });
    });
    return dialog.exec();
}

// Cancels the dialog after the user's edits, once with Esc and once with
// the cancel button: either way it closes rejected and unconfirmed and the
// layout stays as it was. `edit` makes the edits and names the control that
// has the focus when Esc is pressed.
template <class Dialog, class Edit> void ExpectCancelWritesNothing(Edit edit)
{
    for (bool useEsc : { true, false }) {
        ExampleDialogRig rig;
        const TMyPrintFormat before = rig.format;
        Dialog dialog(rig.Context());
        const int result = ExecWith(dialog, [&] {
            QWidget* focus = edit(dialog);
            if (useEsc)
                QTest::keyClick(focus, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog.LumButton2, Qt::LeftButton);
        });
        EXPECT_EQ(result, QDialog::Rejected) << useEsc;
        EXPECT_FALSE(dialog.Confirmed) << useEsc;
        EXPECT_TRUE(rig.format == before) << useEsc;
    }
}

// The pixel at (x, y) of a drawn sample has the colour rgb.
inline bool IsRgb(const QImage& image, int x, int y, QRgb rgb)
{
    return (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
}

inline bool IsWhite(const QImage& image, int x, int y)
{
    return IsRgb(image, x, y, qRgb(255, 255, 255));
}

} // namespace quillet::test
