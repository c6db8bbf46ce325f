#include "imaging/BitmapFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "imaging/ByteOrder.h"
#include "imaging/UniqueFd.h"
#include "platform/AtomicFile.h"

namespace imaging {

namespace {

constexpr size_t kReadPiece = 32768;

bool ReadFully(int fd, uint8_t* dst, size_t want, size_t& got) {
    got = 0;
    while (got < want) {
        size_t piece = std::min(kReadPiece, want - got);
        ssize_t n = ::read(fd, dst + got, piece);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    return true;
}

// Expands a mask like 0x7C00 to an 8-bit channel value.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit MaskChannel(uint32_t m) : mask(m) {
        if (m == 0) return;
        while (((m >> shift) & 1u) == 0) ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1u) != 0) ++bits;
    }
    uint8_t Get(uint32_t v) const {
        if (bits == 0) return 0;
        uint32_t c = (v & mask) >> shift;
        if (bits >= 8) return uint8_t(c >> (bits - 8));
        // Spread the few bits over 0..255.
        uint32_t maxv = (1u << bits) - 1;
        return uint8_t((c * 255 + maxv / 2) / maxv);
    }
};

struct Palette {
    uint32_t colours[256];
    uint32_t count = 0;
};

void ReadPalette(const PictureBlock& pic, const BitmapLayout& l, Palette& pal) {
    pal.count = l.paletteCount;
    for (uint32_t i = 0; i < 256; ++i) pal.colours[i] = PackRgb(0, 0, 0);
    const uint8_t* p = pic.Data() + l.paletteOffset;
    for (uint32_t i = 0; i < l.paletteCount && i < 256; ++i) {
        const uint8_t* e = p + i * l.paletteEntrySize;
        pal.colours[i] = PackRgb(e[2], e[1], e[0]);
    }
}

// Run-length bits: the rows are drawn bottom-up into `out`; pixels the data
// never reaches stay at colour 0 of the table, as the system draws them.
void DecodeRle(const PictureBlock& pic, const BitmapLayout& l, const Palette& pal, Rgb32Image& out) {
    const uint8_t* p = pic.Data() + l.bitsOffset;
    const size_t n = l.bitsSize;
    const bool four = l.compression == kBiRle4;
    int64_t x = 0;
    int64_t y = 0;  // from the bottom
    auto put = [&](uint8_t index) {
        if (x < l.width && y < l.height) {
            out.Row(int32_t(l.height - 1 - y))[x] = pal.colours[index];
        }
        ++x;
    };
    size_t i = 0;
    while (i + 1 < n && y < l.height) {
        uint8_t count = p[i];
        uint8_t value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) {
                put(four ? uint8_t((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= n) break;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (i + bytes > n) break;
            for (int k = 0; k < value; ++k) {
                uint8_t b = p[i + (four ? size_t(k / 2) : size_t(k))];
                put(four ? uint8_t((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += bytes + (bytes & 1);
        }
    }
}

}  // namespace

bool LoadBitmapFile(const std::string& path, PictureBlock& out) {
    out.Clear();
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return false;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const uint64_t realSize = uint64_t(st.st_size);
    if (realSize < kFileHeaderSize || realSize > kMaxBitmapFileBytes) return false;

    uint8_t header[kFileHeaderSize];
    size_t got = 0;
    if (!ReadFully(fd.Get(), header, sizeof header, got) || got != sizeof header) return false;
    uint64_t want = GetU32(header + 2);
    if (want < kFileHeaderSize + kCoreHeaderSize) want = realSize;
    want = std::min(want, realSize);

    std::vector<uint8_t> bytes(size_t(want) + 1, 0);
    std::memcpy(bytes.data(), header, sizeof header);
    if (!ReadFully(fd.Get(), bytes.data() + kFileHeaderSize, size_t(want) - kFileHeaderSize, got)) return false;
    // A file that shrank while we read keeps the zeros of the block.
    out = PictureBlock(std::move(bytes));
    return true;
}

bool SaveBitmapFile(const std::string& path, const PictureBlock& picture) {
    BitmapLayout l;
    if (!picture.Layout(l)) return false;
    size_t size = picture.Size();
    if (l.compression == kBiRgb || l.compression == kBiBitfields) {
        size = std::min(size, l.bitsOffset + l.stride * size_t(l.height));
    }
    std::vector<uint8_t> bytes(picture.Data(), picture.Data() + size);
    PutU32(bytes.data() + 2, uint32_t(size));
    return platform::AtomicFile::Replace(path, bytes.data(), bytes.size());
}

bool ConvertToRgb32(const PictureBlock& pic, Rgb32Image& out) {
    out = Rgb32Image{};
    BitmapLayout l;
    if (!pic.Layout(l)) return false;
    Palette pal;
    ReadPalette(pic, l, pal);
    out.width = l.width;
    out.height = l.height;
    out.pixels.assign(size_t(l.width) * size_t(l.height), pal.count > 0 ? pal.colours[0] : PackRgb(0, 0, 0));
    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
        DecodeRle(pic, l, pal, out);
        return true;
    }
    const MaskChannel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
    for (int32_t y = 0; y < l.height; ++y) {
        const uint8_t* src = pic.RowFromTop(l, y);
        uint32_t* dst = out.Row(y);
        switch (l.bitsPerPixel) {
        case 1:
            for (int32_t x = 0; x < l.width; ++x) dst[x] = pal.colours[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (int32_t x = 0; x < l.width; ++x) {
                uint8_t b = src[x >> 1];
                dst[x] = pal.colours[(x & 1) ? (b & 0x0F) : (b >> 4)];
            }
            break;
        case 8:
            for (int32_t x = 0; x < l.width; ++x) dst[x] = pal.colours[src[x]];
            break;
        case 16:
            for (int32_t x = 0; x < l.width; ++x) {
                uint32_t v = GetU16(src + 2 * x);
                dst[x] = PackRgb(red.Get(v), green.Get(v), blue.Get(v));
            }
            break;
        case 24:
            for (int32_t x = 0; x < l.width; ++x) {
                const uint8_t* s = src + 3 * x;
                dst[x] = PackRgb(s[2], s[1], s[0]);
            }
            break;
        case 32:
            for (int32_t x = 0; x < l.width; ++x) {
                uint32_t v = GetU32(src + 4 * x);
                dst[x] = PackRgb(red.Get(v), green.Get(v), blue.Get(v));
            }
            break;
        default:
            return false;
        }
    }
    return true;
}

PictureBlock BlockFromRgb32(const Rgb32Image& image) {
    PictureBlock block = PictureBlock::Create(image.width, image.height, 24);
    if (block.Empty()) return block;
    BitmapLayout l;
    block.Layout(l);
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* dst = block.RowFromTop(l, y);
        const uint32_t* src = image.Row(y);
        for (int32_t x = 0; x < image.width; ++x) {
            dst[3 * x + 0] = uint8_t(src[x]);
            dst[3 * x + 1] = uint8_t(src[x] >> 8);
            dst[3 * x + 2] = uint8_t(src[x] >> 16);
        }
    }
    return block;
}

PictureBlock ToBgr24(const PictureBlock& picture) {
    BitmapLayout l;
    if (!picture.Layout(l)) return {};
    if (l.bitsPerPixel == 24 && l.compression == kBiRgb && !l.topDown) return picture.Clone();
    Rgb32Image rgb;
    if (!ConvertToRgb32(picture, rgb)) return {};
    return BlockFromRgb32(rgb);
}

}  // namespace imaging
