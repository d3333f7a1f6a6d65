#pragma once
// The preview window of the window benchmarks: on a report written into a
// temporary folder, with no printer, no message boxes and no browser.
#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <memory>

#include "bench/BenchRig.h"

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

// Writes the sparse report of `pages` pages, or the example's ledger of that
// many pages, into folder; says so when it cannot.
inline bool WriteReportOf(const QTemporaryDir& folder, bool sparse, long long pages)
{
    const std::string path = folder.path().toStdString();
    if (sparse ? WriteSparseReport(path, pages)
               : WriteExampleReport(path, static_cast<int>(pages * kExampleDataRowsPerBlock)))
        return true;
    std::fprintf(stderr, "cannot write the report in %s\n", path.c_str());
    return false;
}

// Shows the window opened on the report and says what its opening took at
// the peak; the peak measured from here on is what comes after.
inline void ShowOpened(TFrmPrintReview& w, bool sparse)
{
    w.resize(1200, 900);
    w.show();
    QApplication::processEvents();
    std::printf("%s, %d pages, open with %.1f MB at the peak\n", sparse ? "sparse report" : "example ledger",
        w.BuffPaper->PageCount, PeakResidentKb() / 1024.0);
    // Writing the report held it in memory: that peak is not the next one's.
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The window opened and shown on a report of `pages` pages written into a
// folder of its own, as a user starts it; nothing when that fails.
struct BenchWindow {
    QTemporaryDir temp;
    BenchServices services;
    CommandArguments arguments;
    std::unique_ptr<TFrmPrintReview> window;

    bool Open(bool sparse, long long pages)
    {
        if (!WriteReportOf(temp, sparse, pages))
            return false;
        arguments = ReportArguments(temp, sparse);
        window = std::make_unique<TFrmPrintReview>(
            services.Services(), [this](TFrmPrintReview& w) { RunStartup(w, arguments); });
        if (window->EndRequested())
            return false;
        ShowOpened(*window, sparse);
        return true;
    }
};

} // namespace quillet
