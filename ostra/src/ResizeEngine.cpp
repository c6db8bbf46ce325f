#include "ResizeEngine.h"

#include "ImageConvert.h"
#include "ImageFilter.h"
#include "MemoryLimit.h"

#include <cstring>
#include <utility>

namespace ostra {
namespace {

constexpr size_t kHeaderBytes = 40;

int32_t ReadInt32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void WriteInt32(uint8_t* p, int32_t value)
{
    const uint32_t v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// Adds without wrapping: a sum that would wrap stays at the top.
uint64_t AddCapped(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

uint64_t MultiplyCapped(uint64_t a, uint64_t b)
{
    return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

}  // namespace

ResizeEngine::ResizeEngine()
    : texts_(ErrorTexts::FromEnvironment())
    , path_(BestKernelPath())
{
}

bool ResizeEngine::SetKernelPath(KernelPath path)
{
    if (!KernelPathAvailable(path)) {
        return false;
    }
    path_ = path;
    return true;
}

uint8_t* ResizeEngine::ReSize(void* info, const void* bits, int32_t newWidth, int32_t newHeight)
{
    const Failure failure = Run(static_cast<uint8_t*>(info), static_cast<const uint8_t*>(bits), newWidth, newHeight);
    if (failure != Failure::None) {
        ReleaseAll();
        ErrorTexts::Show(failure == Failure::Format ? texts_.formatMessage() : texts_.memoryMessage());
        return nullptr;
    }
    return resultPixels_.data();
}

ResizeEngine::Failure ResizeEngine::Run(uint8_t* info, const uint8_t* bits, int32_t newWidth, int32_t newHeight)
{
    if (info == nullptr || bits == nullptr) {
        return Failure::Format;
    }
    uint8_t header[kHeaderBytes];
    std::memcpy(header, info, kHeaderBytes);
    const int32_t width = ReadInt32(header + 4);
    const int32_t height = ReadInt32(header + 8);
    const int bitCount = header[14] | header[15] << 8;

    // The steps take in the picture first (its working copy, and the
    // judgement of its bit depth), and only then use the new size. Sizes
    // that are not positive, or whose buffers would not fit in memory (or
    // would wrap the size arithmetic), are refused before anything is
    // allocated.
    if (width <= 0 || height <= 0) {
        return Failure::Memory;
    }
    // The input itself must fit as well: a header that claims more than
    // the machine can hold does not describe pixels in memory.
    const uint64_t inputBytes = MultiplyCapped(ImageConvert::InputRowBytes(width, bitCount), uint64_t(height));
    const uint64_t copyBytes = bitCount == 24 ? 0 : MultiplyCapped(ImageConvert::Row24Bytes(width), uint64_t(height));
    uint64_t total = AddCapped(inputBytes, copyBytes);
    if (!MemoryLimit::Fits(total)) {
        return Failure::Memory;
    }
    if (!ImageConvert::Supported(bitCount)) {
        return Failure::Format;
    }
    if (newWidth <= 0 || newHeight <= 0) {
        return Failure::Memory;
    }
    const uint64_t resultBytes = MultiplyCapped(ImageConvert::Row24Bytes(newWidth), uint64_t(newHeight));
    total = AddCapped(total, resultBytes);
    total = AddCapped(total, FilterTable::BytesFor(FilterTable::ReducePhases(width, newWidth)));
    total = AddCapped(total, FilterTable::BytesFor(FilterTable::ReducePhases(height, newHeight)));
    total = AddCapped(total, ImageFilter::RowBufferBytes(width, newWidth));
    if (!MemoryLimit::Fits(total)) {
        return Failure::Memory;
    }

    sourceWidth_ = width;
    sourceHeight_ = height;
    newWidth_ = newWidth;
    newHeight_ = newHeight;

    // The filter reads 24-bit rows: the caller's own for 24-bit input, else a
    // converted copy held until the end of the call.
    const uint8_t* rows24 = bits;
    if (bitCount != 24) {
        if (!image24_.Allocate(size_t(copyBytes))) {
            return Failure::Memory;
        }
        if (!ImageConvert::ConvertTo24(bits, bitCount, info + kHeaderBytes, width, height, image24_.data())) {
            return Failure::Format;
        }
        rows24 = image24_.data();
        header[14] = 24;
        header[15] = 0;
        WriteInt32(header + 16, 0);  // compression
        WriteInt32(header + 32, 0);  // colours used
        WriteInt32(header + 36, 0);  // important colours
    }

    // 24-bit rows are read where the caller keeps them, and that may be the
    // previous result itself (a resize of a resize): that block then stays
    // until this call is over, as if the input had been copied first.
    Buffer previous;
    if (rows24 == bits && resultPixels_.Overlaps(bits, size_t(inputBytes))) {
        previous = std::move(resultPixels_);
    }
    resultPixels_.Release();
    if (!resultPixels_.Allocate(size_t(resultBytes))) {
        return Failure::Memory;
    }

    columnPhases_ = columnTaps_.Build(width, newWidth);
    rowPhases_ = rowTaps_.Build(height, newHeight);
    if (columnPhases_ == 0 || rowPhases_ == 0) {
        return Failure::Memory;
    }

    const ImageFilter::Sizes sizes{width, height, newWidth, newHeight};
    if (!ImageFilter::Run(rows24, size_t(ImageConvert::Row24Bytes(width)), sizes, columnTaps_, rowTaps_, KernelsFor(path_),
                          resultPixels_.data())) {
        return Failure::Memory;
    }

    WriteInt32(header + 4, newWidth);
    WriteInt32(header + 8, newHeight);
    WriteInt32(header + 20, 0);  // image size
    std::memcpy(info, header, kHeaderBytes);
    image24_.Release();
    return Failure::None;
}

void ResizeEngine::ReleaseAll()
{
    image24_.Release();
    resultPixels_.Release();
    columnTaps_.Release();
    rowTaps_.Release();
    columnPhases_ = 0;
    rowPhases_ = 0;
}

}  // namespace ostra
