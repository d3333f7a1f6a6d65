// pages_bench [--pages N] [--keep]: peak memory of the preview window on
// reports of 1,000, 100,000, 16 million and 320 million pages. Each report is
// a sparse data file (one cell a page, no disk used) with the example layout
// cut to one column and one row; each count runs in a process of its own,
// which opens the window, shows it, turns to the last page through the
// keyboard and back through the tab row, and closes it. Peak resident memory
// (VmHWM) must not grow with the page count.
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QKeyEvent>
#include <QScrollArea>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchRig.h"
#include "bench/BenchWindow.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/FontSubstitutions.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "preview/PrintReview.h"
#include "preview/TabSet.h"
#include "shell/Startup.h"
#include "tools/ExampleReport.h"

using namespace quillet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QApplication::processEvents();
}

// One report in this process; prints its figures on one line.
int MeasureOne(int argc, char** argv, long long pages, bool keep)
{
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QTemporaryDir temp;
    temp.setAutoRemove(!keep);
    if (!WriteSparseReport(temp.path().toStdString(), pages)) {
        std::fprintf(stderr, "cannot write the sparse report in %s\n", qPrintable(temp.path()));
        return 1;
    }
    BenchServices services;
    const CommandArguments arguments = ReportArguments(temp, true);
    const auto start = std::chrono::steady_clock::now();
    double openSeconds = 0;
    double lastSeconds = 0;
    int pageCount = 0;
    int lastPage = 0;
    {
        TFrmPrintReview window(services.Services(),
            [&arguments](TFrmPrintReview& w) { RunStartup(w, arguments); });
        if (window.EndRequested()) {
            std::fprintf(stderr, "the window did not open\n");
            return 1;
        }
        window.resize(1600, 1000);
        window.show();
        QApplication::processEvents();
        openSeconds = Seconds(start);
        const auto turning = std::chrono::steady_clock::now();
        Key(window.ScrollBox_Main, Qt::Key_End, Qt::ControlModifier);
        lastSeconds = Seconds(turning);
        pageCount = window.BuffPaper->PageCount;
        lastPage = window.BuffPaper->CurrentPage;
        // Back a page by the tab row and to the end again.
        window.TabSetPageClick(window.TabSetPage->count() - 2);
        Key(window.ScrollBox_Main, Qt::Key_End, Qt::ControlModifier);
        window.close();
        QApplication::processEvents();
    }
    std::printf(
        "%12lld pages  counted %11d  last shown %11d  open %6.3f s  to last page %6.3f s  peak %8.1f MB\n",
        pages, pageCount, lastPage, openSeconds, lastSeconds, PeakResidentKb() / 1024.0);
    return pageCount == pages && lastPage == pages ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qputenv("QUILLET_NONINTERACTIVE", QByteArrayLiteral("1"));
    long long pages = -1;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pages" && i + 1 < argc)
            pages = std::atoll(argv[++i]);
        else if (arg == "--keep")
            keep = true;
    }
    if (pages >= 0)
        return MeasureOne(argc, argv, pages, keep);

    // Each count in a fresh process, so that each peak is its own.
    int failures = 0;
    for (long long count : { 1'000LL, 100'000LL, 16'000'000LL, 320'000'000LL }) {
        const std::string command
            = std::string("\"") + argv[0] + "\" --pages " + std::to_string(count) + (keep ? " --keep" : "");
        std::fflush(stdout);
        if (std::system(command.c_str()) != 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
