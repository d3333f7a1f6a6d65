// The controls' glyph pictures travel in the program's resources by name.
#include <gtest/gtest.h>

#include "controls/Resources.h"

namespace quillet {
namespace {

// Every glyph the controls draw is found by its name; an unknown name fails
// with the message that names it.
TEST(Resources, GlyphsLoadAndMissingOneIsNamed)
{
    for (const char* name : { "NUMSPINUP", "NUMSPINDOWN", "TRUETYPE_FNT", "DEVICE_FNT" }) {
        const QImage image = LoadResourceBitmap(name);
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_TRUE(image.hasAlphaChannel()) << name;
    }
    EXPECT_EQ(LoadResourceBitmap("NUMSPINUP").size(), QSize(7, 4));
    EXPECT_EQ(LoadResourceBitmap("TRUETYPE_FNT").size(), QSize(12, 12));
    try {
        LoadResourceBitmap("NOSUCHGLYPH");
        FAIL() << "no error for a missing picture";
    } catch (const TResourceError& e) {
        EXPECT_STREQ(e.what(), "Resource NOSUCHGLYPH not found");
    }
}

} // namespace
} // namespace quillet
