// Long jobs of the window (dynamic reports, returns, eclipse searches, report generation) run
// on a worker thread behind a modal progress window with a text, a percentage and Cancel.
// While a job runs nothing else in the window touches the core, which is not thread-safe: the
// progress window is application-modal, chart views repaint their last picture, and the core's
// messages are shown by the window's thread while the worker waits for the answer.
// The ephemeris library keeps its settings per thread: the worker gives it the session's
// folders first and closes its files at the end.
#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/chart_table.h"
#include "startup/messages.h"
#include "startup/status.h"

class QProgressDialog;
class QWidget;

namespace meridia::ui {

// The job's side of the progress window. Called on the worker thread.
class JobProgress {
public:
    // Shows the text and the percentage done (-1 keeps the bar where it is); false once the
    // user has pressed Cancel, so that the core's progress callback stops the run.
    bool Report(std::string_view text, int percent);
    bool Cancelled() const { return cancelled_.load(); }

private:
    friend class JobRunner;
    std::mutex mutex_;
    std::string text_;
    int percent_ = 0;
    bool changed_ = false;
    std::atomic<bool> cancelled_{false};
};

class JobRunner {
public:
    using Job = std::function<void(JobProgress& progress)>;
    // Runs the job on a worker thread behind the modal progress window titled `title` and
    // returns when it has ended. True when it ran to its end without Cancel.
    static bool Run(QWidget* parent, const QString& title, const Job& job);
    // True while a job runs.
    static bool Running();
    // Called on the window's thread each time the progress window shows a new text (tests
    // press Cancel from here); empty to remove.
    using Observer = std::function<void(QProgressDialog& dialog)>;
    static void SetObserver(Observer observer);
};

// What a cancelled job leaves: the results found so far (searches that stop early and say so),
// or nothing (jobs whose partial result means nothing).
enum class OnCancel { kKeepResult, kDiscard };

// Runs a core job behind the progress window. The job's value; nothing when the core refused
// the request (its message has been shown) or when the user cancelled a kDiscard job.
template <class T>
std::optional<T> RunCoreJob(QWidget* parent, const QString& title, OnCancel on_cancel,
                            const std::function<startup::StatusOr<T>(JobProgress&)>& job) {
    std::optional<startup::StatusOr<T>> outcome;
    const bool finished = JobRunner::Run(
        parent, title, [&job, &outcome](JobProgress& progress) { outcome.emplace(job(progress)); });
    if (!outcome || (!finished && on_cancel == OnCancel::kDiscard)) {
        return std::nullopt;
    }
    if (!outcome->ok()) {
        outcome->status().Show(startup::kExclamation);
        return std::nullopt;
    }
    return std::move(**outcome);
}

// Keeps the window's charts through a job of the core that calculates typed charts: such jobs
// calculate their charts into slots 1 and 2 (which may hold charts the window shows) and open
// others into free slots. On destruction slots 1 and 2 are put back as they were and every
// slot the job opened is freed, except those passed to Keep (charts the window goes on to
// show).
class JobSlots {
public:
    JobSlots();
    ~JobSlots();
    JobSlots(const JobSlots&) = delete;
    JobSlots& operator=(const JobSlots&) = delete;

    void Keep(int slot);

private:
    static constexpr int kJobSlots = 2;  // the slots jobs calculate their charts into
    std::vector<astro::ChartSlot> saved_;
    std::vector<bool> used_before_;
    std::vector<int> kept_;
};

}  // namespace meridia::ui
