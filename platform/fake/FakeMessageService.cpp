#include "platform/fake/FakeMessageService.h"

namespace quillet {

MessageResult FakeMessageService::Show(const std::string& caption, const std::string& text, MessageButtons buttons)
{
    shown.push_back({caption, text, buttons});
    if (!answers.empty()) {
        MessageResult r = answers.front();
        answers.pop_front();
        return r;
    }
    return buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Ok;
}

} // namespace quillet
