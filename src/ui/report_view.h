// The report view: a fixed-width text report (the chart listing, the text reports) shown
// read-only, copied to the clipboard with the program's questions, saved to a text file and
// printed.
#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPrinter;

namespace meridia::ui {

class ReportView : public QWidget {
    Q_OBJECT
public:
    ReportView(const QString& title, const QString& text, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    QString text() const;

    // Asks "Send Report to Clipboard?" and, when the clipboard holds text, whether to clear it
    // first or append; true when the report was copied.
    bool CopyToClipboard();
    void SaveAs();
    void PrintTo(QPrinter& printer) const;

private:
    QString title_;
    QPlainTextEdit* view_ = nullptr;
};

}  // namespace meridia::ui
