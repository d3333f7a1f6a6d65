#pragma once
// Opens files, pages and mail links with the desktop; rings the beep.
#include "platform/Shell.h"

namespace quillet {

class QtShell : public Shell {
public:
    bool Open(const std::string& target) override;
    // Through xdg-open where there is one, watching how it ends: a desktop
    // without a handler for the document (no browser for HTML) makes it fail.
    // Without xdg-open the toolkit's own ways are tried.
    void OpenDocument(const std::string& path, std::function<void()> unopened) override;
    void Beep() override;
};

} // namespace quillet
