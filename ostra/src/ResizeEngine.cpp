#include "ResizeEngine.h"

#include "ImageConvert.h"
#include "ImageFilter.h"

#include <cstring>
#include <unistd.h>

namespace ostra {
namespace {

constexpr size_t kHeaderBytes = 40;
constexpr int kBorder = 7;

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

// The most one call may hold at once: what the machine's memory could hold,
// and never more than a pointer difference can span.
uint64_t MemoryLimit()
{
    uint64_t limit = uint64_t(PTRDIFF_MAX);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0 && uint64_t(pages) <= limit / uint64_t(pageSize)) {
        limit = uint64_t(pages) * uint64_t(pageSize);
    }
    return limit;
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

    // Sizes that are not positive, or whose buffers would not fit in memory
    // (or would wrap the size arithmetic), are refused before anything is
    // allocated.
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0) {
        return Failure::Memory;
    }
    const uint64_t extendedBytes = (uint64_t(width) + 2 * kBorder) * (uint64_t(height) + 2 * kBorder) * 3;
    const uint64_t copyBytes = bitCount == 24 ? 0 : ImageConvert::Row24Bytes(width) * uint64_t(height);
    const uint64_t resultBytes = ImageConvert::Row24Bytes(newWidth) * uint64_t(newHeight);
    uint64_t total = AddCapped(extendedBytes, copyBytes);
    total = AddCapped(total, resultBytes);
    total = AddCapped(total, FilterTable::BytesFor(FilterTable::ReducePhases(width, newWidth)));
    total = AddCapped(total, FilterTable::BytesFor(FilterTable::ReducePhases(height, newHeight)));
    total = AddCapped(total, ImageFilter::RowBufferBytes(width));
    if (total > MemoryLimit()) {
        return Failure::Memory;
    }

    sourceWidth_ = width;
    sourceHeight_ = height;
    newWidth_ = newWidth;
    newHeight_ = newHeight;

    if (!extendedImage_.Allocate(size_t(extendedBytes))) {
        return Failure::Memory;
    }
    if (bitCount == 24) {
        ImageConvert::ExtendEdges(bits, width, height, extendedImage_.data());
    } else {
        Buffer copy;
        if (!copy.Allocate(size_t(copyBytes))) {
            return Failure::Memory;
        }
        if (!ImageConvert::ConvertTo24(bits, bitCount, info + kHeaderBytes, width, height, copy.data())) {
            return Failure::Format;
        }
        ImageConvert::ExtendEdges(copy.data(), width, height, extendedImage_.data());
        header[14] = 24;
        header[15] = 0;
        WriteInt32(header + 16, 0);  // compression
        WriteInt32(header + 32, 0);  // colours used
        WriteInt32(header + 36, 0);  // important colours
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
    if (!ImageFilter::Run(extendedImage_.data(), sizes, columnTaps_, rowTaps_, KernelsFor(path_),
                          resultPixels_.data())) {
        return Failure::Memory;
    }

    WriteInt32(header + 4, newWidth);
    WriteInt32(header + 8, newHeight);
    WriteInt32(header + 20, 0);  // image size
    std::memcpy(info, header, kHeaderBytes);
    extendedImage_.Release();
    return Failure::None;
}

void ResizeEngine::ReleaseAll()
{
    extendedImage_.Release();
    resultPixels_.Release();
    columnTaps_.Release();
    rowTaps_.Release();
    columnPhases_ = 0;
    rowPhases_ = 0;
}

}  // namespace ostra
