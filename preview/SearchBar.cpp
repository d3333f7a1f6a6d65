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
    auto* caption = new QLabel(QStringLiteral("查找:"), this);
    Box = new QLineEdit(this);
    Box->setObjectName(QStringLiteral("SearchBox"));
    Box->setMinimumWidth(200);
    Box->setClearButtonEnabled(true);
    Box->installEventFilter(this);
    PriorButton = new QToolButton(this);
    PriorButton->setText(QStringLiteral("上一个"));
    PriorButton->setToolTip(QStringLiteral("上一个 (Shift+F3)"));
    NextButton = new QToolButton(this);
    NextButton->setText(QStringLiteral("下一个"));
    NextButton->setToolTip(QStringLiteral("下一个 (F3)"));
    MatchCase = new QCheckBox(QStringLiteral("区分大小写"), this);
    WholeWord = new QCheckBox(QStringLiteral("全字匹配"), this);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("SearchCount"));
    CloseButton = new QToolButton(this);
    CloseButton->setText(QStringLiteral("×"));
    CloseButton->setAutoRaise(true);
    CloseButton->setToolTip(QStringLiteral("关闭 (Esc)"));
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

void TSearchBar::Reset()
{
    timer_.stop();
    search_.reset();
    matcher_.reset();
    kept_.clear();
    kept_.shrink_to_fit();
    keptHits_ = 0;
    total_ = 0;
    current_ = -1;
    nextPage_ = 1;
    finished_ = false;
    stopped_ = false;
    wantFromPage_ = 0;
    wantIndex_ = -1;
    wantLast_ = false;
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
    // The first hit shown is the first on the page shown or after it.
    wantFromPage_ = window_.BuffPaper->CurrentPage;
    timer_.start();
    Slice();
    return true;
}

void TSearchBar::Find(bool forward)
{
    if (!matcher_) {
        if (!Start())
            return;
        if (forward)
            return; // the search turns to its first hit itself
    }
    if (current_ < 0 && forward && Running())
        return; // still on its way to the first hit
    stopped_ = false;
    wantFromPage_ = 0;
    if (total_ == 0 && finished_) {
        ShowCount();
        return;
    }
    long long index = current_ + (forward ? 1 : -1);
    if (current_ < 0 && !forward)
        index = -1;
    if (index >= keptHits_ || index < 0) {
        if (!finished_) {
            // Waits for the search: the next hit when it comes, or the last
            // once every page is searched.
            wantIndex_ = forward ? index : -1;
            wantLast_ = !forward;
            if (!timer_.isActive())
                timer_.start();
            ShowCount();
            return;
        }
        index = forward ? 0 : keptHits_ - 1; // round the report
    }
    Select(index);
}

void TSearchBar::Cancel()
{
    if (!timer_.isActive())
        return;
    timer_.stop();
    stopped_ = true;
    wantFromPage_ = 0;
    wantIndex_ = -1;
    wantLast_ = false;
    ShowCount();
}

void TSearchBar::RunToEnd()
{
    while (timer_.isActive())
        Slice();
}

void TSearchBar::Slice()
{
    if (!search_) {
        timer_.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const int pages = window_.BuffPaper->PageCount;
    long long select = -1;
    const bool ok = window_.RunEngine([&] {
        while (nextPage_ <= pages && clock.elapsed() < kSliceMs) {
            const int page = nextPage_++;
            const int hits = search_->HitsOnPage(page);
            if (hits == 0)
                continue;
            if (kept_.size() < kKeptPages) {
                kept_.push_back({ page, total_ });
                keptHits_ = total_ + hits;
            }
            if (select < 0 && wantFromPage_ > 0 && page >= wantFromPage_ && kept_.back().page == page)
                select = kept_.back().first;
            if (select < 0 && wantIndex_ >= 0 && wantIndex_ < keptHits_)
                select = wantIndex_;
            total_ += hits;
            if (select >= 0)
                break;
        }
    });
    if (!ok || nextPage_ > pages) {
        timer_.stop();
        finished_ = ok;
        stopped_ = !ok;
        if (ok && select < 0 && keptHits_ > 0) {
            // Nothing after the page shown: round to the first hit; a
            // backward wait takes the last.
            if (wantLast_)
                select = keptHits_ - 1;
            else if (wantFromPage_ > 0 || wantIndex_ >= 0)
                select = 0;
        }
    }
    if (select >= 0) {
        wantFromPage_ = 0;
        wantIndex_ = -1;
        wantLast_ = false;
        Select(select);
    } else {
        ShowCount();
    }
}

void TSearchBar::Select(long long index)
{
    if (index < 0 || index >= keptHits_)
        return;
    current_ = index;
    const auto it = std::upper_bound(kept_.begin(), kept_.end(), index,
                        [](long long i, const PageHits& p) { return i < p.first; })
        - 1;
    if (it->page != window_.BuffPaper->CurrentPage)
        window_.JumpToPage(it->page); // shows the page, which marks it
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
        if (current_ >= 0 && !marks_.empty()) {
            const auto it = std::upper_bound(kept_.begin(), kept_.end(), current_,
                                [](long long i, const PageHits& p) { return i < p.first; })
                - 1;
            if (it->page == window_.BuffPaper->CurrentPage)
                currentMark_ = static_cast<int>(
                    std::min<long long>(current_ - it->first, static_cast<long long>(marks_.size()) - 1));
        }
    }
    window_.Image_Review->SetMarks(marks_, currentMark_);
}

void TSearchBar::ShowCount()
{
    QString text;
    const bool searching = timer_.isActive();
    if (!matcher_) {
        text.clear();
    } else if (finished_ && total_ == 0) {
        text = QStringLiteral("没有找到");
    } else if (current_ >= 0) {
        text = searching ? QStringLiteral("第%1个，已找到%2个").arg(Num(current_ + 1), Num(total_))
                         : QStringLiteral("第%1个，共%2个").arg(Num(current_ + 1), Num(total_));
    } else {
        text = QStringLiteral("已找到%1个").arg(Num(total_));
    }
    if (searching)
        text += QStringLiteral("（正在查找第%1页，共%2页）").arg(Num(nextPage_), Num(window_.BuffPaper->PageCount));
    else if (stopped_)
        text += QStringLiteral("（已停止查找）");
    if (finished_ && total_ > keptHits_)
        text += QStringLiteral("（只能浏览前%1页中的结果）").arg(Num(static_cast<long long>(kKeptPages)));
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
