#include "platform/qt/FontSubstitutions.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace quillet {

void InstallFontSubstitutions()
{
    // The CJK faces are chosen so that text in printed PDFs stays searchable.
    static const struct {
        const char16_t* windowsName;
        const char16_t* family;
    } kSubstitutions[] = {
        { u"宋体", u"AR PL UMing CN" },
        { u"仿宋", u"AR PL UMing CN" },
        { u"楷体", u"AR PL UKai CN" },
        { u"黑体", u"WenQuanYi Zen Hei" },
        { u"Tahoma", u"DejaVu Sans" },
        { u"MS Sans Serif", u"DejaVu Sans" },
        { u"Arial", u"DejaVu Sans" },
    };
    for (const auto& s : kSubstitutions) {
        const QString name = QString::fromUtf16(s.windowsName);
        const QString family = QString::fromUtf16(s.family);
        // Qt keeps the substitutes in lower case.
        if (!QFont::substitutes(name).contains(family, Qt::CaseInsensitive))
            QFont::insertSubstitution(name, family);
    }
}

} // namespace quillet
