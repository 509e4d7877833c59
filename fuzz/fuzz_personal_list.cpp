// Fuzz target: the personal atlas list ("axpa.dat": one place a line, six tab-separated
// fields). Input: the file.
// Properties: reading never crashes, leaks or runs away; the list read can be saved and read
// again with the same number of places.
#include <cstddef>
#include <cstdint>

#include "fuzz_session.h"
#include "places/place_files.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::filesystem::path folder = session.user_files() / "Places";
    meridia::testing::WriteFile(folder / "axpa.dat", fuzz::AsBytes(data, size));

    const auto list = places::LoadPersonalList(folder);
    const std::filesystem::path copy = session.user_files() / "Copy";
    std::filesystem::create_directories(copy);
    if (places::SavePersonalList(copy, list)) {
        fuzz::Require(places::LoadPersonalList(copy).size() == list.size(),
                      "a saved list does not read back");
    }
    return 0;
}
