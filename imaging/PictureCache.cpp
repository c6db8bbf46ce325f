#include "imaging/PictureCache.h"

#include <sys/stat.h>

#include <algorithm>

#include "imaging/NoCasePath.h"
#include "imaging/PictureLoader.h"

namespace imaging {

PictureCache::PictureCache(size_t capacity, size_t byteBudget)
    : capacity_(std::max<size_t>(capacity, 1)), byteBudget_(byteBudget) {
    worker_ = std::thread([this] { WorkerLoop(); });
}

PictureCache::~PictureCache() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    worker_.join();
}

PictureCache::Stamp PictureCache::StampOf(const std::string& path) {
    Stamp s;
    struct stat st {};
    if (::stat(FindExistingPath(path).c_str(), &st) != 0) return s;
    s.exists = true;
    s.size = uint64_t(st.st_size);
    s.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.inode = uint64_t(st.st_ino);
    return s;
}

std::shared_ptr<const Rgb32Image> PictureCache::Decode(const std::string& path) {
    auto image = std::make_shared<Rgb32Image>();
    if (!LoadPictureRgb32(path, *image)) return nullptr;
    return image;
}

PictureCache::Entry* PictureCache::FindLocked(const std::string& path) {
    for (Entry& e : entries_) {
        if (e.path == path) return &e;
    }
    return nullptr;
}

void PictureCache::StoreLocked(const std::string& path, const Stamp& stamp, std::shared_ptr<const Rgb32Image> image) {
    Entry* e = FindLocked(path);
    if (e == nullptr) {
        if (entries_.size() >= capacity_) {
            auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                           [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
            entries_.erase(oldest);
        }
        entries_.push_back(Entry{path, {}, nullptr, 0});
        e = &entries_.back();
    }
    e->stamp = stamp;
    e->image = std::move(image);
    e->lastUse = ++useCounter_;

    // Within the byte budget: drop the least recently used others.
    auto bytesOf = [](const Entry& x) { return x.image ? x.image->pixels.size() * sizeof(uint32_t) : 0; };
    for (;;) {
        size_t total = 0;
        for (const Entry& x : entries_) total += bytesOf(x);
        if (total <= byteBudget_ || entries_.size() <= 1) break;
        auto oldest = entries_.end();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->path != path && (oldest == entries_.end() || it->lastUse < oldest->lastUse)) oldest = it;
        }
        if (oldest == entries_.end()) break;
        entries_.erase(oldest);
    }
}

std::shared_ptr<const Rgb32Image> PictureCache::Get(const std::string& path) {
    const Stamp stamp = StampOf(path);
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return decoding_ != path; });
        if (Entry* e = FindLocked(path); e != nullptr && e->stamp == stamp) {
            e->lastUse = ++useCounter_;
            return e->image;
        }
        // Decoding it now makes a queued request for it useless.
        queue_.erase(std::remove(queue_.begin(), queue_.end(), path), queue_.end());
        ++decodes_;
    }
    std::shared_ptr<const Rgb32Image> image = Decode(path);
    std::lock_guard<std::mutex> lock(mutex_);
    StoreLocked(path, stamp, image);
    return image;
}

void PictureCache::Preload(const std::vector<std::string>& paths) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.assign(paths.begin(), paths.end());
    }
    changed_.notify_all();
}

void PictureCache::WaitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return queue_.empty() && decoding_.empty(); });
}

bool PictureCache::Holds(const std::string& path) {
    const Stamp stamp = StampOf(path);
    std::lock_guard<std::mutex> lock(mutex_);
    const Entry* e = FindLocked(path);
    return e != nullptr && e->stamp == stamp;
}

uint64_t PictureCache::DecodeCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return decodes_;
}

void PictureCache::WorkerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        const std::string path = queue_.front();
        queue_.pop_front();
        decoding_ = path;
        lock.unlock();
        const Stamp stamp = StampOf(path);
        lock.lock();
        if (Entry* e = FindLocked(path); e != nullptr && e->stamp == stamp) {
            decoding_.clear();
            changed_.notify_all();
            continue;
        }
        ++decodes_;
        lock.unlock();
        std::shared_ptr<const Rgb32Image> image = Decode(path);
        lock.lock();
        StoreLocked(path, stamp, image);
        decoding_.clear();
        changed_.notify_all();
    }
}

}  // namespace imaging
