#pragma once
// The search bar at the top of the page area: a text box, 上一个/下一个,
// "区分大小写", "全字匹配" and the count. A search works through the report's
// pages without drawing them, a slice at a time between the window's other
// work, so a report of millions of pages shows its progress, turns to the
// first hit as soon as it is found and can be stopped with Esc. The hits of
// the page shown are marked on it, in the window only.
#include <QElapsedTimer>
#include <QRectF>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "engine/ReportSearch.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace quillet {

class TFrmPrintReview;

// The boxes of the texts a page draws, in the order it draws them, in the
// engine's screen pixels: drawn on a canvas that only measures.
struct DrawnText {
    QRectF box;
    std::string utf8;
};
std::vector<DrawnText> DrawnTextsOfPage(TFrmPrintReview& window);

class TSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit TSearchBar(TFrmPrintReview& window);

    QLineEdit* Box = nullptr;
    QToolButton* PriorButton = nullptr;
    QToolButton* NextButton = nullptr;
    QCheckBox* MatchCase = nullptr;
    QCheckBox* WholeWord = nullptr;
    QLabel* CountLabel = nullptr;
    QToolButton* CloseButton = nullptr;

    // Shows the bar with the box ready for typing.
    void Open();
    // Stops a search, takes the marks away and hides the bar.
    void Close();
    // The next (forward) or previous hit; the first search starts at the page shown.
    void Find(bool forward);
    // Stops a running search, keeping what it found.
    void Cancel();
    bool Running() const { return timer_.isActive(); }
    // Works through the rest of the report at once (tests and benchmarks).
    void RunToEnd();

    // The window shows another page / the report was laid out anew.
    void PageShown();
    void ReportChanged();

    // What was found: the hits counted so far, the current one (0-based,
    // -1 for none), whether every page has been searched.
    long long Total() const { return total_; }
    long long Current() const { return current_; }
    bool Finished() const { return finished_; }
    int ScannedPages() const { return nextPage_ - 1; }
    // The marks of the page shown (engine screen pixels), and the current one's index in them (-1 for none).
    const std::vector<QRectF>& Marks() const { return marks_; }
    int CurrentMark() const { return currentMark_; }

    // Milliseconds a slice of the search takes before the window gets its turn.
    static constexpr int kSliceMs = 30;
    // Pages with hits kept for turning to them; hits beyond are counted only.
    static constexpr std::size_t kKeptPages = 1'000'000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Reset();
    bool Start();
    void Slice();
    void Select(long long index);
    void ShowCount();
    void UpdateMarks();

    TFrmPrintReview& window_;
    std::unique_ptr<ReportSearch> search_;
    std::unique_ptr<TextMatcher> matcher_;
    QTimer timer_;
    struct PageHits {
        int page;
        long long first; // the index of the page's first hit
    };
    std::vector<PageHits> kept_;
    long long keptHits_ = 0; // hits on the kept pages
    long long total_ = 0;
    long long current_ = -1;
    int nextPage_ = 1;
    bool finished_ = false;
    bool stopped_ = false;
    // What a search waits for: a hit at or after this page (the first
    // search), or the hit with this index.
    int wantFromPage_ = 0;
    long long wantIndex_ = -1;
    bool wantLast_ = false;
    std::vector<QRectF> marks_;
    int currentMark_ = -1;
};

} // namespace quillet
