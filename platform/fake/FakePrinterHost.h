#pragma once
// An in-process printer list for tests: settings, resolution and printable
// area are plain fields; every job records its title and its drawing.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/PrinterHost.h"
#include "platform/fake/RecordingCanvas.h"

namespace quillet {

struct FakeJob {
    std::string title; // GBK
    std::unique_ptr<RecordingCanvas> canvas;
    int pages = 1; // pages of a job that prints a whole run
    bool ended = false;
    bool aborted = false;
    bool sent = false; // handed on by Send, ended once waited for
    int sendingBefore = 0; // jobs sent and not yet waited for when it began
};

class FakePrinterHost : public PrinterHost {
public:
    std::vector<std::string> printers { "Fake" };
    int current = 0;
    bool hasSettings = true;
    PrinterSettings settings { DM_PAPERSIZE | DM_ORIENTATION, DMORIENT_PORTRAIT, DMPAPER_A4, 0, 0 };
    int dpiX = 600;
    int dpiY = 600;
    // Printable area in portrait; landscape swaps it.
    int printableWidth = 4760;
    int printableHeight = 6779;
    bool refuseJobs = false;
    bool failEnd = false;
    // Send hands jobs on, and they end only in WaitForSent; the job of
    // number failSent (from 0) then fails.
    bool sendsAhead = false;
    int failSent = -1;
    std::vector<std::size_t> sending;
    bool setupAnswer = false;
    JobPreferences preferences;
    // Sides of every printer; empty: all of them.
    std::vector<Sides> sides;
    std::vector<FakeJob> jobs;
    // Called with the number (from 0) of each job about to begin, so a test
    // can change the world between the pages of a print run.
    std::function<void(std::size_t)> beforeJob;

    std::vector<std::string> Printers() const override { return printers; }
    int CurrentIndex() const override { return printers.empty() ? -1 : current; }
    void SetCurrentIndex(int index) override { current = index; }
    bool GetSettings(PrinterSettings& out) const override;
    void SetSettings(const PrinterSettings& s) override;
    bool Landscape() const override { return settings.orientation == DMORIENT_LANDSCAPE; }
    int DpiX() const override { return dpiX; }
    int DpiY() const override { return dpiY; }
    int PageWidthPixels() const override { return Landscape() ? printableHeight : printableWidth; }
    int PageHeightPixels() const override { return Landscape() ? printableWidth : printableHeight; }
    std::unique_ptr<PrintJob> BeginJob(const std::string& gbkTitle) override;
    bool WaitForSent() override;
    bool SetupDialog() override { return setupAnswer; }
    std::vector<Sides> SidesSupported(int index) const override
    {
        return sides.empty() ? PrinterHost::SidesSupported(index) : sides;
    }
    JobPreferences Preferences() const override { return preferences; }
    void SetPreferences(const JobPreferences& p) override { preferences = p; }
};

} // namespace quillet
