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
    bool Send() override
    {
        if (!host_.sendsAhead)
            return End();
        host_.jobs[index_].sent = true;
        host_.sending.push_back(index_);
        return true;
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
    job.sendingBefore = static_cast<int>(sending.size());
    job.canvas
        = std::make_unique<RecordingCanvas>(dpiX, dpiY, Rect { 0, 0, PageWidthPixels(), PageHeightPixels() });
    jobs.push_back(std::move(job));
    return std::make_unique<FakePrintJob>(*this, jobs.size() - 1);
}

bool FakePrinterHost::WaitForSent()
{
    bool ok = true;
    for (std::size_t index : sending) {
        jobs[index].ended = true;
        ok = ok && static_cast<int>(index) != failSent;
    }
    sending.clear();
    return ok;
}

} // namespace quillet
