#include "controls/Resources.h"

#include <QFile>

// The library is static: its resources register only when asked for by name.
static void InitControlResources()
{
    Q_INIT_RESOURCE(controls);
}

namespace quillet {

QImage LoadResourceBitmap(const char* name)
{
    static const bool registered = (InitControlResources(), true);
    (void)registered;
    const QString path = QStringLiteral(":/quillet/bitmaps/") + QString::fromLatin1(name);
    QImage image;
    if (QFile::exists(path))
        image.load(path, "XPM");
    if (image.isNull())
        throw TResourceError(std::string("Resource ") + name + " not found");
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace quillet
