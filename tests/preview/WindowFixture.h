#pragma once
// A preview window started on the example report as the program starts it,
// with recorded message boxes, a fake or real printer list and a shell that
// remembers what it was asked to open.
#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/fake/RecordingShell.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
#include "preview/ImageReview.h"
#include "preview/PrintReview.h"
#include "preview/TabSet.h"
#include "shell/Startup.h"
#include "tools/ExampleReport.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quillet::testing {

// Arguments as the program receives them: the file-system bytes of each.
inline CommandArguments AsArguments(const QStringList& words)
{
    CommandArguments arguments;
    for (const QString& word : words)
        arguments.push_back(LocalPath(word));
    return arguments;
}

class WindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new QTemporaryDir;
        ASSERT_TRUE(WriteExampleReport(folder_->path().toStdString()));
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }

    static QString DataPath() { return folder_->filePath(QString::fromLatin1(kExampleDataName)); }
    static QString FormatPath() { return folder_->filePath(QString::fromLatin1(kExampleFormatName)); }

    // Builds the window exactly as the program does and runs start-up on the
    // arguments, without showing it.
    TFrmPrintReview& Start(const QStringList& arguments, PrinterHost* printers = nullptr)
    {
        window_.reset();
        window_ = std::make_unique<TFrmPrintReview>(
            PlatformServices { messages_, printers ? *printers : fakePrinters_, display_, bitmaps_, shell_ },
            [arguments = AsArguments(arguments)](TFrmPrintReview& w) { RunStartup(w, arguments); });
        return *window_;
    }

    // Starts the window on the example (or the given arguments) and shows it.
    // Its saved layout goes to a folder of the test's own.
    TFrmPrintReview& Open(QStringList arguments = {}, PrinterHost* printers = nullptr)
    {
        if (arguments.isEmpty())
            arguments = { DataPath(), FormatPath(), QStringLiteral("NotDef") };
        Start(arguments, printers);
        window_->SavedFormatPath = LocalPath(saved_.filePath(QStringLiteral("Format/example.PFD")));
        window_->SavedFormatFallback.clear();
        if (!window_->EndRequested()) {
            window_->resize(1000, 800);
            window_->show();
            QApplication::processEvents();
        }
        return *window_;
    }

    void TearDown() override { window_.reset(); }

    // Mouse editing helpers: a layout with known borders, mouse events sent to
    // the page image, and where the page draws its borders.
    // The example laid out at the left margin 30 mm with columns of 20 and 30 mm.
    TFrmPrintReview& OpenLaidOut()
    {
        TFrmPrintReview& w = Open();
        w.PrintFormat->MarginLeft = 30;
        w.PrintFormat->ColWidth[1] = 20;
        w.PrintFormat->ColWidth[2] = 30;
        w.SetHorPlace(1);
        w.RunEngine([&w] {
            w.BuffPaper->Paginate();
            w.BuffPaper->ShowCurrentPage();
        });
        return w;
    }

    void Send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x, int y)
    {
        const QPointF local(x, y);
        QMouseEvent event(
            type, local, window_->Image_Review->mapToGlobal(local), button, held, Qt::NoModifier);
        QApplication::sendEvent(window_->Image_Review, &event);
    }
    void Move(int x, int y, Qt::MouseButtons held = Qt::NoButton)
    {
        Send(QEvent::MouseMove, Qt::NoButton, held, x, y);
    }
    void Press(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonPress, button, button, x, y);
    }
    void Release(int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonRelease, button, Qt::NoButton, x, y);
    }
    // Press at (x, y), move by (dx, dy), release there.
    void Drag(int x, int y, int dx, int dy)
    {
        Move(x, y);
        Press(x, y);
        Move(x + dx, y + dy, Qt::LeftButton);
        Release(x + dx, y + dy);
    }

    Qt::CursorShape Cursor() const { return window_->Image_Review->cursor().shape(); }

    // The body's top edge and the y of the middle of data row r, in page-image pixels.
    int BodyTop() const
    {
        const TMyBuffPaper& b = *window_->BuffPaper;
        return static_cast<int>(
            (b.TableTop + b.CompanyHeight + b.TitleHeight + b.HeadHeight) * window_->Screen->PixelsPerMmY);
    }
    int RowMiddle(int r) const
    {
        int s = 0;
        for (int j = 1; j < r; ++j)
            s += window_->PrintFormat->RowHeight[j];
        return BodyTop()
            + static_cast<int>(
                (s + window_->PrintFormat->RowHeight[r] / 2.0) * window_->Screen->PixelsPerMmY);
    }
    int RowBorder(int r) const
    {
        int s = 0;
        for (int j = 1; j <= r; ++j)
            s += window_->PrintFormat->RowHeight[j];
        return BodyTop() + static_cast<int>(s * window_->Screen->PixelsPerMmY);
    }
    int ColumnBorder(int c) const
    {
        int s = 0;
        for (int i = 1; i <= c; ++i)
            s += window_->PrintFormat->ColWidth[i];
        return static_cast<int>(window_->BuffPaper->TableLeft * window_->Screen->PixelsPerMmX)
            + static_cast<int>(s * window_->Screen->PixelsPerMmX);
    }

    static QTemporaryDir* folder_;
    QTemporaryDir saved_;
    FakeMessageService messages_;
    FakePrinterHost fakePrinters_;
    QtDisplay display_;
    QtBitmapFactory bitmaps_;
    RecordingShell shell_;
    std::unique_ptr<TFrmPrintReview> window_;
};

inline QTemporaryDir* WindowFixture::folder_ = nullptr;

// A printer setup that the user confirms after turning the sheet to
// landscape on the host's current printer.
inline std::function<bool()> TurnToLandscape(PrinterHost& host)
{
    return [&host] {
        PrinterSettings s;
        host.GetSettings(s);
        s.orientation = DMORIENT_LANDSCAPE;
        s.fields |= DM_ORIENTATION;
        host.SetSettings(s);
        return true;
    };
}

} // namespace quillet::testing
