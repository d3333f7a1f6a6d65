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

    // What was found: the hits counted so far, whether every page has been
    // searched, the page of the current hit (0 for none) and the current
    // hit's number from the report's start (0-based; -1 while it is not yet
    // known, before the search has come round to the report's start).
    long long Total() const { return total_; }
    bool Finished() const { return scanned_ >= PageCount(); }
    int CurrentPage() const { return current_.page; }
    long long Current() const;
    long long ScannedPages() const { return scanned_; }
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
    // A page with hits; `first` counts the hits before it in its list.
    struct PageHits {
        int page;
        int hits;
        long long first;
    };
    struct Hit {
        int page = 0;
        int ordinal = 0; // among the page's hits
    };
    int PageCount() const;
    void Reset();
    bool Start();
    void Slice();
    // The hit after (before) `from` in the report's order, round its end;
    // false when the pages that would hold it are still to be read.
    bool Step(const Hit& from, bool forward, bool initial, Hit& to) const;
    // Turns to a pending hit once the search has read far enough.
    void TryPending();
    void Select(const Hit& hit);
    void ShowCount();
    void UpdateMarks();
    static const PageHits* Lookup(const std::vector<PageHits>& list, int page);

    TFrmPrintReview& window_;
    std::unique_ptr<ReportSearch> search_;
    std::unique_ptr<TextMatcher> matcher_;
    QTimer timer_;
    // The search reads from the page shown when it began to the end, then
    // from the first page up to it: hits at and after that page, and before it.
    int start_ = 1;
    int nextPage_ = 1;
    long long scanned_ = 0;
    std::vector<PageHits> after_;
    std::vector<PageHits> before_;
    long long afterHits_ = 0; // hits on the kept pages of each list
    long long beforeHits_ = 0;
    long long total_ = 0;
    Hit current_;
    bool stopped_ = false;
    // A step the user asked for before the search had read its page.
    bool pending_ = false;
    bool pendingForward_ = true;
    bool pendingInitial_ = false;
    std::vector<QRectF> marks_;
    int currentMark_ = -1;
};

} // namespace quillet
