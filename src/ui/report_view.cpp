#include "ui/report_view.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include "charts/chart_files.h"
#include "startup/file_io.h"
#include "startup/messages.h"

namespace meridia::ui {

namespace {

constexpr const char* kCopyTitle = "Copy Report";

}  // namespace

ReportView::ReportView(const QString& title, const QString& text, QWidget* parent)
    : QWidget(parent), title_(title) {
    view_ = new QPlainTextEdit;
    view_->setReadOnly(true);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view_->setPlainText(text);

    auto* copy = new QPushButton(QStringLiteral("&Copy"));
    connect(copy, &QPushButton::clicked, this, [this] { CopyToClipboard(); });
    auto* save = new QPushButton(QStringLiteral("&Save..."));
    connect(save, &QPushButton::clicked, this, &ReportView::SaveAs);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(view_, 1);
}

QString ReportView::text() const { return view_->toPlainText(); }

bool ReportView::CopyToClipboard() {
    if (startup::ShowMessage("Send Report to Clipboard?", startup::kQuestion | startup::kYesNo,
                             kCopyTitle) != startup::kAnswerYes) {
        return false;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    QString existing = clipboard->text();
    if (!existing.isEmpty()) {
        const int answer = startup::ShowMessage(
            startup::JoinLines({"Clear ClipBoard before copying the report?",
                                "Choose YES to clear the Clipboard first, NO to append the report "
                                "to the existing data in the Clipboard, or CANCEL to quit."}),
            startup::kQuestion | startup::kYesNoCancel, kCopyTitle);
        if (answer == startup::kAnswerCancel) {
            return false;
        }
        if (answer == startup::kAnswerYes) {
            existing.clear();
        }
    }
    if (!existing.isEmpty() && !existing.endsWith('\n')) {
        existing += '\n';
    }
    clipboard->setText(existing + text());
    return true;
}

void ReportView::SaveAs() {
    const QString chosen = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Report"),
        QString::fromStdString(charts::ChartsFolder().parent_path().string()),
        QStringLiteral("Text files (*.txt);;All files (*)"));
    if (chosen.isEmpty()) {
        return;
    }
    const QByteArray bytes = text().toUtf8();
    const startup::Status status = startup::WriteFileSafely(
        chosen.toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    status.Show(startup::kExclamation);
}

void ReportView::PrintTo(QPrinter& printer) const {
    QTextDocument document;
    document.setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    document.setPlainText(text());
    document.print(&printer);
}

}  // namespace meridia::ui
