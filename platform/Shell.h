#pragma once
// Opening documents, pages and mail links with the desktop, and the beep.
#include <functional>
#include <string>
#include <utility>

namespace quillet {

class Shell {
public:
    virtual ~Shell() = default;
    // A file path, an http(s) address or a mailto: link (UTF-8). False on failure.
    virtual bool Open(const std::string& target) = 0;
    // A local document (the manual) with the desktop's handler for its kind.
    // `unopened` runs, at once or later from the event loop, when the desktop
    // has no handler for it or the handler fails: the caller can then show
    // the document itself.
    virtual void OpenDocument(const std::string& path, std::function<void()> unopened)
    {
        if (!Open(path))
            std::move(unopened)();
    }
    virtual void Beep() = 0;
};

} // namespace quillet
