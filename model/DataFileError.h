#pragma once
// A read of the data file after a successful Open that failed, or that found
// less than the file held when it was last measured (the file cut in place
// while the window is open or a print run goes on). It reaches the command
// that caused the drawing, which shows the message; the message is UTF-8, in
// the program's own words.
#include <stdexcept>
#include <string>

namespace quillet {

class DataFileError : public std::runtime_error {
public:
    explicit DataFileError(const std::string& utf8Message)
        : std::runtime_error(utf8Message)
    {
    }
};

} // namespace quillet
