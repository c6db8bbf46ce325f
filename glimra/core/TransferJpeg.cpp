#include "glimra/core/TransferJpeg.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "imaging/FitIntoBox.h"
#include "imaging/JpegCodec.h"
#include "imaging/PictureLoader.h"

namespace glimra {

namespace {

enum PrepareResult { kPrepared = 0, kCannotLoad = 1, kBadDepth = 2, kCompressed = 3, kTooNarrow = 4, kCannotWrite = 5 };

}  // namespace

int PrepareTransferJpeg(const std::string& picturePath, const std::string& tempPath) {
    imaging::PictureBlock source;
    if (!imaging::LoadPicture(picturePath, source)) return kCannotLoad;
    imaging::BitmapLayout l;
    if (!source.Layout(l)) return kCannotLoad;
    if (l.bitsPerPixel != 8 && l.bitsPerPixel != 24) return kBadDepth;
    if (l.compression != imaging::kBiRgb) return kCompressed;
    const int bpp = l.bitsPerPixel == 24 ? 3 : 1;

    const int32_t w = l.width, h = l.height;
    const int32_t boxW = w / 4 * 4;
    if (boxW <= 0) return kTooNarrow;

    // The block keeps the source's headers and colour table; only the width
    // changes. Its rows (boxW * bpp bytes) need no padding as boxW is a
    // multiple of 4.
    std::vector<uint8_t> bytes(size_t(boxW) * size_t(h) * size_t(bpp) + l.bitsOffset + 10, 0);
    std::memcpy(bytes.data(), source.Data(), l.bitsOffset);
    imaging::PictureBlock block(std::move(bytes));
    block.SetWidthField(boxW);
    imaging::FitIntoBox(block.Data() + l.bitsOffset, source.Data() + l.bitsOffset, boxW, h, w, h, bpp);
    source.Clear();

    for (int q = 90; q >= 10; q -= 5) {
        if (!imaging::EncodeJpegFile(block, tempPath, q)) return kCannotWrite;
        struct stat st {};
        if (::stat(tempPath.c_str(), &st) == 0 && uint64_t(st.st_size) < kTransferSizeLimit) break;
        ::unlink(tempPath.c_str());
    }
    return kPrepared;
}

}  // namespace glimra
