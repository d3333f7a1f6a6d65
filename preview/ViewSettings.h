#pragma once
// The window's own settings kept from one run to the next in the user's
// configuration folder: the zoom and how it follows the window, the
// thumbnail panel and the search options. What the window shows of the
// report (which page, which state) is not among them: a start always opens
// on the first page.
#include <QString>
#include <string>
#include <vector>

namespace quillet {

struct ViewSettings {
    enum class Fit { None, Width, Page };
    double zoom = 100.0;
    Fit fit = Fit::None;
    bool thumbnails = false;
    int thumbnailWidth = 150;
    bool matchCase = false;
    bool wholeWord = false;

    static constexpr int kMinThumbnailWidth = 80;
    static constexpr int kMaxThumbnailWidth = 400;

    // "<user configuration folder>/quillet/window.ini"; empty when there is
    // no such folder.
    static std::string DefaultFile();
    // The settings of file; a value missing, unreadable or out of range
    // keeps its default, a missing file gives all defaults.
    static ViewSettings Load(const std::string& file);
    // Writes them as the whole file; empty when written, else the message
    // that says which file and why.
    QString Save(const std::string& file, const std::vector<std::string>& inUse = {}) const;

    bool operator==(const ViewSettings&) const = default;
};

} // namespace quillet
