// One page of the example drawn for the screen, side by side: at pixel ratio 1
// and 2, at 100 % and at the fitted whole page, in a 1600 x 1000 window.
// Each figure is the median of many draws of the whole page image.
// Then what the window costs as it is used, at the pixel ratio it runs at
// (run it again with QT_SCALE_FACTOR=2): a page turn (the next page drawn
// and its view painted) and a scroll step (an arrow key's step, and PgDn,
// painted), at zooms from 100 % to 800 %; the median and the worst.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

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
    std::sort(times.begin(), times.end());
    return { times[times.size() / 2], times.back() };
}

// The milliseconds of an action and the painting of the view it leaves.
template <class Action> double Timed(TFrmPrintReview& window, Action action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    window.ScrollBox_Main->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

void WindowCases(TFrmPrintReview& window, int runs)
{
    std::printf("\nwindow at pixel ratio %.0f, %dx%d view\n", window.devicePixelRatioF(),
        window.ScrollBox_Main->viewport()->width(), window.ScrollBox_Main->viewport()->height());
    std::printf("%-6s %22s %22s %22s\n", "zoom", "page turn (ms)", "scroll step (ms)", "PgDn (ms)");
    std::printf("%-6s %22s %22s %22s\n", "", "median / worst", "median / worst", "median / worst");
    QScrollBar* down = window.ScrollBox_Main->verticalScrollBar();
    // A zoom of its own, no longer fitted to the window.
    window.ActionViewRate100Execute();
    for (double zoom : { 100.0, 200.0, 300.0, 400.0, 600.0, 800.0 }) {
        window.SetZoom(zoom);
        window.ActionFirstPageExecute();
        QApplication::processEvents();
        std::vector<double> turns;
        std::vector<double> steps;
        std::vector<double> pages;
        for (int i = 0; i < runs; ++i) {
            // Halfway down the page, as a reader would be.
            down->setValue(down->maximum() / 2);
            window.ScrollBox_Main->viewport()->repaint();
            turns.push_back(Timed(window, [&window] {
                if (window.BuffPaper->CurrentPage < window.BuffPaper->PageCount)
                    window.ActionNextPageExecute();
                else
                    window.ActionFirstPageExecute();
            }));
            down->setValue(down->maximum() / 4);
            window.ScrollBox_Main->viewport()->repaint();
            for (int k = 0; k < 20; ++k)
                steps.push_back(Timed(window, [down] { down->triggerAction(QAbstractSlider::SliderSingleStepAdd); }));
            down->setValue(0);
            window.ScrollBox_Main->viewport()->repaint();

            for (int k = 0; k < 3 && down->value() < down->maximum(); ++k)
                pages.push_back(Timed(window, [down] { down->triggerAction(QAbstractSlider::SliderPageStepAdd); }));
        }
        const Times t = Summary(turns);
        const Times s = Summary(steps);
        const Times p = pages.empty() ? Times {} : Summary(pages);
        std::printf("%4.0f%%  %10.2f / %8.2f  %10.2f / %8.2f  %10.2f / %8.2f\n", zoom, t.median, t.worst, s.median,
            s.worst, p.median, p.worst);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid() || !WriteExampleReport(folder.path().toStdString()))
        return 1;
    FakeMessageService messages;
    FakePrinterHost printers;
    QtDisplay display;
    QtBitmapFactory bitmaps;
    RecordingShell shell;
    CommandArguments arguments { LocalPath(folder.filePath(QString::fromLatin1(kExampleDataName))),
        LocalPath(folder.filePath(QString::fromLatin1(kExampleFormatName))), "NotDef" };
    TFrmPrintReview window(PlatformServices { messages, printers, display, bitmaps, shell },
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
