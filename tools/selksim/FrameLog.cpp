#include "FrameLog.h"

#include <chrono>

namespace selksim {

namespace {
const auto g_start = std::chrono::steady_clock::now();

std::string Escape(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
}  // namespace

FrameLog::~FrameLog()
{
    if (file_)
        std::fclose(file_);
}

bool FrameLog::Open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

long long FrameLog::Now() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - g_start).count();
}

std::string FrameLog::Hex(const uint8_t* bytes, size_t count)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        if (i)
            out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

void FrameLog::Frame(const char* dir, const char* mode, const uint8_t* bytes, size_t count)
{
    if (!file_)
        return;
    std::fprintf(file_, "{\"t\":%lld,\"dir\":\"%s\",\"mode\":\"%s\",\"hex\":\"%s\"}\n", Now(), dir, mode,
                 Hex(bytes, count).c_str());
    std::fflush(file_);
}

void FrameLog::Event(const std::string& text, int id)
{
    if (!file_)
        return;
    if (id >= 0)
        std::fprintf(file_, "{\"t\":%lld,\"event\":\"%s\",\"id\":%d}\n", Now(), Escape(text).c_str(), id);
    else
        std::fprintf(file_, "{\"t\":%lld,\"event\":\"%s\"}\n", Now(), Escape(text).c_str());
    std::fflush(file_);
}

}  // namespace selksim
