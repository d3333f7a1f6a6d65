#pragma once
// The display's logical resolution (pixels per inch).

namespace quillet {

class Display {
public:
    virtual ~Display() = default;
    virtual int LogicalDpiX() const = 0;
    virtual int LogicalDpiY() const = 0;
};

} // namespace quillet
