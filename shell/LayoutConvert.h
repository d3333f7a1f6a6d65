#pragma once
// `quillet --convert IN OUT`: a layout from a format file to its JSON form
// and back, by OUT's name (".json" for JSON, anything else a format file).
#include <string>

namespace quillet {

// Reads IN (JSON when its name ends in ".json", else a format file) and
// writes OUT through the program's output-file rules, never over IN.
// Returns the exit status: 0 written; 1 with the message on the error
// output, and OUT left as it was.
int ConvertLayout(const std::string& inPath, const std::string& outPath);

} // namespace quillet
