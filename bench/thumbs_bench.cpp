// thumbs_bench [PAGES | --sparse PAGES]: the thumbnail panel scrolled through
// every page of the example ledger (1,000 pages unless told): the time to
// draw each screen of pictures, the longest the window's thread was busy
// meanwhile and the peak memory while scrolling, against the peak of the
// window open on the report; or dragged to screens spread
// over a sparse report of millions of pages. Build it in a Release tree.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
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
#include "preview/ThumbnailPanel.h"
#include "shell/Startup.h"
#include "tools/ExampleReport.h"

using namespace quillet;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qputenv("QUILLET_NONINTERACTIVE", QByteArrayLiteral("1"));
    const bool sparse = argc > 2 && std::string(argv[1]) == "--sparse";
    const int pages = argc > 1 ? std::atoi(argv[sparse ? 2 : 1]) : 1000;
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    BenchWindow opened;
    if (!opened.Open(sparse, pages))
        return 1;
    TFrmPrintReview& w = *opened.window;
    w.SetThumbnailsShown(true);
    QApplication::processEvents();
    TThumbnailPanel& panel = *w.Thumbnails;
    QScrollBar& bar = *panel.verticalScrollBar();
    // The window's thread runs this whenever it is free: the longest gap
    // between two runs is the longest the window kept the user waiting.
    QElapsedTimer sinceFree;
    qint64 longestBusy = 0;
    QTimer free;
    free.setInterval(1);
    free.setTimerType(Qt::PreciseTimer);
    QObject::connect(
        &free, &QTimer::timeout, [&] { longestBusy = std::max(longestBusy, sinceFree.restart()); });
    sinceFree.start();
    free.start();
    const auto start = std::chrono::steady_clock::now();
    int screens = 0;
    // A sparse report: 200 screens spread over all of it, as a dragged scroll bar shows them.
    const int stride = sparse ? std::max(panel.PagesInView(), bar.maximum() / 200) : panel.PagesInView();
    for (int first = 0;; first = std::min(bar.maximum(), first + stride)) {
        bar.setValue(first);
        panel.DrawAllInView();
        panel.repaint();
        ++screens;
        if (first == bar.maximum())
            break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %d screens of %d pictures (%d x %d), %d pages drawn in %.2f s, %.2f ms a page\n", screens,
        panel.PagesInView(), panel.PictureSize().width(), panel.PictureSize().height(), panel.Drawn(),
        seconds, seconds * 1000 / std::max(1, panel.Drawn()));
    std::printf("  pictures kept %zu (at most %zu), peak while scrolling %.1f MB\n", panel.Kept(),
        TThumbnailPanel::kMaxKept, PeakResidentKb() / 1024.0);
    std::printf("  the window's thread busy at most %lld ms at a time (a screen scrolled and painted)\n",
        static_cast<long long>(longestBusy));
    return 0;
}
