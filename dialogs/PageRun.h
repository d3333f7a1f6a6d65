#pragma once
// Long runs over pages with their progress box: the engine's page-by-page
// progress fed into a TPageProgress, and print runs of a page range that
// tell how they ended (every page, cancelled after some, or stopped by an
// error).
#include <QString>
#include <functional>
#include <memory>

#include "controls/PageProgress.h"
#include "engine/BuffPaper.h"
#include "engine/PrintProgress.h"

class QWidget;

namespace quillet {

class MessageService;

// Called before each page of a run with its progress box, once the box has
// caught up; tests press its cancel button here.
using ProgressHook = std::function<void(TPageProgress&)>;

// The engine's progress shown in a progress box.
class BoxProgress : public PrintProgress {
public:
    BoxProgress(TPageProgress& box, ProgressHook hook = {});
    bool BeforePage(int done, int total) override;
    // Pages gone out when the run was last asked.
    int Done() const { return done_; }

private:
    TPageProgress& box_;
    ProgressHook hook_;
    int done_ = 0;
};

// The progress box of print runs.
std::unique_ptr<TPageProgress> NewPrintProgress(QWidget* parent);

struct PrintRunResult {
    int sent = 0; // pages that went out
    int total = 0;
    bool cancelled = false;
    QString failure; // the error that stopped the run; empty when none
};

// Prints pages first..last through the box. Never throws: an error ends the
// run and is returned. The current page is the one it was before, whatever
// happened.
PrintRunResult PrintPageRun(
    TMyBuffPaper& engine, int first, int last, TPageProgress& box, const ProgressHook& hook = {});

// Tells the person how a run that did not print every page ended: nothing
// for a whole run, "打印已取消…" with the pages sent, or the error (and the
// pages sent before it).
void ReportPrintRun(MessageService& messages, const PrintRunResult& run);

} // namespace quillet
