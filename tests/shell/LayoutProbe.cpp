// Test helper for tests/shell/ProgramFolderTest: copied beside a copy of the
// program and run as another user, it starts the window offscreen exactly as
// the program does, then saves the layout under a new title or deletes the
// saved layout (answering Yes), and prints what happened, one line each:
//   layout_probe save TITLE DATA FORMAT [mode]
//   layout_probe delete DATA FORMAT [mode]
#include <QApplication>

#include <cstdio>

#include "platform/GbkCodec.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "preview/PrintReview.h"
#include "shell/Startup.h"

namespace {

void Line(const char* what, const std::string& text)
{
    std::printf("%s %s\n", what, text.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quillet;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    CommandArguments arguments = ArgumentsOf(argc, argv);
    if (arguments.size() < 3)
        return 2;
    const std::string action = arguments.front();
    arguments.erase(arguments.begin());
    std::string title;
    if (action == "save") {
        title = arguments.front();
        arguments.erase(arguments.begin());
    }

    FakeMessageService messages;
    messages.answers.push_back(MessageResult::Yes);
    FakePrinterHost printers;
    QtDisplay display;
    QtBitmapFactory bitmaps;
    RecordingShell shell;
    TFrmPrintReview window(PlatformServices { messages, printers, display, bitmaps, shell },
        [&arguments](TFrmPrintReview& w) { RunStartup(w, arguments); });
    int status = 0;
    if (window.EndRequested()) {
        status = 3;
    } else {
        Line("loaded", GbkToUtf8(window.PrintFormat->Title.Text.Text()));
        if (action == "save") {
            window.PrintFormat->Title.Text.SetText(Utf8ToGbk(title));
            window.ActionSaveFormatExecute();
            Line("saved", window.SavedFormatPath);
        } else {
            window.ActionDeleteFormatExecute();
        }
    }
    for (const ShownMessage& m : messages.shown)
        Line("message", m.text);
    std::fflush(stdout);
    return status;
}
