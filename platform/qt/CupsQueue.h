#pragma once
// One CUPS queue as the print jobs need it, through libcups: whether the
// scheduler is reached and the queue is there, enabled and accepting jobs,
// which sheets it takes, and handing it a finished PDF document.
#include <string>
#include <vector>

namespace quillet {

// What a job asks of the queue, as lp's options would: media, landscape,
// sides, copies and the job's title.
struct CupsJobOptions {
    std::string title; // UTF-8
    std::string media; // a media keyword or PWG name, "A4", ...
    bool landscape = false;
    std::string sides = "one-sided";
    int copies = 1;
    bool collate = true; // copies of a document of several pages in sets
};

class CupsQueue {
public:
    explicit CupsQueue(std::string name);
    const std::string& Name() const { return name_; }

    enum class State {
        Ready,
        Unreachable, // no scheduler answered
        Gone, // the scheduler has no such queue
        Stopped, // disabled (cupsdisable) or otherwise stopped
        Rejecting, // not accepting jobs (cupsreject)
    };
    struct Status {
        State state = State::Unreachable;
        std::string reason; // the scheduler's words, when it gave any
        // Sheets it takes, in hundredths of a millimetre, portrait (x across):
        // a size or a range. Empty when it did not say.
        struct SizeRange {
            int xMin, xMax, yMin, yMax;
        };
        std::vector<SizeRange> sizes;
        // IPP's names of the sides it prints ("one-sided", ...); empty when
        // it did not say.
        std::vector<std::string> sides;
    };
    Status Query() const;
    // True when the queue takes a sheet of width x height hundredths of a
    // millimetre (portrait), within a millimetre; true when it names no sizes.
    static bool Takes(const Status& status, int width, int height);
    // The scheduler's own default queue, whatever PRINTER or LPDEST say;
    // empty when it has none or cannot be reached.
    static std::string SchedulerDefault();

    enum class Result {
        Printed, // accepted, and the queue was not stopped
        Held, // accepted, but it waits in a stopped queue
        Unreachable,
        Gone,
        Rejecting,
        Refused, // the scheduler refused the job for another reason
    };
    // Hands pdf to the queue as one job; detail gets the scheduler's words
    // when it refused. id gets the job's number when it was accepted.
    Result Submit(const std::string& pdf, const CupsJobOptions& options, std::string& detail, int& id) const;

private:
    std::string name_;
};

} // namespace quillet
