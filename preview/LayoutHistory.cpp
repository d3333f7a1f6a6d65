#include "preview/LayoutHistory.h"

#include <QUndoCommand>
#include <memory>
#include <utility>

#include "platform/qt/Language.h"
#include "preview/PrintReview.h"

namespace quillet {

// One step: the record's changed bytes, and for printer setup the paper
// before and after.
class LayoutStep : public QUndoCommand {
public:
    struct Papers {
        PaperState before;
        PaperState after;
    };

    LayoutStep(LayoutHistory& history, const char* context, const char* caption, LayoutDiff diff,
        StepRefresh refresh, std::unique_ptr<Papers> papers)
        : QUndoCommand(QString::fromUtf8(caption))
        , context_(context)
        , caption_(caption)
        , history_(history)
        , diff_(std::move(diff))
        , papers_(std::move(papers))
        , refresh_(refresh)
    {
    }

    void undo() override { history_.Put(diff_, false, papers_ ? &papers_->before : nullptr, refresh_); }
    void redo() override
    {
        // The command has already made the change when its step is pushed.
        if (std::exchange(pushed_, false))
            return;
        history_.Put(diff_, true, papers_ ? &papers_->after : nullptr, refresh_);
    }

    // The step's name in the language in use.
    QString Name() const { return QTr(context_, caption_); }

    std::size_t Bytes() const
    {
        return sizeof(*this) + diff_.HeapBytes() + (papers_ ? sizeof(Papers) : 0)
            + static_cast<std::size_t>(text().capacity()) * sizeof(QChar);
    }

private:
    const char* context_;
    const char* caption_;
    LayoutHistory& history_;
    LayoutDiff diff_;
    std::unique_ptr<Papers> papers_;
    StepRefresh refresh_;
    bool pushed_ = true;
};

LayoutHistory::LayoutHistory(TFrmPrintReview& window)
    : window_(window)
{
    stack_.setUndoLimit(kStepLimit);
}

LayoutHistory::~LayoutHistory() = default;

PaperState LayoutHistory::CurrentPaper() const
{
    return { static_cast<const TMyPaperSpec&>(*window_.Printer), window_.BuffPaper->PageWidth,
        window_.BuffPaper->PageHeight };
}

void LayoutHistory::Begin(bool withPaper)
{
    window_.PrintFormat->RecordImage(before_);
    paperBefore_.reset();
    if (withPaper)
        paperBefore_ = CurrentPaper();
    begun_ = true;
}

void LayoutHistory::Record(const char* context, const char* caption, StepRefresh refresh)
{
    if (!std::exchange(begun_, false))
        return;
    window_.PrintFormat->RecordImage(image_);
    LayoutDiff diff = LayoutDiff::Between(before_, image_);
    std::unique_ptr<LayoutStep::Papers> papers;
    if (paperBefore_) {
        const PaperState now = CurrentPaper();
        if (!(now == *paperBefore_))
            papers = std::make_unique<LayoutStep::Papers>(LayoutStep::Papers { *paperBefore_, now });
    }
    if (diff.Empty() && !papers)
        return;
    // A new step after an undo drops what could be redone.
    stack_.push(new LayoutStep(*this, context, caption, std::move(diff), refresh, std::move(papers)));
}

void LayoutHistory::Put(const LayoutDiff& diff, bool after, const PaperState* paper, StepRefresh refresh)
{
    TFrmPrintReview& w = window_;
    // Put back onto the record as it stands: what changed since outside the
    // history (the paper a save stamps in) stays.
    w.PrintFormat->RecordImage(image_);
    const bool written = after ? diff.PutAfter(image_) : diff.PutBefore(image_);
    if (!written || w.PrintFormat->LoadFromBytes(image_.data(), image_.size()) != kFileOk) {
        w.ShowPlainMessage(QTr("LayoutHistory", "无法恢复打印格式，当前的打印格式没有改变"));
        return;
    }
    if (paper) {
        // The printer takes the paper back, and the layout keeps the
        // printer's paper as it was, whatever the printer reports for it.
        w.ScrollToOrigin();
        static_cast<TMyPaperSpec&>(*w.Printer) = paper->printer;
        w.Printer->ApplySettings();
        static_cast<TMyPaperSpec&>(*w.Printer) = paper->printer;
        w.RunEngine([&w, paper] { w.BuffPaper->SetPageSize(paper->pageWidth, paper->pageHeight); });
    }
    w.SyncPlaceChecks();
    if (refresh == StepRefresh::Repaginate) {
        w.RunEngine([&w] { w.BuffPaper->ClearPageImage(); });
        w.RepaginateAndShow();
    } else {
        w.RunEngine([&w] { w.BuffPaper->ShowCurrentPage(); });
        w.RefreshStatus();
    }
    if (paper)
        w.ApplyFit();
}

QString LayoutHistory::NameOf(int index) const
{
    const auto* step = dynamic_cast<const LayoutStep*>(stack_.command(index));
    return step ? step->Name() : QString();
}

QString LayoutHistory::UndoName() const
{
    return NameOf(stack_.index() - 1);
}

QString LayoutHistory::RedoName() const
{
    return NameOf(stack_.index());
}

std::size_t LayoutHistory::MemoryUse() const
{
    std::size_t bytes = sizeof(*this) + before_.capacity() + image_.capacity();
    for (int i = 0; i < stack_.count(); ++i)
        if (const auto* step = dynamic_cast<const LayoutStep*>(stack_.command(i)))
            bytes += step->Bytes();
    return bytes;
}

} // namespace quillet
