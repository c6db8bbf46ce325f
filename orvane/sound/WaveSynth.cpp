#include "orvane/sound/WaveSynth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane {
namespace WaveSynth {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

std::vector<int16_t> Render(const std::vector<Note>& notes)
{
    int endMs = 0;
    for (const Note& n : notes)
        endMs = std::max(endMs, n.startMs + n.lengthMs);
    const size_t count = static_cast<size_t>(endMs) * kSampleRate / 1000;
    std::vector<double> mix(count, 0.0);
    for (const Note& n : notes) {
        const size_t start = static_cast<size_t>(n.startMs) * kSampleRate / 1000;
        const size_t length = static_cast<size_t>(n.lengthMs) * kSampleRate / 1000;
        const double attack = 0.004 * kSampleRate;
        for (size_t i = 0; i < length && start + i < count; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const double w = 2.0 * std::numbers::pi * n.frequency * t;
            const double tone = std::sin(w) + 0.35 * std::sin(2.0 * w) + 0.12 * std::sin(3.0 * w);
            const double decay = std::exp(-6.0 * static_cast<double>(i) / static_cast<double>(length));
            const double fadeIn = std::min(1.0, static_cast<double>(i) / attack);
            const double fadeOut = std::min(1.0, static_cast<double>(length - i) / attack);
            mix[start + i] += n.level * tone * decay * fadeIn * fadeOut / 1.47;
        }
    }
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        const double v = std::clamp(mix[i], -1.0, 1.0);
        samples[i] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
    return samples;
}

std::vector<uint8_t> WavFile(const std::vector<int16_t>& samples, int sampleRate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutTag(out, "RIFF");
    Put(out, 36 + dataBytes, 4);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put(out, 16, 4);                                   // chunk size
    Put(out, 1, 2);                                    // PCM
    Put(out, 1, 2);                                    // mono
    Put(out, static_cast<uint32_t>(sampleRate), 4);
    Put(out, static_cast<uint32_t>(sampleRate) * 2, 4);  // bytes per second
    Put(out, 2, 2);                                    // block align
    Put(out, 16, 2);                                   // bits per sample
    PutTag(out, "data");
    Put(out, dataBytes, 4);
    for (int16_t s : samples)
        Put(out, static_cast<uint16_t>(s), 2);
    return out;
}

std::vector<uint8_t> FocusSound(int which)
{
    if (which == 2)
        return WavFile(Render({{659.25, 0, 140, 0.45}, {523.25, 60, 220, 0.40}}));
    return WavFile(Render({{1046.5, 0, 110, 0.40}, {1567.98, 45, 190, 0.35}}));
}

}  // namespace WaveSynth
}  // namespace orvane
