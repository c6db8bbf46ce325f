#pragma once
// A device played by hand on a bare pseudo-terminal: for every request frame
// the PC sends, the test's answer function gives the exact bytes to return.
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "talvix/filexfer/CFileIO.h"
#include "tools/selksim/testing/RawPty.h"

namespace testing_fx {

inline std::vector<uint8_t> Frame(uint8_t code, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> f = {0x16, code, static_cast<uint8_t>(payload.size()),
                              static_cast<uint8_t>(payload.size() >> 8)};
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back(0x03);
    f.push_back(talvix::CFileIO::Checksum(f.data(), f.size()));
    return f;
}

class FakeDevice {
public:
    using Answer = std::function<std::vector<uint8_t>(const std::vector<uint8_t>& request)>;

    explicit FakeDevice(Answer answer) : answer_(std::move(answer))
    {
        thread_ = std::thread([this] { Loop(); });
    }
    ~FakeDevice()
    {
        stop_ = true;
        thread_.join();
    }
    const std::string& path() const { return pty_.path(); }
    std::vector<std::vector<uint8_t>> Requests()
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    void Hangup() { hangup_ = true; }

private:
    void Loop()
    {
        std::vector<uint8_t> in;
        while (!stop_) {
            if (hangup_) {
                pty_.Hangup();
                return;
            }
            auto got = pty_.Read(20);
            in.insert(in.end(), got.begin(), got.end());
            while (in.size() >= 4) {
                const size_t len = in[2] | in[3] << 8;
                if (in.size() < len + 6)
                    break;
                std::vector<uint8_t> req(in.begin(), in.begin() + static_cast<long>(len + 6));
                in.erase(in.begin(), in.begin() + static_cast<long>(len + 6));
                {
                    std::lock_guard lock(mutex_);
                    requests_.push_back(req);
                }
                auto reply = answer_(req);
                if (!reply.empty())
                    pty_.Write(reply);
            }
        }
    }

    selksim::RawPty pty_;
    Answer answer_;
    std::thread thread_;
    std::atomic<bool> stop_{false}, hangup_{false};
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> requests_;
};

}  // namespace testing_fx
