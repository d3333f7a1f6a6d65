#pragma once
// The faces of the machine, found through fontconfig and each opened once for
// the life of the program (or of a library of its own). Not for use from two
// threads at once: a face keeps what it learns in plain tables, so a thread
// that draws pages beside another has a library of its own.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/pdf/FontFace.h"

namespace quillet::pdf {

class FaceLibrary {
public:
    // The one library of the program.
    static FaceLibrary& Shared();
    // A library of its own, with its own FreeType instance.
    FaceLibrary();
    ~FaceLibrary();
    FaceLibrary(const FaceLibrary&) = delete;
    FaceLibrary& operator=(const FaceLibrary&) = delete;

    // The face for a family name (UTF-8) after the program's substitutions
    // of Windows names, or the machine's default face when the family is
    // missing; nullptr only when no TrueType face is found at all.
    FontFace* ForFamily(std::string_view utf8Family);
    // The face that draws c in place of `primary`, which lacks it, chosen in
    // fontconfig's order of faces for that family; nullptr when none has it.
    FontFace* FallbackFor(FontFace* primary, std::string_view utf8Family, char32_t c);
    // A face by file and index; nullptr when it is no usable TrueType face.
    FontFace* Open(const std::string& path, int index);

    // The family the program uses for a Windows face name (宋体 -> AR PL UMing CN, ...).
    static std::string Substitute(std::string_view utf8Family);

private:
    void* library_ = nullptr; // FT_Library
    std::unordered_map<std::string, std::unique_ptr<FontFace>> faces_; // by "path\nindex"
    std::unordered_map<std::string, FontFace*> families_;
    struct Candidate {
        std::string path;
        int index = 0;
    };
    static std::vector<Candidate> SortedFaces(const std::string& family);
    std::unordered_map<std::string, std::vector<Candidate>> fallbackChains_;
    std::unordered_map<std::string, FontFace*> fallbackChoices_; // family + "\n" + character
};

} // namespace quillet::pdf
