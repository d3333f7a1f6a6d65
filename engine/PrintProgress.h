#pragma once
// What a print run tells its caller page by page, so that the window can show
// how far it has got and stop it between two pages. The engine only asks; it
// never waits for a person.
#include <algorithm>
#include <climits>

namespace quillet {

// The pages of a run from first to last: none when last comes before first,
// and no more than an int holds.
inline int PagesInRange(int first, int last)
{
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(last) - first + 1, 0, INT_MAX));
}

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    // Asked before each page of a run: `done` of its `total` pages have gone
    // out. False stops the run before this page.
    virtual bool BeforePage(int done, int total) = 0;
};

} // namespace quillet
