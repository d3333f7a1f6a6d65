// One page of the example drawn for the screen, side by side: at pixel ratio 1
// and 2, at 100 % and at the fitted whole page, in a 1600 x 1000 window.
// Each figure is the median of many draws of the whole page image.
// Then what the window costs as it is used, at the pixel ratio it runs at
// (run it again with QT_SCALE_FACTOR=2): a page turn (the next page drawn and
// what the view shows of it painted), an arrow key's scroll step and PgDn,
// at zooms from 100 % to 800 %, the median and the worst of each; and how
// much work after a page turn the whole view is drawn sharp, while the
// window keeps answering. These are the window thread's processor time.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

#include "bench/BenchWindow.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"
#include "shell/Startup.h"
#include "tools/ExampleReport.h"

using namespace quillet;

namespace {

double MedianMs(TImageReview& image, double ratio, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QImage drawn = image.Render(image.rect(), ratio);
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (drawn.isNull())
            return -1;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Times {
    double median = 0;
    double worst = 0;
};

Times Summary(std::vector<double> times)
{
    if (times.empty())
        return {};
    std::sort(times.begin(), times.end());
    return { times[times.size() / 2], times.back() };
}

// The window's thread's processor time in ms: what the window costs, which
// other work on the machine does not change.
double CpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The processor time of an action and the painting it leaves, as the window
// does it: a scroll moves what is drawn and paints what comes into view.
template <class Action> double Timed(Action action)
{
    const double start = CpuMs();
    action();
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    return CpuMs() - start;
}

// Until the view is drawn sharp, from now.
double UntilSharp(TFrmPrintReview& window)
{
    const double start = CpuMs();
    QElapsedTimer timer;
    timer.start();
    while (window.Image_Review->TilesPending() && timer.elapsed() < 5000)
        QApplication::processEvents();
    return CpuMs() - start;
}

void WindowCases(TFrmPrintReview& window, int runs)
{
    std::printf("\nwindow at pixel ratio %.0f, %dx%d view\n", window.devicePixelRatioF(),
        window.ScrollBox_Main->viewport()->width(), window.ScrollBox_Main->viewport()->height());
    std::printf("%-6s %19s %19s %19s %19s\n", "zoom", "page turn (ms)", "scroll step (ms)", "PgDn (ms)",
        "sharp after (ms)");
    std::printf("%-6s %19s %19s %19s %19s\n", "", "median / worst", "median / worst", "median / worst",
        "median / worst");
    QScrollBar* down = window.ScrollBox_Main->verticalScrollBar();
    // A zoom of its own, no longer fitted to the window.
    window.ActionViewRate100Execute();
    for (double zoom : { 100.0, 200.0, 300.0, 400.0, 600.0, 800.0 }) {
        window.SetZoom(zoom);
        window.ActionFirstPageExecute();
        UntilSharp(window);
        std::vector<double> turns;
        std::vector<double> sharp;
        std::vector<double> steps;
        std::vector<double> pages;
        for (int i = 0; i < runs; ++i) {
            // Halfway down the page, as a reader would be.
            down->setValue(down->maximum() / 2);
            UntilSharp(window);
            turns.push_back(Timed([&window] {
                if (window.BuffPaper->CurrentPage < window.BuffPaper->PageCount)
                    window.ActionNextPageExecute();
                else
                    window.ActionFirstPageExecute();
            }));
            sharp.push_back(turns.back() + UntilSharp(window));
            down->setValue(down->maximum() / 4);
            UntilSharp(window);
            for (int k = 0; k < 20; ++k)
                steps.push_back(Timed([down] { down->triggerAction(QAbstractSlider::SliderSingleStepAdd); }));
            down->setValue(0);
            UntilSharp(window);
            for (int k = 0; k < 3 && down->value() < down->maximum(); ++k)
                pages.push_back(Timed([down] { down->triggerAction(QAbstractSlider::SliderPageStepAdd); }));
        }
        const Times t = Summary(turns);
        const Times s = Summary(steps);
        const Times p = Summary(pages);
        const Times d = Summary(sharp);
        std::printf("%4.0f%%  %8.2f / %8.2f %8.2f / %8.2f %8.2f / %8.2f %8.2f / %8.2f\n", zoom, t.median, t.worst,
            s.median, s.worst, p.median, p.worst, d.median, d.worst);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() || !WriteExampleReport(folder.path().toStdString()))
        return 1;
    BenchServices services;
    const CommandArguments arguments = ReportArguments(folder, false);
    TFrmPrintReview window(services.Services(),
        [&arguments](TFrmPrintReview& w) { RunStartup(w, arguments); });
    if (window.EndRequested())
        return 1;
    window.resize(1600, 1000);
    window.show();
    QApplication::processEvents();

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::printf("%-10s %-6s %14s %14s\n", "zoom", "", "ratio 1 (ms)", "ratio 2 (ms)");
    for (bool fit : { false, true }) {
        if (fit)
            window.ActionFitPageExecute();
        else
            window.SetZoom(100.0);
        QApplication::processEvents();
        const double one = MedianMs(*window.Image_Review, 1.0, runs);
        const double two = MedianMs(*window.Image_Review, 2.0, runs);
        std::printf("%-10s %4.0f%% %14.2f %14.2f   (%dx%d logical)\n", fit ? "fit-page" : "100%",
            window.Zoom(), one, two, window.Image_Review->width(), window.Image_Review->height());
    }
    window.ActionStateReview->trigger();
    window.resize(1440, 900);
    QApplication::processEvents();
    WindowCases(window, std::max(3, runs / 3));
    return 0;
}
