#pragma once
// The system beep with which the controls refuse a key.
#include <functional>

namespace quillet {

void Beep();

// Replaces the beep (tests count it); an empty hook restores the system beep.
void SetBeepHook(std::function<void()> hook);

} // namespace quillet
