#include "imaging/PictureBlock.h"

#include "imaging/ByteOrder.h"

namespace imaging {

size_t BitmapStride(int64_t width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0 || width > kMaxSide) return 0;
    uint64_t bits = uint64_t(width) * uint64_t(bitsPerPixel);
    return size_t(((bits + 31) / 32) * 4);
}

PictureBlock PictureBlock::Create(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
    if (uint64_t(width) * uint64_t(height) > kMaxPixels) return {};
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return {};
    const size_t paletteBytes = bitsPerPixel == 8 ? 256 * 4 : 0;
    const size_t stride = BitmapStride(width, bitsPerPixel);
    const size_t offset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const size_t imageSize = stride * size_t(height);
    std::vector<uint8_t> bytes(offset + imageSize, 0);
    uint8_t* p = bytes.data();
    p[0] = 'B';
    p[1] = 'M';
    PutU32(p + 2, uint32_t(bytes.size()));
    PutU32(p + 10, uint32_t(offset));
    uint8_t* info = p + kFileHeaderSize;
    PutU32(info + 0, kInfoHeaderSize);
    PutI32(info + 4, width);
    PutI32(info + 8, height);
    PutU16(info + 12, 1);
    PutU16(info + 14, bitsPerPixel);
    PutU32(info + 16, kBiRgb);
    PutU32(info + 20, uint32_t(imageSize));
    PutU32(info + 24, 2835);  // 72 dots per inch
    PutU32(info + 28, 2835);
    PutU32(info + 32, bitsPerPixel == 8 ? 256 : 0);
    if (bitsPerPixel == 8) {
        uint8_t* pal = info + kInfoHeaderSize;
        for (int i = 0; i < 256; ++i) {
            pal[i * 4 + 0] = pal[i * 4 + 1] = pal[i * 4 + 2] = uint8_t(i);
        }
    }
    return PictureBlock(std::move(bytes));
}

uint32_t PictureBlock::BitsOffsetField() const {
    return bytes_.size() >= 14 ? GetU32(bytes_.data() + 10) : 0;
}

int32_t PictureBlock::WidthField() const {
    if (bytes_.size() < kFileHeaderSize + 4) return 0;
    if (GetU32(bytes_.data() + kFileHeaderSize) == kCoreHeaderSize) {
        return bytes_.size() >= kFileHeaderSize + 6 ? GetU16(bytes_.data() + kFileHeaderSize + 4) : 0;
    }
    return bytes_.size() >= kFileHeaderSize + 8 ? GetI32(bytes_.data() + kFileHeaderSize + 4) : 0;
}

int32_t PictureBlock::HeightField() const {
    if (bytes_.size() < kFileHeaderSize + 4) return 0;
    if (GetU32(bytes_.data() + kFileHeaderSize) == kCoreHeaderSize) {
        return bytes_.size() >= kFileHeaderSize + 8 ? GetU16(bytes_.data() + kFileHeaderSize + 6) : 0;
    }
    return bytes_.size() >= kFileHeaderSize + 12 ? GetI32(bytes_.data() + kFileHeaderSize + 8) : 0;
}

uint16_t PictureBlock::BitsPerPixelField() const {
    if (bytes_.size() < kFileHeaderSize + 4) return 0;
    if (GetU32(bytes_.data() + kFileHeaderSize) == kCoreHeaderSize) {
        return bytes_.size() >= kFileHeaderSize + 12 ? GetU16(bytes_.data() + kFileHeaderSize + 10) : 0;
    }
    return bytes_.size() >= kFileHeaderSize + 16 ? GetU16(bytes_.data() + kFileHeaderSize + 14) : 0;
}

uint32_t PictureBlock::CompressionField() const {
    if (bytes_.size() < kFileHeaderSize + 20) return 0;
    if (GetU32(bytes_.data() + kFileHeaderSize) == kCoreHeaderSize) return kBiRgb;
    return GetU32(bytes_.data() + kFileHeaderSize + 16);
}

void PictureBlock::SetWidthField(int32_t width) {
    if (bytes_.size() < kFileHeaderSize + 8) return;
    if (GetU32(bytes_.data() + kFileHeaderSize) == kCoreHeaderSize) {
        PutU16(bytes_.data() + kFileHeaderSize + 4, uint16_t(width));
    } else {
        PutI32(bytes_.data() + kFileHeaderSize + 4, width);
    }
}

bool PictureBlock::Layout(BitmapLayout& out) const {
    out = BitmapLayout{};
    const size_t size = bytes_.size();
    const uint8_t* p = bytes_.data();
    if (size < kFileHeaderSize + kCoreHeaderSize) return false;
    if (p[0] != 'B' || p[1] != 'M') return false;
    const uint8_t* info = p + kFileHeaderSize;
    const uint32_t infoSize = GetU32(info);
    int64_t width = 0;
    int64_t height = 0;
    if (infoSize == kCoreHeaderSize) {
        width = GetU16(info + 4);
        height = GetU16(info + 6);
        out.bitsPerPixel = GetU16(info + 10);
        out.compression = kBiRgb;
        out.paletteEntrySize = 3;
    } else if (infoSize >= kInfoHeaderSize && infoSize <= 1024) {
        if (size < kFileHeaderSize + infoSize) return false;
        width = GetI32(info + 4);
        height = GetI32(info + 8);
        out.bitsPerPixel = GetU16(info + 14);
        out.compression = GetU32(info + 16);
        out.paletteEntrySize = 4;
    } else {
        return false;
    }
    out.infoSize = infoSize;
    if (height < 0) {
        out.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    if (uint64_t(width) * uint64_t(height) > kMaxPixels) return false;
    out.width = int32_t(width);
    out.height = int32_t(height);

    const uint16_t bpp = out.bitsPerPixel;
    switch (out.compression) {
    case kBiRgb:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
        break;
    case kBiRle8:
        if (bpp != 8 || out.topDown) return false;
        break;
    case kBiRle4:
        if (bpp != 4 || out.topDown) return false;
        break;
    case kBiBitfields:
        if (bpp != 16 && bpp != 32) return false;
        break;
    default:
        return false;
    }

    size_t pos = kFileHeaderSize + infoSize;
    if (out.compression == kBiBitfields) {
        // The three masks follow a 40-byte header; longer headers hold them.
        const uint8_t* m = info + 40;
        if (size < kFileHeaderSize + kInfoHeaderSize + 12) return false;
        if (infoSize < kInfoHeaderSize + 12) {
            // The masks follow the header (a header of 40 bytes, or an odd
            // one too short to hold them).
            if (infoSize != kInfoHeaderSize) return false;
            pos += 12;
        }
        out.masks[0] = GetU32(m);
        out.masks[1] = GetU32(m + 4);
        out.masks[2] = GetU32(m + 8);
    } else if (bpp == 16) {
        out.masks[0] = 0x7C00;
        out.masks[1] = 0x03E0;
        out.masks[2] = 0x001F;
    } else if (bpp == 32) {
        out.masks[0] = 0x00FF0000;
        out.masks[1] = 0x0000FF00;
        out.masks[2] = 0x000000FF;
    }

    out.paletteOffset = pos;
    if (bpp <= 8) {
        uint32_t count = 1u << bpp;
        if (infoSize >= kInfoHeaderSize) {
            uint32_t used = GetU32(info + 32);
            if (used != 0 && used < count) count = used;
        }
        out.paletteCount = count;
        if (size < pos + size_t(count) * out.paletteEntrySize) return false;
    }

    const uint32_t offset = GetU32(p + 10);
    // The bits may not overlap the headers; some writers leave the offset 0,
    // then the bits follow the colour table.
    size_t bitsOffset = offset;
    const size_t paletteEnd = pos + size_t(out.paletteCount) * out.paletteEntrySize;
    if (offset == 0) bitsOffset = paletteEnd;
    if (bitsOffset < kFileHeaderSize + infoSize || bitsOffset > size) return false;
    out.bitsOffset = bitsOffset;
    out.stride = BitmapStride(width, bpp);
    if (out.stride == 0) return false;
    out.bitsSize = size - bitsOffset;
    if (out.compression == kBiRgb || out.compression == kBiBitfields) {
        if (out.bitsSize / out.stride < size_t(height)) return false;
    }
    return true;
}

const uint8_t* PictureBlock::RowFromTop(const BitmapLayout& l, int32_t y) const {
    if (y < 0 || y >= l.height || l.stride == 0) return nullptr;
    if (l.compression != kBiRgb && l.compression != kBiBitfields) return nullptr;
    const size_t row = l.topDown ? size_t(y) : size_t(l.height - 1 - y);
    const size_t at = l.bitsOffset + row * l.stride;
    if (at + l.stride > bytes_.size()) return nullptr;
    return bytes_.data() + at;
}

uint8_t* PictureBlock::RowFromTop(const BitmapLayout& l, int32_t y) {
    return const_cast<uint8_t*>(static_cast<const PictureBlock&>(*this).RowFromTop(l, y));
}

}  // namespace imaging
