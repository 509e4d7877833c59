// Fuzz target: aspect-set files (".asp") in both layouts (version 1: header, 145-byte records,
// point ratios; version 0 and below: 50-byte records), then the aspect search with the set
// that was loaded. Input: the file.
// Properties: loading never crashes, leaks or runs away; a refused file leaves the set as it
// was; a loaded set can be saved and loaded again with the same number of aspects, and the
// aspect search runs with it.
#include <cstddef>
#include <cstdint>

#include "aspects/aspect_find.h"
#include "aspects/aspect_set.h"
#include "fuzz_session.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::filesystem::path folder = session.user_files() / "Aspects";
    const std::filesystem::path file = folder / "fuzz.asp";
    meridia::testing::WriteFile(file, fuzz::AsBytes(data, size));

    const aspects::AspectSet standard = aspects::StandardAspectSet();
    aspects::AspectSet set = standard;
    if (!aspects::LoadAspectSet(file, true, set).ok()) {
        fuzz::Require(set.header == standard.header && set.aspects == standard.aspects &&
                          set.active == standard.active,
                      "a refused file changed the set");
        return 0;
    }

    // The search over a circle of points, with and without a second chart.
    for (int kind = aspects::kOrbNatal; kind <= aspects::kOrbTransit; ++kind) {
        for (int i = 0; i < 12; ++i) {
            aspects::AspectPoint a;
            a.point = 1 + i;
            a.longitude = 30.0 * i + 0.5 * i;
            a.speed = 1.0 - 0.2 * i;
            a.declination = 2.0 * i - 11.0;
            for (int j = i + 1; j < 12; ++j) {
                aspects::AspectPoint b;
                b.point = 1 + j;
                b.longitude = 29.0 * j;
                b.speed = 0.1 * j;
                b.declination = 11.0 - 2.0 * j;
                aspects::FindAspect(set, a, b, kind, true);
                aspects::FindAspect(set, a, b, kind, false);
                aspects::FindParallel(set, a, b, aspects::ParallelBasis::kDeclination, kind);
            }
            aspects::NextAspectAngle(set, a.longitude);
        }
    }

    const std::filesystem::path copy = folder / "copy.asp";
    if (aspects::SaveAspectSet(copy, set)) {
        aspects::AspectSet again = standard;
        fuzz::Require(
            aspects::LoadAspectSet(copy, true, again).ok() && again.Count() == set.Count(),
            "a saved set does not load again");
    }
    return 0;
}
