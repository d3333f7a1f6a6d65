#include "preview/ViewSettings.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "platform/SettingsFile.h"
#include "platform/qt/Language.h"
#include "platform/qt/LocalPath.h"
#include "platform/qt/OutputMessages.h"

namespace quillet {
namespace {

constexpr double kMinZoom = 10.0;
constexpr double kMaxZoom = 800.0;

const char* FitKeyword(ViewSettings::Fit fit)
{
    switch (fit) {
    case ViewSettings::Fit::Width:
        return "width";
    case ViewSettings::Fit::Page:
        return "page";
    default:
        return "none";
    }
}

std::string Number(double value)
{
    // Tenths are all a zoom carries; the C locale's point whatever the user's.
    const long tenths = std::lround(value * 10);
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += "." + std::to_string(tenths % 10);
    return text;
}

} // namespace

std::string ViewSettings::DefaultFile()
{
    const std::string folder = UserConfigFolder();
    return folder.empty() ? std::string() : folder + "/quillet/window.ini";
}

ViewSettings ViewSettings::Load(const std::string& file)
{
    ViewSettings s;
    const std::optional<std::map<std::string, std::string>> values = ReadSettingsFile(file);
    if (!values)
        return s;
    auto value = [&values](const char* key) {
        const auto found = values->find(key);
        return found == values->end() ? QString() : QString::fromUtf8(found->second).trimmed();
    };
    auto flag = [&value](const char* key, bool fallback) {
        const QString text = value(key);
        return text == QLatin1String("true") ? true : text == QLatin1String("false") ? false : fallback;
    };
    bool ok = false;
    const double zoom = value("view/zoom").toDouble(&ok);
    if (ok && std::isfinite(zoom) && zoom >= kMinZoom && zoom <= kMaxZoom)
        s.zoom = zoom;
    const QString fit = value("view/fit");
    if (fit == QLatin1String("width"))
        s.fit = Fit::Width;
    else if (fit == QLatin1String("page"))
        s.fit = Fit::Page;
    s.thumbnails = flag("thumbnails/shown", s.thumbnails);
    const int width = value("thumbnails/width").toInt(&ok);
    if (ok)
        s.thumbnailWidth = std::clamp(width, kMinThumbnailWidth, kMaxThumbnailWidth);
    s.matchCase = flag("search/match-case", s.matchCase);
    s.wholeWord = flag("search/whole-word", s.wholeWord);
    return s;
}

QString ViewSettings::Save(const std::string& file, const std::vector<std::string>& inUse) const
{
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    const SettingsWrite written = WriteSettingsFile(file,
        { { "view/zoom", Number(zoom) }, { "view/fit", FitKeyword(fit) }, { "thumbnails/shown", flag(thumbnails) },
            { "thumbnails/width", std::to_string(thumbnailWidth) }, { "search/match-case", flag(matchCase) },
            { "search/whole-word", flag(wholeWord) } },
        inUse);
    if (written.Written())
        return {};
    const QString why = written.refusal != OutputRefusal::None ? OutputRefusalReason(written.refusal)
                                                               : FileFailure(written.error, file);
    return QTr("ViewSettings", "无法把窗口设置保存到“%1”，%2。缩放、缩略图和查找选项下次启动时不会恢复")
        .arg(PathForMessage(file), why);
}

} // namespace quillet
