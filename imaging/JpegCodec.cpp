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
    w = h = 0;
    const int rc = tjDecompressHeader3(handle.get(), data, (unsigned long)size, &w, &h, &subsamp, &colourspace);
    // A warning in the headers (extraneous bytes) leaves them read.
    if (rc != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING) return false;
    return SizeAllowed(w, h);
}

// Flags for decoding: refuse progressive files with an absurd number of
// scans. Warnings do not stop the decoder (see DecodeSucceeded).
constexpr int kDecodeFlags = TJFLAG_LIMITSCANS | TJFLAG_ACCURATEDCT;

// Where the first scan's data starts (just after its SOS segment), found by
// walking the marker segments from the start; 0 when the walk fails.
size_t FirstScanData(const uint8_t* data, size_t size) {
    size_t i = 2;  // after SOI
    while (i + 1 < size) {
        if (data[i] != 0xFF) {  // extraneous bytes before a marker, skipped as the decoder does
            ++i;
            continue;
        }
        while (i + 1 < size && data[i + 1] == 0xFF) ++i;  // fill bytes
        if (i + 1 >= size) return 0;
        const uint8_t marker = data[i + 1];
        i += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0xD9 || i + 2 > size) return 0;
        const size_t length = (size_t(data[i]) << 8) | data[i + 1];
        if (length < 2 || i + length > size) return 0;
        i += length;
        if (marker == 0xDA) return i;
    }
    return 0;
}

// Whether a decode that returned `rc` gave a picture to show. A fatal error
// never does. A warning alone (extraneous bytes between segments, an unknown
// header revision, a damaged stretch the decoder skipped) still leaves a
// whole picture, as every other viewer shows it; but a file cut off before
// its end marker is refused, since its lower part would be made-up grey.
bool DecodeSucceeded(int rc, void* handle, const uint8_t* data, size_t size) {
    if (rc == 0) return true;
    if (tjGetErrorCode(handle) != TJERR_WARNING) return false;
    return JpegReachesEndMarker(data, size);
}

}  // namespace

// Entropy-coded data never hold the bytes FF D9 (an FF in them is always
// followed by 00 or a restart number), so their absence after the start of
// the first scan means the file was cut off before the picture ended.
bool JpegReachesEndMarker(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 4) return false;
    const size_t scan = FirstScanData(data, size);
    if (scan == 0) return false;
    for (size_t i = size - 1; i > scan; --i) {
        if (data[i] == 0xD9 && data[i - 1] == 0xFF) return true;
    }
    return false;
}

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
    const int rc = tjDecompress2(handle.get(), data, (unsigned long)size, bits, w, int(l.stride), h, TJPF_BGR,
                                 kDecodeFlags | TJFLAG_BOTTOMUP);
    if (!DecodeSucceeded(rc, handle.get(), data, size)) return false;
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
    const int rc = tjDecompress2(handle.get(), data, (unsigned long)size,
                                 reinterpret_cast<unsigned char*>(img.pixels.data()), w, w * 4, h, TJPF_BGRA,
                                 kDecodeFlags);
    if (!DecodeSucceeded(rc, handle.get(), data, size)) return false;
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
