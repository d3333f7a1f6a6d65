#pragma once
// The compressed font programs of subset faces, kept for the life of the
// program: a document that uses glyphs a program made earlier already holds
// takes that program again instead of subsetting and compressing the face
// once more. One print job a page makes one document a page, nearly all with
// the glyphs of the pages before, so a face costs a run about one subset.
// Not for use from two threads at once.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillet::pdf {

class FontFace;

// A subset font program and the face glyph each of its glyphs is.
struct FontProgram {
    std::vector<std::uint32_t> glyphs; // face glyph of each program glyph; glyphs[0] is 0
    std::unordered_map<std::uint32_t, std::uint32_t> index; // face glyph -> program glyph
    std::string data; // the font file, compressed when `compressed`
    std::size_t length = 0; // its size uncompressed
    bool compressed = false;
    std::string tag; // six capital letters naming the subset
};

class FontPrograms {
public:
    // The one cache of the program.
    static FontPrograms& Shared();

    // A program of face holding every glyph of `needed` (any order, may
    // repeat), compressed at zlib `level` (0: not compressed). A kept program
    // is taken when it holds them all and not many more; otherwise a new one
    // is made of them and of those of the face's latest program (when that
    // stays small enough), so the next documents find it.
    const FontProgram& For(FontFace& face, const std::vector<std::uint32_t>& needed, int level);

    // How many programs were made and how many taken again, for the benchmark.
    int Made() const { return made_; }
    int Reused() const { return reused_; }

    // A program may hold this many glyphs beyond twice the glyphs a document needs.
    static constexpr std::size_t kSlack = 64;
    // Programs kept a face and level; the oldest go first.
    static constexpr std::size_t kKeptPerFace = 8;

private:
    struct Key {
        FontFace* face;
        int level;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<const void*>()(k.face) ^ static_cast<std::size_t>(k.level);
        }
    };
    struct Kept {
        std::vector<std::uint32_t> sorted; // the program's face glyphs, sorted
        std::unique_ptr<FontProgram> program;
    };
    std::unordered_map<Key, std::vector<Kept>, KeyHash> kept_; // newest last
    int made_ = 0;
    int reused_ = 0;
};

} // namespace quillet::pdf
