#include "dialogs/PageList.h"

#include <QComboBox>

#include "dialogs/DialogFrame.h"

namespace quillet {

void FillPageList(QComboBox& list, int pageCount)
{
    list.clear();
    QStringList entries;
    entries.reserve(std::max(pageCount, 0));
    for (int page = 1; page <= pageCount; ++page)
        entries.append(NumberedEntry(page, QStringLiteral("页")));
    list.addItems(entries);
    list.setEditable(false);
    if (!entries.isEmpty())
        list.setCurrentIndex(0);
}

int PageOfEntry(const QComboBox& list)
{
    if (list.currentIndex() < 0)
        return -1;
    return EntryNumber(list.currentText(), QStringLiteral("页"));
}

} // namespace quillet
