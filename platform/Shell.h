#pragma once
// Opening documents, pages and mail links with the desktop, and the beep.
#include <string>

namespace quillet {

class Shell {
public:
    virtual ~Shell() = default;
    // A file path, an http(s) address or a mailto: link (UTF-8). False on failure.
    virtual bool Open(const std::string& target) = 0;
    virtual void Beep() = 0;
};

} // namespace quillet
