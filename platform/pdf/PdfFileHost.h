#pragma once
// A printer host whose one printer, "PDF", gathers every print job as one
// page of a single PdfDocument: the whole report becomes one file. Its sheets
// are those of the PDF folder printer: 1200 dots per inch, a 10-point
// unprintable edge, A4 portrait unless the settings say otherwise.
#include <string>

#include "platform/PrinterHost.h"
#include "platform/pdf/PdfDocument.h"

namespace quillet::pdf {

class PdfFileHost : public PrinterHost {
public:
    explicit PdfFileHost(PdfDocument& document);

    std::vector<std::string> Printers() const override { return { "PDF" }; }
    int CurrentIndex() const override { return 0; }
    void SetCurrentIndex(int) override { }
    bool GetSettings(PrinterSettings& out) const override;
    // Paper codes it knows (A3, A4, A5, B4, B5, letter, legal) and custom
    // sheets change the sheet; other codes leave it as it is.
    void SetSettings(const PrinterSettings& settings) override;
    bool Landscape() const override { return settings_.orientation == DMORIENT_LANDSCAPE; }
    int DpiX() const override { return kDpi; }
    int DpiY() const override { return kDpi; }
    int PageWidthPixels() const override;
    int PageHeightPixels() const override;
    // Begins the next page of the document; nullptr while a job is open.
    std::unique_ptr<PrintJob> BeginJob(const std::string& gbkTitle) override;
    bool SetupDialog() override { return false; }

    // Later jobs go into document (one document a job: a new one after each
    // job ends). False while a job is open.
    bool SetDocument(PdfDocument& document);

    // Makes every page a sheet of width x height millimetres as it lies (no
    // turning for landscape) that is drawable from edge to edge, origin at
    // its top-left corner: the layout's sheet as the preview shows it, so
    // that a page is the preview on paper. Sizes from 10 mm to 200 inches.
    void UseWholeSheet(double widthMm, double heightMm);

    // Where the next page lies on its sheet.
    PageSetup Setup() const;
    int JobsEnded() const { return jobsEnded_; }

    static constexpr int kDpi = 1200;
    static constexpr double kMarginPoints = 10;

private:
    class Job;
    PdfDocument* document_;
    PrinterSettings settings_;
    double sheetWidthMm_ = 210;
    double sheetHeightMm_ = 297;
    bool wholeSheet_ = false;
    double wholeWidthMm_ = 210;
    double wholeHeightMm_ = 290;
    bool jobOpen_ = false;
    int jobsEnded_ = 0;
};

} // namespace quillet::pdf
