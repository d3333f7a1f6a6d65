// Feeds arbitrary bytes to the JSON layout reader. A text it takes must
// write back as JSON that reads again to the same text; a text it refuses
// must name a line and column inside it, and leave the record untouched.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "sources/LayoutJson.h"

using namespace quillet;
using namespace quillet::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TMyPrintFormat format;
    format.TableGap = 77;
    LayoutJsonError error;
    if (!LayoutFromJson(text, format, error)) {
        Require(error.line >= 1 && error.column >= 1 && !error.reason.empty(), "a fault has a place and a reason");
        Require(format.TableGap == 77, "a refused text leaves the record");
        return 0;
    }
    const std::string json = LayoutToJson(format);
    TMyPrintFormat again;
    Require(LayoutFromJson(json, again, error), "written JSON reads back");
    Require(LayoutToJson(again) == json, "JSON through the record is the same text");
    return 0;
}
