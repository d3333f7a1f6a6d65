#pragma once
// The pages the user jumped to (tabs, the page field, the page list, first
// and last page, search), for going back and forward as a browser does.
// Turning one page on is not a jump. The lists are bounded.
#include <cstddef>
#include <deque>

namespace quillet {

class PageJumps {
public:
    // Jumps kept each way; the oldest go first.
    static constexpr std::size_t kKept = 100;

    // A jump from page `from` to page `to`: `from` is where "后退" returns,
    // and whatever lay ahead is gone.
    void Jumped(int from, int to)
    {
        if (from == to || from < 1)
            return;
        Push(back_, from);
        forward_.clear();
    }
    // The page to go back (forward) to from `current`, which becomes the
    // page to go forward (back) to; 0 when there is none.
    int Back(int current) { return Step(back_, forward_, current); }
    int Forward(int current) { return Step(forward_, back_, current); }
    bool CanGoBack() const { return !back_.empty(); }
    bool CanGoForward() const { return !forward_.empty(); }
    // A layout change that shortens the report drops the pages beyond it.
    void Limit(int pageCount)
    {
        for (auto* list : { &back_, &forward_ })
            std::erase_if(*list, [pageCount](int page) { return page > pageCount; });
    }

private:
    static void Push(std::deque<int>& list, int page)
    {
        list.push_back(page);
        if (list.size() > kKept)
            list.pop_front();
    }
    static int Step(std::deque<int>& from, std::deque<int>& to, int current)
    {
        // A page the user has since turned to by hand is skipped.
        while (!from.empty() && from.back() == current)
            from.pop_back();
        if (from.empty())
            return 0;
        const int page = from.back();
        from.pop_back();
        Push(to, current);
        return page;
    }

    std::deque<int> back_;
    std::deque<int> forward_;
};

} // namespace quillet
