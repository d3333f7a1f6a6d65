// print_bench [--pages N] [--runs R] [--folder F]: a print run of N pages (20
// unless given) of the bench ledger, one job a page, to the PDF folder
// printer (its files in a new folder in F, /dev/shm to leave the disk out) and
// to the CUPS queue "QuilletPDF" (scripts/setup-cups.sh; each run waits for
// the queue to be empty), timed as a whole
// and split into what the run spends beginning jobs, drawing pages and
// ending them (the document finished and handed to the file or the queue),
// as the engine sees it from its side of the printer. With jobs sent ahead,
// "end" only finishes the document and the hand-off shows as the wait for
// the job before, before the next one is sent.
// Build it in a Release tree; figures from a sanitizer build mean nothing.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchRig.h"
#include "platform/qt/FontSubstitutions.h"

using namespace quillet;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Where a run's time went, summed over its jobs.
struct Split {
    double begin = 0; // in BeginJob
    double draw = 0; // from a job's start to the call that ends it, waits left out
    double end = 0; // in End or Send: the document finished, and for End handed on
    double wait = 0; // waiting for a job sent before to go out
};

// The system's printers, timed at each call a run makes of them.
class TimingHost : public PrinterHost {
public:
    static QString& PdfFolder()
    {
        static QString folder;
        return folder;
    }
    TimingHost()
        : inner_(PdfFolder())
    {
    }
    std::vector<std::string> Printers() const override { return inner_.Printers(); }
    int CurrentIndex() const override { return inner_.CurrentIndex(); }
    void SetCurrentIndex(int index) override { inner_.SetCurrentIndex(index); }
    bool GetSettings(PrinterSettings& out) const override { return inner_.GetSettings(out); }
    void SetSettings(const PrinterSettings& settings) override { inner_.SetSettings(settings); }
    bool Landscape() const override { return inner_.Landscape(); }
    int DpiX() const override { return inner_.DpiX(); }
    int DpiY() const override { return inner_.DpiY(); }
    int PageWidthPixels() const override { return inner_.PageWidthPixels(); }
    int PageHeightPixels() const override { return inner_.PageHeightPixels(); }
    std::string FailureText() const override { return inner_.FailureText(); }
    bool SetupDialog() override { return false; }
    JobPreferences Preferences() const override { return inner_.Preferences(); }
    bool WaitForSent() override
    {
        const auto start = Clock::now();
        const bool ok = inner_.WaitForSent();
        split.wait += Ms(Clock::now() - start);
        return ok;
    }

    std::unique_ptr<PrintJob> BeginJob(const std::string& gbkTitle) override
    {
        const auto start = Clock::now();
        std::unique_ptr<PrintJob> job = inner_.BeginJob(gbkTitle);
        split.begin += Ms(Clock::now() - start);
        return job ? std::make_unique<Job>(std::move(job), split) : nullptr;
    }

    Split split;

private:
    class Job : public PrintJob {
    public:
        Job(std::unique_ptr<PrintJob> inner, Split& split)
            : inner_(std::move(inner))
            , split_(split)
            , started_(Clock::now())
            , waited_(split.wait)
        {
        }
        Canvas& GetCanvas() override { return inner_->GetCanvas(); }
        bool End() override
        {
            return Timed([&] { return inner_->End(); });
        }
        bool Send() override
        {
            return Timed([&] { return inner_->Send(); });
        }
        void Abort() override { inner_->Abort(); }

    private:
        template <class F> bool Timed(F f)
        {
            const auto start = Clock::now();
            split_.draw += Ms(start - started_) - (split_.wait - waited_);
            const bool ok = f();
            split_.end += Ms(Clock::now() - start);
            return ok;
        }
        std::unique_ptr<PrintJob> inner_;
        Split& split_;
        Clock::time_point started_;
        double waited_;
    };
    QtPrinterHost inner_;
};

// Waits up to two minutes for the queue's jobs to be printed, so that a
// run neither shares the processors with the printing of the one before
// nor meets the scheduler's limit of jobs.
void WaitForEmptyQueue()
{
    for (int tries = 0; tries < 600; ++tries) {
        QProcess lpstat;
        lpstat.start(QStringLiteral("lpstat"), { QStringLiteral("-o"), QStringLiteral("QuilletPDF") });
        if (!lpstat.waitForFinished(10000) || lpstat.readAllStandardOutput().trimmed().isEmpty())
            return;
        QThread::msleep(200);
    }
}

bool PrintRun(const char* what, const std::string& data, int runs, bool queue)
{
    std::vector<double> totals;
    Split split;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        BasicEngineRig<TimingHost> rig;
        BuildBenchFormat(rig.format);
        if (!rig.Start(data) || !rig.printerHost.HasPrinter())
            return false;
        if (queue)
            WaitForEmptyQueue();
        const auto start = Clock::now();
        pages = rig.buffer->PrintPages(1, rig.buffer->PageCount);
        totals.push_back(Ms(Clock::now() - start));
        if (run > 0 || runs == 1) { // the first run also reads the faces
            split.begin += rig.printerHost.split.begin;
            split.draw += rig.printerHost.split.draw;
            split.end += rig.printerHost.split.end;
            split.wait += rig.printerHost.split.wait;
        }
    }
    std::sort(totals.begin(), totals.end());
    const double median = totals[totals.size() / 2];
    const int counted = std::max(runs - 1, 1);
    std::printf("%-26s %3d pages: %8.1f ms (median of %d), %6.1f pages/s; per page: begin %6.2f ms, "
                "draw %5.2f ms, end %5.2f ms, waiting for the one before %5.2f ms\n",
        what, pages, median, runs, pages * 1000.0 / median, split.begin / counted / pages,
        split.draw / counted / pages, split.end / counted / pages, split.wait / counted / pages);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    int pageCount = 20;
    int runs = 5;
    QString folder; // of the PDF printer's files; a temporary one unless given
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pages" && i + 1 < argc)
            pageCount = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--folder" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
    }
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    QTemporaryDir temp;
    const std::string data = temp.filePath(QStringLiteral("ledger.dat")).toStdString();
    const long long cells = static_cast<long long>(pageCount) * (kRowsPerBlock - kHeadRows) * kColumns;
    if (!WriteLedgerData(data, cells, kLinesPerBlock, kFootRows, true))
        return 1;

    QTemporaryDir files(folder.isEmpty() ? temp.filePath(QStringLiteral("pdf-XXXXXX"))
                                         : folder + QStringLiteral("/print-bench-XXXXXX"));
    TimingHost::PdfFolder() = files.path();
    if (!PrintRun("PDF folder printer", data, runs, false))
        return 1;
    TimingHost::PdfFolder().clear();
    if (!PrintRun("CUPS queue (default)", data, runs, true))
        std::printf("CUPS queue: no printer; run scripts/setup-cups.sh\n");
    return 0;
}
