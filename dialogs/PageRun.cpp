#include "dialogs/PageRun.h"

#include <algorithm>
#include <exception>

#include "dialogs/DialogFrame.h"
#include "platform/qt/Language.h"

namespace quillet {

BoxProgress::BoxProgress(TPageProgress& box, ProgressHook hook)
    : box_(box)
    , hook_(std::move(hook))
{
}

bool BoxProgress::BeforePage(int done, int total)
{
    done_ = done;
    if (!box_.Step(done, total))
        return false;
    if (hook_)
        hook_(box_);
    return !box_.Cancelled();
}

std::unique_ptr<TPageProgress> NewPrintProgress(QWidget* parent)
{
    return std::make_unique<TPageProgress>(
        QTr("PageRun", "打印"), QTr("PageRun", "正在打印第%1页，共%2页"), parent);
}

PrintRunResult PrintPageRun(
    TMyBuffPaper& engine, int first, int last, TPageProgress& box, const ProgressHook& hook)
{
    PrintRunResult run;
    run.total = PagesInRange(first, last);
    BoxProgress progress(box, hook);
    const int shownPage = engine.CurrentPage;
    try {
        run.sent = engine.PrintPages(first, last, &progress);
        run.cancelled = run.sent < run.total;
    } catch (const std::exception& error) {
        run.failure = QString::fromUtf8(error.what());
    } catch (...) {
        run.failure = QTr("PageRun", "发生了未知的错误");
    }
    if (!run.failure.isEmpty()) {
        // The page that failed never went out; those before it did, unless
        // they were pages of the same job. The engine stops on that page,
        // which may come before the last one the progress was asked about:
        // a page is drawn while the one before it is still on its way.
        run.sent
            = engine.PrintsRunAsOneJob() ? 0 : std::clamp(engine.CurrentPage - first, 0, progress.Done());
        // The preview still shows the page it showed before.
        engine.CurrentPage = shownPage;
    }
    box.hide();
    return run;
}

void ReportPrintRun(MessageService& messages, const PrintRunResult& run)
{
    if (!run.failure.isEmpty()) {
        ShowPlainMessage(messages,
            run.sent > 0 ? QTr("PageRun", "%1\n已送出%2页，共%3页。")
                               .arg(run.failure, QString::number(run.sent), QString::number(run.total))
                         : run.failure);
    } else if (run.cancelled) {
        ShowHintMessage(
            messages, QTr("PageRun", "打印已取消，已送出%1页，共%2页。").arg(run.sent).arg(run.total));
    }
}

} // namespace quillet
