#pragma once
// TPageList: the page list of the print and page-selection dialogs, entries
// "第n页" in page order. A short report lists every page; a long one lists the
// first and the last page and the pages around the chosen one, and moves that
// stretch along as the choice moves, so the list never grows with the report.
// Any page can also be typed, as a bare number or as "第n页".
#include <QComboBox>

namespace quillet {

class MessageService;

// The page number a typed text names, as a bare number or as an entry of the
// list ("第n页", or its form in the language in use, such as "Page n"),
// full-width digits too; -1 when it holds none. It may lie outside the report.
long long ParsePageText(const QString& text);
// Why a typed text names none of a report's pageCount pages; empty when it names one.
QString PageTextComplaint(const QString& text, int pageCount);

class TPageList : public QComboBox {
    Q_OBJECT
public:
    // Up to this many pages every page is listed.
    static constexpr int kFullListPages = 1000;
    // Pages listed on each side of the chosen one in a longer report.
    static constexpr int kNeighbours = 50;

    explicit TPageList(QWidget* parent = nullptr);

    // Lists the pages of a report of pageCount pages and chooses `page`
    // (nothing when it is not one of them).
    void SetPages(int pageCount, int page);
    int PageCount() const { return pageCount_; }
    // Chooses `page`, listing the pages around it first when they are not.
    void ChoosePage(int page);
    // The number chosen or typed; -1 when the text holds none. It may lie
    // outside the report.
    long long TypedPage() const;
    // The page chosen or typed; 0, after telling the user why, when the text
    // names none of the report's pages.
    int CheckedPage(MessageService& messages);

private:
    void ListAround(int page);

    int pageCount_ = 0;
    int firstAround_ = 0; // the stretch of neighbours listed now
    int lastAround_ = -1;
};

} // namespace quillet
