#include "startup/byte_io.h"

#include "startup/text_tools.h"

namespace meridia::startup {

void ByteWriter::Text(std::string_view utf8, std::size_t width) {
    bytes_.append(EncodeFixedText(utf8, width));
}

std::string ByteReader::Text(std::size_t width) { return DecodeFixedText(Raw(width)); }

}  // namespace meridia::startup
