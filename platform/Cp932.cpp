#include "Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

// One iconv conversion descriptor, closed when it goes.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts at `p` when it is well formed,
// else 1, so that a bad byte is replaced on its own.
size_t Utf8SequenceLength(const unsigned char* p, size_t left)
{
    const unsigned char b = p[0];
    size_t n = 1;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4;
    if (n > left)
        return 1;
    for (size_t i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 1;
    return n;
}

// Converts `in` through `cd`, replacing what cannot be converted. `skip`
// tells how many input bytes make up the unit that failed.
template <typename Skip>
bool Convert(const IconvHandle& cd, std::string_view in, std::string& out, std::string_view replacement, Skip skip)
{
    out.clear();
    if (!cd.valid()) {
        // No converter on this system: keep the bytes that are ASCII.
        bool clean = true;
        for (const char c : in) {
            if (static_cast<unsigned char>(c) < 0x80) {
                out += c;
            } else {
                out += replacement;
                clean = false;
            }
        }
        return clean;
    }
    bool clean = true;
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r != static_cast<size_t>(-1)) {
            // glibc counts irreversible conversions; none is expected for
            // these two encodings, but count them as lossy all the same.
            if (r > 0)
                clean = false;
            continue;
        }
        if (errno == E2BIG)
            continue;
        // EILSEQ (bad or unconvertible unit) or EINVAL (cut at the end).
        clean = false;
        out += replacement;
        const size_t n = errno == EINVAL ? srcLeft : skip(reinterpret_cast<const unsigned char*>(src), srcLeft);
        src += n;
        srcLeft -= n;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state (none for these encodings, but harmless).
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    return clean;
}

}  // namespace

bool Utf8ToCp932(std::string_view utf8, std::string& cp932, std::string_view replacement)
{
    IconvHandle cd("CP932", "UTF-8");
    return Convert(cd, utf8, cp932, replacement, Utf8SequenceLength);
}

bool Cp932ToUtf8(std::string_view cp932, std::string& utf8, std::string_view replacement)
{
    IconvHandle cd("UTF-8", "CP932");
    // A bad pair is replaced one byte at a time, so an ASCII byte after a
    // stray lead byte survives.
    return Convert(cd, cp932, utf8, replacement, [](const unsigned char*, size_t) { return size_t{1}; });
}

std::string ToCp932(std::string_view utf8)
{
    std::string out;
    Utf8ToCp932(utf8, out);
    return out;
}

std::string ToUtf8(std::string_view cp932)
{
    std::string out;
    Cp932ToUtf8(cp932, out);
    return out;
}

size_t Cp932CharLength(std::string_view text, size_t pos)
{
    if (pos >= text.size())
        return 0;
    return IsLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

std::string_view Cp932Prefix(std::string_view text, size_t maxBytes)
{
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t n = Cp932CharLength(text, pos);
        if (pos + n > maxBytes)
            break;
        pos += n;
    }
    return text.substr(0, pos);
}

bool IsCp932TrailByte(std::string_view text, size_t pos)
{
    size_t at = 0;
    while (at < text.size() && at <= pos) {
        const size_t n = Cp932CharLength(text, at);
        if (n == 2 && at + 1 == pos)
            return true;
        at += n;
    }
    return false;
}

}  // namespace platform
