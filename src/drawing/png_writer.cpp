#include "drawing/png_writer.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <vector>

namespace meridia::drawing {

namespace {

void PutU32(QByteArray& out, std::uint32_t v) {
    out.append(static_cast<char>((v >> 24) & 0xFFU));
    out.append(static_cast<char>((v >> 16) & 0xFFU));
    out.append(static_cast<char>((v >> 8) & 0xFFU));
    out.append(static_cast<char>(v & 0xFFU));
}

// A chunk: length, type, data, and the CRC of type and data.
void PutChunk(QByteArray& out, const char* type, const unsigned char* data, std::size_t size) {
    PutU32(out, static_cast<std::uint32_t>(size));
    out.append(type, 4);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
    if (size > 0) {
        out.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        crc = crc32(crc, data, static_cast<uInt>(size));
    }
    PutU32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

QByteArray EncodePngFast(const QImage& image) {
    const int width = image.width();
    const int height = image.height();
    if (width <= 0 || height <= 0 ||
        (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)) {
        return {};
    }
    // Each row: filter type 0, then red, green, blue.
    const std::size_t row_bytes = 1 + 3 * static_cast<std::size_t>(width);
    // Buffers kept for the next picture: fresh megabytes per picture cost more in page faults
    // and clearing than the encoding itself.
    thread_local std::vector<unsigned char> raw;
    thread_local std::vector<unsigned char> packed;
    raw.resize(row_bytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        unsigned char* row = raw.data() + row_bytes * static_cast<std::size_t>(y);
        row[0] = 0;
        for (int x = 0; x < width; ++x) {
            const QRgb p = pixels[x];
            unsigned char* px = row + 1 + 3 * static_cast<std::size_t>(x);
            px[0] = static_cast<unsigned char>(qRed(p));
            px[1] = static_cast<unsigned char>(qGreen(p));
            px[2] = static_cast<unsigned char>(qBlue(p));
        }
    }
    z_stream zs{};
    if (deflateInit2(&zs, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) {
        return {};
    }
    packed.resize(deflateBound(&zs, static_cast<uLong>(raw.size())));
    zs.next_in = raw.data();
    zs.avail_in = static_cast<uInt>(raw.size());
    zs.next_out = packed.data();
    zs.avail_out = static_cast<uInt>(packed.size());
    const int result = deflate(&zs, Z_FINISH);
    const std::size_t packed_size = zs.total_out;
    deflateEnd(&zs);
    if (result != Z_STREAM_END) {
        return {};
    }

    QByteArray out;
    out.reserve(static_cast<qsizetype>(packed_size) + 64);
    static constexpr std::array<char, 8> kSignature = {'\x89', 'P',  'N',    'G',
                                                       '\r',   '\n', '\x1a', '\n'};
    out.append(kSignature.data(), static_cast<qsizetype>(kSignature.size()));
    // IHDR: width, height, bit depth 8, colour type 2 (RGB), compression 0, filter 0,
    // interlace 0.
    std::array<unsigned char, 13> header{};
    for (int i = 0; i < 4; ++i) {
        header[static_cast<std::size_t>(i)] =
            static_cast<unsigned char>((static_cast<std::uint32_t>(width) >> (24 - 8 * i)) & 0xFFU);
        header[4 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(
            (static_cast<std::uint32_t>(height) >> (24 - 8 * i)) & 0xFFU);
    }
    header[8] = 8;
    header[9] = 2;
    PutChunk(out, "IHDR", header.data(), header.size());
    PutChunk(out, "IDAT", packed.data(), packed_size);
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace meridia::drawing
