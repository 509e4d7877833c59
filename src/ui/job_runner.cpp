#include "ui/job_runner.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "astro/ephemeris.h"

namespace meridia::ui {

namespace {

std::atomic<bool> g_running{false};

JobRunner::Observer& TheObserver() {
    static JobRunner::Observer observer;
    return observer;
}

// How often the progress window reads the worker's progress, in milliseconds.
constexpr int kPollMilliseconds = 40;

}  // namespace

bool JobProgress::Report(std::string_view text, int percent) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!text.empty()) {
        text_ = std::string(text);
    }
    if (percent >= 0) {
        percent_ = std::min(percent, 100);
    }
    changed_ = true;
    return !cancelled_.load();
}

bool JobRunner::Running() { return g_running.load(); }

void JobRunner::SetObserver(Observer observer) { TheObserver() = std::move(observer); }

bool JobRunner::Run(QWidget* parent, const QString& title, const Job& job) {
    JobProgress progress;
    QProgressDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("JobProgress"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(QStringLiteral("Initialising"));
    dialog.setCancelButtonText(QStringLiteral("Cancel"));
    dialog.setRange(0, 100);
    dialog.setValue(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setMinimumWidth(420);
    dialog.setWindowModality(Qt::ApplicationModal);
    const auto cancel = [&progress, &dialog] {
        if (progress.Cancelled()) {
            return;
        }
        progress.cancelled_.store(true);
        dialog.setLabelText(QStringLiteral("Stopping..."));
        dialog.show();  // a cancelled progress window hides itself; it stays until the end
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, cancel);

    // The library's per-thread settings: the session's folders, and its files closed at the end.
    const std::string folders = astro::Ephemeris().search_path;
    std::unique_ptr<QThread> worker(QThread::create([&job, &progress, &folders] {
        if (!folders.empty()) {
            astro::SetSwissEphemerisPath(folders);
        }
        job(progress);
        astro::CloseEphemeris();
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    poll.setInterval(kPollMilliseconds);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&progress, &dialog, &cancel] {
        if (dialog.wasCanceled()) {
            cancel();
        }
        QString text;
        int percent = 0;
        {
            const std::lock_guard<std::mutex> lock(progress.mutex_);
            if (!progress.changed_) {
                return;
            }
            progress.changed_ = false;
            text = QString::fromStdString(progress.text_);
            percent = progress.percent_;
        }
        if (!progress.Cancelled()) {
            dialog.setLabelText(text);
        }
        dialog.setValue(percent);
        if (TheObserver()) {
            TheObserver()(dialog);
        }
    });

    g_running.store(true);
    dialog.show();
    poll.start();
    worker->start();
    loop.exec();
    worker->wait();
    poll.stop();
    g_running.store(false);
    return !progress.Cancelled();
}

JobSlots::JobSlots() : used_before_(astro::kSlotCount + 1, false) {
    for (int n = 1; n <= kJobSlots; ++n) {
        saved_.push_back(astro::Slot(n));
    }
    for (int n = 1; n <= astro::kSlotCount; ++n) {
        used_before_[static_cast<std::size_t>(n)] = astro::Slot(n).chart_serial != 0;
    }
}

JobSlots::~JobSlots() {
    for (int n = kJobSlots + 1; n <= astro::kSlotCount; ++n) {
        const bool kept = std::find(kept_.begin(), kept_.end(), n) != kept_.end();
        if (!kept && !used_before_[static_cast<std::size_t>(n)] &&
            (n < astro::kFirstScratchSlot || n > astro::kLastScratchSlot)) {
            astro::Slot(n).chart_serial = 0;
        }
    }
    for (int n = 1; n <= kJobSlots; ++n) {
        if (std::find(kept_.begin(), kept_.end(), n) == kept_.end()) {
            astro::Slot(n) = saved_[static_cast<std::size_t>(n - 1)];
        }
    }
}

void JobSlots::Keep(int slot) { kept_.push_back(slot); }

}  // namespace meridia::ui
