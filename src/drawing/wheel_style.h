// Wheel style files: how a wheel or dial looks (its concentric rings, the elements drawn in
// each ring band for each chart, the point rings, the aspect area and the modulus). A style is
// one fixed little-endian record: version 2 of 3478 bytes, or the older version 1 of 1248
// bytes, converted on loading. Every field is forced into its range after loading. Radii and
// lengths are fractions of the wheel radius or of a ring band (0..1); font sizes in points;
// colours 0x00BBGGRR; 16-bit flags hold -1 for on and 0 for off.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "startup/status.h"

namespace meridia::drawing {

inline constexpr std::size_t kStyleRecordBytes = 3478;
inline constexpr std::size_t kStyleRecordBytesV1 = 1248;
inline constexpr int kMaxRings = 20;
inline constexpr int kMaxWheelCharts = 5;
inline constexpr int kElementSets = 2;
inline constexpr int kStyleDescriptionBytes = 80;
// Element blocks of each kind: one per chart and element set.
inline constexpr std::size_t kElementBlocks =
    static_cast<std::size_t>(kElementSets) * kMaxWheelCharts;

using Flag = std::int16_t;  // -1 on, 0 off
inline constexpr Flag kOn = -1;
inline constexpr Flag kOff = 0;

struct StyleRing {
    float radius = 0.0F;  // fraction of the wheel radius
    Flag visible = kOff;
    std::int16_t pen_style = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none
    std::int16_t pen_width = 1;  // 1..5
    std::uint32_t pen_colour = 0;
    Flag filled = kOff;
    std::uint32_t fill_colour = 0xFFFFFF;  // 0xFFFFFF: the background colour
};

// House cusp lines between two rings. Index 0 is for the angles (cusps 1, 4, 7, 10), index 1
// for the other cusps; `length` is the part of the band the line covers from its outer ring.
struct CuspLineElement {
    std::int16_t ring_a = 0;
    std::int16_t ring_b = 0;
    std::array<std::int16_t, 2> pen_style{};
    std::array<std::int16_t, 2> pen_width{1, 1};
    std::array<std::uint32_t, 2> colour{};
    std::array<Flag, 2> show{};
    std::array<float, 2> length{};
};

// Degree, sign and minute text at each cusp. Format 1: degrees, sign glyph and minutes in a
// column across the band; 2: one line "12<sign>34" across the band; 3: degrees and sign;
// 4: degrees alone. `position`: radius across the band of the first text (0 inner ring,
// 1 outer ring); `offset`: angular distance of the text from the cusp line in tens of degrees;
// `direction`: -1 before the cusp (clockwise side), 1 after it, 0 on the line.
struct CuspTextElement {
    std::int16_t ring_a = 0;
    std::int16_t ring_b = 0;
    std::int16_t format = 1;  // 1..4
    Flag angles_only = kOff;
    float position = 0.5F;
    float offset = 0.0F;
    std::int16_t direction = 1;  // -1..1
    float degree_size = 10.0F;
    Flag show_degrees = kOn;
    float sign_size = 10.0F;
    Flag show_sign = kOn;
    float minute_size = 7.5F;
    Flag show_minutes = kOn;
};

struct HouseNumberElement {
    std::int16_t ring_a = 0;
    std::int16_t ring_b = 0;
    float position = 0.5F;  // across the band
    float font_size = 9.0F;
    Flag bold = kOff;
};

// Bits of ScaleElement::content.
inline constexpr int kScaleSignLines = 1;
inline constexpr int kScaleSignGlyphs = 2;
inline constexpr int kScaleTicks = 4;
inline constexpr int kScaleNumbers = 8;

// Number modes of ScaleElement::number_mode.
inline constexpr int kNumbersNone = 0;
inline constexpr int kNumbersInSign = 1;
inline constexpr int kNumbersLongitude = 2;
inline constexpr int kNumbersDial = 3;

// The zodiac divisions and degree scale of a band: sign division lines, sign glyphs (in
// element colours when asked, the band's sign sectors filled with light element colours), and
// ticks every major_interval, middle_interval and middle_interval / subdivisions degrees of
// longitude, their lengths fractions of the band, drawn from the outer ring inwards (or from
// the inner ring outwards).
struct ScaleElement {
    std::int16_t ring_a = 0;
    std::int16_t ring_b = 0;
    std::int16_t content = 1;  // 1..15, kScale* bits
    Flag element_colours = kOff;
    float glyph_position = 0.5F;  // across the band
    float glyph_size = 12.0F;
    Flag fill_signs = kOff;
    Flag bold = kOff;
    float line_factor = 1.0F;          // 0.1..10, width factor of the sign division lines
    std::int16_t number_interval = 5;  // 1..360 degrees between degree numbers
    float number_factor = 0.5F;        // 0..5, number size as a factor of the glyph size
    Flag ticks_inward = kOn;
    float major_length = 0.3F;
    std::int16_t major_interval = 10;  // 1..90
    float middle_length = 0.2F;
    std::int16_t middle_interval = 5;  // 1..30
    float minor_length = 0.1F;
    std::int16_t subdivisions = 5;  // 2..10
    std::int16_t number_mode = 0;   // 0..3, kNumbers*
};

// How the points of one chart are drawn in a band: radii across the band (0 inner ring,
// 1 outer ring) of the glyph, degrees, sign glyph, minutes and retrograde mark; the connector
// runs from `connector_from` at the true position to `connector_to` at the spread angle.
struct PointRingBlock {
    std::int16_t ring_a = 0;
    std::int16_t ring_b = 0;
    float glyph_position = 0.8F;
    float degree_position = 0.6F;
    float sign_position = 0.45F;
    float minute_position = 0.3F;
    float retrograde_position = 0.18F;
    float glyph_size = 14.0F;
    Flag show_degrees = kOn;
    Flag show_minutes = kOn;
    float text_size = 7.5F;
    Flag show_sign = kOn;
    float sign_size = 8.0F;
    float retrograde_size = 7.0F;
    float connector_from = 0.95F;
    float connector_to = 0.9F;
    std::int16_t pen_width = 1;
    Flag show_retrograde = kOn;
    Flag show_ticks = kOn;
    Flag show_connectors = kOn;
    Flag point_colours = kOn;
};

// The aspect circle: ring number, the chart whose points it joins, a radius adjustment (a
// fraction of the wheel radius added to the ring's) and the pen width of the line-end dots.
// The two entries name the chart pair of the aspect lines (the same chart twice: the aspects
// within it).
struct AspectAreaEntry {
    std::int16_t ring = 0;
    std::int16_t chart = 1;
    float radius_adjust = 0.0F;  // -1..1
    std::int16_t pen_width = 1;
};

struct WheelStyle {
    std::int16_t version = 2;
    std::int16_t ring_count = 0;
    std::int16_t chart_count = 1;
    std::string description;  // at most 80 characters
    std::array<StyleRing, kMaxRings> rings{};
    // [set * kMaxWheelCharts + chart - 1]
    std::array<CuspLineElement, kElementBlocks> cusp_lines{};
    std::array<CuspTextElement, kElementBlocks> cusp_texts{};
    std::array<HouseNumberElement, kElementBlocks> house_numbers{};
    std::array<ScaleElement, kElementBlocks> scales{};
    // point_rings[array][chart - 1]
    std::array<std::array<PointRingBlock, kMaxWheelCharts>, 2> point_rings{};
    std::array<AspectAreaEntry, 2> aspect_area{};
    float modulus = 360.0F;
    Flag dial_pointer = kOff;    // a dial's pointer at 0
    Flag harmonic_marks = kOff;  // a dial's marks at every eighth of the circle

    bool IsDial() const { return modulus != 360.0F; }
};

// Decodes a record (version 2, or version 1 converted) and forces every field into its range.
// A first 16-bit value other than 1 or 2, or a record shorter than its version's size, is
// refused with kWrongVersion and no message (LoadWheelStyle words it).
startup::StatusOr<WheelStyle> DecodeWheelStyle(std::string_view bytes);
// The version-2 record of a style.
std::string EncodeWheelStyle(const WheelStyle& style);
// The version-1 record (for files of the older kind and the tests of their conversion): the
// ring table, the second point-ring array, the aspect area, the first set of scale elements,
// the modulus and the two flags after it.
std::string EncodeWheelStyleV1(const WheelStyle& style);

// Forces every field into its range (below the lower bound: the lower bound; above the upper
// bound: the upper bound). Ring numbers are bounded by the ring count, chart numbers by the
// chart count.
void ForceStyleRanges(WheelStyle& style);

// The style file name of a wheel kind (1..5 charts; 6 and 7 count as 1) and the dial flag:
// the trimmed name plus ".wh<k>" or ".di<k>"; an empty name takes the settings' default of
// the kind (1WheelFile.. / 1DialFile..). A name without a folder lies in the user's
// "Wheels & Dials" folder.
std::filesystem::path StyleFilePath(std::string_view name, int kind, bool dial);
// The default style file name of a kind ("uni2.wh1"...).
std::string DefaultStyleName(int kind, bool dial);

// Loads a style by name (or path, used as given when it has a folder). A missing file falls
// back to the default style of the kind in the "Wheels & Dials" folder. An unknown version
// shows "Invalid Wheel File Version: " + path titled "Error" and returns kWrongVersion; a file
// that cannot be opened returns kNotFound or kUnreadable without a message. `style` changes
// only when the status is ok; the file loaded is in `loaded_path`.
startup::Status LoadWheelStyle(std::string_view name, int kind, bool dial, WheelStyle& style,
                               std::filesystem::path* loaded_path = nullptr);

// A style file read as it stands (no fallback to a default), for its text description: a file
// that cannot be read is kRefused with "File not found: " + path, one of an unknown version
// with "Invalid Wheel File Version: " + path, both titled "Error" and not shown.
startup::StatusOr<WheelStyle> ReadWheelStyleFile(const std::filesystem::path& path);

// Writes the style file `out` from the text description in `source` (a description is a few
// hundred lines; a file beyond a megabyte is none). Titled "Error" and not shown: a source that
// cannot be read is kRefused with "File not found: " + source, a description StyleFromText
// refuses is kRefused with source + ": " + its reason; a failed write has its own status.
startup::Status ImportWheelStyleText(const std::filesystem::path& source,
                                     const std::filesystem::path& out);

// Writes the version-2 record through a temporary file.
startup::Status SaveWheelStyle(const std::filesystem::path& path, const WheelStyle& style);

// Readable text of a style: one line per record block, every field named
// ("ring 1: radius=0.98 visible=-1 ..."), colours as #RRGGBB. Lines beginning with "#" are
// comments.
std::string StyleToText(const WheelStyle& style);
// Reads a text description. Every field must be given; an unknown block or field, a missing
// field or a value that is not a number is refused with a message naming the line. Values are
// then forced into their ranges like a loaded file's.
startup::StatusOr<WheelStyle> StyleFromText(std::string_view text);

}  // namespace meridia::drawing
