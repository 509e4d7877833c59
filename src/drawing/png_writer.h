// A fast PNG encoder for drawn pictures: 8-bit RGB, no row filters, deflated with zlib's
// run-length strategy, which suits the long runs of one colour in a chart drawing and takes a
// fraction of the time of the general strategies. The file follows the PNG specification
// (W3C, Portable Network Graphics Specification, second edition).
#pragma once

#include <QByteArray>
#include <QImage>

namespace meridia::drawing {

// The PNG file of an RGB32 or ARGB32 image (alpha dropped). Empty when deflating fails.
QByteArray EncodePngFast(const QImage& image);

}  // namespace meridia::drawing
