// dialog_gallery NAME [--png FILE] [--page N] [--hide-col N]... [--hide-row N]...
// Shows one format dialog (NAME is its class, e.g. TFrmSetTitle) on the
// bundled example report without the preview window, or grabs it to a PNG
// file. After the dialog closes it tells what it did: how it closed, whether
// the layout changed, the current page and the print jobs it started (the
// printer is an in-process stand-in). --hide-col and --hide-row merge a
// column or row (width or height 0) first, for the restore dialogs.
#include <QApplication>
#include <QDialog>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "dialogs/DialogContext.h"
#include "dialogs/EditColWidth.h"
#include "dialogs/EditRowHeight.h"
#include "dialogs/PrintDlg.h"
#include "dialogs/SelectPage.h"
#include "dialogs/SetCompany.h"
#include "dialogs/SetFont.h"
#include "dialogs/SetPageFoot.h"
#include "dialogs/SetPageHead.h"
#include "dialogs/SetPaper.h"
#include "dialogs/SetRowCount.h"
#include "dialogs/SetTitle.h"
#include "dialogs/UnitAbout.h"
#include "dialogs/UnitSetAllRowHeight.h"
#include "platform/GbkCodec.h"
#include "platform/Shell.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/qt/FontSubstitutions.h"
#include "platform/qt/QtMessageService.h"
#include "tools/EngineRig.h"
#include "tools/ExampleReport.h"

namespace quillet {
namespace {

// Opening a page only says so: the gallery starts no browser.
class ReportingShell : public Shell {
public:
    bool Open(const std::string& target) override
    {
        std::printf("open %s\n", target.c_str());
        return true;
    }
    void Beep() override { }
};

// The example report's objects as the program wires them, with the
// stand-in printer.
struct GalleryRig : BasicEngineRig<FakePrinterHost> {
    // Writes the example report into the folder and starts on it.
    bool StartExample(const std::string& folder)
    {
        if (!WriteExampleReport(folder))
            return false;
        BuildExampleFormat(format);
        return Start(folder + "/" + kExampleDataName);
    }
    DialogContext Context() { return { format, *buffer, printer, messages }; }

    QtMessageService messages;
    ReportingShell shell;
};

using Factory = std::unique_ptr<QDialog> (*)(GalleryRig&);

template <class Dialog> std::unique_ptr<QDialog> Make(GalleryRig& rig)
{
    return std::make_unique<Dialog>(rig.Context());
}

std::unique_ptr<QDialog> MakeAbout(GalleryRig& rig)
{
    return std::make_unique<TFrmAbout>(rig.shell);
}

struct GalleryEntry {
    const char* name;
    Factory make;
};

const GalleryEntry kDialogs[] = {
    { "TFrmSetPaper", Make<TFrmSetPaper> },
    { "TFrmSetFont", Make<TFrmSetFont> },
    { "TFrmSetTitle", Make<TFrmSetTitle> },
    { "TFrmSetCompany", Make<TFrmSetCompany> },
    { "TFrmSetPageHead", Make<TFrmSetPageHead> },
    { "TFrmSetPageFoot", Make<TFrmSetPageFoot> },
    { "TFrmSetRowCount", Make<TFrmSetRowCount> },
    { "TFrmSetAllRowHeight", Make<TFrmSetAllRowHeight> },
    { "TFrmEditColWidth", Make<TFrmEditColWidth> },
    { "TFrmEditRowHeight", Make<TFrmEditRowHeight> },
    { "TFrmPrintDlg", Make<TFrmPrintDlg> },
    { "TFrmSelectPage", Make<TFrmSelectPage> },
    { "TFrmAbout", MakeAbout },
};

void ReportItem(const char* name, const TMyTextItem& was, const TMyTextItem& now)
{
    if (was.Text != now.Text)
        std::printf("%s text \"%s\" -> \"%s\"\n", name, GbkToUtf8(was.Text.Text()).c_str(),
            GbkToUtf8(now.Text.Text()).c_str());
    if (was.Align != now.Align)
        std::printf("%s align %d -> %d\n", name, was.Align, now.Align);
}

void ReportLine(const char* name, const TMyLineSpec& was, const TMyLineSpec& now)
{
    if (was.Style != now.Style || was.Color != now.Color)
        std::printf("%s style %d colour %06X -> style %d colour %06X\n", name, was.Style, was.Color,
            now.Style, now.Color);
}

// The fields the gallery's dialogs edit, where they changed.
void ReportChanges(const TMyFormatRecord& was, const TMyFormatRecord& now)
{
    ReportItem("title", was.Title, now.Title);
    ReportLine("title rule", was.TitleLine, now.TitleLine);
    ReportItem("company", was.Company, now.Company);
    ReportLine("company rule", was.CompanyLine, now.CompanyLine);
    for (int i = 1; i <= kHeadFootLines; ++i) {
        const std::string head = "head " + std::to_string(i);
        const std::string foot = "foot " + std::to_string(i);
        ReportItem(head.c_str(), was.Head[i], now.Head[i]);
        ReportItem(foot.c_str(), was.Foot[i], now.Foot[i]);
    }
    if (was.HeadMultiLine != now.HeadMultiLine || was.FootMultiLine != now.FootMultiLine)
        std::printf("multi-line head %d foot %d\n", now.HeadMultiLine, now.FootMultiLine);
    if (was.RowCount != now.RowCount)
        std::printf("rows per block %d -> %d\n", was.RowCount, now.RowCount);
    for (int i = 1; i <= kMaxCols; ++i) {
        if (was.ColWidth[i] != now.ColWidth[i])
            std::printf("column %d width %d -> %d mm\n", i, was.ColWidth[i], now.ColWidth[i]);
        if (was.RowHeight[i] != now.RowHeight[i])
            std::printf("row %d height %d -> %d mm\n", i, was.RowHeight[i], now.RowHeight[i]);
    }
}

int Usage()
{
    std::fprintf(
        stderr, "usage: dialog_gallery NAME [--png FILE] [--page N] [--hide-col N]... [--hide-row N]...\n");
    std::fprintf(stderr, "dialogs:");
    for (const GalleryEntry& entry : kDialogs)
        std::fprintf(stderr, " %s", entry.name);
    std::fprintf(stderr, "\n");
    return 2;
}

// A whole number from 1 to 500; 0 when the word is none.
int Number(const char* word)
{
    char* end = nullptr;
    const long n = std::strtol(word, &end, 10);
    return (end != word && *end == '\0' && n >= 1 && n <= kMaxRows) ? static_cast<int>(n) : 0;
}

int Run(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string name = argv[1];
    const GalleryEntry* entry = nullptr;
    for (const GalleryEntry& candidate : kDialogs) {
        if (name == candidate.name)
            entry = &candidate;
    }
    if (!entry)
        return Usage();

    QString png;
    int page = 0;
    std::vector<int> hiddenCols;
    std::vector<int> hiddenRows;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const char* value = argv[++i];
        if (option == "--png") {
            png = QString::fromLocal8Bit(value);
        } else if (option == "--page" && Number(value)) {
            page = Number(value);
        } else if (option == "--hide-col" && Number(value)) {
            hiddenCols.push_back(Number(value));
        } else if (option == "--hide-row" && Number(value)) {
            hiddenRows.push_back(Number(value));
        } else {
            return Usage();
        }
    }

    QTemporaryDir folder;
    GalleryRig rig;
    if (!folder.isValid() || !rig.StartExample(folder.path().toStdString())) {
        std::fprintf(stderr, "dialog_gallery: could not build the example report\n");
        return 1;
    }
    for (int col : hiddenCols)
        rig.format.ColWidth[col] = 0;
    for (int row : hiddenRows)
        rig.format.RowHeight[row] = 0;
    if (page >= 1 && page <= rig.buffer->PageCount)
        rig.buffer->CurrentPage = page;

    const TMyFormatRecord before = rig.format;
    std::unique_ptr<QDialog> dialog = entry->make(rig);
    if (!png.isEmpty()) {
        dialog->show();
        // Let the window system map and paint it before it is grabbed.
        QTimer::singleShot(200, qApp, &QCoreApplication::quit);
        QApplication::exec();
        if (!dialog->grab().save(png, "PNG")) {
            std::fprintf(stderr, "dialog_gallery: could not write %s\n", png.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }

    const int result = dialog->exec();
    std::printf("%s: %s\n", name.c_str(), result == QDialog::Accepted ? "accepted" : "rejected");
    std::printf("layout %s\n", rig.format == before ? "unchanged" : "changed");
    ReportChanges(before, rig.format);
    std::printf("current page %d of %d\n", rig.buffer->CurrentPage, rig.buffer->PageCount);
    for (const FakeJob& job : rig.printerHost.jobs)
        std::printf("printed \"%s\"\n", GbkToUtf8(job.title).c_str());
    return 0;
}

} // namespace
} // namespace quillet

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    quillet::InstallFontSubstitutions();
    return quillet::Run(argc, argv);
}
