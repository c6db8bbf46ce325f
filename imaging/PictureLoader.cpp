#include "imaging/PictureLoader.h"

#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "imaging/NoCasePath.h"

namespace imaging {

PictureKind PictureKindOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart || dot + 1 >= path.size()) return PictureKind::kNone;
    switch (path[dot + 1]) {
    case 'B':
    case 'b':
        return PictureKind::kBitmap;
    case 'J':
    case 'j':
        return PictureKind::kJpeg;
    default:
        return PictureKind::kNone;
    }
}

bool LoadPicture(const std::string& path, PictureBlock& out) {
    out.Clear();
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::kNone) return false;
    const std::string real = FindExistingPath(path);
    if (kind == PictureKind::kJpeg) return DecodeJpegFile(real, out);
    PictureBlock block;
    if (!LoadBitmapFile(real, block)) return false;
    BitmapLayout layout;
    if (!block.Layout(layout)) return false;
    out = std::move(block);
    return true;
}

bool LoadPictureRgb32(const std::string& path, Rgb32Image& out) {
    out = Rgb32Image{};
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::kNone) return false;
    const std::string real = FindExistingPath(path);
    if (kind == PictureKind::kJpeg) return DecodeJpegFileRgb32(real, out);
    PictureBlock block;
    if (!LoadBitmapFile(real, block)) return false;
    return ConvertToRgb32(block, out);
}

}  // namespace imaging
