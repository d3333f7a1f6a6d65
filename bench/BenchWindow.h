#pragma once
// The preview window of the window benchmarks: on a report written into a
// temporary folder, with no printer, no message boxes and no browser.
#include <QTemporaryDir>

#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "preview/PrintReview.h"
#include "shell/Startup.h"
#include "tools/ExampleReport.h"

namespace quillet {

struct BenchServices {
    FakeMessageService messages;
    FakePrinterHost printers;
    QtDisplay display;
    QtBitmapFactory bitmaps;
    RecordingShell shell;
    PlatformServices Services() { return { messages, printers, display, bitmaps, shell }; }
};

// A start on the report in folder, the saved layout passed over: the sparse
// report's two files or the example's.
inline CommandArguments ReportArguments(const QTemporaryDir& folder, bool sparse)
{
    return { LocalPath(folder.filePath(QString::fromLatin1(sparse ? kSparseDataName : kExampleDataName))),
        LocalPath(folder.filePath(QString::fromLatin1(sparse ? kSparseFormatName : kExampleFormatName))),
        "NotDef" };
}

} // namespace quillet
