#pragma once
// The printers of the system through Qt: the CUPS queues, plus the "PDF"
// folder printer when QUILLET_PDF_DIR is set. One high-resolution QPrinter
// stands for the current printer; its page layout is the settings block.
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "platform/PrinterHost.h"

class QPrinter;

namespace quillet {

class PdfPrinter;

class QtPrinterHost : public PrinterHost {
public:
    // Reads the printer list and QUILLET_PDF_DIR. The current printer is the
    // "PDF" one when it exists, else the default printer, else the first.
    QtPrinterHost();
    // pdfFolder: empty for none, else the folder of the "PDF" printer.
    explicit QtPrinterHost(const QString& pdfFolder);
    ~QtPrinterHost() override;

    std::vector<std::string> Printers() const override { return names_; }
    int CurrentIndex() const override { return current_; }
    void SetCurrentIndex(int index) override;

    bool GetSettings(PrinterSettings& out) const override;
    void SetSettings(const PrinterSettings& settings) override;
    bool Landscape() const override;

    int DpiX() const override;
    int DpiY() const override;
    int PageWidthPixels() const override;
    int PageHeightPixels() const override;

    // The job draws on the printer; it must end before the host is destroyed
    // and before the next job begins.
    std::unique_ptr<PrintJob> BeginJob(const std::string& gbkTitle) override;
    bool SetupDialog() override;

    QPrinter& Printer() { return *printer_; }
    bool CurrentIsPdf() const { return current_ >= 0 && current_ == pdfIndex_; }

private:
    void Init(const QString& pdfFolder);
    void OpenPrinter(int index);

    std::vector<std::string> names_; // UTF-8
    int pdfIndex_ = -1;
    int current_ = -1;
    std::unique_ptr<PdfPrinter> pdf_;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace quillet
