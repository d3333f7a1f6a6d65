#pragma once
// The history of the layout's changes for "撤销" and "重做": each change the
// user makes to the format record (a border drag, a confirmed dialog, a
// placement, printer setup) is one step on a QUndoStack. A step keeps only
// the bytes of the record that changed; undo and redo write them back and
// bring the window up to date as the command that made the step did.
#include <QString>
#include <QUndoStack>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/LayoutDiff.h"
#include "model/PrnData.h"

namespace quillet {

class TFrmPrintReview;

// How the window follows a step put back: a placement only redraws the page,
// every other change can move rows between pages.
enum class StepRefresh { Redraw, Repaginate };

// What printer setup changes besides the record: the printer's paper and the
// size of the page the layout is drawn on.
struct PaperState {
    TMyPaperSpec printer;
    int pageWidth = 0;
    int pageHeight = 0;
    bool operator==(const PaperState&) const = default;
};

class LayoutHistory {
public:
    // The steps kept: the oldest go once there are more.
    static constexpr int kStepLimit = 500;

    explicit LayoutHistory(TFrmPrintReview& window);
    ~LayoutHistory();
    LayoutHistory(const LayoutHistory&) = delete;
    LayoutHistory& operator=(const LayoutHistory&) = delete;

    QUndoStack& Stack() { return stack_; }

    // A command is about to change the layout: the record (and with
    // withPaper, the paper) as it stands now is what its step undoes to.
    void Begin(bool withPaper = false);
    // The command is done: what it changed becomes one step named caption, a
    // text of the program's own (kept as written, in context) that is looked
    // up when shown; both are kept as pointers, so they are literals or texts
    // of a table. A command that changed nothing leaves no step.
    void Record(const char* context, const char* caption, StepRefresh refresh);

    // The names of the steps undo and redo would take, in the language in
    // use; empty when there is none.
    QString UndoName() const;
    QString RedoName() const;

    // Memory the history holds: its two image buffers and every step.
    std::size_t MemoryUse() const;

private:
    friend class LayoutStep;
    // Writes a step's runs (as before or after it) and its paper back and
    // refreshes the window.
    void Put(const LayoutDiff& diff, bool after, const PaperState* paper, StepRefresh refresh);
    PaperState CurrentPaper() const;
    QString NameOf(int index) const;

    TFrmPrintReview& window_;
    QUndoStack stack_;
    // The record's image when the running command began, and the image
    // a step is put back through; both reused from step to step.
    std::vector<std::uint8_t> before_;
    std::vector<std::uint8_t> image_;
    std::optional<PaperState> paperBefore_;
    bool begun_ = false;
};

} // namespace quillet
