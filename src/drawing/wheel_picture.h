// Wheels, dials and grids saved as pictures: PNG, JPEG and BMP images of a given size in
// pixels, SVG drawings and PDF pages. The file type follows the extension.
#pragma once

#include <QColor>
#include <filesystem>
#include <optional>
#include <string>

#include "drawing/wheel_draw.h"
#include "startup/status.h"

namespace meridia::drawing {

enum class PictureFormat { kPng, kJpeg, kBmp, kSvg, kPdf };

// The format of an extension (".png", ".jpg"/".jpeg", ".bmp", ".svg", ".pdf", any case).
std::optional<PictureFormat> PictureFormatFor(const std::filesystem::path& path);

// A background colour as typed: "#RRGGBB". Anything else is kRefused with "Invalid background
// colour: <text> (use #RRGGBB)" titled "Error".
startup::StatusOr<QColor> ReadBackgroundColour(const std::string& text);

// Draws the request into a square picture of size_px pixels (raster formats; SVG and PDF use
// it as their size at 96 pixels per inch) and writes it through a temporary file. Refused
// when the extension is unknown or the folder does not exist (nothing written).
startup::StatusOr<WheelLayout> SaveChartPicture(const std::filesystem::path& path, int size_px,
                                                const WheelRequest& request);

}  // namespace meridia::drawing
