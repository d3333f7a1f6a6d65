#include "platform/pdf/FontPrograms.h"

#include <algorithm>
#include <iterator>

#include "platform/pdf/Deflate.h"
#include "platform/pdf/FontFace.h"
#include "platform/pdf/TrueTypeSubset.h"

namespace quillet::pdf {
namespace {

// Six capital letters naming a subset, from what it holds.
std::string SubsetTag(const std::string& name, const std::vector<std::uint32_t>& glyphs, int serial)
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    for (char c : name)
        mix(static_cast<unsigned char>(c));
    for (std::uint32_t g : glyphs)
        mix(g);
    mix(static_cast<std::uint64_t>(serial));
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag += static_cast<char>('A' + h % 26);
        h /= 26;
    }
    return tag;
}

} // namespace

FontPrograms& FontPrograms::Shared()
{
    static FontPrograms programs;
    return programs;
}

const FontProgram& FontPrograms::For(FontFace& face, const std::vector<std::uint32_t>& needed, int level)
{
    std::vector<std::uint32_t> sorted = needed;
    sorted.push_back(0);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const std::size_t limit = 2 * sorted.size() + kSlack;

    std::vector<Kept>& kept = kept_[Key { &face, level }];
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        if (it->sorted.size() <= limit
            && std::includes(it->sorted.begin(), it->sorted.end(), sorted.begin(), sorted.end())) {
            ++reused_;
            return *it->program;
        }
    }
    // Grown from the latest program, so that a run's documents soon share one.
    if (!kept.empty()) {
        std::vector<std::uint32_t> merged;
        const std::vector<std::uint32_t>& latest = kept.back().sorted;
        std::set_union(
            sorted.begin(), sorted.end(), latest.begin(), latest.end(), std::back_inserter(merged));
        if (merged.size() <= limit && merged.size() < 0xFFFF) // a font holds at most 65535 glyphs
            sorted = std::move(merged);
    }

    auto program = std::make_unique<FontProgram>();
    program->glyphs = sorted;
    const std::string file = MakeTrueTypeSubset(face, program->glyphs);
    for (std::uint32_t i = 0; i < program->glyphs.size(); ++i)
        program->index.emplace(program->glyphs[i], i);
    program->length = file.size();
    if (level > 0)
        program->data = Deflate(file, level);
    program->compressed = !program->data.empty();
    if (!program->compressed)
        program->data = file;
    program->tag = SubsetTag(face.PostScriptName(), program->glyphs, ++made_);

    if (kept.size() >= kKeptPerFace)
        kept.erase(kept.begin());
    kept.push_back({ std::move(sorted), std::move(program) });
    return *kept.back().program;
}

} // namespace quillet::pdf
