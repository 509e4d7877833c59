#include "startup/byte_io.h"

#include "startup/text_encoding.h"

namespace meridia::startup {

void ByteWriter::Text(std::string_view utf8, std::size_t width) {
    std::string field = Utf8ToWindows1252(utf8);
    field.resize(width, ' ');
    bytes_.append(field);
}

std::string ByteReader::Text(std::size_t width) {
    std::string_view field = Raw(width);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\0')) {
        field.remove_suffix(1);
    }
    return Windows1252ToUtf8(field);
}

}  // namespace meridia::startup
