#pragma once
// Records message boxes and answers them from a queue (safe default when empty).
#include <deque>
#include <string>
#include <vector>

#include "platform/MessageService.h"

namespace quillet {

struct ShownMessage {
    std::string caption;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
};

class FakeMessageService : public MessageService {
public:
    std::vector<ShownMessage> shown;
    std::deque<MessageResult> answers;
    MessageResult Show(const std::string& caption, const std::string& text, MessageButtons buttons) override;
};

} // namespace quillet
