#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/Rgb32Image.h"

namespace imaging {

// Decoded pictures kept between draws, checked against their files.
//
// A picture is decoded once and handed out again as long as its file has the
// same size, modification time and inode; a file changed on disk (rotated,
// edited) is decoded again at the next Get(). Pictures that are likely to be
// asked for next can be decoded ahead of time on the cache's own worker
// thread. The least recently used pictures beyond the capacity, or beyond
// the byte budget, are dropped (the one just stored always stays).
class PictureCache {
public:
    static constexpr size_t kDefaultBudget = size_t(640) << 20;

    explicit PictureCache(size_t capacity = 4, size_t byteBudget = kDefaultBudget);
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // The picture of `path` (LoadPictureRgb32 rules), decoded now unless a
    // current copy is held or the worker is decoding it at this moment (then
    // this waits for it). nullptr when the picture cannot be shown.
    std::shared_ptr<const Rgb32Image> Get(const std::string& path);

    // Asks the worker to decode these pictures, in order; requests not yet
    // started are replaced by these.
    void Preload(const std::vector<std::string>& paths);

    // Waits until the worker has nothing left to do (for tests and benchmarks).
    void WaitIdle();

    // True when a current decoded copy of `path` is held (no decoding).
    bool Holds(const std::string& path);

    // Number of decodes done so far (for tests and benchmarks).
    uint64_t DecodeCount();

private:
    struct Stamp {
        bool exists = false;
        uint64_t size = 0;
        int64_t mtimeNs = 0;
        uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        std::string path;
        Stamp stamp;
        std::shared_ptr<const Rgb32Image> image;  // nullptr: broken
        uint64_t lastUse = 0;
    };

    static Stamp StampOf(const std::string& path);
    Entry* FindLocked(const std::string& path);
    void StoreLocked(const std::string& path, const Stamp& stamp, std::shared_ptr<const Rgb32Image> image);
    static std::shared_ptr<const Rgb32Image> Decode(const std::string& path);
    void WorkerLoop();

    const size_t capacity_;
    const size_t byteBudget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    std::deque<std::string> queue_;
    std::string decoding_;  // path the worker is decoding, empty when none
    uint64_t useCounter_ = 0;
    uint64_t decodes_ = 0;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace imaging
