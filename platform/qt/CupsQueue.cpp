#include "platform/qt/CupsQueue.h"

#include <cups/cups.h>

#include <cstdlib>
#include <utility>

namespace quillet {
namespace {

std::string QueueUri(const std::string& name)
{
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
        "/printers/%s", name.c_str());
    return uri;
}

bool SchedulerUnreachable(ipp_status_t status)
{
    return status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL
        || status == IPP_STATUS_ERROR_DEVICE;
}

bool Gone(ipp_status_t status)
{
    return status == IPP_STATUS_ERROR_NOT_FOUND || status == IPP_STATUS_ERROR_GONE;
}

// An integer or a range of integers of a collection member.
bool Dimension(ipp_t* collection, const char* name, int& low, int& high)
{
    ipp_attribute_t* a = ippFindAttribute(collection, name, IPP_TAG_ZERO);
    if (!a)
        return false;
    if (ippGetValueTag(a) == IPP_TAG_INTEGER) {
        low = high = ippGetInteger(a, 0);
        return true;
    }
    if (ippGetValueTag(a) == IPP_TAG_RANGE) {
        low = ippGetRange(a, 0, &high);
        return true;
    }
    return false;
}

} // namespace

CupsQueue::CupsQueue(std::string name)
    : name_(std::move(name))
{
}

CupsQueue::Status CupsQueue::Query() const
{
    Status out;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, QueueUri(name_).c_str());
    static const char* const kWanted[] = { "printer-state", "printer-is-accepting-jobs",
        "printer-state-message", "media-size-supported", "sides-supported" };
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
        static_cast<int>(sizeof kWanted / sizeof kWanted[0]), nullptr, kWanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    const ipp_status_t status = cupsLastError();
    if (!response || status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        ippDelete(response);
        if (const char* text = cupsLastErrorString())
            out.reason = text;
        out.state = Gone(status) ? State::Gone : State::Unreachable;
        return out;
    }
    out.state = State::Ready;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT))
        out.reason = ippGetString(a, 0, nullptr);
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
        a && !ippGetBoolean(a, 0))
        out.state = State::Rejecting;
    if (ipp_attribute_t* a = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
        a && ippGetInteger(a, 0) == IPP_PSTATE_STOPPED)
        out.state = State::Stopped;
    if (ipp_attribute_t* a = ippFindAttribute(response, "media-size-supported", IPP_TAG_BEGIN_COLLECTION)) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            ipp_t* size = ippGetCollection(a, i);
            Status::SizeRange r {};
            if (Dimension(size, "x-dimension", r.xMin, r.xMax)
                && Dimension(size, "y-dimension", r.yMin, r.yMax))
                out.sizes.push_back(r);
        }
    }
    if (ipp_attribute_t* a = ippFindAttribute(response, "sides-supported", IPP_TAG_KEYWORD)) {
        for (int i = 0; i < ippGetCount(a); ++i)
            if (const char* side = ippGetString(a, i, nullptr))
                out.sides.emplace_back(side);
    }
    ippDelete(response);
    return out;
}

std::string CupsQueue::SchedulerDefault()
{
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    ippAddString(
        request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    std::string name;
    if (ipp_attribute_t* a = response ? ippFindAttribute(response, "printer-name", IPP_TAG_NAME) : nullptr)
        if (const char* value = ippGetString(a, 0, nullptr))
            name = value;
    ippDelete(response);
    return name;
}

bool CupsQueue::Takes(const Status& status, int width, int height)
{
    if (status.sizes.empty())
        return true;
    constexpr int kSlack = 100; // a millimetre: sizes in inches round either way
    for (const auto& r : status.sizes) {
        if (width >= r.xMin - kSlack && width <= r.xMax + kSlack && height >= r.yMin - kSlack
            && height <= r.yMax + kSlack)
            return true;
    }
    return false;
}

CupsQueue::Result CupsQueue::Submit(
    const std::string& pdf, const CupsJobOptions& options, std::string& detail, int& id) const
{
    id = 0;
    auto failure = [this, &detail](ipp_status_t status) {
        if (const char* text = cupsLastErrorString())
            detail = text;
        if (Gone(status))
            return Result::Gone;
        if (status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS)
            return Result::Rejecting;
        if (!SchedulerUnreachable(status))
            return Result::Refused;
        // libcups gives the same errors for a queue it cannot find as for a
        // scheduler it cannot reach: the queue's state tells them apart.
        switch (Query().state) {
        case State::Gone:
            return Result::Gone;
        case State::Rejecting:
            return Result::Rejecting;
        case State::Unreachable:
            return Result::Unreachable;
        default:
            return Result::Refused;
        }
    };
    cups_option_t* list = nullptr;
    int count = 0;
    if (!options.media.empty())
        count = cupsAddOption("media", options.media.c_str(), count, &list);
    if (options.landscape)
        count = cupsAddOption("landscape", "true", count, &list);
    count = cupsAddOption("sides", options.sides.c_str(), count, &list);
    if (options.copies > 1) {
        count = cupsAddIntegerOption("copies", options.copies, count, &list);
        count = cupsAddOption("multiple-document-handling",
            options.collate ? "separate-documents-collated-copies" : "separate-documents-uncollated-copies",
            count, &list);
        count = cupsAddOption("collate", options.collate ? "true" : "false", count, &list);
    }

    id = cupsCreateJob(CUPS_HTTP_DEFAULT, name_.c_str(), options.title.c_str(), count, list);
    if (id <= 0) {
        const ipp_status_t status = cupsLastError();
        cupsFreeOptions(count, list);
        id = 0;
        return failure(status);
    }
    http_status_t sent
        = cupsStartDocument(CUPS_HTTP_DEFAULT, name_.c_str(), id, options.title.c_str(), CUPS_FORMAT_PDF, 1);
    if (sent == HTTP_STATUS_CONTINUE)
        sent = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size());
    const ipp_status_t finished = sent == HTTP_STATUS_CONTINUE
        ? cupsFinishDocument(CUPS_HTTP_DEFAULT, name_.c_str())
        : cupsLastError();
    cupsFreeOptions(count, list);
    if (sent != HTTP_STATUS_CONTINUE || finished > IPP_STATUS_OK_EVENTS_COMPLETE) {
        const Result result
            = failure(sent != HTTP_STATUS_CONTINUE && finished <= IPP_STATUS_OK_EVENTS_COMPLETE
                    ? IPP_STATUS_ERROR_INTERNAL
                    : finished);
        // Nothing half-sent stays in the queue.
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name_.c_str(), id, 0);
        return result;
    }
    // Accepted: said printed only when the queue will print it, not when it
    // holds it in a stopped queue.
    const Status now = Query();
    if (now.state == State::Stopped) {
        detail = now.reason;
        return Result::Held;
    }
    return Result::Printed;
}

} // namespace quillet
