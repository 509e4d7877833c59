// Fuzz target: the readers of extra-point text files, an Arabic parts file (".arp"), an
// extra-point definition file (".ptu") and a star catalogue ("sefstars.txt"). Input: the text,
// read by each. Properties: reading never crashes, leaks or runs away; a file that is read
// holds at most the limits of its kind, and what the writers make of it reads back the same.
#include <cstddef>
#include <cstdint>

#include "astro/arabic_parts.h"
#include "astro/extra_points.h"
#include "astro/fixed_stars.h"
#include "fuzz_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::string_view input = fuzz::AsBytes(data, size);

    if (const auto parts = astro::ParsePartsFile(input, "fuzz.arp"); parts.ok()) {
        fuzz::Require(parts->lots.size() <= static_cast<std::size_t>(astro::kMaxLots),
                      "more lots than a parts file holds");
        const std::string text = astro::FormatPartsFile(*parts);
        const auto again = astro::ParsePartsFile(text, "fuzz.arp");
        fuzz::Require(again.ok() && astro::FormatPartsFile(*again) == text,
                      "a parts file does not read back as written");
    }
    if (const auto points = astro::ParseExtraPointFile(input, "fuzz.ptu"); points.ok()) {
        fuzz::Require(points->size() <= static_cast<std::size_t>(astro::kMaxExtraPoints),
                      "more extra points than a chart holds");
    }
    if (const auto stars = astro::ParseStarCatalogue(input, "sefstars.txt"); stars.ok()) {
        fuzz::Require(!stars->stars.empty(), "a star catalogue without a star was read");
    }
    return 0;
}
