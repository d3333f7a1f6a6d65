#pragma once
// Opens files, pages and mail links with the desktop; rings the beep.
#include "platform/Shell.h"

namespace quillet {

class QtShell : public Shell {
public:
    bool Open(const std::string& target) override;
    void Beep() override;
};

} // namespace quillet
