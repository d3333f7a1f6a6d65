#pragma once
// The page lists of the print and page-selection dialogs: one entry "第n页"
// per page of the engine, in page order.
class QComboBox;

namespace quillet {

// Empties the list and fills it with pages 1 to pageCount.
void FillPageList(QComboBox& list, int pageCount);
// The page of the selected entry; -1 when nothing is selected.
int PageOfEntry(const QComboBox& list);

} // namespace quillet
