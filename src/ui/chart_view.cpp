#include "ui/chart_view.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPrinter>
#include <QToolTip>
#include <utility>

#include "astro/chart_table.h"
#include "drawing/wheel_picture.h"
#include "ui/job_runner.h"

namespace meridia::ui {

ChartView::ChartView(std::vector<int> slots, QWidget* parent) : QWidget(parent) {
    request_.chart_slots = std::move(slots);
    setMouseTracking(true);
    setMinimumSize(240, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::SetKind(drawing::DrawKind kind) {
    request_.kind = kind;
    update();
}

void ChartView::SetChoices(const std::string& style, const std::string& aspect_set,
                           const std::string& points) {
    request_.style = style;
    request_.aspect_set = aspect_set;
    request_.points = points;
    update();
}

QString ChartView::Title() const {
    QStringList names;
    for (const int slot : request_.chart_slots) {
        names << QString::fromStdString(astro::Slot(slot).record.data.name);
    }
    return names.join(QStringLiteral(" / "));
}

void ChartView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (JobRunner::Running()) {
        // A long job owns the core: the last picture stands in until it ends.
        painter.fillRect(rect(), Qt::white);
        if (!last_picture_.isNull()) {
            painter.drawImage(QPointF(0, 0), last_picture_);
        }
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QImage picture(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    QPainter image_painter(&picture);
    const PictureResult result = PaintChartPicture(image_painter, QRectF(rect()), request_);
    image_painter.end();
    painter.drawImage(QPointF(0, 0), picture);
    last_picture_ = std::move(picture);
    spots_ = result.spots;
    Q_EMIT StatusText(result.status);
}

bool ChartView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !JobRunner::Running()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QPointF at = help->pos();
        for (const GlyphSpot& spot : spots_) {
            const QPointF d = at - spot.centre;
            if (d.x() * d.x() + d.y() * d.y() <= spot.radius * spot.radius) {
                QToolTip::showText(help->globalPos(), PointTooltip(spot.slot, spot.point), this);
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
    const auto layout = drawing::SaveChartPicture(path.toStdString(), pixels, request_);
    return layout.ok() ? startup::Status() : layout.status();
}

void ChartView::PrintTo(QPrinter& printer) const {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    // A printed wheel carries the chart information block in the page's corners.
    drawing::WheelRequest printed = request_;
    printed.chart_info = true;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    PaintChartPicture(painter, QRectF(0, 0, page.width(), page.height()), printed);
    painter.end();
}

}  // namespace meridia::ui
