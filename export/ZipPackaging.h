#pragma once
// How the workbook's package is compressed. libxlsxwriter deflates each
// member on the closing thread at zlib's default level and offers no
// setting; most of closing a workbook is spent there. While a FastPackaging
// lives on a thread, the members that thread adds are deflated at level 1
// (a quarter larger, in well under half the time), and a large member is cut
// into pieces deflated on every core and joined into one deflate stream.
#include <cstddef>

namespace quillet {

class FastPackaging {
public:
    FastPackaging();
    ~FastPackaging();
    FastPackaging(const FastPackaging&) = delete;
    FastPackaging& operator=(const FastPackaging&) = delete;

    // Bytes of a member deflated as one piece; tests make it small.
    static std::size_t PieceSize();
    static void SetPieceSize(std::size_t bytes);
    // Threads that deflate the pieces: 0 for one a core, 1 for the closing
    // thread alone.
    static unsigned Workers();
    static void SetWorkers(unsigned workers);
};

} // namespace quillet
