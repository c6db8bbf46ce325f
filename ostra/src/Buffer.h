// An owned, 64-byte aligned block of raw memory. Not zeroed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostra {

class Buffer {
public:
    Buffer() = default;
    ~Buffer();
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    Buffer(Buffer&& other) noexcept;
    Buffer& operator=(Buffer&& other) noexcept;

    // Replaces the block by a new one of at least size bytes; false when the
    // memory is not there (the buffer is then empty).
    bool Allocate(size_t size);
    void Release();

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }
    // True when the size bytes from p share a byte with this block.
    bool Overlaps(const void* p, size_t size) const;

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace ostra
