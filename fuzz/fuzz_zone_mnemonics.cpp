// Fuzz target: the zone-mnemonic file ("TIMEZONE.FIL": mnemonic, description and zone value
// text in fixed columns), then the zone parser with the table loaded. Input: the file.
// Properties: loading never crashes, leaks or runs away; at most 65 entries are kept; a zone
// given by mnemonic is finite and within a day.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "fuzz_session.h"
#include "startup/zone_mnemonics.h"
#include "support/test_session.h"
#include "textformats/time_text.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::string_view input = fuzz::AsBytes(data, size);
    bool too_many = false;
    startup::ParseZoneMnemonics(input, &too_many);

    const std::filesystem::path file = session.user_files() / "Places" / "TIMEZONE.FIL";
    meridia::testing::WriteFile(file, input);
    if (!startup::LoadZoneMnemonics(file)) {
        return 0;
    }
    const auto entries = startup::ZoneMnemonics().entries;
    fuzz::Require(entries.size() <= static_cast<std::size_t>(startup::kMaxZoneMnemonics),
                  "more zone mnemonics than the table holds");
    for (const startup::ZoneMnemonic& entry : entries) {
        startup::FindZoneMnemonic(entry.mnemonic);
        if (const auto zone = textformats::ParseTimeZone(entry.mnemonic)) {
            fuzz::Require(std::isfinite(*zone) && std::fabs(*zone) <= 24.0,
                          "a zone mnemonic gives a zone out of range");
        }
    }
    return 0;
}
