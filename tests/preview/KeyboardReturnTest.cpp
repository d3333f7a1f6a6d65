// The keyboard comes back to the window after every dialog, progress box and
// message box. The offscreen platform, like a window manager that has lost
// track of a closed box, activates nothing by itself when a box closes.
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>

#include "controls/PageProgress.h"
#include "platform/qt/QtMessageService.h"
#include "platform/qt/QtPrinterHost.h"
#include "tests/preview/WindowFixture.h"

namespace quillet::testing {
namespace {

class KeyboardReturnTest : public WindowFixture {
protected:
    void SetUp() override
    {
        // The message boxes are shown, not written to the error output.
        unattended_ = qgetenv("QUILLET_NONINTERACTIVE");
        qunsetenv("QUILLET_NONINTERACTIVE");
    }
    void TearDown() override
    {
        window_.reset();
        if (!unattended_.isNull())
            qputenv("QUILLET_NONINTERACTIVE", unattended_);
    }

    // The example in a window with real message boxes, printing to PDF files.
    TFrmPrintReview& OpenWithMessageBoxes(PrinterHost& printers)
    {
        window_ = std::make_unique<TFrmPrintReview>(
            PlatformServices { boxes_, printers, display_, bitmaps_, shell_ },
            [arguments = AsArguments({ DataPath(), FormatPath(), QStringLiteral("NotDef") })](
                TFrmPrintReview& w) { RunStartup(w, arguments); });
        window_->SavedFormatPath = LocalPath(saved_.filePath(QStringLiteral("Format/example.PFD")));
        window_->resize(1000, 800);
        window_->show();
        return *window_;
    }

    // Presses the keys one by one on each dialog or message box as it comes
    // up (progress boxes are left to their run), and remembers which window
    // had the keyboard when the box pressed on was up.
    void PressOnBoxes(std::deque<Qt::Key> keys)
    {
        keys_ = std::move(keys);
        pressedOn_.clear();
        PressNext();
    }
    void PressNext()
    {
        if (keys_.empty())
            return;
        QTimer::singleShot(5, &watcher_, [this] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box || qobject_cast<TPageProgress*>(box) || !box->isActiveWindow()) {
                PressNext();
                return;
            }
            std::string seen = box->metaObject()->className();
            if (const QWidget* owner = box->parentWidget())
                seen += std::string(" over ") + owner->window()->metaObject()->className();
            pressedOn_.push_back(seen);
            const Qt::Key key = keys_.front();
            keys_.pop_front();
            // The key may open the next box, whose event loop runs inside it.
            PressNext();
            QTest::keyClick(box, key);
        });
    }

    QByteArray unattended_;
    QtMessageService boxes_;
    std::deque<Qt::Key> keys_;
    std::vector<std::string> pressedOn_;
    QObject watcher_;
};

// Each path through dialogs, progress boxes and messages ends with the main
// window active; the boxes pressed on were active themselves and stood over
// the window they came from: a message of a cancelled run over the print
// dialog that started it.
TEST_F(KeyboardReturnTest, EveryBoxGivesTheKeyboardBack)
{
    QTemporaryDir pdfs;
    QtPrinterHost printers(pdfs.path());
    TFrmPrintReview& w = OpenWithMessageBoxes(printers);
    ASSERT_GT(w.BuffPaper->PageCount, TPageProgress::kFewPages); // every run shows its box
    bool cancelRun = false;
    w.Hook.progress = [&cancelRun](TPageProgress& box) {
        if (cancelRun)
            box.Cancel();
    };
    struct Path {
        const char* name;
        QAction* command;
        std::deque<Qt::Key> keys;
        std::vector<std::string> pressedOn;
        bool cancel = false;
    };
    const std::vector<Path> paths = {
        { "print dialog, Enter: a progress box", w.ActionSetPrint, { Qt::Key_Return },
            { "quillet::TFrmPrintDlg over quillet::TFrmPrintReview" } },
        { "print dialog, run cancelled: its message over the dialog", w.ActionSetPrint,
            { Qt::Key_Return, Qt::Key_Return },
            { "quillet::TFrmPrintDlg over quillet::TFrmPrintReview",
                "QMessageBox over quillet::TFrmPrintDlg" },
            true },
        { "start printing: a progress box", w.ActionStartPrint, {}, {} },
        { "start printing, cancelled: a progress box and a message", w.ActionStartPrint, { Qt::Key_Return },
            { "QMessageBox over quillet::TFrmPrintReview" }, true },
        { "title dialog, Esc", w.ActionEditTitle, { Qt::Key_Escape },
            { "quillet::TFrmSetTitle over quillet::TFrmPrintReview" } },
        { "about box, Esc", w.ActionAbout, { Qt::Key_Escape },
            { "quillet::TFrmAbout over quillet::TFrmPrintReview" } },
        { "question on deleting the layout, Esc", w.ActionDeleteFormat, { Qt::Key_Escape },
            { "QMessageBox over quillet::TFrmPrintReview" } },
    };
    // The question is asked only when there is a saved layout.
    w.ActionSaveFormat->trigger();
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        cancelRun = path.cancel;
        PressOnBoxes(path.keys);
        path.command->trigger();
        EXPECT_EQ(pressedOn_, path.pressedOn);
        QElapsedTimer clock;
        clock.start();
        while (QApplication::activeWindow() != &w && clock.elapsed() < 2000)
            QTest::qWait(10);
        const QWidget* active = QApplication::activeWindow();
        EXPECT_EQ(active, &w) << (active ? active->metaObject()->className() : "no window");
        EXPECT_TRUE(w.ScrollBox_Main->hasFocus());
    }
}

} // namespace
} // namespace quillet::testing
