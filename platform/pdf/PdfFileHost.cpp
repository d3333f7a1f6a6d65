#include "platform/pdf/PdfFileHost.h"

#include <algorithm>
#include <cmath>

#include "platform/pdf/PdfCanvas.h"

namespace quillet::pdf {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

struct Sheet {
    int code;
    double widthMm;
    double heightMm;
};
constexpr Sheet kSheets[] = {
    { 1, 215.9, 279.4 }, // letter
    { 5, 215.9, 355.6 }, // legal
    { 8, 297, 420 }, // A3
    { DMPAPER_A4, 210, 297 }, { 11, 148, 210 }, // A5
    { 12, 257, 364 }, // B4 (JIS)
    { 13, 182, 257 }, // B5 (JIS)
};

} // namespace

class PdfFileHost::Job : public PrintJob {
public:
    Job(PdfFileHost& host, Canvas& canvas)
        : host_(host)
        , canvas_(canvas)
    {
    }
    ~Job() override
    {
        if (!done_)
            Abort();
    }
    Canvas& GetCanvas() override { return canvas_; }
    bool End() override
    {
        if (done_)
            return false;
        done_ = true;
        host_.document_->EndPage();
        host_.jobOpen_ = false;
        ++host_.jobsEnded_;
        return true;
    }
    void Abort() override
    {
        if (done_)
            return;
        done_ = true;
        host_.document_->DiscardPage();
        host_.jobOpen_ = false;
    }

private:
    PdfFileHost& host_;
    Canvas& canvas_;
    bool done_ = false;
};

PdfFileHost::PdfFileHost(PdfDocument& document)
    : document_(&document)
{
    settings_.fields = DM_ORIENTATION | DM_PAPERSIZE;
}

bool PdfFileHost::GetSettings(PrinterSettings& out) const
{
    out = settings_;
    return true;
}

void PdfFileHost::SetSettings(const PrinterSettings& settings)
{
    if (settings.fields & DM_ORIENTATION)
        settings_.orientation
            = settings.orientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (settings.fields & DM_PAPERSIZE) {
        if (settings.paperSize == DMPAPER_USER && settings.paperWidth > 0 && settings.paperLength > 0) {
            // A sheet no smaller than its margins and no larger than PDF allows (200 inches).
            sheetWidthMm_ = std::clamp(settings.paperWidth / 10.0, 10.0, 5080.0);
            sheetHeightMm_ = std::clamp(settings.paperLength / 10.0, 10.0, 5080.0);
            settings_.paperSize = DMPAPER_USER;
            settings_.paperWidth = settings.paperWidth;
            settings_.paperLength = settings.paperLength;
            settings_.fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
        } else {
            for (const Sheet& s : kSheets) {
                if (s.code == settings.paperSize) {
                    sheetWidthMm_ = s.widthMm;
                    sheetHeightMm_ = s.heightMm;
                    settings_.paperSize = s.code;
                    settings_.fields &= ~(DM_PAPERWIDTH | DM_PAPERLENGTH);
                }
            }
        }
    }
}

void PdfFileHost::UseWholeSheet(double widthMm, double heightMm)
{
    wholeSheet_ = true;
    wholeWidthMm_ = std::clamp(widthMm, 10.0, 5080.0);
    wholeHeightMm_ = std::clamp(heightMm, 10.0, 5080.0);
}

PageSetup PdfFileHost::Setup() const
{
    PageSetup s;
    if (wholeSheet_) {
        s.widthPoints = wholeWidthMm_ * kPointsPerMm;
        s.heightPoints = wholeHeightMm_ * kPointsPerMm;
        s.dpiX = s.dpiY = kDpi;
        s.widthPixels = static_cast<int>(std::lround(wholeWidthMm_ / 25.4 * kDpi));
        s.heightPixels = static_cast<int>(std::lround(wholeHeightMm_ / 25.4 * kDpi));
        return s;
    }
    const bool landscape = Landscape();
    s.widthPoints = (landscape ? sheetHeightMm_ : sheetWidthMm_) * kPointsPerMm;
    s.heightPoints = (landscape ? sheetWidthMm_ : sheetHeightMm_) * kPointsPerMm;
    s.originXPoints = kMarginPoints;
    s.originYPoints = kMarginPoints;
    s.dpiX = s.dpiY = kDpi;
    s.widthPixels = static_cast<int>(std::lround((s.widthPoints - 2 * kMarginPoints) * kDpi / 72.0));
    s.heightPixels = static_cast<int>(std::lround((s.heightPoints - 2 * kMarginPoints) * kDpi / 72.0));
    return s;
}

int PdfFileHost::PageWidthPixels() const
{
    return Setup().widthPixels;
}

int PdfFileHost::PageHeightPixels() const
{
    return Setup().heightPixels;
}

std::unique_ptr<PrintJob> PdfFileHost::BeginJob(const std::string&)
{
    if (jobOpen_)
        return nullptr;
    jobOpen_ = true;
    return std::make_unique<Job>(*this, document_->BeginPage(Setup()));
}

bool PdfFileHost::SetDocument(PdfDocument& document)
{
    if (jobOpen_)
        return false;
    document_ = &document;
    return true;
}

} // namespace quillet::pdf
