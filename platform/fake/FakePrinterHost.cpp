#include "platform/fake/FakePrinterHost.h"

namespace quillet {
namespace {

class FakePrintJob : public PrintJob {
public:
    FakePrintJob(FakePrinterHost& host, std::size_t index)
        : host_(host)
        , index_(index)
    {
    }
    Canvas& GetCanvas() override { return *host_.jobs[index_].canvas; }
    bool End() override
    {
        host_.jobs[index_].ended = true;
        return !host_.failEnd;
    }
    void Abort() override { host_.jobs[index_].aborted = true; }
    bool NextPage() override
    {
        ++host_.jobs[index_].pages;
        return true;
    }

private:
    FakePrinterHost& host_;
    std::size_t index_;
};

} // namespace

bool FakePrinterHost::GetSettings(PrinterSettings& out) const
{
    if (!hasSettings || printers.empty())
        return false;
    out = settings;
    return true;
}

void FakePrinterHost::SetSettings(const PrinterSettings& s)
{
    if (hasSettings)
        settings = s;
}

std::unique_ptr<PrintJob> FakePrinterHost::BeginJob(const std::string& gbkTitle)
{
    if (refuseJobs || printers.empty())
        return nullptr;
    if (beforeJob)
        beforeJob(jobs.size());
    FakeJob job;
    job.title = gbkTitle;
    job.canvas
        = std::make_unique<RecordingCanvas>(dpiX, dpiY, Rect { 0, 0, PageWidthPixels(), PageHeightPixels() });
    jobs.push_back(std::move(job));
    return std::make_unique<FakePrintJob>(*this, jobs.size() - 1);
}

} // namespace quillet
