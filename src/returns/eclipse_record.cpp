#include "returns/eclipse_record.h"

#include <algorithm>
#include <cmath>

#include "startup/byte_io.h"

namespace meridia::returns {

namespace {

std::int16_t Scaled16(double value, double scale) {
    const double v = std::clamp(std::round(value * scale), -32768.0, 32767.0);
    return static_cast<std::int16_t>(v);
}

std::int16_t ScaledU16(double value, double scale) {
    const double v = std::clamp(std::round(value * scale), 0.0, 65535.0);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

double Unsigned16(std::int16_t raw) { return static_cast<double>(static_cast<std::uint16_t>(raw)); }

}  // namespace

std::size_t BlockSize(EclipseKind kind) {
    return kind == EclipseKind::kSolar ? kSolarBlockSize : kLunarBlockSize;
}

std::string EncodeCatalogueHeader(const CatalogueHeader& header, EclipseKind kind) {
    startup::ByteWriter writer;
    writer.I32(header.count);
    writer.I32(header.first_day);
    writer.I32(header.last_day);
    writer.Zeros(BlockSize(kind) - kCatalogueHeaderSize);
    return writer.Take();
}

std::optional<CatalogueHeader> DecodeCatalogueHeader(std::string_view bytes) {
    startup::ByteReader reader(bytes);
    CatalogueHeader header;
    header.count = reader.I32();
    header.first_day = reader.I32();
    header.last_day = reader.I32();
    if (!reader.ok()) {
        return std::nullopt;
    }
    return header;
}

std::string EncodeEclipseRecord(const EclipseRecord& r, EclipseKind kind) {
    startup::ByteWriter w;
    w.I16(static_cast<std::int16_t>(r.year));
    w.U8(static_cast<std::uint8_t>(r.month));
    w.U8(static_cast<std::uint8_t>(r.day));
    w.U8(static_cast<std::uint8_t>(r.hour));
    w.U8(static_cast<std::uint8_t>(r.minute));
    w.U8(static_cast<std::uint8_t>(r.second));
    w.U8(static_cast<std::uint8_t>(r.type));
    w.I16(static_cast<std::int16_t>(r.saros_vdb));
    w.I16(static_cast<std::int16_t>(r.saros_jb));
    w.I16(Scaled16(r.gamma, 10000.0));
    w.I32(static_cast<std::int32_t>(std::lround(r.longitude * 1.0e6)));
    w.I16(Scaled16(r.magnitude, 10000.0));
    if (kind == EclipseKind::kSolar) {
        w.I16(ScaledU16(r.duration_seconds, 10.0));
        w.I16(Scaled16(r.latitude_of_greatest, 100.0));
        w.I16(Scaled16(r.longitude_of_greatest, 100.0));
        w.U8(0);
    } else {
        w.I16(ScaledU16(r.penumbral_magnitude, 10000.0));
        w.I16(ScaledU16(r.semi_duration_total_minutes, 60.0));
        w.I16(ScaledU16(r.semi_duration_partial_minutes, 60.0));
    }
    return w.Take();
}

std::optional<EclipseRecord> DecodeEclipseRecord(std::string_view block, EclipseKind kind) {
    if (block.size() < BlockSize(kind)) {
        return std::nullopt;
    }
    startup::ByteReader r(block);
    EclipseRecord e;
    e.year = r.I16();
    e.month = r.U8();
    e.day = r.U8();
    e.hour = r.U8();
    e.minute = r.U8();
    e.second = r.U8();
    e.type = r.U8();
    e.saros_vdb = r.I16();
    e.saros_jb = r.I16();
    e.gamma = r.I16() / 10000.0;
    e.longitude = r.I32() / 1.0e6;
    e.magnitude = r.I16() / 10000.0;
    if (kind == EclipseKind::kSolar) {
        e.duration_seconds = Unsigned16(r.I16()) / 10.0;
        e.latitude_of_greatest = r.I16() / 100.0;
        e.longitude_of_greatest = r.I16() / 100.0;
    } else {
        e.penumbral_magnitude = Unsigned16(r.I16()) / 10000.0;
        e.semi_duration_total_minutes = Unsigned16(r.I16()) / 60.0;
        e.semi_duration_partial_minutes = Unsigned16(r.I16()) / 60.0;
    }
    const int last_type = kind == EclipseKind::kSolar ? 3 : 2;
    if (!r.ok() || e.month < 1 || e.month > 12 || e.day < 1 || e.day > 31 || e.hour > 23 ||
        e.minute > 59 || e.second > 59 || e.type > last_type || e.longitude < 0.0 ||
        e.longitude >= 360.0) {
        return std::nullopt;
    }
    return e;
}

}  // namespace meridia::returns
