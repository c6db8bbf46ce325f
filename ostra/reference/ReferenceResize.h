// The straightforward resize, written step by step as the algorithm reads.
// Slow on purpose: tests and the benchmark use it as the oracle for the fast
// library. Not part of libostra.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace ostra_reference {

class ReferenceResize {
public:
    enum class Outcome { Ok, MemoryError, FormatError };

    struct Result {
        Outcome outcome = Outcome::Ok;
        std::vector<uint8_t> pixels;        // output rows, padded to 4 bytes
        std::array<uint8_t, 40> header{};   // the header as it would be written back
        int columnPhases = 0;
        int rowPhases = 0;
    };

    // info: 40-byte header plus colour table; bits: the input rows.
    static Result Run(const uint8_t* info, const uint8_t* bits, int newWidth, int newHeight);

    // Number of filter phases for a source and target size.
    static int ReducePhases(int source, int target);

    // 15 fixed-point taps per phase, phase after phase.
    static std::vector<int> BuildFilter(int source, int target, int* phases);
};

}  // namespace ostra_reference
