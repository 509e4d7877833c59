#include "drawing/wheel_picture.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cstring>

#include "drawing/png_writer.h"
#include "startup/file_io.h"
#include "startup/session.h"
#include "startup/text_tools.h"

namespace meridia::drawing {

namespace {

using startup::Status;
using startup::StatusCode;

constexpr double kScreenDpi = 96.0;

startup::StatusOr<WheelLayout> Raster(QByteArray& bytes, PictureFormat format, int size,
                                      const WheelRequest& request) {
    // The picture buffer is kept for the next picture of the same size: a fresh 4-megabyte
    // buffer per picture costs more page faults than the drawing itself.
    thread_local QImage image;
    if (image.width() != size || image.height() != size) {
        image = QImage(size, size, QImage::Format_RGB32);
    }
    image.fill(request.background);
    // 96 dots per inch, the screen's resolution, in dots per metre.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    startup::StatusOr<WheelLayout> layout = Status();
    {
        QPainter painter(&image);
        layout = DrawChart(painter, QRectF(0, 0, size, size), request);
    }
    if (!layout.ok()) {
        return layout;
    }
    if (format == PictureFormat::kPng) {
        bytes = EncodePngFast(image);
        if (bytes.isEmpty()) {
            return Status(StatusCode::kFailed, "The picture could not be encoded.", "Error");
        }
        return layout;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == PictureFormat::kJpeg ? "jpg" : "bmp");
    if (format == PictureFormat::kJpeg) {
        writer.setQuality(
            std::clamp(startup::CurrentSession().settings().GetInt("JPEGQuality"), 1, 100));
    }
    if (!writer.write(image)) {
        return Status(StatusCode::kFailed, "The picture could not be encoded.", "Error");
    }
    return layout;
}

// The generator gives the drawing's size in millimetres; a picture of size_px pixels states
// it in pixels, as browsers and converters read it.
void SetSvgPixelSize(QByteArray& bytes, int size_px) {
    const qsizetype tag = bytes.indexOf("<svg");
    const qsizetype tag_end = tag < 0 ? -1 : bytes.indexOf('>', tag);
    if (tag_end < 0) {
        return;
    }
    QByteArray head = bytes.mid(tag, tag_end - tag);
    for (const char* name : {"width=\"", "height=\""}) {
        const qsizetype at = head.indexOf(name);
        const qsizetype value = at + static_cast<qsizetype>(std::strlen(name));
        const qsizetype close = at < 0 ? -1 : head.indexOf('"', value);
        if (close > value) {
            head.replace(value, close - value, QByteArray::number(size_px));
        }
    }
    bytes.replace(tag, tag_end - tag, head);
}

}  // namespace

std::optional<PictureFormat> PictureFormatFor(const std::filesystem::path& path) {
    const std::string ext = startup::LowerAscii(path.extension().string());
    if (ext == ".png") {
        return PictureFormat::kPng;
    }
    if (ext == ".jpg" || ext == ".jpeg") {
        return PictureFormat::kJpeg;
    }
    if (ext == ".bmp") {
        return PictureFormat::kBmp;
    }
    if (ext == ".svg") {
        return PictureFormat::kSvg;
    }
    if (ext == ".pdf") {
        return PictureFormat::kPdf;
    }
    return std::nullopt;
}

startup::StatusOr<QColor> ReadBackgroundColour(const std::string& text) {
    const QColor colour(QString::fromStdString(text));
    if (text.size() != 7 || text[0] != '#' || !colour.isValid()) {
        return startup::Status(startup::StatusCode::kRefused,
                               "Invalid background colour: " + text + " (use #RRGGBB)", "Error");
    }
    return colour;
}

startup::StatusOr<WheelLayout> SaveChartPicture(const std::filesystem::path& path, int size_px,
                                                const WheelRequest& request) {
    const auto format = PictureFormatFor(path);
    if (!format) {
        return Status(StatusCode::kRefused,
                      "Unknown picture type: " + path.filename().string() +
                          " (use .png, .jpg, .bmp, .svg or .pdf)",
                      "Error", path);
    }
    std::error_code ec;
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (!std::filesystem::is_directory(folder, ec)) {
        return Status(StatusCode::kRefused, "Folder not found: " + folder.string(), "Error", path);
    }
    if (size_px < 16 || size_px > 20000) {
        return Status(StatusCode::kRefused, "The picture size must be 16 to 20000 pixels.",
                      "Error");
    }
    QByteArray bytes;
    startup::StatusOr<WheelLayout> layout = Status();
    const QRectF area(0, 0, size_px, size_px);
    if (*format == PictureFormat::kSvg) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(size_px, size_px));
        svg.setViewBox(area);
        svg.setResolution(static_cast<int>(kScreenDpi));
        svg.setTitle(QStringLiteral("Meridia chart"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            return Status(StatusCode::kFailed, "The picture could not be drawn.", "Error");
        }
        layout = DrawChart(painter, area, request);
        painter.end();
        SetSvgPixelSize(bytes, size_px);
    } else if (*format == PictureFormat::kPdf) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(static_cast<int>(kScreenDpi));
        // The page is the picture: size_px pixels at 96 per inch, in points.
        const double points = size_px * 72.0 / kScreenDpi;
        pdf.setPageSize(
            QPageSize(QSizeF(points, points), QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Meridia chart"));
        pdf.setCreator(QStringLiteral("Meridia"));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            return Status(StatusCode::kFailed, "The picture could not be drawn.", "Error");
        }
        layout = DrawChart(painter, area, request);
        painter.end();
    } else {
        layout = Raster(bytes, *format, size_px, request);
    }
    if (!layout.ok()) {
        return layout;
    }
    if (Status s = startup::WriteFileSafely(
            path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        !s.ok()) {
        return s;
    }
    return layout;
}

}  // namespace meridia::drawing
