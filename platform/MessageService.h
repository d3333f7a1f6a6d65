#pragma once
// Message boxes. Texts are UTF-8. Unattended runs answer with the safe default.
#include <string>

namespace quillet {

enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageResult Show(const std::string& caption, const std::string& text,
                               MessageButtons buttons) = 0;
};

} // namespace quillet
