#include "dialogs/PageList.h"

#include <QLineEdit>
#include <algorithm>

#include "dialogs/DialogFrame.h"
#include "platform/Texts.h"
#include "platform/qt/Language.h"

namespace quillet {
namespace {

// The list's entries: "第12页".
constexpr const char* kPageEntry = QUILLET_TEXT("PageList", "第%1页");

// The words before and after the number of an entry made from the pattern,
// taken off the typed text where it has them.
QString WithoutEntryWords(QString text, const QString& pattern)
{
    auto [head, tail] = EntryWords(pattern);
    head = head.trimmed();
    tail = tail.trimmed();
    if (!head.isEmpty() && text.startsWith(head, Qt::CaseInsensitive))
        text = text.mid(head.size()).trimmed();
    if (!tail.isEmpty() && text.endsWith(tail, Qt::CaseInsensitive))
        text = text.chopped(tail.size()).trimmed();
    return text;
}

} // namespace

TPageList::TPageList(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    // A typed number chooses a page; it never becomes an entry of its own.
    setInsertPolicy(QComboBox::NoInsert);
    // Completing "第12" to "第120页" as the user types would turn to a page
    // nobody asked for.
    setCompleter(nullptr);
    // Walking the list with the arrow keys moves the listed stretch along.
    connect(this, &QComboBox::activated, this, [this](int index) { ChoosePage(itemData(index).toInt()); });
}

void TPageList::SetPages(int pageCount, int page)
{
    pageCount_ = std::max(0, pageCount);
    firstAround_ = 0;
    lastAround_ = -1;
    clear();
    ListAround(page >= 1 && page <= pageCount_ ? page : 1);
    ChoosePage(page);
}

void TPageList::ListAround(int page)
{
    int first = 1;
    int last = pageCount_;
    if (pageCount_ > kFullListPages) {
        first = std::max(1, page - kNeighbours);
        last = std::min(pageCount_, page + kNeighbours);
    }
    if (first == firstAround_ && last == lastAround_)
        return;
    firstAround_ = first;
    lastAround_ = last;
    const QSignalBlocker quiet(this);
    clear();
    auto add = [this](int n) { addItem(NumberedEntry(n, QTr("PageList", kPageEntry)), n); };
    if (first > 1)
        add(1);
    for (int n = first; n <= last && n >= 1; ++n)
        add(n);
    if (last < pageCount_)
        add(pageCount_);
}

void TPageList::ChoosePage(int page)
{
    if (page < 1 || page > pageCount_) {
        setCurrentIndex(-1);
        return;
    }
    // Near an end of the listed stretch (or beyond it) the stretch moves to
    // the page, unless that end is the report's own.
    constexpr int kMargin = kNeighbours / 5;
    if ((page - firstAround_ < kMargin && firstAround_ > 1)
        || (lastAround_ - page < kMargin && lastAround_ < pageCount_))
        ListAround(page);
    setCurrentIndex(findData(page));
}

long long ParsePageText(const QString& typed)
{
    // The Chinese entries are understood in every language.
    QString text = WithoutEntryWords(typed.trimmed(), QTr("PageList", kPageEntry));
    text = WithoutEntryWords(text, QString::fromUtf8(kPageEntry));
    if (text.isEmpty() || text.size() > 18)
        return -1;
    long long n = 0;
    for (QChar c : text) {
        int digit = -1;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) // full-width digits of Chinese input
            digit = c.unicode() - 0xFF10;
        if (digit < 0)
            return -1;
        n = n * 10 + digit;
    }
    return n;
}

QString PageTextComplaint(const QString& text, int pageCount)
{
    const long long page = ParsePageText(text);
    if (page < 0)
        return QTr("PageList", "“%1”不是有效的整数值").arg(text.trimmed());
    if (page < 1 || page > pageCount)
        return QTr("PageList", "没有第%1页，请输入1到%2之间的页号").arg(page).arg(pageCount);
    return {};
}

long long TPageList::TypedPage() const
{
    return ParsePageText(currentText());
}

int TPageList::CheckedPage(MessageService& messages)
{
    const QString complaint = PageTextComplaint(currentText(), pageCount_);
    if (complaint.isEmpty())
        return static_cast<int>(TypedPage());
    ShowPlainMessage(messages, complaint);
    setFocus();
    if (lineEdit())
        lineEdit()->selectAll();
    return 0;
}

} // namespace quillet
