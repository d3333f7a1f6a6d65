#pragma once
// A preview window started on the example report as the program starts it,
// with recorded message boxes, a fake or real printer list and a shell that
// remembers what it was asked to open.
#include <QApplication>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/fake/FakeMessageService.h"
#include "platform/fake/FakePrinterHost.h"
#include "platform/qt/QtBitmapFactory.h"
#include "platform/qt/QtDisplay.h"
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

class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    void Beep() override { }
};

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

    // Starts the window on the example (or the given arguments) and shows it.
    // Its saved layout goes to a folder of the test's own.
    TFrmPrintReview& Open(QStringList arguments = {}, PrinterHost* printers = nullptr)
    {
        if (arguments.isEmpty())
            arguments = { DataPath(), FormatPath(), QStringLiteral("NotDef") };
        window_.reset();
        window_ = std::make_unique<TFrmPrintReview>(
            PlatformServices { messages_, printers ? *printers : fakePrinters_, display_, bitmaps_, shell_ },
            [arguments](TFrmPrintReview& w) { RunStartup(w, arguments); });
        window_->SavedFormatPath = saved_.filePath(QStringLiteral("Format/example.PFD"));
        if (!window_->EndRequested()) {
            window_->resize(1000, 800);
            window_->show();
            QApplication::processEvents();
        }
        return *window_;
    }

    void TearDown() override { window_.reset(); }

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

} // namespace quillet::testing
