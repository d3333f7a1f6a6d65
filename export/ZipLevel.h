#pragma once
// How hard the workbook's package is compressed. libxlsxwriter deflates its
// members at zlib's default level and offers no setting; most of closing a
// workbook is spent there. While a FastPackaging lives, the members it adds
// are deflated at level 1: a quarter larger, in well under half the time.

namespace quillet {

class FastPackaging {
public:
    FastPackaging();
    ~FastPackaging();
    FastPackaging(const FastPackaging&) = delete;
    FastPackaging& operator=(const FastPackaging&) = delete;
};

// The level members get now: 1 inside a FastPackaging, else the library's.
int PackagingLevel(int asked);

} // namespace quillet
