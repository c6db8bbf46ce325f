#include "imaging/JpegCodec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>

#include "imaging/BitmapFile.h"
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

bool SizeAllowed(int w, int h) {
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && uint64_t(w) * uint64_t(h) <= kMaxPixels;
}

// Opens a decoder and reads the header; false for anything but a plausible JPEG.
bool OpenHeader(TjHandle& handle, const uint8_t* data, size_t size, int& w, int& h) {
    if (data == nullptr || size < 4 || size > kMaxJpegFileBytes) return false;
    if (data[0] != 0xFF || data[1] != 0xD8) return false;
    handle.reset(tjInitDecompress());
    if (!handle) return false;
    int subsamp = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), data, (unsigned long)size, &w, &h, &subsamp, &colourspace) != 0) return false;
    return SizeAllowed(w, h);
}

// Flags for decoding: stop at the first warning (a damaged or cut-off file
// is refused rather than shown half grey) and refuse progressive files with
// an absurd number of scans.
constexpr int kDecodeFlags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS | TJFLAG_ACCURATEDCT;

}  // namespace

bool ReadJpegSize(const uint8_t* data, size_t size, int32_t& width, int32_t& height) {
    TjHandle handle;
    int w = 0, h = 0;
    if (!OpenHeader(handle, data, size, w, h)) return false;
    width = w;
    height = h;
    return true;
}

bool DecodeJpeg(const uint8_t* data, size_t size, PictureBlock& out) {
    out.Clear();
    TjHandle handle;
    int w = 0, h = 0;
    if (!OpenHeader(handle, data, size, w, h)) return false;
    PictureBlock block = PictureBlock::Create(w, h, 24);
    if (block.Empty()) return false;
    BitmapLayout l;
    if (!block.Layout(l)) return false;
    unsigned char* bits = block.Data() + l.bitsOffset;
    if (tjDecompress2(handle.get(), data, (unsigned long)size, bits, w, int(l.stride), h, TJPF_BGR,
                      kDecodeFlags | TJFLAG_BOTTOMUP) != 0) {
        return false;
    }
    out = std::move(block);
    return true;
}

bool DecodeJpegRgb32(const uint8_t* data, size_t size, Rgb32Image& out) {
    out = Rgb32Image{};
    TjHandle handle;
    int w = 0, h = 0;
    if (!OpenHeader(handle, data, size, w, h)) return false;
    Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * size_t(h));
    if (tjDecompress2(handle.get(), data, (unsigned long)size, reinterpret_cast<unsigned char*>(img.pixels.data()),
                      w, w * 4, h, TJPF_BGRA, kDecodeFlags) != 0) {
        return false;
    }
    // TJPF_BGRA fills the alpha byte with 255, which is what Format_RGB32 wants.
    out = std::move(img);
    return true;
}

bool DecodeJpegFile(const std::string& path, PictureBlock& out) {
    out.Clear();
    std::string bytes;
    if (platform::AtomicFile::Read(path, bytes, kMaxJpegFileBytes) != platform::AtomicFile::ReadResult::Ok) {
        return false;
    }
    return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

bool DecodeJpegFileRgb32(const std::string& path, Rgb32Image& out) {
    out = Rgb32Image{};
    std::string bytes;
    if (platform::AtomicFile::Read(path, bytes, kMaxJpegFileBytes) != platform::AtomicFile::ReadResult::Ok) {
        return false;
    }
    return DecodeJpegRgb32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
}

bool EncodeJpeg(const PictureBlock& picture, int quality, std::vector<uint8_t>& out) {
    out.clear();
    PictureBlock bgr = ToBgr24(picture);
    BitmapLayout l;
    if (bgr.Empty() || !bgr.Layout(l)) return false;
    TjHandle handle(tjInitCompress());
    if (!handle) return false;
    quality = std::clamp(quality, 1, 100);
    TjBuffer jpeg;
    unsigned long jpegSize = 0;
    const unsigned char* bits = bgr.Data() + l.bitsOffset;
    if (tjCompress2(handle.get(), bits, l.width, int(l.stride), l.height, TJPF_BGR, &jpeg.data, &jpegSize,
                    TJSAMP_420, quality, l.topDown ? 0 : TJFLAG_BOTTOMUP) != 0) {
        return false;
    }
    out.assign(jpeg.data, jpeg.data + jpegSize);
    return true;
}

bool EncodeJpegFile(const PictureBlock& picture, const std::string& path, int quality) {
    std::vector<uint8_t> bytes;
    if (!EncodeJpeg(picture, quality, bytes)) return false;
    return platform::AtomicFile::Replace(path, bytes.data(), bytes.size());
}

}  // namespace imaging
