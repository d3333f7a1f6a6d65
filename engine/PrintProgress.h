#pragma once
// What a print run tells its caller page by page, so that the window can show
// how far it has got and stop it between two pages. The engine only asks; it
// never waits for a person.
namespace quillet {

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    // Asked before each page of a run: `done` of its `total` pages have gone
    // out. False stops the run before this page.
    virtual bool BeforePage(int done, int total) = 0;
};

} // namespace quillet
