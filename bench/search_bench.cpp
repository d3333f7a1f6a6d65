// search_bench [--example PAGES | --sparse PAGES]: the search bar over the
// example ledger of 10,000 pages (time for the whole report, for a customer,
// an amount and a text found nowhere) and over a sparse report of 16 million
// pages (time to the first hit from the middle, time to read every page for
// a text found nowhere, peak memory). Each report runs in a process of its own
// so that each peak is its own. Build it in a Release tree.
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchRig.h"
#include "bench/BenchWindow.h"
#include "platform/GbkCodec.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/FontSubstitutions.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "preview/PrintReview.h"
#include "preview/SearchBar.h"
#include "shell/Startup.h"
#include "tools/ExampleReport.h"

using namespace quillet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Searches from the page shown: the seconds to the first hit (or to the end
// when there is none) and to the end of the report.
void Measure(TFrmPrintReview& w, const QString& query, const char* what)
{
    TSearchBar& bar = *w.SearchBar;
    bar.Open();
    bar.Box->setText(query);
    const auto start = std::chrono::steady_clock::now();
    bar.Find(true);
    while (bar.Running() && bar.CurrentPage() == 0)
        QApplication::processEvents();
    const double first = Seconds(start);
    bar.RunToEnd();
    const double all = Seconds(start);
    std::printf("  %-28s %10lld hits  first on page %9d after %7.3f s  whole report %7.3f s\n", what,
        bar.Total(), bar.CurrentPage(), first, all);
}

int Run(int argc, char** argv, bool sparse, long long pages)
{
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    BenchWindow opened;
    if (!opened.Open(sparse, pages))
        return 1;
    TFrmPrintReview& w = *opened.window;
    const QString title = QString::fromStdString(GbkToUtf8(w.PrintFormat->Title.Text.View()));
    if (sparse) {
        w.JumpToPage(w.BuffPaper->PageCount / 2);
        Measure(w, title, "title, from the middle");
        w.JumpToPage(1);
        Measure(w, QStringLiteral("没有的文字"), "found nowhere");
    } else {
        Measure(w, QStringLiteral("华联超市"), "a customer");
        Measure(w, QStringLiteral("3825"), "an amount without commas");
        Measure(w, QStringLiteral("没有的文字"), "found nowhere");
    }
    std::printf("  peak while searching %.1f MB\n", PeakResidentKb() / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    qputenv("QUILLET_NONINTERACTIVE", QByteArrayLiteral("1"));
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--example" || arg == "--sparse")
            return Run(argc, argv, arg == "--sparse", std::atoll(argv[i + 1]));
    }
    int failures = 0;
    for (const char* run : { "--example 10000", "--sparse 16000000" }) {
        std::fflush(stdout);
        if (std::system((std::string("\"") + argv[0] + "\" " + run).c_str()) != 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
