#pragma once
// The whole report printed page by page into one PDF file with the program's
// own PDF writer: the path of both "导出PDF..." in the window and
// `quillet --pdf`. No widget: the caller shows progress and messages.
#include <QString>
#include <string>
#include <vector>

#include "engine/BuffPaper.h"
#include "engine/PrintProgress.h"
#include "geometry/PrnScreen.h"
#include "model/PrnData.h"

namespace quillet {

// How the pages are laid out: the printer's sheet, the layout's page and
// print scale of a page buffer.
struct PdfReportPages {
    TMyPaperSpec sheet; // paper code, size in tenths of a millimetre, orientation
    int pageWidth = 210; // millimetres
    int pageHeight = 290;
    double printRate = 100.0;
    // Pages as this buffer counted them (the window's, so that the file holds
    // the pages the window prints); nullptr counts them anew.
    const TMyBuffPaper* counted = nullptr;
};

struct PdfReportResult {
    enum Outcome { Written, Cancelled, Failed };
    Outcome outcome = Failed;
    int pages = 0; // pages drawn
    QString message; // why it failed, in the program's words; a bad cell with its page, row and column
};

// Draws every page of the layout and data into one PDF at path (bytes, as
// the file system takes them), on `jobs` threads side by side (0: PdfJobs();
// 1 draws them here one after the other), the file the same whatever their
// number. A data file that cannot be read twice is drawn on one. The file
// appears only when every page is in it: a cancelled or failed export leaves
// no file under that name, and one that was there stays as it was. A target
// that is one of the files inUse, or no regular file, is refused before
// anything is drawn. Layout and data are read, not changed (the data
// object's row buffer aside).
PdfReportResult WriteReportPdf(TMyPrintFormat& format, TMyPrintData& data, const TMyScreen& screen,
    const PdfReportPages& layout, const std::string& path, const std::vector<std::string>& inUse, PrintProgress* progress = nullptr, int jobs = 0);

// The threads a PDF export draws on: as set, else the number of cores.
int PdfJobs();
// Set once at start, before any export (--jobs, QUILLET_JOBS); 0 forgets it.
void SetPdfJobs(int jobs);
// Threads a person may ask for.
constexpr int kMaxPdfJobs = 256;

// "无法写入PDF文件“path”，磁盘已满": what a person is told when the file
// cannot be written, with the reason of errno `number`; `file` is the file
// written (path, or the file its link points to), whose folder is named when
// it refused.
QString PdfWriteFailure(const QString& path, int number, const std::string& file);

} // namespace quillet
