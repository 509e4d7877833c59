// Fuzz target: the aspect-pattern definitions ("AspectPatterns.ini"), then the pattern search
// with them over a grid in which every pair of twelve points is aspected. Input: the file.
// Properties: parsing and searching never crash, leak or run away, whatever positions and
// elements the definitions name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "aspects/aspect_patterns.h"
#include "fuzz_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const auto definitions = aspects::ParsePatternDefinitions(fuzz::AsBytes(data, size));
    for (const aspects::PatternDefinition& definition : definitions) {
        aspects::PatternName(definitions, definition.id);
    }

    // Points 30 degrees apart; the aspect of a pair is the number of 30-degree steps between
    // them (1 to 6), so every small figure is present somewhere.
    constexpr int kPoints = 12;
    std::vector<int> numbers;
    std::vector<double> longitudes;
    std::vector<int> grid(kPoints * kPoints, 0);
    for (int i = 0; i < kPoints; ++i) {
        numbers.push_back(i + 1);
        longitudes.push_back(30.0 * i);
        for (int j = 0; j < kPoints; ++j) {
            const int steps = (j - i + kPoints) % kPoints;
            grid[static_cast<std::size_t>(i * kPoints + j)] =
                i == j ? 0 : std::min(steps, kPoints - steps);
        }
    }
    aspects::FindPatterns(definitions, aspects::PatternGrid(numbers, longitudes, grid));
    return 0;
}
