#pragma once
// The glyph pictures of the controls, kept in the program's resources under
// their names ("NUMSPINUP", "NUMSPINDOWN", "TRUETYPE_FNT", "DEVICE_FNT").
#include <QImage>
#include <stdexcept>

namespace quillet {

// A control could not find a picture it is made of.
class TResourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Loads a picture by name; throws TResourceError "Resource <name> not found"
// when there is none.
QImage LoadResourceBitmap(const char* name);

} // namespace quillet
