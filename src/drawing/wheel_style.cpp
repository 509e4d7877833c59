// Wheel style records: one field list in record order drives decoding, encoding, range
// forcing and the readable text, so that the four can never disagree.
#include "drawing/wheel_style.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/session.h"
#include "startup/settings.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::drawing {

namespace {

using startup::Status;
using startup::StatusCode;

// Bytes the version-2 fields take before the reserved tail; the rest of the record is zeros.
constexpr std::size_t kV2FieldBytes = 2494;
constexpr std::size_t kV1FieldBytes = 1014;

struct Range {
    double lo = 0.0;
    double hi = 0.0;
};

constexpr Range kFlagRange{-1, 0};
constexpr Range kPenStyleRange{0, 5};
constexpr Range kPenWidthRange{1, 5};
constexpr Range kFontRange{3.75, 22.5};
constexpr Range kFractionRange{0, 1};
constexpr Range kDirectionRange{-1, 1};

// The fields of a record in byte order. Each visitor sees the block a field belongs to, its
// name, a reference to it and its range.
template <class V>
void VisitHeader(WheelStyle& s, V& v) {
    v.Block("style");
    v.I16("version", s.version, {1, 2}, true);
    v.I16("ring_count", s.ring_count, {0, kMaxRings});
    v.I16("chart_count", s.chart_count, {1, kMaxWheelCharts});
}

template <class V>
void VisitRings(WheelStyle& s, V& v) {
    for (int i = 0; i < kMaxRings; ++i) {
        StyleRing& r = s.rings[static_cast<std::size_t>(i)];
        v.Block("ring " + std::to_string(i + 1));
        v.F32("radius", r.radius, kFractionRange);
        v.I16("visible", r.visible, kFlagRange);
        v.I16("pen_style", r.pen_style, kPenStyleRange);
        v.I16("pen_width", r.pen_width, kPenWidthRange);
        v.Colour("pen_colour", r.pen_colour);
        v.I16("filled", r.filled, kFlagRange);
        v.Colour("fill_colour", r.fill_colour);
    }
}

std::string ElementName(const char* kind, std::size_t index) {
    return std::string(kind) + " chart " + std::to_string(index % kMaxWheelCharts + 1) + " set " +
           std::to_string(index / kMaxWheelCharts + 1);
}

template <class V>
void VisitCuspLines(WheelStyle& s, V& v, Range rings) {
    for (std::size_t i = 0; i < s.cusp_lines.size(); ++i) {
        CuspLineElement& e = s.cusp_lines[i];
        v.Block(ElementName("cusp lines", i));
        v.I16("ring_a", e.ring_a, rings);
        v.I16("ring_b", e.ring_b, rings);
        v.I16("angle_pen_style", e.pen_style[0], kPenStyleRange);
        v.I16("other_pen_style", e.pen_style[1], kPenStyleRange);
        v.I16("angle_pen_width", e.pen_width[0], kPenWidthRange);
        v.I16("other_pen_width", e.pen_width[1], kPenWidthRange);
        v.Colour("angle_colour", e.colour[0]);
        v.Colour("other_colour", e.colour[1]);
        v.I16("show_angles", e.show[0], kFlagRange);
        v.I16("show_others", e.show[1], kFlagRange);
        v.F32("angle_length", e.length[0], kFractionRange);
        v.F32("other_length", e.length[1], kFractionRange);
    }
}

template <class V>
void VisitCuspTexts(WheelStyle& s, V& v, Range rings) {
    for (std::size_t i = 0; i < s.cusp_texts.size(); ++i) {
        CuspTextElement& e = s.cusp_texts[i];
        v.Block(ElementName("cusp text", i));
        v.I16("ring_a", e.ring_a, rings);
        v.I16("ring_b", e.ring_b, rings);
        v.I16("format", e.format, {1, 4});
        v.I16("angles_only", e.angles_only, kFlagRange);
        v.F32("position", e.position, kFractionRange);
        v.F32("offset", e.offset, kFractionRange);
        v.I16("direction", e.direction, kDirectionRange);
        v.F32("degree_size", e.degree_size, kFontRange);
        v.I16("show_degrees", e.show_degrees, kFlagRange);
        v.F32("sign_size", e.sign_size, kFontRange);
        v.I16("show_sign", e.show_sign, kFlagRange);
        v.F32("minute_size", e.minute_size, kFontRange);
        v.I16("show_minutes", e.show_minutes, kFlagRange);
    }
}

template <class V>
void VisitHouseNumbers(WheelStyle& s, V& v, Range rings) {
    for (std::size_t i = 0; i < s.house_numbers.size(); ++i) {
        HouseNumberElement& e = s.house_numbers[i];
        v.Block(ElementName("house numbers", i));
        v.I16("ring_a", e.ring_a, rings);
        v.I16("ring_b", e.ring_b, rings);
        v.F32("position", e.position, kFractionRange);
        v.F32("font_size", e.font_size, kFontRange);
        v.I16("bold", e.bold, kFlagRange);
    }
}

template <class V>
void VisitScale(ScaleElement& e, V& v, Range rings) {
    v.I16("ring_a", e.ring_a, rings);
    v.I16("ring_b", e.ring_b, rings);
    v.I16("content", e.content, {1, 15});
    v.I16("element_colours", e.element_colours, kFlagRange);
    v.F32("glyph_position", e.glyph_position, kFractionRange);
    v.F32("glyph_size", e.glyph_size, kFontRange);
    v.I16("fill_signs", e.fill_signs, kFlagRange);
    v.I16("bold", e.bold, kFlagRange);
    v.F32("line_factor", e.line_factor, {0.1, 10});
    v.I16("number_interval", e.number_interval, {1, 360});
    v.F32("number_factor", e.number_factor, {0, 5});
    v.I16("ticks_inward", e.ticks_inward, kFlagRange);
    v.F32("major_length", e.major_length, kFractionRange);
    v.I16("major_interval", e.major_interval, {1, 90});
    v.F32("middle_length", e.middle_length, kFractionRange);
    v.I16("middle_interval", e.middle_interval, {1, 30});
    v.F32("minor_length", e.minor_length, kFractionRange);
    v.I16("subdivisions", e.subdivisions, {2, 10});
    v.I16("number_mode", e.number_mode, {0, 3});
}

template <class V>
void VisitScales(WheelStyle& s, V& v, Range rings, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        v.Block(ElementName("scale", i));
        VisitScale(s.scales[i], v, rings);
    }
}

template <class V>
void VisitPointRing(WheelStyle& s, V& v, Range rings, std::size_t array) {
    for (std::size_t c = 0; c < kMaxWheelCharts; ++c) {
        PointRingBlock& b = s.point_rings[array][c];
        v.Block("points chart " + std::to_string(c + 1) + " pass " + std::to_string(array + 1));
        v.I16("ring_a", b.ring_a, rings);
        v.I16("ring_b", b.ring_b, rings);
        v.F32("glyph_position", b.glyph_position, kFractionRange);
        v.F32("degree_position", b.degree_position, kFractionRange);
        v.F32("sign_position", b.sign_position, kFractionRange);
        v.F32("minute_position", b.minute_position, kFractionRange);
        v.F32("retrograde_position", b.retrograde_position, kFractionRange);
        v.F32("glyph_size", b.glyph_size, kFontRange);
        v.I16("show_degrees", b.show_degrees, kFlagRange);
        v.I16("show_minutes", b.show_minutes, kFlagRange);
        v.F32("text_size", b.text_size, kFontRange);
        v.I16("show_sign", b.show_sign, kFlagRange);
        v.F32("sign_size", b.sign_size, kFontRange);
        v.F32("retrograde_size", b.retrograde_size, kFontRange);
        v.F32("connector_from", b.connector_from, kFractionRange);
        v.F32("connector_to", b.connector_to, kFractionRange);
        v.I16("pen_width", b.pen_width, kPenWidthRange);
        v.I16("show_retrograde", b.show_retrograde, kFlagRange);
        v.I16("show_ticks", b.show_ticks, kFlagRange);
        v.I16("show_connectors", b.show_connectors, kFlagRange);
        v.I16("point_colours", b.point_colours, kFlagRange);
    }
}

template <class V>
void VisitAspectArea(WheelStyle& s, V& v, Range rings, Range charts) {
    for (std::size_t i = 0; i < s.aspect_area.size(); ++i) {
        AspectAreaEntry& e = s.aspect_area[i];
        v.Block("aspect area " + std::to_string(i + 1));
        v.I16("ring", e.ring, rings);
        v.I16("chart", e.chart, charts);
        v.F32("radius_adjust", e.radius_adjust, kDirectionRange);
        v.I16("pen_width", e.pen_width, kPenWidthRange);
    }
}

template <class V>
void VisitTail(WheelStyle& s, V& v) {
    v.Block("dial");
    // The modulus divides longitudes: it is kept in 1..360 so that no record can make the
    // mapping divide by zero.
    v.F32("modulus", s.modulus, {1, 360});
    v.I16("pointer", s.dial_pointer, kFlagRange);
    v.I16("harmonic_marks", s.harmonic_marks, kFlagRange);
}

Range RingRange(const WheelStyle& s) { return {0, static_cast<double>(s.ring_count)}; }
Range ChartRange(const WheelStyle& s) { return {1, static_cast<double>(s.chart_count)}; }

// The version-2 record in byte order. The ranges that depend on the ring and chart counts are
// taken after the header has been visited.
template <class V>
void VisitV2(WheelStyle& s, V& v) {
    VisitHeader(s, v);
    v.Block("style");
    v.Text("description", s.description, kStyleDescriptionBytes);
    VisitRings(s, v);
    const Range rings = RingRange(s);
    VisitCuspLines(s, v, rings);
    VisitCuspTexts(s, v, rings);
    VisitHouseNumbers(s, v, rings);
    VisitScales(s, v, rings, s.scales.size());
    VisitPointRing(s, v, rings, 0);
    VisitPointRing(s, v, rings, 1);
    VisitAspectArea(s, v, rings, ChartRange(s));
    VisitTail(s, v);
}

// The version-1 record: no description, no cusp or house elements, one point-ring array (the
// second of version 2) and one set of scale elements.
template <class V>
void VisitV1(WheelStyle& s, V& v) {
    VisitHeader(s, v);
    VisitRings(s, v);
    const Range rings = RingRange(s);
    VisitPointRing(s, v, rings, 1);
    VisitAspectArea(s, v, rings, ChartRange(s));
    VisitScales(s, v, rings, kMaxWheelCharts);
    VisitTail(s, v);
}

struct Reader {
    startup::ByteReader in;
    void Block(const std::string& /*name*/) {}
    void I16(const char* /*key*/, std::int16_t& f, Range /*r*/, bool /*fixed*/ = false) {
        f = in.I16();
    }
    void F32(const char* /*key*/, float& f, Range /*r*/) { f = in.F32(); }
    void Colour(const char* /*key*/, std::uint32_t& f) {
        f = static_cast<std::uint32_t>(in.I32()) & 0xFFFFFFU;
    }
    void Text(const char* /*key*/, std::string& f, int width) {
        f = in.Text(static_cast<std::size_t>(width));
    }
};

struct Writer {
    startup::ByteWriter out;
    void Block(const std::string& /*name*/) {}
    void I16(const char* /*key*/, std::int16_t& f, Range /*r*/, bool /*fixed*/ = false) {
        out.I16(f);
    }
    void F32(const char* /*key*/, float& f, Range /*r*/) { out.F32(f); }
    void Colour(const char* /*key*/, std::uint32_t& f) {
        out.I32(static_cast<std::int32_t>(f & 0xFFFFFFU));
    }
    void Text(const char* /*key*/, std::string& f, int width) {
        out.Text(f, static_cast<std::size_t>(width));
    }
};

struct Forcer {
    void Block(const std::string& /*name*/) {}
    void I16(const char* /*key*/, std::int16_t& f, Range r, bool fixed = false) {
        if (!fixed) {
            f = static_cast<std::int16_t>(std::clamp(static_cast<double>(f), r.lo, r.hi));
        }
    }
    void F32(const char* /*key*/, float& f, Range r) {
        // A value that is not a number (damaged bytes) takes the lower bound, like one below it.
        f = std::isnan(f) ? static_cast<float>(r.lo)
                          : static_cast<float>(std::clamp(static_cast<double>(f), r.lo, r.hi));
    }
    void Colour(const char* /*key*/, std::uint32_t& f) { f &= 0xFFFFFFU; }
    // The description is one line of text: control characters become blanks, and blanks
    // around it are dropped.
    void Text(const char* /*key*/, std::string& f, int /*width*/) {
        for (char& c : f) {
            if (static_cast<unsigned char>(c) < 0x20U || c == 0x7F) {
                c = ' ';
            }
        }
        f = std::string(startup::Trim(f));
    }
};

// The field list as text lines: "block: key=value key=value".
struct TextWriter {
    std::string out;
    std::string block;
    std::string description;
    void Block(const std::string& name) {
        if (name != block) {
            block = name;
            out += '\n' + name + ':';
        }
    }
    void I16(const char* key, std::int16_t& f, Range /*r*/, bool fixed = false) {
        if (!fixed) {
            out += ' ' + std::string(key) + '=' + std::to_string(f);
        }
    }
    void F32(const char* key, float& f, Range /*r*/) {
        out += ' ' + std::string(key) + '=' + startup::FormatDouble(static_cast<double>(f));
    }
    void Colour(const char* key, std::uint32_t& f) {
        char text[8] = {};
        std::snprintf(text, sizeof text, "#%02X%02X%02X", f & 0xFFU, (f >> 8) & 0xFFU,
                      (f >> 16) & 0xFFU);
        out += ' ' + std::string(key) + '=' + text;
    }
    void Text(const char* /*key*/, std::string& f, int /*width*/) { description = f; }
};

struct TextField {
    std::string value;
    int line = 0;
    bool used = false;
};

// Assigns the fields of parsed text lines; the first problem found is kept.
struct TextReader {
    std::map<std::string, std::map<std::string, TextField>> blocks;
    std::string block;
    std::string error;

    TextField* Find(const char* key) {
        if (!error.empty()) {
            return nullptr;
        }
        auto b = blocks.find(block);
        if (b == blocks.end()) {
            error = "Missing block \"" + block + "\"";
            return nullptr;
        }
        auto f = b->second.find(key);
        if (f == b->second.end()) {
            error = "Missing field \"" + std::string(key) + "\" in \"" + block + "\"";
            return nullptr;
        }
        f->second.used = true;
        return &f->second;
    }
    void Bad(const TextField& f, const char* key) {
        error =
            "Line " + std::to_string(f.line) + ": \"" + f.value + "\" is not a value for " + key;
    }
    void Block(const std::string& name) { block = name; }
    void I16(const char* key, std::int16_t& f, Range /*r*/, bool fixed = false) {
        if (fixed) {
            return;
        }
        if (TextField* t = Find(key)) {
            const auto v = startup::ParseInteger(t->value);
            if (!v || *v < -32768 || *v > 32767) {
                Bad(*t, key);
                return;
            }
            f = static_cast<std::int16_t>(*v);
        }
    }
    void F32(const char* key, float& f, Range /*r*/) {
        if (TextField* t = Find(key)) {
            const auto v = startup::ParseDouble(t->value);
            if (!v || std::fabs(*v) > 1e6) {
                Bad(*t, key);
                return;
            }
            f = static_cast<float>(*v);
        }
    }
    void Colour(const char* key, std::uint32_t& f) {
        if (TextField* t = Find(key)) {
            const std::string& s = t->value;
            const bool shape =
                s.size() == 7 && s[0] == '#' &&
                std::all_of(s.begin() + 1, s.end(), [](char c) { return std::isxdigit(c) != 0; });
            if (!shape) {
                Bad(*t, key);
                return;
            }
            const auto rgb = static_cast<std::uint32_t>(std::stoul(s.substr(1), nullptr, 16));
            f = ((rgb >> 16) & 0xFFU) | (rgb & 0xFF00U) | ((rgb & 0xFFU) << 16);
        }
    }
    void Text(const char* /*key*/, std::string& /*f*/, int /*width*/) {}
};

}  // namespace

startup::StatusOr<WheelStyle> DecodeWheelStyle(std::string_view bytes) {
    startup::ByteReader head(bytes);
    const std::int16_t version = head.I16();
    WheelStyle style;
    if (version == 2 && bytes.size() >= kStyleRecordBytes) {
        Reader r{startup::ByteReader(bytes.substr(0, kStyleRecordBytes))};
        VisitV2(style, r);
    } else if (version == 1 && bytes.size() >= kStyleRecordBytesV1) {
        WheelStyle old;
        Reader r{startup::ByteReader(bytes.substr(0, kStyleRecordBytesV1))};
        VisitV1(old, r);
        // The conversion: rings, the old point rings (as the second array), the aspect area,
        // the scale elements and the modulus with its two flags carry over; the cusp, cusp-text
        // and house-number elements and the first point-ring array stay off (ring 0).
        style.ring_count = old.ring_count;
        style.chart_count = old.chart_count;
        style.rings = old.rings;
        style.point_rings[1] = old.point_rings[1];
        for (PointRingBlock& b : style.point_rings[0]) {
            b.ring_a = 0;
            b.ring_b = 0;
        }
        style.aspect_area = old.aspect_area;
        for (std::size_t i = 0; i < kMaxWheelCharts; ++i) {
            style.scales[i] = old.scales[i];
        }
        style.modulus = old.modulus;
        style.dial_pointer = old.dial_pointer;
        style.harmonic_marks = old.harmonic_marks;
    } else {
        return Status(StatusCode::kWrongVersion, "");
    }
    style.version = 2;
    ForceStyleRanges(style);
    return style;
}

std::string EncodeWheelStyle(const WheelStyle& style) {
    WheelStyle copy = style;
    copy.version = 2;
    Writer w;
    VisitV2(copy, w);
    w.out.Zeros(kStyleRecordBytes - kV2FieldBytes);
    return w.out.Take();
}

std::string EncodeWheelStyleV1(const WheelStyle& style) {
    WheelStyle copy = style;
    copy.version = 1;
    Writer w;
    VisitV1(copy, w);
    w.out.Zeros(kStyleRecordBytesV1 - kV1FieldBytes);
    return w.out.Take();
}

void ForceStyleRanges(WheelStyle& style) {
    // The counts first: the ring and chart numbers are bounded by them.
    Forcer f;
    VisitHeader(style, f);
    VisitV2(style, f);
}

std::string DefaultStyleName(int kind, bool dial) {
    if (kind < 1 || kind > kMaxWheelCharts) {
        kind = 1;
    }
    const std::string key = std::to_string(kind) + (dial ? "DialFile" : "WheelFile");
    std::string name = startup::CurrentSession().settings().GetString(key);
    if (startup::Trim(name).empty()) {
        static constexpr std::array<std::string_view, kMaxWheelCharts> kWheels = {
            "uni2.wh1", "bi2.wh2", "tri2.wh3", "quad1.wh4", "quin1.wh5"};
        static constexpr std::array<std::string_view, kMaxWheelCharts> kDials = {
            "dial90b.di1", "dial90.di2", "dial90.di3", "dial90.di4", "dial90.di5"};
        name = std::string((dial ? kDials : kWheels)[static_cast<std::size_t>(kind - 1)]);
    }
    return std::string(startup::Trim(name));
}

namespace {

std::filesystem::path WheelsFolder() {
    return startup::CurrentSession().folders().user_files / "Wheels & Dials";
}

int KindOf(int kind) { return kind >= 1 && kind <= kMaxWheelCharts ? kind : 1; }

}  // namespace

std::filesystem::path StyleFilePath(std::string_view name, int kind, bool dial) {
    kind = KindOf(kind);
    const std::string_view trimmed = startup::Trim(name);
    std::filesystem::path file;
    if (trimmed.empty()) {
        file = DefaultStyleName(kind, dial);
    } else {
        const std::string extension = (dial ? ".di" : ".wh") + std::to_string(kind);
        file = std::string(trimmed);
        // A name that already carries the kind's extension (a path typed whole) keeps it.
        if (!startup::HasExtension(file, extension)) {
            file += extension;
        }
    }
    if (!file.has_parent_path()) {
        file = WheelsFolder() / file;
    }
    return file;
}

startup::Status LoadWheelStyle(std::string_view name, int kind, bool dial, WheelStyle& style,
                               std::filesystem::path* loaded_path) {
    kind = KindOf(kind);
    std::filesystem::path path = StyleFilePath(name, kind, dial);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        path = WheelsFolder() / DefaultStyleName(kind, dial);
    }
    auto bytes = startup::ReadFileHead(path, kStyleRecordBytes);
    if (!bytes.ok()) {
        return bytes.status();
    }
    auto decoded = DecodeWheelStyle(*bytes);
    if (!decoded.ok()) {
        // A record of an unknown version, or one too short for its own version, is not a
        // style this program can read.
        const std::string text = "Invalid Wheel File Version: " + path.string();
        startup::ShowMessage(text, startup::kOkOnly, "Error");
        // Shown here: the status carries no message, so that callers do not show it twice.
        return Status(StatusCode::kWrongVersion, "", "Error", path);
    }
    style = std::move(*decoded);
    if (loaded_path != nullptr) {
        *loaded_path = path;
    }
    return Status::Ok();
}

startup::StatusOr<WheelStyle> ReadWheelStyleFile(const std::filesystem::path& path) {
    auto bytes = startup::ReadFileHead(path, kStyleRecordBytes);
    if (!bytes.ok()) {
        return Status(StatusCode::kRefused, "File not found: " + path.string(), "Error", path);
    }
    auto style = DecodeWheelStyle(*bytes);
    if (!style.ok()) {
        return Status(StatusCode::kRefused, "Invalid Wheel File Version: " + path.string(), "Error",
                      path);
    }
    return style;
}

startup::Status ImportWheelStyleText(const std::filesystem::path& source,
                                     const std::filesystem::path& out) {
    constexpr std::size_t kMaxDescriptionBytes = std::size_t{1} << 20;
    auto text = startup::ReadFileLimited(source, kMaxDescriptionBytes);
    if (!text.ok()) {
        return Status(StatusCode::kRefused, "File not found: " + source.string(), "Error", source);
    }
    auto style = StyleFromText(*text);
    if (!style.ok()) {
        return Status(StatusCode::kRefused, source.string() + ": " + style.status().message(),
                      "Error", source);
    }
    return SaveWheelStyle(out, *style);
}

startup::Status SaveWheelStyle(const std::filesystem::path& path, const WheelStyle& style) {
    return startup::WriteFileSafely(path, EncodeWheelStyle(style));
}

std::string StyleToText(const WheelStyle& style) {
    WheelStyle copy = style;
    TextWriter w;
    VisitV2(copy, w);
    std::string text =
        "# Meridia wheel style, version 2. One line per block, every field named.\n"
        "# Flags: -1 on, 0 off. Colours #RRGGBB. Radii and lengths are fractions 0..1.\n"
        "description: " +
        w.description + '\n';
    text += w.out.substr(1);  // the first block opens with a line break
    text += '\n';
    return text;
}

startup::StatusOr<WheelStyle> StyleFromText(std::string_view text) {
    TextReader r;
    std::string description;
    bool have_description = false;
    int line_number = 0;
    auto refuse = [](const std::string& message) {
        return Status(StatusCode::kRefused, message, "Error");
    };
    for (std::string_view raw : startup::SplitLines(text)) {
        ++line_number;
        const std::string_view line = startup::Trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return refuse("Line " + std::to_string(line_number) + ": no block name before \":\"");
        }
        const std::string block(startup::Trim(line.substr(0, colon)));
        std::string_view rest = startup::Trim(line.substr(colon + 1));
        if (block == "description") {
            description = std::string(rest);
            have_description = true;
            continue;
        }
        auto& fields = r.blocks[block];
        while (!rest.empty()) {
            const std::size_t end = rest.find_first_of(" \t");
            const std::string_view item = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view{}
                                                 : startup::Trim(rest.substr(end));
            const std::size_t eq = item.find('=');
            if (eq == std::string_view::npos || eq == 0) {
                return refuse("Line " + std::to_string(line_number) + ": \"" + std::string(item) +
                              "\" is not a field (name=value)");
            }
            fields[std::string(item.substr(0, eq))] =
                TextField{std::string(item.substr(eq + 1)), line_number, false};
        }
    }
    WheelStyle style;
    // The counts are needed before any ring number can be judged; the visitor reads them first.
    VisitV2(style, r);
    if (!r.error.empty()) {
        return refuse(r.error);
    }
    for (const auto& [block, fields] : r.blocks) {
        for (const auto& [key, field] : fields) {
            if (!field.used) {
                std::string message = "Line " + std::to_string(field.line) + ": unknown field \"";
                message += key;
                message += "\" in \"";
                message += block;
                message += '"';
                return refuse(message);
            }
        }
    }
    if (!have_description) {
        return refuse("Missing block \"description\"");
    }
    // The record holds the description in Windows-1252 bytes: it is cut to as many characters
    // as the record holds, not to as many bytes of UTF-8.
    style.description = startup::Windows1252ToUtf8(
        startup::Utf8ToWindows1252(description).substr(0, kStyleDescriptionBytes));
    style.version = 2;
    ForceStyleRanges(style);
    return style;
}

}  // namespace meridia::drawing
