#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace imaging {

// Sizes of the fixed parts of the bitmap-file layout.
constexpr size_t kFileHeaderSize = 14;   // "BM", file size, reserved, offset of the bits
constexpr size_t kInfoHeaderSize = 40;   // width, height, planes, bits per pixel, ...
constexpr size_t kCoreHeaderSize = 12;   // the old 12-byte header with 16-bit sizes

// Limits for any picture we decode or draw: a header may claim any size, so
// nothing is allocated for a picture beyond these.
constexpr int32_t kMaxSide = 32768;
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;  // 67 megapixels

// Compression values of the information header.
enum BitmapCompression : uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
};

// What a picture block holds, worked out from its headers and checked
// against its size: every offset below lies inside the block.
struct BitmapLayout {
    int32_t width = 0;
    int32_t height = 0;          // always positive here
    bool topDown = false;        // a negative height in the header
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kBiRgb;
    size_t infoSize = 0;         // 12, 40 or a later, longer header
    size_t paletteOffset = 0;
    uint32_t paletteCount = 0;
    size_t paletteEntrySize = 4; // 3 for the 12-byte header
    size_t bitsOffset = 0;
    size_t stride = 0;           // bytes per row, padded to 4
    size_t bitsSize = 0;         // bytes available for the pixel bits
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue for bit fields
};

// A picture in bitmap-file layout in one owned buffer ("picture block"): the
// 14-byte file header, the information header, the colour table and the
// pixel bits at the offset the file header gives. Movable, not copyable by
// accident (use Clone()).
class PictureBlock {
public:
    PictureBlock() = default;
    explicit PictureBlock(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    PictureBlock(PictureBlock&&) noexcept = default;
    PictureBlock& operator=(PictureBlock&&) noexcept = default;
    PictureBlock(const PictureBlock&) = delete;
    PictureBlock& operator=(const PictureBlock&) = delete;

    PictureBlock Clone() const { return PictureBlock(bytes_); }

    // A zero-filled bottom-up picture with a 40-byte header. bitsPerPixel is
    // 24, 32 or 8 (8 gets a grey colour table). Empty when the size is not
    // one we handle.
    static PictureBlock Create(int32_t width, int32_t height, uint16_t bitsPerPixel);

    bool Empty() const { return bytes_.empty(); }
    size_t Size() const { return bytes_.size(); }
    uint8_t* Data() { return bytes_.data(); }
    const uint8_t* Data() const { return bytes_.data(); }
    std::vector<uint8_t>& Bytes() { return bytes_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Clear() { std::vector<uint8_t>().swap(bytes_); }

    // Raw header fields; 0 when the block is too short to hold them.
    uint32_t BitsOffsetField() const;
    int32_t WidthField() const;
    int32_t HeightField() const;
    uint16_t BitsPerPixelField() const;
    uint32_t CompressionField() const;
    void SetWidthField(int32_t width);

    // Checks the headers against the block and fills `out`. False when the
    // block does not hold a picture we can draw safely (wrong signature,
    // unknown header or bit depth, sizes beyond the limits, colour table or
    // pixel bits reaching past the end).
    bool Layout(BitmapLayout& out) const;

    // The pixel bits of row y counted from the top, or nullptr when the
    // layout is not valid or y is out of range. Only for uncompressed bits.
    const uint8_t* RowFromTop(const BitmapLayout& layout, int32_t y) const;
    uint8_t* RowFromTop(const BitmapLayout& layout, int32_t y);

private:
    std::vector<uint8_t> bytes_;
};

// Row length in bytes of an uncompressed bitmap, padded to 4; 0 on overflow.
size_t BitmapStride(int64_t width, int bitsPerPixel);

}  // namespace imaging
