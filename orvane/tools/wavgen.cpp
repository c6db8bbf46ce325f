// Writes the launcher's focus sounds: wavgen <FOCUS1.wav> <FOCUS2.wav>
#include <cstdio>
#include <vector>

#include "orvane/sound/WaveSynth.h"

static int WriteFile(const char* path, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr)
        return 1;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0 && ok) ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: wavgen FOCUS1.wav FOCUS2.wav\n");
        return 2;
    }
    if (WriteFile(argv[1], orvane::WaveSynth::FocusSound(1)) != 0 ||
        WriteFile(argv[2], orvane::WaveSynth::FocusSound(2)) != 0) {
        std::perror("wavgen");
        return 1;
    }
    return 0;
}
