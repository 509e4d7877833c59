#include "ui/chart_view.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QToolTip>
#include <utility>

#include "astro/chart_table.h"
#include "startup/file_io.h"

namespace meridia::ui {

ChartView::ChartView(std::vector<int> slots, QWidget* parent) : QWidget(parent) {
    request_.slots = std::move(slots);
    setMouseTracking(true);
    setMinimumSize(240, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::SetKind(PictureKind kind) {
    request_.kind = kind;
    update();
}

QString ChartView::Title() const {
    QStringList names;
    for (const int slot : request_.slots) {
        names << QString::fromStdString(astro::Slot(slot).record.data.name);
    }
    return names.join(QStringLiteral(" / "));
}

void ChartView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const PictureResult result = PaintChartPicture(painter, QRectF(rect()), request_);
    spots_ = result.spots;
    Q_EMIT StatusText(result.status);
}

bool ChartView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QPointF at = help->pos();
        for (const GlyphSpot& spot : spots_) {
            const QPointF d = at - spot.centre;
            if (d.x() * d.x() + d.y() * d.y() <= spot.radius * spot.radius) {
                const int slot = request_.slots[static_cast<std::size_t>(spot.chart_index)];
                QToolTip::showText(help->globalPos(), PointTooltip(slot, spot.point), this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

QImage ChartView::RenderImage(const QSize& size) const {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintChartPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)), request_);
    return image;
}

startup::Status ChartView::ExportPicture(const QString& path, int pixels) const {
    const QString suffix = QFileInfo(path).suffix().toLower();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool painted = false;
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(pixels, pixels));
        svg.setViewBox(QRect(0, 0, pixels, pixels));
        svg.setTitle(Title());
        QPainter painter;
        if (painter.begin(&svg)) {
            PaintChartPicture(painter, QRectF(0, 0, pixels, pixels), request_);
            painted = painter.end();
        }
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(Title());
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(300);
        QPainter painter;
        if (painter.begin(&pdf)) {
            const QRect page = pdf.pageLayout().paintRectPixels(pdf.resolution());
            PaintChartPicture(painter, QRectF(0, 0, page.width(), page.width()), request_);
            painted = painter.end();
        }
    } else {
        const QByteArray format = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")
                                      ? QByteArray("JPG")
                                  : suffix == QLatin1String("bmp") ? QByteArray("BMP")
                                                                   : QByteArray("PNG");
        painted = RenderImage(QSize(pixels, pixels)).save(&buffer, format.constData(), 100);
    }
    if (!painted) {
        return {startup::StatusCode::kWriteFailed, "The picture could not be drawn.", "Meridia"};
    }
    const QByteArray& bytes = buffer.data();
    return startup::WriteFileSafely(
        path.toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void ChartView::PrintTo(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int side = std::min(page.width(), page.height());
    PaintChartPicture(painter, QRectF(0, 0, side, side), request_);
    painter.end();
}

}  // namespace meridia::ui
