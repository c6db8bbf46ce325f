#pragma once
#include <cstdint>
#include <vector>

namespace orvane {

// Makes the launcher's short focus sounds as 16-bit mono PCM WAV files.
namespace WaveSynth {

constexpr int kSampleRate = 22050;

// One tone of a chime: a sine with a few overtones and a bell-like decay.
struct Note {
    double frequency;  // Hz
    int startMs;       // from the start of the sound
    int lengthMs;
    double level;      // 0..1
};

// Mixes the notes into samples, with a short fade-in against clicks.
std::vector<int16_t> Render(const std::vector<Note>& notes);

// A whole WAV file (RIFF header, "fmt " and "data" chunks) of the samples.
std::vector<uint8_t> WavFile(const std::vector<int16_t>& samples, int sampleRate = kSampleRate);

// "FOCUS1" (which = 1): a bright two-note chime for the programs;
// "FOCUS2" (which = 2): a softer, lower one for the title actions.
std::vector<uint8_t> FocusSound(int which);

}  // namespace WaveSynth

}  // namespace orvane
