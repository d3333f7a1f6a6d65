#pragma once
// The example report opened as the program opens it, for the dialogs that
// edit its layout or work on its pages: the layout, the data file, a page
// buffer paginated on an A4 sheet laid out as 210 x 300 mm, a fake printer
// counting print jobs and a message recorder.
#include <QDialog>
#include <QTemporaryDir>
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

} // namespace quillet::test
