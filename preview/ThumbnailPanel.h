#pragma once
// The thumbnail panel at the window's left: every page of the report drawn
// small, one under the other, the page shown marked; a click turns to a page.
// Only the pages in view are drawn, on a thread of their own from a snapshot
// of the report, so the window never waits for them; a bounded number of
// pictures is kept. A page that cannot be drawn shows as a plain frame.
#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "preview/ThumbnailWorker.h"

namespace quillet {

class TFrmPrintReview;

// The last pictures drawn, by page; the one least recently used goes first.
class ThumbnailCache {
public:
    explicit ThumbnailCache(std::size_t limit) : limit_(limit) { }
    const QImage* Find(int page);
    void Put(int page, QImage image);
    void Clear();
    std::size_t Size() const { return images_.size(); }
    // A lower limit drops the least recently used at once.
    void SetLimit(std::size_t limit);
    std::size_t Limit() const { return limit_; }

private:
    std::size_t limit_;
    std::list<int> order_; // most recent first
    std::unordered_map<int, std::pair<QImage, std::list<int>::iterator>> images_;
};

class TThumbnailPanel : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TThumbnailPanel(TFrmPrintReview& window, QWidget* parent = nullptr);
    ~TThumbnailPanel() override;

    // Pictures kept at most, whatever the report's length, and the memory
    // they may take: large pictures (a wide panel, a dense screen) are kept
    // fewer, never fewer than two screens of them.
    static constexpr std::size_t kMaxKept = 200;
    static constexpr std::size_t kMaxKeptBytes = 32u << 20;
    static constexpr int kMargin = 8; // around a picture
    static constexpr int kLabel = 16; // the page number under it

    // The size of a page's picture at the panel's width, in its pixels, and
    // the height of a page's row (picture, margins and number).
    QSize PictureSize() const;
    int RowHeight() const;
    // The page (1-based) whose picture is at a point of the viewport; 0 for none.
    int PageAt(const QPoint& at) const;
    // The first page in view and how many fit in the view, in part or whole.
    int FirstPage() const;
    int PagesInView() const;
    // Brings a page into view (scrolling only when it is not).
    void ShowPage(int page);

    // The window shows another page / the report was laid out anew.
    void PageShown();
    void ReportChanged();

    // Waits for every picture in view that is missing, and for those on
    // their way (tests and benchmarks).
    void DrawAllInView();
    std::size_t Kept() const { return cache_.Size(); }
    // The pictures taken in, and those dropped as drawn for a layout or a
    // size gone since.
    int Drawn() const { return drawn_; }
    int Dropped() const { return dropped_; }
    // The kept picture of a page: null for a page that could not be drawn;
    // nullptr when none is kept.
    const QImage* Picture(int page) { return cache_.Find(page); }
    // The thread that draws the pictures: it runs while pictures are missing.
    ThumbnailWorker& Worker() { return worker_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void hideEvent(QHideEvent* event) override;

private:
    void UpdateRange();
    // Asks the worker for the missing pictures in view, the page shown
    // first, then the others from the top.
    void AskForMissing();
    void Arrived(quint64 generation, int page, QImage picture, quint64 sequence);
    // The next page in view without a picture; 0 when all are there.
    int NextMissing();
    std::vector<int> MissingInView();
    // The window's layout, data and pages for the worker.
    std::unique_ptr<ThumbnailReport> Snapshot();
    // A new picture size: the kept pictures go, and the bound follows their size.
    void UsePictureSize();
    double Ratio() const;

    TFrmPrintReview& window_;
    ThumbnailCache cache_ { kMaxKept };
    QTimer ask_;
    QSize pictureFor_; // the device size the kept pictures were drawn at
    int drawn_ = 0;
    int dropped_ = 0;
    int lastShown_ = 0; // the page last brought into view
    // Pictures of another layout or size come back under an older generation.
    quint64 generation_ = 1;
    bool reportSent_ = false;
    std::vector<int> asked_; // the pages last asked for
    quint64 seen_ = 0; // the last picture's sequence number
    ThumbnailWorker worker_;
};

} // namespace quillet
