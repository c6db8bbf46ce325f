#include "imaging/FileRotation.h"

#include <turbojpeg.h>

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/BitmapFile.h"
#include "imaging/ByteOrder.h"
#include "imaging/JpegCodec.h"
#include "platform/AtomicFile.h"

namespace imaging {

namespace {

struct TjDeleter {
    void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct TjBuffer {
    unsigned char* data = nullptr;
    ~TjBuffer() { tjFree(data); }
};

constexpr int kReencodeQuality = 95;

// Where the pixel at (x, y) of the turned picture comes from, for a source
// of w x h pixels.
inline void SourceOf(int mode, int32_t x, int32_t y, int32_t w, int32_t h, int32_t& sx, int32_t& sy) {
    switch (mode) {
    case kRotateClockwise:
        sx = y;
        sy = h - 1 - x;
        break;
    case kRotateCounterClockwise:
        sx = w - 1 - y;
        sy = x;
        break;
    default:  // half turn
        sx = w - 1 - x;
        sy = h - 1 - y;
        break;
    }
}

bool TurnsSides(int mode) { return mode != kRotateHalf; }

Rgb32Image TurnRgb32(const Rgb32Image& src, int mode) {
    Rgb32Image out;
    out.width = TurnsSides(mode) ? src.height : src.width;
    out.height = TurnsSides(mode) ? src.width : src.height;
    out.pixels.resize(src.pixels.size());
    for (int32_t y = 0; y < out.height; ++y) {
        uint32_t* row = out.Row(y);
        for (int32_t x = 0; x < out.width; ++x) {
            int32_t sx, sy;
            SourceOf(mode, x, y, src.width, src.height, sx, sy);
            row[x] = src.At(sx, sy);
        }
    }
    return out;
}

bool RotateJpeg(const std::string& bytes, const std::string& destination, int mode) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    TjHandle transformer(tjInitTransform());
    if (!transformer) return false;
    int w = 0, h = 0, subsamp = 0, colourspace = 0;
    if (tjDecompressHeader3(transformer.get(), data, (unsigned long)bytes.size(), &w, &h, &subsamp, &colourspace) != 0 &&
        tjGetErrorCode(transformer.get()) != TJERR_WARNING) {
        return false;  // a warning (extraneous bytes) leaves the headers read
    }
    tjtransform xform;
    std::memset(&xform, 0, sizeof xform);
    xform.op = mode == kRotateClockwise ? TJXOP_ROT90 : mode == kRotateCounterClockwise ? TJXOP_ROT270 : TJXOP_ROT180;
    xform.options = TJXOPT_PERFECT;
    TjBuffer out;
    unsigned long outSize = 0;
    // A warning alone (extraneous bytes between segments) still gives a whole
    // lossless turn, unless the file was cut off.
    const int rc = tjTransform(transformer.get(), data, (unsigned long)bytes.size(), 1, &out.data, &outSize, &xform, 0);
    if (rc == 0 || (out.data != nullptr && outSize > 0 && tjGetErrorCode(transformer.get()) == TJERR_WARNING &&
                    JpegReachesEndMarker(data, bytes.size()))) {
        return platform::AtomicFile::Replace(destination, out.data, outSize);
    }

    // Partial coding blocks at an edge: a lossless turn would move them
    // inside the picture. Decode, turn and encode again instead.
    Rgb32Image pixels;
    if (!DecodeJpegRgb32(data, bytes.size(), pixels)) return false;
    Rgb32Image turned = TurnRgb32(pixels, mode);
    TjHandle compressor(tjInitCompress());
    if (!compressor) return false;
    if (subsamp < 0 || subsamp >= TJ_NUMSAMP) subsamp = TJSAMP_420;
    // Turning swaps the subsampling directions of 4:2:2 and 4:4:0.
    if (TurnsSides(mode) && subsamp == TJSAMP_422) subsamp = TJSAMP_440;
    else if (TurnsSides(mode) && subsamp == TJSAMP_440) subsamp = TJSAMP_422;
    TjBuffer jpeg;
    unsigned long jpegSize = 0;
    if (tjCompress2(compressor.get(), reinterpret_cast<const unsigned char*>(turned.pixels.data()), turned.width,
                    turned.width * 4, turned.height, TJPF_BGRX, &jpeg.data, &jpegSize, subsamp, kReencodeQuality,
                    0) != 0) {
        return false;
    }
    return platform::AtomicFile::Replace(destination, jpeg.data, jpegSize);
}

// Pixel access by index for the uncompressed depths.
inline uint32_t GetPixel(const uint8_t* row, int32_t x, int bpp) {
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return GetU16(row + 2 * x);
    case 24: return uint32_t(row[3 * x]) | (uint32_t(row[3 * x + 1]) << 8) | (uint32_t(row[3 * x + 2]) << 16);
    default: return GetU32(row + 4 * x);
    }
}

inline void SetPixel(uint8_t* row, int32_t x, int bpp, uint32_t v) {
    switch (bpp) {
    case 1: {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = v ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
        break;
    }
    case 4:
        row[x >> 1] = (x & 1) ? uint8_t((row[x >> 1] & 0xF0) | (v & 0x0F)) : uint8_t((row[x >> 1] & 0x0F) | (v << 4));
        break;
    case 8: row[x] = uint8_t(v); break;
    case 16: PutU16(row + 2 * x, uint16_t(v)); break;
    case 24:
        row[3 * x] = uint8_t(v);
        row[3 * x + 1] = uint8_t(v >> 8);
        row[3 * x + 2] = uint8_t(v >> 16);
        break;
    default: PutU32(row + 4 * x, v); break;
    }
}

bool RotateBitmap(const std::string& source, const std::string& destination, int mode) {
    PictureBlock loaded;
    if (!LoadBitmapFile(source, loaded)) return false;
    BitmapLayout l;
    if (!loaded.Layout(l)) return false;
    PictureBlock src = std::move(loaded);
    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
        // Run-length bits are turned as plain 24-bit pixels.
        src = ToBgr24(src);
        if (src.Empty() || !src.Layout(l)) return false;
    }
    const int bpp = l.bitsPerPixel;
    const int32_t nw = TurnsSides(mode) ? l.height : l.width;
    const int32_t nh = TurnsSides(mode) ? l.width : l.height;
    const size_t stride = BitmapStride(nw, bpp);
    if (stride == 0) return false;

    std::vector<uint8_t> bytes(l.bitsOffset + stride * size_t(nh), 0);
    std::memcpy(bytes.data(), src.Data(), l.bitsOffset);
    uint8_t* info = bytes.data() + kFileHeaderSize;
    if (l.infoSize == kCoreHeaderSize) {
        PutU16(info + 4, uint16_t(nw));
        PutU16(info + 6, uint16_t(nh));
    } else {
        PutI32(info + 4, nw);
        PutI32(info + 8, l.topDown ? -nh : nh);
        PutU32(info + 20, uint32_t(stride * size_t(nh)));
        if (TurnsSides(mode)) {  // the resolutions follow the sides
            uint32_t xr = GetU32(info + 24), yr = GetU32(info + 28);
            PutU32(info + 24, yr);
            PutU32(info + 28, xr);
        }
    }
    PutU32(bytes.data() + 2, uint32_t(bytes.size()));
    PictureBlock out(std::move(bytes));
    BitmapLayout ol;
    if (!out.Layout(ol)) return false;
    for (int32_t y = 0; y < nh; ++y) {
        uint8_t* row = out.RowFromTop(ol, y);
        for (int32_t x = 0; x < nw; ++x) {
            int32_t sx, sy;
            SourceOf(mode, x, y, l.width, l.height, sx, sy);
            SetPixel(row, x, bpp, GetPixel(src.RowFromTop(l, sy), sx, bpp));
        }
    }
    return platform::AtomicFile::Replace(destination, out.Data(), out.Size());
}

}  // namespace

int FileRotation(const std::string& source, const std::string& destination, int mode) {
    if (mode != kRotateClockwise && mode != kRotateHalf && mode != kRotateCounterClockwise) return 0;
    if (source.empty() || destination.empty()) return 0;
    {
        std::string bytes;
        using platform::AtomicFile;
        if (AtomicFile::Read(source, bytes, kMaxJpegFileBytes) != AtomicFile::ReadResult::Ok) {
            // Too large for a JPEG: only a bitmap file can be that big.
            return RotateBitmap(source, destination, mode) ? 1 : 0;
        }
        if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xD8) {
            return RotateJpeg(bytes, destination, mode) ? 1 : 0;
        }
        if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return 0;
    }
    return RotateBitmap(source, destination, mode) ? 1 : 0;
}

}  // namespace imaging
