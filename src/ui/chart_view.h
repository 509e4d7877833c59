// The chart view: the wheel, dial or aspect grid of one to five calculated charts, drawn
// anti-aliased at the widget's size, with the point under the mouse named in a tooltip, and the
// same picture rendered into images, SVG and PDF files and onto a printer.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "startup/status.h"
#include "ui/chart_picture.h"

class QPrinter;

namespace meridia::ui {

class ChartView : public QWidget {
    Q_OBJECT
public:
    // `slots`: calculated-chart slots, the radix first.
    explicit ChartView(std::vector<int> slots, QWidget* parent = nullptr);

    const std::vector<int>& chart_slots() const { return request_.chart_slots; }
    drawing::DrawKind kind() const { return request_.kind; }
    void SetKind(drawing::DrawKind kind);
    // The style, aspect set and point selection drawn ("" the settings' defaults).
    const drawing::WheelRequest& request() const { return request_; }
    void SetChoices(const std::string& style, const std::string& aspect_set,
                    const std::string& points);
    // The tab title: the charts' names.
    QString Title() const;

    // The picture at a size in pixels.
    QImage RenderImage(const QSize& size) const;
    // Writes the picture to a file whose type follows the extension (.png, .jpg, .bmp, .svg,
    // .pdf), whole or not at all (the old file stays when the write fails).
    startup::Status ExportPicture(const QString& path, int pixels) const;
    // Paints the picture on a printer's page.
    void PrintTo(QPrinter& printer) const;

    QSize sizeHint() const override { return {720, 720}; }

Q_SIGNALS:
    void StatusText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    drawing::WheelRequest request_;
    std::vector<GlyphSpot> spots_;
    QImage last_picture_;  // shown while a long job owns the core
};

}  // namespace meridia::ui
