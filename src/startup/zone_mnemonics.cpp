#include "startup/zone_mnemonics.h"

#include "startup/session.h"

namespace meridia::startup {

ZoneMnemonicTable& ZoneMnemonics() { return CurrentSession().Get<ZoneMnemonicTable>(); }

bool LoadZoneMnemonics(const std::filesystem::path& /*path*/) { return false; }

}  // namespace meridia::startup
