#pragma once
// A desktop for tests: it records what it was asked to open, opens nothing
// and stays silent.
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace quillet {

class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    void Beep() override { }
};

} // namespace quillet
