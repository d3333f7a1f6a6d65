#pragma once
// Draws the thumbnail panel's page pictures on a thread of its own, so the
// window never waits for them. It draws from a snapshot of the report (a
// copy of the layout, a data object with its own reader of the data, the
// pages as the window counted them), only the pages last asked for, and
// hands each picture back through a queued signal. A page that cannot be
// drawn comes back as a null picture; nothing on the thread ever shows a
// message.
#include <QImage>
#include <QObject>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "geometry/PrnPrinter.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"

namespace quillet {

// What page pictures are drawn from, owned by the thread that draws them.
struct ThumbnailReport {
    TMyPrintFormat format;
    std::unique_ptr<TMyPrintData> data; // reads for format
    std::unique_ptr<TMyScreen> screen;
    std::unique_ptr<TMyPrinter> printer; // never used for a picture
    // The window's pages, counted already.
    int pageWidth = 210;
    int pageHeight = 290;
    double printRate = 100.0;
    int pageCount = 0;
    int blocksPerPage = 1;
    int blockCount = 0;
    int lastBlockRows = 0;
};

class ThumbnailWorker : public QObject {
    Q_OBJECT
public:
    ThumbnailWorker();
    // Stops the thread, abandoning the page it draws.
    ~ThumbnailWorker() override;

    // A report to draw from under a new generation: the pages asked for
    // before, and the page being drawn, are dropped. Null: nothing to draw.
    void SetReport(std::unique_ptr<ThumbnailReport> report, quint64 generation);
    // The pages wanted now, first the most wanted, at a picture size, for
    // the generation given to SetReport or a later one (a new size). It
    // replaces the pages asked for before. seen is the last sequence
    // number delivered to the asker: a page delivered after it is still on
    // its way and is not drawn again.
    void Want(quint64 generation, const std::vector<int>& pages, QSize size, double ratio, quint64 seen);
    // Ends the thread without waiting for the page it draws to be whole,
    // and lets the report go.
    void Stop();
    bool Running() const { return thread_.joinable(); }
    // Nothing asked for is left to draw; and the pictures sent so far.
    bool Idle();
    quint64 Sent();
    // A data object over data's file for a report of this worker: its reads
    // fail once the page they are for is no longer wanted.
    std::unique_ptr<TMyPrintData> DataFor(const TMyPrintData& data, TMyPrintFormat& format);

signals:
    // A picture drawn for a generation; null for a page that failed.
    // sequence counts the pictures delivered.
    void Drawn(quint64 generation, int page, QImage picture, quint64 sequence);

private:
    struct Pages;
    void Run();
    void Start();
    QImage Draw(int page, QSize size, double ratio);
    // True on the thread when the page it draws is no longer wanted.
    bool Abandon() const;

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    // Guarded by mutex_.
    bool stop_ = false;
    std::unique_ptr<ThumbnailReport> next_; // taken by the thread
    bool reportChanged_ = false;
    std::deque<int> wanted_;
    QSize size_;
    double ratio_ = 1.0;
    quint64 sequence_ = 0;
    std::deque<std::pair<quint64, int>> sent_; // delivered, maybe not yet seen
    int drawing_ = 0; // the page being drawn, 0 for none
    // The thread's own: what it draws from and for.
    std::unique_ptr<ThumbnailReport> report_;
    std::unique_ptr<Pages> pages_;
    quint64 drawingFor_ = 0; // the generation of the page being drawn
    // Read by the thread between drawing steps.
    std::atomic<bool> stopNow_ { false };
    std::atomic<bool> leftView_ { false }; // the page being drawn is no longer in view
    std::atomic<quint64> generation_ { 0 };
};

} // namespace quillet
