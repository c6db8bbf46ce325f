#include "talvix/cli/ProgressBar.h"

#include "platform/Cp932.h"

namespace talvix {

ProgressBar::ProgressBar(std::FILE* out) : out_(out), start_(std::chrono::steady_clock::now()) {}

std::string ProgressBar::Line(const std::string& name, int percent, double elapsed)
{
    constexpr int kWidth = 20;
    constexpr size_t kName = 32;
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    std::string shown = name;
    if (shown.size() > kName) {
        // Keep the end of the path, without cutting a UTF-8 character.
        size_t cut = shown.size() - (kName - 3);
        while (cut < shown.size() && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            ++cut;
        shown = "..." + shown.substr(cut);
    }
    const int filled = percent * kWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '-');
    char left[32] = "--:--";
    if (percent > 0) {
        const long secs = static_cast<long>(elapsed * (100 - percent) / percent + 0.5);
        std::snprintf(left, sizeof left, "%02ld:%02ld", secs / 60, secs % 60);
    }
    char text[200];
    std::snprintf(text, sizeof text, "%-*s [%s] %3d%% %s left", static_cast<int>(kName), shown.c_str(), bar.c_str(),
                  percent, left);
    return text;
}

void ProgressBar::CopyProgress(const std::string& cardPath, int percent)
{
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(out_, "\r%s\x1b[K", Line(platform::ToUtf8(cardPath), percent, elapsed).c_str());
    std::fflush(out_);
    shown_ = true;
}

void ProgressBar::Finish()
{
    if (shown_)
        std::fputc('\n', out_);
    shown_ = false;
}

}  // namespace talvix
