#include "platform/pdf/FaceLibrary.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace quillet::pdf {
namespace {

std::string Key(const std::string& path, int index)
{
    return path + "\n" + std::to_string(index);
}

} // namespace

// Faces fontconfig offers for a family, best first, with their files.
std::vector<FaceLibrary::Candidate> FaceLibrary::SortedFaces(const std::string& family)
{
    std::vector<Candidate> out;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return out;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch || !file)
                continue;
            FcPatternGetInteger(set->fonts[i], FC_INDEX, 0, &index);
            out.push_back({ reinterpret_cast<const char*>(file), index });
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(pattern);
    return out;
}

FaceLibrary& FaceLibrary::Shared()
{
    static FaceLibrary library;
    return library;
}

FaceLibrary::FaceLibrary()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0)
        library_ = library;
    FcInit();
}

FaceLibrary::~FaceLibrary()
{
    faces_.clear();
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

std::string FaceLibrary::Substitute(std::string_view utf8Family)
{
    // The same faces the screen maps these names to, so print matches it.
    static const struct {
        std::string_view windowsName;
        std::string_view family;
    } kSubstitutions[] = {
        { "宋体", "AR PL UMing CN" },
        { "仿宋", "AR PL UMing CN" },
        { "楷体", "AR PL UKai CN" },
        { "黑体", "WenQuanYi Zen Hei" },
        { "Tahoma", "DejaVu Sans" },
        { "MS Sans Serif", "DejaVu Sans" },
        { "Arial", "DejaVu Sans" },
    };
    for (const auto& s : kSubstitutions) {
        if (s.windowsName == utf8Family)
            return std::string(s.family);
    }
    return std::string(utf8Family);
}

FontFace* FaceLibrary::Open(const std::string& path, int index)
{
    if (!library_)
        return nullptr;
    const std::string key = Key(path, index);
    if (auto it = faces_.find(key); it != faces_.end())
        return it->second.get();
    std::unique_ptr<FontFace> face(new FontFace());
    if (!face->Load(library_, path, index))
        face.reset();
    return faces_.emplace(key, std::move(face)).first->second.get();
}

FontFace* FaceLibrary::ForFamily(std::string_view utf8Family)
{
    const std::string family = Substitute(utf8Family);
    if (auto it = families_.find(family); it != families_.end())
        return it->second;
    FontFace* chosen = nullptr;
    for (const Candidate& c : SortedFaces(family)) {
        if ((chosen = Open(c.path, c.index)) != nullptr)
            break;
    }
    families_.emplace(family, chosen);
    return chosen;
}

FontFace* FaceLibrary::FallbackFor(FontFace* primary, std::string_view utf8Family, char32_t c)
{
    const std::string family = Substitute(utf8Family);
    std::string key = family;
    key += '\n';
    key += std::to_string(static_cast<unsigned long>(c));
    if (auto it = fallbackChoices_.find(key); it != fallbackChoices_.end())
        return it->second;
    auto chain = fallbackChains_.find(family);
    if (chain == fallbackChains_.end())
        chain = fallbackChains_.emplace(family, SortedFaces(family)).first;
    // Faces are opened in fontconfig's order only until one has the character.
    FontFace* chosen = nullptr;
    for (const Candidate& cand : chain->second) {
        FontFace* f = Open(cand.path, cand.index);
        if (f && f != primary && f->Glyph(c) != 0) {
            chosen = f;
            break;
        }
    }
    fallbackChoices_.emplace(std::move(key), chosen);
    return chosen;
}

} // namespace quillet::pdf
