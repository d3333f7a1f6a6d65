#include "preview/SearchBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <exception>

#include "platform/GbkCodec.h"
#include "platform/qt/Language.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"

namespace quillet {
namespace {

// A canvas that draws nothing: it measures texts on the page picture's
// canvas and notes where each would land, over the whole sheet.
class MeasuringCanvas : public Canvas {
public:
    explicit MeasuringCanvas(Canvas& inner)
        : inner_(inner)
    {
    }
    std::vector<DrawnText> texts;

    int DpiX() const override { return inner_.DpiX(); }
    int DpiY() const override { return inner_.DpiY(); }
    Rect ClipRect() const override { return { INT_MIN / 4, INT_MIN / 4, INT_MAX / 4, INT_MAX / 4 }; }
    void SetFont(std::string_view name, int points, Color color) override { inner_.SetFont(name, points, color); }
    void SetFontSize(int points) override { inner_.SetFontSize(points); }
    void SetFontColor(Color color) override { inner_.SetFontColor(color); }
    Size TextExtent(std::string_view text) override { return inner_.TextExtent(text); }
    void TextOut(int x, int y, std::string_view text) override
    {
        const Size e = inner_.TextExtent(text);
        Note(QRectF(x, y, e.cx, e.cy), text);
    }
    void TextRect(const Rect& clip, int x, int y, std::string_view text) override
    {
        const Size e = inner_.TextExtent(text);
        Note(QRectF(x, y, e.cx, e.cy)
                 .intersected(QRectF(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top)),
            text);
    }
    void SetPen(PenStyle, int, Color) override { }
    void MoveTo(int, int) override { }
    void LineTo(int, int) override { }
    void SetBrushColor(Color) override { }
    void FillRect(const Rect&) override { }
    void Rectangle(const Rect&) override { }
    void StretchDraw(const Rect&, Bitmap&) override { }
    // A text wholly inside a blanked range (the data cells under a merged
    // cell) never shows.
    void ExcludeClipRect(const Rect& r) override { excluded_.push_back(r); }
    void ResetClip() override { excluded_.clear(); }

private:
    void Note(const QRectF& box, std::string_view gbk)
    {
        if (gbk.empty())
            return;
        for (const Rect& r : excluded_)
            if (QRectF(r.left, r.top, r.right - r.left, r.bottom - r.top).contains(box))
                return;
        texts.push_back({ box, GbkToUtf8(gbk) });
    }
    Canvas& inner_;
    std::vector<Rect> excluded_;
};

QString Num(long long n)
{
    return QString::number(n);
}

} // namespace

std::vector<DrawnText> DrawnTextsOfPage(TFrmPrintReview& w)
{
    MeasuringCanvas canvas(w.BuffPaper->PageImage().GetCanvas());
    try {
        w.BuffPaper->RenderPage(canvas, false);
    } catch (const std::exception&) {
        // A page that cannot be drawn has told the user so when it was shown;
        // what was measured up to the fault still counts.
    }
    return std::move(canvas.texts);
}

TSearchBar::TSearchBar(TFrmPrintReview& window)
    : QWidget(&window)
    , window_(window)
{
    setObjectName(QStringLiteral("SearchBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(6);
    auto* caption = new QLabel(QTr("SearchBar", "查找:"), this);
    Box = new QLineEdit(this);
    Box->setObjectName(QStringLiteral("SearchBox"));
    Box->setMinimumWidth(200);
    Box->setClearButtonEnabled(true);
    Box->installEventFilter(this);
    PriorButton = new QToolButton(this);
    PriorButton->setText(QTr("SearchBar", "上一个"));
    PriorButton->setToolTip(QTr("SearchBar", "上一个 (Shift+F3)"));
    NextButton = new QToolButton(this);
    NextButton->setText(QTr("SearchBar", "下一个"));
    NextButton->setToolTip(QTr("SearchBar", "下一个 (F3)"));
    MatchCase = new QCheckBox(QTr("SearchBar", "区分大小写"), this);
    WholeWord = new QCheckBox(QTr("SearchBar", "全字匹配"), this);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("SearchCount"));
    CloseButton = new QToolButton(this);
    CloseButton->setText(QStringLiteral("×"));
    CloseButton->setAutoRaise(true);
    CloseButton->setToolTip(QTr("SearchBar", "关闭 (Esc)"));
    for (QWidget* part : std::initializer_list<QWidget*> { caption, Box, PriorButton, NextButton, MatchCase,
             WholeWord, CountLabel })
        layout->addWidget(part);
    layout->addStretch(1);
    layout->addWidget(CloseButton);
    for (QWidget* part : std::initializer_list<QWidget*> { PriorButton, NextButton, MatchCase, WholeWord,
             CloseButton })
        part->setFocusPolicy(Qt::NoFocus);

    connect(Box, &QLineEdit::textChanged, this, [this] { Reset(); });
    connect(MatchCase, &QCheckBox::toggled, this, [this] { Reset(); });
    connect(WholeWord, &QCheckBox::toggled, this, [this] { Reset(); });
    connect(PriorButton, &QToolButton::clicked, this, [this] { Find(false); });
    connect(NextButton, &QToolButton::clicked, this, [this] { Find(true); });
    connect(CloseButton, &QToolButton::clicked, this, [this] { Close(); });
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, [this] { Slice(); });
    hide();
}

void TSearchBar::Open()
{
    show();
    Box->setFocus(Qt::ShortcutFocusReason);
    Box->selectAll();
}

void TSearchBar::Close()
{
    Reset();
    hide();
    window_.ScrollBox_Main->setFocus();
}

int TSearchBar::PageCount() const
{
    return search_ ? window_.BuffPaper->PageCount : 0;
}

void TSearchBar::Reset()
{
    timer_.stop();
    search_.reset();
    matcher_.reset();
    after_.clear();
    after_.shrink_to_fit();
    before_.clear();
    before_.shrink_to_fit();
    afterHits_ = beforeHits_ = total_ = 0;
    scanned_ = 0;
    start_ = nextPage_ = 1;
    current_ = {};
    stopped_ = false;
    pending_ = false;
    CountLabel->clear();
    UpdateMarks();
}

void TSearchBar::ReportChanged()
{
    // The pages are no longer those searched: search again on the next F3.
    if (matcher_)
        Reset();
}

bool TSearchBar::Start()
{
    if (matcher_)
        return true;
    const QByteArray query = Box->text().toUtf8();
    if (query.isEmpty())
        return false;
    matcher_ = std::make_unique<TextMatcher>(
        std::string_view(query.constData(), static_cast<std::size_t>(query.size())),
        SearchOptions { MatchCase->isChecked(), WholeWord->isChecked() });
    if (!window_.RunEngine([this] {
            search_ = std::make_unique<ReportSearch>(
                *window_.PrintFormat, *window_.PrintData, *window_.BuffPaper, *matcher_);
        })) {
        matcher_.reset();
        return false;
    }
    start_ = nextPage_ = std::clamp(window_.BuffPaper->CurrentPage, 1, std::max(1, window_.BuffPaper->PageCount));
    timer_.start();
    return true;
}

long long TSearchBar::Current() const
{
    if (current_.page == 0)
        return -1;
    if (current_.page < start_) {
        const PageHits* p = Lookup(before_, current_.page);
        return p ? p->first + current_.ordinal : -1;
    }
    // Only once every page before the start is read are the hits before it known.
    const PageHits* p = Lookup(after_, current_.page);
    return p && Finished() && total_ == afterHits_ + beforeHits_ ? beforeHits_ + p->first + current_.ordinal : -1;
}

const TSearchBar::PageHits* TSearchBar::Lookup(const std::vector<PageHits>& list, int page)
{
    const auto it = std::lower_bound(
        list.begin(), list.end(), page, [](const PageHits& p, int n) { return p.page < n; });
    return it != list.end() && it->page == page ? &*it : nullptr;
}

bool TSearchBar::Step(const Hit& from, bool forward, bool initial, Hit& to) const
{
    const bool afterDone = scanned_ >= static_cast<long long>(PageCount()) - start_ + 1;
    const bool allDone = Finished();
    auto first = [&to](const std::vector<PageHits>& list) {
        to = { list.front().page, 0 };
        return true;
    };
    auto last = [&to](const std::vector<PageHits>& list) {
        to = { list.back().page, list.back().hits - 1 };
        return true;
    };
    if (!initial) {
        const std::vector<PageHits>& own = from.page < start_ ? before_ : after_;
        if (const PageHits* p = Lookup(own, from.page)) {
            if (forward && from.ordinal + 1 < p->hits) {
                to = { from.page, from.ordinal + 1 };
                return true;
            }
            if (!forward && from.ordinal > 0) {
                to = { from.page, from.ordinal - 1 };
                return true;
            }
        }
    }
    const bool inAfter = initial || from.page >= start_;
    if (forward) {
        const int after = initial ? start_ - 1 : from.page;
        const std::vector<PageHits>& own = inAfter ? after_ : before_;
        const auto it = std::upper_bound(
            own.begin(), own.end(), after, [](int n, const PageHits& p) { return n < p.page; });
        if (it != own.end()) {
            to = { it->page, 0 };
            return true;
        }
        if (inAfter) {
            if (!afterDone)
                return false;
            if (!before_.empty())
                return first(before_);
            if (!allDone)
                return false;
            return !after_.empty() && first(after_);
        }
        if (!allDone)
            return false;
        if (!after_.empty())
            return first(after_);
        return !before_.empty() && first(before_);
    }
    if (initial) {
        // The hit before the page shown: the last of the pages before it.
        if (!allDone)
            return false;
        return !before_.empty() ? last(before_) : (!after_.empty() && last(after_));
    }
    const std::vector<PageHits>& own = inAfter ? after_ : before_;
    const auto it = std::lower_bound(
        own.begin(), own.end(), from.page, [](const PageHits& p, int n) { return p.page < n; });
    if (it != own.begin()) {
        to = { (it - 1)->page, (it - 1)->hits - 1 };
        return true;
    }
    if (inAfter) {
        if (!allDone)
            return false;
        return !before_.empty() ? last(before_) : (!after_.empty() && last(after_));
    }
    // Before the report's first hit: round to its last.
    if (!after_.empty())
        return last(after_);
    if (!allDone)
        return false;
    return !before_.empty() && last(before_);
}

void TSearchBar::Find(bool forward)
{
    if (window_.PageRunActive())
        return;
    const bool initial = !matcher_ || current_.page == 0;
    if (!matcher_ && !Start())
        return;
    stopped_ = false;
    if (!Finished() && !timer_.isActive())
        timer_.start(); // a stopped search goes on
    pending_ = true;
    pendingForward_ = forward;
    pendingInitial_ = initial;
    if (timer_.isActive())
        Slice(); // a slice now: a near hit comes at once
    else
        TryPending();
}

void TSearchBar::TryPending()
{
    if (!pending_)
        return;
    Hit to;
    if (Step(current_, pendingForward_, pendingInitial_, to)) {
        pending_ = false;
        Select(to);
        return;
    }
    if (Finished())
        pending_ = false; // nothing anywhere
    ShowCount();
}

void TSearchBar::Cancel()
{
    if (!timer_.isActive())
        return;
    timer_.stop();
    stopped_ = true;
    pending_ = false;
    ShowCount();
}

void TSearchBar::RunToEnd()
{
    while (timer_.isActive() && !window_.PageRunActive())
        Slice();
}

void TSearchBar::Slice()
{
    if (!search_) {
        timer_.stop();
        return;
    }
    // A print run or an export turns the pages itself: the search waits.
    if (window_.PageRunActive())
        return;
    QElapsedTimer clock;
    clock.start();
    const int pages = PageCount();
    bool found = false;
    const bool ok = window_.RunEngine([&] {
        while (scanned_ < pages && clock.elapsed() < kSliceMs && !(found && pending_)) {
            const int page = nextPage_;
            nextPage_ = page >= pages ? 1 : page + 1;
            ++scanned_;
            const int hits = search_->HitsOnPage(page);
            if (hits == 0)
                continue;
            if (after_.size() + before_.size() < kKeptPages) {
                std::vector<PageHits>& list = page >= start_ ? after_ : before_;
                long long& kept = page >= start_ ? afterHits_ : beforeHits_;
                list.push_back({ page, hits, kept });
                kept += hits;
                found = true;
            }
            total_ += hits;
        }
    });
    if (!ok) {
        timer_.stop();
        stopped_ = true;
        pending_ = false;
    } else if (Finished()) {
        timer_.stop();
    }
    if (pending_)
        TryPending();
    else
        ShowCount();
}

void TSearchBar::Select(const Hit& hit)
{
    current_ = hit;
    if (hit.page != window_.BuffPaper->CurrentPage)
        window_.JumpToPage(hit.page); // shows the page, which marks it
    else
        UpdateMarks();
    ShowCount();
    if (currentMark_ >= 0) {
        const TImageReview::PageView& view = window_.Image_Review->View();
        const QRectF box = marks_[static_cast<std::size_t>(currentMark_)];
        const QPointF centre = QPointF(window_.Image_Review->pos())
            + QPointF(view.ox + box.center().x() * view.sx, view.oy + box.center().y() * view.sy);
        window_.ScrollBox_Main->ensureVisible(static_cast<int>(centre.x()), static_cast<int>(centre.y()),
            static_cast<int>(box.width() * view.sx / 2) + 40, static_cast<int>(box.height() * view.sy / 2) + 40);
    }
}

void TSearchBar::PageShown()
{
    if (matcher_ && isVisible())
        UpdateMarks();
}

void TSearchBar::UpdateMarks()
{
    marks_.clear();
    currentMark_ = -1;
    if (matcher_ && isVisible()) {
        for (const DrawnText& text : DrawnTextsOfPage(window_))
            for (int n = matcher_->Count(text.utf8); n > 0; --n)
                marks_.push_back(text.box);
        if (current_.page == window_.BuffPaper->CurrentPage && !marks_.empty())
            currentMark_ = std::min(current_.ordinal, static_cast<int>(marks_.size()) - 1);
    }
    window_.Image_Review->SetMarks(marks_, currentMark_);
}

void TSearchBar::ShowCount()
{
    QString text;
    const bool searching = timer_.isActive();
    const long long at = Current();
    if (!matcher_) {
        text.clear();
    } else if (Finished() && total_ == 0) {
        text = QTr("SearchBar", "没有找到");
    } else if (at >= 0) {
        text = searching ? QTr("SearchBar", "第%1个，已找到%2个").arg(Num(at + 1), Num(total_))
                         : QTr("SearchBar", "第%1个，共%2个").arg(Num(at + 1), Num(total_));
    } else {
        text = QTr("SearchBar", "已找到%1个").arg(Num(total_));
    }
    if (searching)
        text += QTr("SearchBar", "（正在查找第%1页，共%2页）").arg(Num(nextPage_), Num(PageCount()));
    else if (stopped_)
        text += QTr("SearchBar", "（已停止查找）");
    if (Finished() && total_ > afterHits_ + beforeHits_)
        text += QTr("SearchBar", "（只能浏览前%1页中的结果）").arg(Num(static_cast<long long>(kKeptPages)));
    CountLabel->setText(text);
}

bool TSearchBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Box && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Find(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            // Esc stops a running search first, and closes the bar after.
            if (Running())
                Cancel();
            else
                Close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quillet
