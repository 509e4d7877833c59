// Fuzz target: wheel style files (".wh1".. ".di5": the 3478-byte record of version 2 or the
// 1248-byte record of version 1) and their readable text descriptions. Input: the bytes, read
// both as a record and as a description.
// Properties: reading never crashes, leaks or runs away; a style that is read has every field
// in its range (forcing the ranges again changes nothing), and it survives the record and the
// description both ways unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drawing/wheel_style.h"
#include "fuzz_session.h"

using namespace meridia;

namespace {

void CheckRoundTrips(const drawing::WheelStyle& style) {
    const std::string record = drawing::EncodeWheelStyle(style);
    drawing::WheelStyle forced = style;
    drawing::ForceStyleRanges(forced);
    fuzz::Require(drawing::EncodeWheelStyle(forced) == record,
                  "a read style has a field out of range");
    const auto again = drawing::DecodeWheelStyle(record);
    fuzz::Require(again.ok() && drawing::EncodeWheelStyle(*again) == record,
                  "a written record does not read back");
    const auto text = drawing::StyleFromText(drawing::StyleToText(style));
    fuzz::Require(text.ok() && drawing::EncodeWheelStyle(*text) == record,
                  "a style's description does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::string_view bytes = fuzz::AsBytes(data, size);
    if (const auto style = drawing::DecodeWheelStyle(bytes); style.ok()) {
        CheckRoundTrips(*style);
    }
    if (const auto style = drawing::StyleFromText(bytes); style.ok()) {
        CheckRoundTrips(*style);
    }
    return 0;
}
