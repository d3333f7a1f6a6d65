#include "platform/GbkCodec.h"

#include <cerrno>
#include <iconv.h>

namespace quillet {
namespace {

// One iconv converter per direction and thread, opened at its first use and
// kept: opening one costs far more than converting a cell's text. Every
// conversion starts from the initial shift state, so nothing of one text
// carries over into the next.
class Converter {
public:
    Converter(const char* to, const char* from)
        : to_(to)
        , from_(from)
    {
    }
    ~Converter()
    {
        if (Opened())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Null when iconv knows no such conversion; tried again next time.
    iconv_t Get()
    {
        if (!Opened())
            cd_ = iconv_open(to_, from_);
        if (!Opened())
            return nullptr;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    bool Opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    const char* to_;
    const char* from_;
    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
};

bool IsAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Converts with iconv into out. What cannot be converted is replaced by
// `replacement`, skipping one input byte each time (for UTF-8 input, one
// sequence); a strict conversion fails there instead.
bool Convert(Converter& converter, bool fromUtf8, std::string_view in, std::string_view replacement,
    bool strict, std::string& out)
{
    iconv_t cd = converter.Get();
    if (!cd) {
        out.assign(in);
        return !strict;
    }
    out.reserve(out.size() + in.size() * 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a cut-off character at the end).
            if (strict) {
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
            out.append(replacement);
            size_t skip = 1;
            if (fromUtf8) {
                unsigned char c = static_cast<unsigned char>(*src);
                skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (skip > srcLeft)
                    skip = srcLeft;
            }
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return true;
}

std::string Convert(Converter& converter, bool fromUtf8, std::string_view in, std::string_view replacement)
{
    std::string out;
    Convert(converter, fromUtf8, in, replacement, false, out);
    return out;
}

Converter& Encoder()
{
    thread_local Converter encoder("GBK", "UTF-8");
    return encoder;
}

} // namespace

std::string GbkToUtf8(std::string_view gbk)
{
    // Bytes below 0x80 are ASCII in both encodings; most cells are numbers.
    if (IsAscii(gbk))
        return std::string(gbk);
    // GB18030 is the superset that glibc decodes GBK with; it also takes 0x80.
    thread_local Converter decoder("UTF-8", "GBK");
    return Convert(decoder, false, gbk, "\xEF\xBF\xBD");
}

std::string Utf8ToGbk(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    return Convert(Encoder(), true, utf8, "?");
}

bool GbkHolds(std::string_view utf8)
{
    if (IsAscii(utf8))
        return true;
    std::string gbk;
    // The way back catches characters the encoder maps onto another one.
    return Convert(Encoder(), true, utf8, {}, true, gbk) && GbkToUtf8(gbk) == utf8;
}

bool IsUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // range of the second byte
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0; // no overlong forms
            else if (c == 0xED)
                high = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // nothing past U+10FFFF
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

std::string FileNameToUtf8(std::string_view path)
{
    if (IsUtf8(path))
        return std::string(path);
    // Name by name: a GBK file name in a folder named in UTF-8 shows both right.
    std::string out;
    out.reserve(path.size() * 2);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        const std::string_view name = path.substr(start, slash - start);
        out += IsUtf8(name) ? std::string(name) : GbkToUtf8(name);
        if (slash < path.size())
            out += '/';
        start = slash + 1;
    }
    return out;
}

std::size_t GbkCut(std::string_view gbk, std::size_t limit)
{
    std::size_t at = 0;
    while (at < gbk.size()) {
        const std::size_t step = static_cast<unsigned char>(gbk[at]) >= 0x81 && at + 1 < gbk.size() ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return at;
}

} // namespace quillet
