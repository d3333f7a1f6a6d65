#pragma once
// A desktop for tests: it records what it was asked to open, opens nothing
// and stays silent. With showsDocuments off it is a desktop without a
// browser: every document is reported unopened.
#include <functional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace quillet {

class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    bool showsDocuments = true;
    bool Open(const std::string& target) override
    {
        opened.push_back(target);
        return true;
    }
    void OpenDocument(const std::string& path, std::function<void()> unopened) override
    {
        opened.push_back(path);
        if (!showsDocuments)
            unopened();
    }
    void Beep() override { }
};

} // namespace quillet
