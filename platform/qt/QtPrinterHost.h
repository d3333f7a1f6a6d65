#pragma once
// The printers of the system: the CUPS queues Qt lists, plus the "PDF" folder
// printer when QUILLET_PDF_DIR is set. One high-resolution QPrinter stands for
// the current printer: its page layout is the settings block and gives the
// printable area. Jobs are drawn on the program's PDF canvas, one document a
// job: the PDF printer's file, or what libcups hands the queue (lp when
// libcups cannot reach the scheduler).
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PrinterHost.h"
#include "platform/pdf/PdfDocument.h"

class QPrinter;

namespace quillet {

class JobSender;
class PdfPrinter;

class QtPrinterHost : public PrinterHost {
public:
    // Reads the printer list and QUILLET_PDF_DIR. The current printer is the
    // "PDF" one when it exists, else the default printer, else the first.
    // Copies, sides and one job a run are the user's, kept in
    // PreferencesFile() by each confirmed printer setup.
    QtPrinterHost();
    // pdfFolder: empty for none, else the folder of the "PDF" printer.
    explicit QtPrinterHost(const QString& pdfFolder);
    // The same with the folder in bytes, as QUILLET_PDF_DIR gives it.
    explicit QtPrinterHost(const std::string& pdfFolder);
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

    // The job draws a PDF page; it must end (or be sent) before the host is
    // destroyed and before the next job begins. A job of one page that is
    // sent goes to the queue or into its file on a thread of the host's
    // while the next one is drawn.
    std::unique_ptr<PrintJob> BeginJob(const std::string& gbkTitle) override;
    std::string FailureText() const override { return failure_; }
    bool WaitForSent() override;
    // Reads the printer list again before it opens.
    bool SetupDialog() override;
    std::vector<Sides> SidesSupported(int index) const override;
    // Reads the list of printers again; the current printer stays current,
    // also when its queue was removed (its jobs then say so).
    void RefreshPrinters();
    // What the user must be told about the choice of the current printer at
    // the start (PRINTER naming a queue that is not there); UTF-8, empty
    // when nothing.
    const std::string& StartNotice() const { return notice_; }
    JobPreferences Preferences() const override { return preferences_; }
    void SetPreferences(const JobPreferences& preferences) override;
    void SetFilesInUse(const std::vector<std::string>& files) override { filesInUse_ = files; }
    std::string TakePreferencesFailure() override;

    // "<user configuration folder>/quillet/printing.ini" in bytes; empty
    // when the user has no configuration folder.
    static std::string PreferencesFile();
    // Reads the job preferences of a settings file, keeping the defaults for
    // what is missing or out of range, and for all when it is no regular
    // file. Writes them by the rules of every output file (never over one of
    // the files inUse); the message saying why not, empty when written.
    static JobPreferences LoadPreferences(const std::string& file);
    static QString SavePreferences(const std::string& file, const JobPreferences& preferences,
        const std::vector<std::string>& inUse = {});

    // Where a job's page lies on the current printer's sheet.
    pdf::PageSetup Setup() const;
    // Gives the PDF canvas the toolkit's pictures and default font size;
    // done by the host, and by others that draw PDF pages without one.
    static void PreparePdfCanvas();

    QPrinter& Printer() { return *printer_; }
    bool CurrentIsPdf() const { return current_ >= 0 && current_ == pdfIndex_; }

private:
    void Init(const std::string& pdfFolder);
    void OpenPrinter(int index);
    // The queue to start on: the default one, else the scheduler's own.
    int DefaultQueue(const QStringList& queues);
    class Job;

    std::vector<std::string> names_; // UTF-8
    int pdfIndex_ = -1;
    int current_ = -1;
    std::unique_ptr<PdfPrinter> pdf_;
    std::unique_ptr<QPrinter> printer_;
    // The sheet last asked for, which a CUPS queue may not have taken.
    std::optional<QPageSize> requested_;
    bool jobOpen_ = false;
    std::string failure_; // UTF-8
    std::string notice_; // UTF-8
    JobPreferences preferences_;
    std::string preferencesFile_; // empty: the preferences are not kept
    std::vector<std::string> filesInUse_;
    QString preferencesFailure_; // of the last save, not yet told
    QString preferencesTold_; // the failure told last
    JobSender& Sender();
    // Declared last so that it goes first: the jobs it still sends go out
    // before the rest of the host is gone.
    std::unique_ptr<JobSender> sender_;
};

} // namespace quillet
