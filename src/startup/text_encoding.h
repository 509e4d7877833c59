// Conversion at the file boundary between the Windows-1252 bytes of the data files and the
// UTF-8 text held in memory. A character that Windows-1252 cannot hold is written as "?".
#pragma once

#include <string>
#include <string_view>

namespace meridia::startup {

// Windows-1252 bytes to UTF-8. The five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map
// to the control characters of the same number.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes; characters outside the code page, and malformed UTF-8
// sequences, become "?".
std::string Utf8ToWindows1252(std::string_view text);

}  // namespace meridia::startup
