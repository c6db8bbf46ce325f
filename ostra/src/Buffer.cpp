#include "Buffer.h"

#include <cstdlib>

namespace ostra {

Buffer::~Buffer()
{
    Release();
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
