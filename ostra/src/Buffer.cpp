#include "Buffer.h"

#include <cstdlib>

namespace ostra {

Buffer::~Buffer()
{
    Release();
}

Buffer::Buffer(Buffer&& other) noexcept
    : data_(other.data_)
    , size_(other.size_)
{
    other.data_ = nullptr;
    other.size_ = 0;
}

Buffer& Buffer::operator=(Buffer&& other) noexcept
{
    if (this != &other) {
        Release();
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

bool Buffer::Overlaps(const void* p, size_t size) const
{
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data_);
    const uintptr_t at = reinterpret_cast<uintptr_t>(p);
    return data_ != nullptr && size != 0 && at < begin + size_ && begin < at + size;
}

bool Buffer::Allocate(size_t size)
{
    Release();
    constexpr size_t kAlign = 64;
    if (size > SIZE_MAX - kAlign) {
        return false;
    }
    const size_t rounded = (size + kAlign - 1) / kAlign * kAlign;
    void* block = std::aligned_alloc(kAlign, rounded == 0 ? kAlign : rounded);
    if (block == nullptr) {
        return false;
    }
    data_ = static_cast<uint8_t*>(block);
    size_ = size;
    return true;
}

void Buffer::Release()
{
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace ostra
