// One page of the example drawn for the screen, side by side: at pixel ratio 1
// and 2, at 100 % and at the fitted whole page, in a 1600 x 1000 window.
// Each figure is the median of many draws of the whole page image.
#include <QApplication>
#include <QElapsedTimer>
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
    return 0;
}
