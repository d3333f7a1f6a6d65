// Program entry: the toolkit, the platform services, the preview window.
#include <QApplication>

#include <algorithm>
#include <QScreen>

#include "dialogs/DialogFrame.h"
#include "export/ZipPackaging.h"
#include "platform/OutputFile.h"
#include "platform/qt/FontSubstitutions.h"
#include "platform/qt/Language.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "platform/qt/QtMessageService.h"
#include "platform/qt/QtPrinterHost.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/ToolkitMessages.h"
#include "preview/IconTheme.h"
#include "preview/PdfReport.h"
#include "preview/PrintReview.h"
#include "shell/CommandLine.h"
#include "shell/LayoutConvert.h"
#include "shell/PdfExport.h"
#include "shell/Startup.h"

int main(int argc, char* argv[])
{
    using namespace quillet;
    // --help and --version need no toolkit: they also answer where there is no display.
    const StartOptions early = EarlyOptions(argc, argv);
    UseLanguage(early.language.value_or(LanguageOfEnvironment()));
    if (const int status = AnswerWithoutWindow(early); status >= 0)
        return status;
    // Ctrl+C, a closed terminal or a kill in the middle of a write leave no
    // half-written file behind.
    RemoveTemporariesOnSignals();
    // Converting a layout needs no toolkit, no display and no data file.
    if (early.convert) {
        SetDataEncoding(early.encoding);
        return early.valid ? ConvertLayout(early.convertIn, early.convertOut) : ConvertLayout({}, {});
    }
    const bool writesPdf = early.pdf || early.xlsx || early.csv || !early.valid;
    // Writing a PDF needs no window: it also runs where there is no display.
    if (writesPdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // Whoever reads the error output of an unattended run reads our messages
    // there, and only ours.
    if (writesPdf || QtMessageService::Unattended())
        RouteToolkitMessages();
    QApplication app(argc, argv);
    // The program's name to the desktop and to screen readers.
    QApplication::setApplicationName(ProgramTitle());
    InstallFontSubstitutions();
    // Tool bar pictures come from an icon theme even where the desktop sets none.
    EnsureIconTheme();
    // The toolkit's own dialogs (file, printer) speak the program's language.
    InstallLanguage();

    // The arguments as given, the toolkit's own options taken out by the
    // application object: file names never pass through the toolkit's
    // strings, which would lose names that are not in UTF-8.
    CommandArguments arguments = ArgumentsOf(argc, argv);
    const StartOptions options = TakeStartOptions(arguments);
    SetDataEncoding(options.encoding);
    SetPdfJobs(options.jobs);
    FastPackaging::SetWorkers(static_cast<unsigned>(std::max(options.jobs, 0)));
    if (options.fromQuery)
        SetDataQuery(options.db, options.query);
    if (options.xlsx)
        return ExportXlsx(options.xlsxPath, arguments);
    if (options.csv)
        return ExportCsv(options.csvPath, arguments);
    if (options.pdf || !options.valid)
        return ExportPdf(options.pdfPath, arguments);

    QtDisplay display;
    QtBitmapFactory bitmaps;
    QtMessageService messages;
    QtPrinterHost printers;
    if (!printers.StartNotice().empty())
        messages.Show(ProgramTitle().toStdString(), printers.StartNotice(), MessageButtons::Ok);
    QtShell shell;
    TFrmPrintReview window(PlatformServices { messages, printers, display, bitmaps, shell },
        [&arguments](TFrmPrintReview& w) { RunStartup(w, arguments); });
    if (window.EndRequested())
        return window.ExitCode();
    window.SettingsFile = ViewSettings::DefaultFile();
    // Without a window manager (a bare X server) maximising is only a wish:
    // take the whole work area first.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    app.exec();
    return 0;
}
