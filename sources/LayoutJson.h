#pragma once
// The layout as JSON text: every field of the format record under readable
// English keys, texts in UTF-8, colours as "#rrggbb", and only the columns,
// rows and merged cells in use. Reading takes a new record's defaults for
// whatever the text leaves out, and names the line, column and field path
// of the first fault it finds.
#include <string>
#include <string_view>
#include <vector>

#include "model/PrnData.h"
#include "platform/OutputFile.h"

namespace quillet {

struct LayoutJsonError {
    int line = 0; // from 1
    int column = 0; // from 1, in characters
    std::string path; // "columns[3].width"; empty for the whole text
    std::string reason; // UTF-8, in the program's words
};

// The record as JSON (UTF-8, indented, ending in a newline). The same record
// always gives the same text.
std::string LayoutToJson(const TMyFormatRecord& record);

// Reads text into format (a new record's defaults, then the text's fields).
// On a fault, returns false, fills error and leaves format as it was.
bool LayoutFromJson(std::string_view text, TMyPrintFormat& format, LayoutJsonError& error);

// True when path names a JSON layout: its name ends in ".json", in any
// letter case.
bool IsJsonLayoutPath(std::string_view path);

// Loads the JSON layout at path (bytes). Returns an empty string on success;
// otherwise the message, in UTF-8, naming the file, and format is untouched.
std::string LoadJsonLayout(const std::string& path, TMyPrintFormat& format);

// Writes the record as JSON to path through the program's output-file rules
// (never over the files in inUse). False when it is not written: file's
// Refusal() or Error() says why.
bool SaveJsonLayout(OutputFile& file, const std::string& path, const TMyFormatRecord& record,
    const std::vector<std::string>& inUse = {});

// "格式文件“x”第3行第15列，columns[3].width：…" for a fault in path's text.
std::string JsonLayoutMessage(const std::string& path, const LayoutJsonError& error);

} // namespace quillet
