// Fuzz target: the settings file ("Meridia9.ini" of the user's "Settings" folder) as the
// session loads it into typed settings, then saves and loads it again. Input: the file.
// Properties: loading and saving never crash, leak or run away, whatever the values hold.
#include <cstddef>
#include <cstdint>

#include "fuzz_session.h"
#include "startup/settings_store.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    meridia::testing::WriteFile(startup::SettingsFilePath({}), fuzz::AsBytes(data, size));
    startup::LoadSettings();
    startup::SaveSettings();
    startup::LoadSettings();
    return 0;
}
