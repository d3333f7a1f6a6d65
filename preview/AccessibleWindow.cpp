#include "preview/AccessibleWindow.h"

#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QEvent>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

#include "controls/AccessibleControls.h"
#include "platform/qt/Language.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"
#include "preview/SearchBar.h"
#include "preview/TabSet.h"
#include "preview/ThumbnailPanel.h"
#include "preview/ZtRuler.h"

namespace quillet {
namespace {

// One text of the page and where it lies in the joined text.
struct Piece {
    int offset = 0;
    int length = 0;
    QRectF box; // the engine's page pixels
};

struct PageText {
    QString text;
    std::vector<Piece> pieces;
};

PageText ReadPage(TFrmPrintReview& window)
{
    std::vector<DrawnText> drawn = DrawnTextsOfPage(window);
    std::stable_sort(drawn.begin(), drawn.end(),
        [](const DrawnText& a, const DrawnText& b) { return a.box.top() < b.box.top(); });
    PageText page;
    // A text belongs to the line whose first text's middle it starts above.
    for (std::size_t first = 0; first < drawn.size();) {
        std::size_t end = first + 1;
        while (end < drawn.size() && drawn[end].box.top() <= drawn[first].box.center().y())
            ++end;
        std::stable_sort(drawn.begin() + first, drawn.begin() + end,
            [](const DrawnText& a, const DrawnText& b) { return a.box.left() < b.box.left(); });
        if (!page.text.isEmpty())
            page.text += QLatin1Char('\n');
        for (std::size_t i = first; i < end; ++i) {
            const QString piece = QString::fromStdString(drawn[i].utf8).simplified();
            if (piece.isEmpty())
                continue;
            if (i > first && !page.text.endsWith(QLatin1Char('\n')))
                page.text += QLatin1Char(' ');
            page.pieces.push_back(
                { static_cast<int>(page.text.size()), static_cast<int>(piece.size()), drawn[i].box });
            page.text += piece;
        }
        first = end;
    }
    return page;
}

TFrmPrintReview* WindowOf(const QWidget* widget)
{
    return qobject_cast<TFrmPrintReview*>(widget->window());
}

QString Num(long long n)
{
    return QString::number(n);
}

// The rulers: a picture of a scale, its value the centimetres in view.
class AccessibleRuler : public QAccessibleWidget {
public:
    explicit AccessibleRuler(TZtRuler* ruler)
        : QAccessibleWidget(ruler, QAccessible::Graphic)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        const auto* ruler = static_cast<const TZtRuler*>(widget());
        if (t == QAccessible::Name && ruler->accessibleName().isEmpty())
            return ruler->statusTip();
        // AT-SPI has no text value: the range is the description there too.
        if (t != QAccessible::Value
            && !(t == QAccessible::Description && ruler->accessibleDescription().isEmpty()))
            return QAccessibleWidget::text(t);
        // The ruler is wider than its strip; only the strip's part is seen.
        QRect seen = ruler->rect();
        if (const QWidget* strip = ruler->parentWidget())
            seen &= QRect(ruler->mapFromParent(QPoint(0, 0)), strip->size());
        const bool across = ruler->Orientation() == TMyOrientation::trHorizontal;
        int low = 0;
        int high = -1;
        for (const RulerLabel& label : ruler->Layout().labels) {
            if (!seen.contains(across ? label.at.x : seen.left(), across ? seen.top() : label.at.y))
                continue;
            if (high < low)
                low = high = label.number;
            low = std::min(low, label.number);
            high = std::max(high, label.number);
        }
        if (high < low)
            return {};
        return QTr("AccessibleWindow", "%1至%2厘米").arg(Num(low), Num(high));
    }
};

// One page tab of the row, known by its page index; it lives in the tab
// list's keeping and reads everything from the row when asked.
class AccessibleTab : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleTab(TTabSet* tabs, int index)
        : tabs_(tabs)
        , index_(index)
    {
    }
    int Index() const { return index_; }

    bool isValid() const override { return tabs_ && index_ < tabs_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tabs_ ? tabs_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(tabs_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && isValid())
            return tabs_->tabText(index_).trimmed();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = tabs_->tabRect(index_);
        return local.isEmpty() ? QRect() : QRect(tabs_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = tabs_->currentIndex() == index_;
        s.focused = s.selected && tabs_->hasFocus();
        s.invisible = tabs_->tabRect(index_).isEmpty();
        s.offscreen = s.invisible;
        s.disabled = !tabs_->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid())
            emit tabs_->tabBarClicked(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TTabSet> tabs_;
    int index_;
};

// The page tabs: a tab list whose children are the tabs in view, then the
// two scroll buttons. The pages out of view are never listed: a report may
// have hundreds of millions.
class AccessibleTabList : public QAccessibleWidget {
public:
    explicit AccessibleTabList(TTabSet* tabs)
        : QAccessibleWidget(tabs, QAccessible::PageTabList)
    {
    }
    ~AccessibleTabList() override
    {
        for (QAccessible::Id id : std::as_const(tabs_))
            QAccessible::deleteAccessibleInterface(id);
    }
    TTabSet* Tabs() const { return static_cast<TTabSet*>(widget()); }

    int InView() const
    {
        int n = 0;
        while (Tabs()->FirstVisible() + n < Tabs()->count()
            && !Tabs()->tabRect(Tabs()->FirstVisible() + n).isEmpty())
            ++n;
        return n;
    }
    QList<QToolButton*> Buttons() const
    {
        return Tabs()->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    }

    int childCount() const override { return InView() + static_cast<int>(Buttons().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const int inView = InView();
        if (index < 0)
            return nullptr;
        if (index >= inView) {
            const QList<QToolButton*> buttons = Buttons();
            return index - inView < buttons.size()
                ? QAccessible::queryAccessibleInterface(buttons[index - inView])
                : nullptr;
        }
        const int page = Tabs()->FirstVisible() + index;
        if (auto found = tabs_.constFind(page); found != tabs_.cend())
            return QAccessible::accessibleInterface(*found);
        if (tabs_.size() > kKeptTabs)
            ForgetTabs();
        auto* tab = new AccessibleTab(Tabs(), page);
        tabs_.insert(page, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        if (child->role() == QAccessible::PageTab && child->object() == nullptr) {
            const int at = static_cast<const AccessibleTab*>(child)->Index() - Tabs()->FirstVisible();
            return at >= 0 && at < InView() ? at : -1;
        }
        const int button = static_cast<int>(Buttons().indexOf(qobject_cast<QToolButton*>(child->object())));
        return button < 0 ? -1 : InView() + button;
    }
    QAccessibleInterface* focusChild() const override
    {
        const int at = Tabs()->currentIndex() - Tabs()->FirstVisible();
        return Tabs()->hasFocus() && at >= 0 && at < InView() ? child(at) : nullptr;
    }

private:
    // Tabs scrolled through are let go after this many, those in view kept.
    static constexpr int kKeptTabs = 500;
    void ForgetTabs() const
    {
        const int first = Tabs()->FirstVisible();
        const int last = first + InView();
        for (auto it = tabs_.begin(); it != tabs_.end();) {
            if (it.key() < first || it.key() >= last) {
                QAccessible::deleteAccessibleInterface(it.value());
                it = tabs_.erase(it);
            } else {
                ++it;
            }
        }
    }
    mutable QHash<int, QAccessible::Id> tabs_;
};

// The page area: a document whose value is the page and the zoom, whose
// text is the text of the page shown.
class AccessiblePage : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessiblePage(TImageReview* page)
        : QAccessibleWidget(page, QAccessible::Document)
    {
    }
    TImageReview* Page() const { return static_cast<TImageReview*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        TFrmPrintReview* w = WindowOf(Page());
        if (t == QAccessible::Name && Page()->accessibleName().isEmpty())
            return QTr("AccessibleWindow", "页面");
        if ((t == QAccessible::Value
                || (t == QAccessible::Description && Page()->accessibleDescription().isEmpty()))
            && w && w->BuffPaper)
            return QTr("AccessibleWindow", "第%1页 共%2页 %3")
                .arg(Num(w->BuffPaper->CurrentPage), Num(w->BuffPaper->PageCount), w->StatusZoom->text());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        // The keys of the page go to the scroll area around it.
        if (TFrmPrintReview* w = WindowOf(Page())) {
            s.focusable = true;
            s.focused = w->ScrollBox_Main->hasFocus();
        }
        return s;
    }

    // The text, read once per page and layout.
    const PageText& Text() const
    {
        TFrmPrintReview* w = WindowOf(Page());
        if (!w || !w->BuffPaper || !w->PrintFormat) {
            cache_ = {};
            return cache_.text;
        }
        const TMyFormatRecord& record = *w->PrintFormat;
        if (!cache_.valid || cache_.page != w->BuffPaper->CurrentPage
            || cache_.pages != w->BuffPaper->PageCount || !(cache_.record == record)) {
            cache_.text = ReadPage(*w);
            cache_.valid = true;
            cache_.page = w->BuffPaper->CurrentPage;
            cache_.pages = w->BuffPaper->PageCount;
            cache_.record = record;
        }
        return cache_.text;
    }

    // Another page is shown: its text replaces the last one read.
    void TellTextChanged()
    {
        const QString before = cache_.valid ? cache_.text.text : QString();
        const QString after = Text().text;
        cursor_ = 0;
        if (before != after) {
            QAccessibleTextUpdateEvent update(Page(), 0, before, after);
            QAccessible::updateAccessibility(&update);
        }
    }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return cursor_; }
    void setCursorPosition(int position) override { cursor_ = std::clamp(position, 0, characterCount()); }
    QString text(int startOffset, int endOffset) const override
    {
        return startOffset <= endOffset ? Text().text.mid(startOffset, endOffset - startOffset) : QString();
    }
    int characterCount() const override { return static_cast<int>(Text().text.size()); }
    QRect characterRect(int offset) const override
    {
        // A text's box shared evenly among its characters.
        for (const Piece& piece : Text().pieces) {
            if (offset < piece.offset || offset >= piece.offset + piece.length)
                continue;
            const TImageReview::PageView& v = Page()->View();
            const double width = piece.box.width() / piece.length;
            const QRectF box(piece.box.left() + width * (offset - piece.offset), piece.box.top(), width,
                piece.box.height());
            const QRect local = QRectF(
                box.left() * v.sx + v.ox, box.top() * v.sy + v.oy, box.width() * v.sx, box.height() * v.sy)
                                    .toAlignedRect();
            return QRect(Page()->mapToGlobal(local.topLeft()), local.size());
        }
        return {};
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        for (const Piece& piece : Text().pieces) {
            for (int i = piece.offset; i < piece.offset + piece.length; ++i) {
                if (characterRect(i).contains(point))
                    return i;
            }
        }
        return -1;
    }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    struct Cache {
        bool valid = false;
        int page = 0;
        int pages = 0;
        TMyFormatRecord record {};
        PageText text;
    };
    mutable Cache cache_;
    int cursor_ = 0;
};

QAccessibleInterface* WindowFactory(const QString& key, QObject* object)
{
    // The thumbnails and the page area's scroll box: a list and a pane, not
    // the toolkit's nameless client area.
    if (key == QLatin1String(TThumbnailPanel::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::List);
    if (key == QLatin1String("QScrollArea")) {
        auto* area = static_cast<QScrollArea*>(object);
        TFrmPrintReview* w = WindowOf(area);
        if (w && w->ScrollBox_Main == area)
            return new QAccessibleWidget(area, QAccessible::Pane);
        return nullptr;
    }
    if (key == QLatin1String(TZtRuler::staticMetaObject.className()))
        return new AccessibleRuler(static_cast<TZtRuler*>(object));
    if (key == QLatin1String(TTabSet::staticMetaObject.className()))
        return new AccessibleTabList(static_cast<TTabSet*>(object));
    if (key == QLatin1String(TImageReview::staticMetaObject.className()))
        return new AccessiblePage(static_cast<TImageReview*>(object));
    return nullptr;
}

// Tells a screen reader that the page area has the focus, in the person of
// the page it shows.
class PageFocus : public QObject {
public:
    PageFocus(TFrmPrintReview& window)
        : QObject(&window)
        , window_(window)
    {
        window.ScrollBox_Main->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        // After the toolkit has told of the scroll area's focus, so the page is heard last.
        if (event->type() == QEvent::FocusIn && QAccessible::isActive()) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!window_.ScrollBox_Main->hasFocus())
                        return;
                    QAccessibleEvent focus(window_.Image_Review, QAccessible::Focus);
                    QAccessible::updateAccessibility(&focus);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    TFrmPrintReview& window_;
};

} // namespace

QString PageTextInReadingOrder(TFrmPrintReview& window)
{
    return ReadPage(window).text;
}

void MakeWindowAccessible(TFrmPrintReview& w)
{
    static const bool installed = [] {
        QAccessible::installFactory(WindowFactory);
        return true;
    }();
    (void)installed;
    InstallAccessibleControls();
    // The style shows the focus from the start, not only after a first key.
    w.setAttribute(Qt::WA_KeyboardFocusChange);

    w.ScrollBox_Main->setAccessibleName(QTr("AccessibleWindow", "页面区"));
    w.Thumbnails->setAccessibleName(QTr("AccessibleWindow", "缩略图"));
    w.ZtRuler_Top->setAccessibleName(QTr("AccessibleWindow", "上标尺"));
    w.ZtRuler_Left->setAccessibleName(QTr("AccessibleWindow", "左标尺"));
    w.TabSetPage->setAccessibleName(QTr("AccessibleWindow", "页签"));
    const QList<QToolButton*> scrolls = w.TabSetPage->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    if (scrolls.size() == 2) {
        scrolls[0]->setAccessibleName(QTr("AccessibleWindow", "页签左移"));
        scrolls[1]->setAccessibleName(QTr("AccessibleWindow", "页签右移"));
    }
    w.PageNumberField->setAccessibleName(QTr("AccessibleWindow", "页号"));
    w.statusBar()->setAccessibleName(QTr("AccessibleWindow", "状态栏"));
    w.PageNumberField->setAccessibleDescription(w.PageNumberField->statusTip());
    // A panel's text changes; what it holds stays.
    const QString panels[5] = { QTr("AccessibleWindow", "提示信息"), QTr("AccessibleWindow", "状态"),
        QTr("AccessibleWindow", "总页数"), QTr("AccessibleWindow", "当前页"), QTr("AccessibleWindow", "打印机") };
    for (int i = 0; i < 5; ++i)
        w.StatusPanels[i]->setAccessibleDescription(panels[i]);
    w.StatusZoom->setAccessibleDescription(w.StatusZoom->statusTip());

    // The search bar's buttons and options stay out of the mouse's way of
    // the box, yet Tab reaches them.
    TSearchBar& search = *w.SearchBar;
    search.Box->setAccessibleName(QTr("AccessibleWindow", "查找"));
    search.CloseButton->setAccessibleName(QTr("AccessibleWindow", "关闭"));
    for (QWidget* part : std::initializer_list<QWidget*> {
             search.PriorButton, search.NextButton, search.MatchCase, search.WholeWord, search.CloseButton })
        part->setFocusPolicy(Qt::TabFocus);

    // Reading order: the search bar over the page, the thumbnails at its
    // left, the page, then the page field and the tabs below it.
    QList<QWidget*> order { search.Box, search.PriorButton, search.NextButton, search.MatchCase,
        search.WholeWord, search.CloseButton };
    if (w.Thumbnails && (w.Thumbnails->focusPolicy() & Qt::TabFocus))
        order.append(w.Thumbnails);
    order += { w.ScrollBox_Main, w.PageNumberField, w.TabSetPage };
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    new PageFocus(w);
    QObject::connect(w.TabSetPage, &TTabSet::currentChanged, &w, [&w](int index) {
        if (!QAccessible::isActive())
            return;
        QAccessibleEvent tab(w.TabSetPage, QAccessible::Selection);
        tab.setChild(index - w.TabSetPage->FirstVisible());
        if (tab.child() >= 0)
            QAccessible::updateAccessibility(&tab);
        QAccessibleInterface* page = QAccessible::queryAccessibleInterface(w.Image_Review);
        QAccessibleValueChangeEvent value(w.Image_Review, page ? page->text(QAccessible::Value) : QString());
        QAccessible::updateAccessibility(&value);
        // Over AT-SPI the page and zoom travel as the description.
        QAccessibleEvent described(w.Image_Review, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
        if (auto* text = dynamic_cast<AccessiblePage*>(page))
            text->TellTextChanged();
    });
}

} // namespace quillet
