#pragma once
// The printers of the system: the list, the current one, its paper settings
// (the fields of a Windows DEVMODE block that the program uses), its
// resolution and printable area, print jobs, and the printer setup dialog.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace quillet {

// dmFields bits.
constexpr std::uint32_t DM_ORIENTATION = 1;
constexpr std::uint32_t DM_PAPERSIZE = 2;
constexpr std::uint32_t DM_PAPERLENGTH = 4;
constexpr std::uint32_t DM_PAPERWIDTH = 8;

constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;
constexpr int DMPAPER_A4 = 9;
constexpr int DMPAPER_USER = 256;

// Paper settings of the current printer, lengths in tenths of a millimetre.
struct PrinterSettings {
    std::uint32_t fields = 0;
    int orientation = DMORIENT_PORTRAIT; // 1 portrait, 2 landscape
    int paperSize = DMPAPER_A4; // Windows paper code
    int paperLength = 0; // tenths of a mm, used with code 256
    int paperWidth = 0;
    bool operator==(const PrinterSettings&) const = default;
};

// How the sheets of a job come out of the printer.
enum class Sides { OneSided, LongEdge, ShortEdge };

// What the user chose for every job in the printer setup, whatever the
// printer: copies, one- or two-sided, and whether a print run goes out as one
// job of all its pages (so the printer can print both sides and collate)
// rather than as one job a page.
struct JobPreferences {
    int copies = 1; // the setup offers 1 to kMaxCopies
    Sides sides = Sides::OneSided;
    bool oneJobPerRun = false;
    // Copies of a run of pages come out one whole set after another
    // (1,2,3,1,2,3), not each page's copies together (1,1,2,2,3,3).
    bool collate = true;
    static constexpr int kMaxCopies = 999;
    bool operator==(const JobPreferences&) const = default;
};

// One print job: a canvas that draws on the printable area (origin at its
// top-left corner). End finishes the document; Abort throws it away.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual Canvas& GetCanvas() = 0;
    // Ends the page drawn so far and starts the next one of the same job,
    // whose canvas GetCanvas then gives; false when the job cannot take more.
    virtual bool NextPage() { return false; }
    // False when the printing system reported a failure.
    virtual bool End() = 0;
    // Ends the job as End does, but may hand the finished document on to go
    // to the printer while the caller draws the next one; the host's
    // WaitForSent then tells how it went. Jobs sent go out in the order they
    // were sent. False when the job failed already here.
    virtual bool Send() { return End(); }
    virtual void Abort() = 0;
};

class PrinterHost {
public:
    virtual ~PrinterHost() = default;

    // Names of the installed printers (UTF-8), in a stable order.
    virtual std::vector<std::string> Printers() const = 0;
    // Index of the current printer in Printers(), -1 when there is none.
    virtual int CurrentIndex() const = 0;
    virtual void SetCurrentIndex(int index) = 0;

    // Settings of the current printer; false when it has no settings block.
    virtual bool GetSettings(PrinterSettings& out) const = 0;
    // Hands new settings to the current printer for the next jobs.
    virtual void SetSettings(const PrinterSettings& settings) = 0;
    virtual bool Landscape() const = 0;

    // LOGPIXELSX / LOGPIXELSY of the current printer.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // HORZRES / VERTRES: printable area in device pixels.
    virtual int PageWidthPixels() const = 0;
    virtual int PageHeightPixels() const = 0;

    // Starts a job titled with a GBK document title; nullptr when the printing
    // system refused to start it.
    virtual std::unique_ptr<PrintJob> BeginJob(const std::string& gbkTitle) = 0;

    // Why the last BeginJob gave no job or the last job's End failed, in the
    // program's own words (UTF-8); empty when the host gave no reason.
    virtual std::string FailureText() const { return {}; }
    // Waits until every job sent has gone out; false when one of them failed
    // (FailureText then says why).
    virtual bool WaitForSent() { return true; }

    // Shows the printer setup dialog; true when confirmed.
    virtual bool SetupDialog() = 0;

    // The sides the printer at index can print; all of them when it does not say.
    virtual std::vector<Sides> SidesSupported(int /*index*/) const
    {
        return { Sides::OneSided, Sides::LongEdge, Sides::ShortEdge };
    }

    // Copies, sides and one job a run, for the jobs to come.
    virtual JobPreferences Preferences() const { return {}; }
    virtual void SetPreferences(const JobPreferences&) { }
    // The files the run reads, which keeping the preferences never replaces.
    virtual void SetFilesInUse(const std::vector<std::string>&) { }
    // Why the preferences set last could not be kept for the next start, in
    // the program's words (UTF-8); told once: empty when they were kept or
    // when the same was told before.
    virtual std::string TakePreferencesFailure() { return {}; }

    bool HasPrinter() const { return !Printers().empty(); }
};

} // namespace quillet
