#pragma once
// The primary screen's logical resolution (96 under the offscreen platform).
#include "platform/Display.h"

namespace quillet {

class QtDisplay : public Display {
public:
    int LogicalDpiX() const override;
    int LogicalDpiY() const override;
};

} // namespace quillet
