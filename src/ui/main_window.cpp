#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimeZone>
#include <QToolBar>

#include "astro/chart_calc.h"
#include "astro/chart_table.h"
#include "astro/derived_charts.h"
#include "charts/chart_entry.h"
#include "charts/chart_file_jobs.h"
#include "charts/chart_listing.h"
#include "charts/chart_save.h"
#include "charts/derived_entry.h"
#include "drawing/wheel_draw.h"
#include "reports/reports.h"
#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/settings_store.h"
#include "startup/startup.h"
#include "textformats/angle_text.h"
#include "textformats/date_text.h"
#include "textformats/time_text.h"
#include "ui/chart_entry_dialog.h"
#include "ui/chart_files_panel.h"
#include "ui/chart_view.h"
#include "ui/dynamic_dialogs.h"
#include "ui/eclipse_dialogs.h"
#include "ui/job_runner.h"
#include "ui/preferences_dialog.h"
#include "ui/report_view.h"
#include "ui/returns_dialogs.h"

namespace meridia::ui {

namespace {

namespace tf = meridia::textformats;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

// A report's title as a menu item: "*** CHART ANALYSIS REPORT ***" reads "Chart Analysis
// Report".
QString ReportMenuText(const std::string& title) {
    QString text = QString::fromStdString(title);
    text.remove(QLatin1Char('*'));
    QStringList words = text.simplified().toLower().split(QLatin1Char(' '));
    for (QString& word : words) {
        if (!word.isEmpty()) {
            word[0] = word[0].toUpper();
        }
    }
    return words.join(QLatin1Char(' '));
}

QString PictureFilter() {
    return QStringLiteral(
        "PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf);;JPEG image (*.jpg);;"
        "BMP image (*.bmp)");
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Meridia"));
    tabs_ = new QTabWidget;
    tabs_->setTabsClosable(true);
    tabs_->setMovable(true);
    tabs_->setDocumentMode(true);
    connect(tabs_, &QTabWidget::tabCloseRequested, this, &MainWindow::CloseTab);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { UpdateActions(); });
    setCentralWidget(tabs_);

    files_ = new ChartFilesPanel;
    files_dock_ = new QDockWidget(QStringLiteral("Chart Files"), this);
    files_dock_->setObjectName(QStringLiteral("ChartFilesDock"));
    files_dock_->setWidget(files_);
    addDockWidget(Qt::LeftDockWidgetArea, files_dock_);
    connect(files_, &ChartFilesPanel::ChartChosen, this,
            [this](const charts::StoredChart& chart, const QString& path, int number) {
                OpenChart(chart.record, path.toStdString(), number, chart.comment, chart.events);
            });
    connect(files_, &ChartFilesPanel::EditRequested, this,
            [this](const charts::StoredChart& chart, const QString& path, int number) {
                ChartEntry entry(this);
                entry.SetRecord(chart.record, chart.comment);
                entry.SetEvents(chart.events);
                if (entry.exec() != QDialog::Accepted) {
                    return;
                }
                charts::SaveChartRequest request;
                request.file = path.toStdString();
                request.replace = true;
                request.replace_number = number;
                request.comment = entry.comment();
                request.events = entry.events();
                const charts::SaveChartResult saved =
                    charts::SaveChartToFile(entry.record(), request);
                files_->Reload(number);
                if (saved.status == charts::SaveStatus::kSaved) {
                    OpenChart(entry.record(), path.toStdString(), number, entry.comment(),
                              entry.events());
                }
            });

    status_label_ = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(status_label_, 1);
    BuildMenus();
    UpdateActions();
    resize(1280, 860);
    resizeDocks({files_dock_}, {360}, Qt::Horizontal);
    RestorePlacement();
}

MainWindow::~MainWindow() {
    // The views go first; the slots they showed are released with them.
    while (tabs_->count() > 0) {
        CloseTab(0);
    }
}

void MainWindow::BuildMenus() {
    const auto action = [this](const QString& text, const QKeySequence& keys, auto job) {
        auto* a = new QAction(text, this);
        if (!keys.isEmpty()) {
            a->setShortcut(keys);
        }
        connect(a, &QAction::triggered, this, job);
        return a;
    };
    auto* new_chart =
        action(QStringLiteral("&New Chart..."), QKeySequence::New, [this] { NewChart(); });
    auto* open_file = action(QStringLiteral("&Open Chart File..."), QKeySequence::Open,
                             [this] { files_->ChooseFile(); });
    auto* new_file =
        action(QStringLiteral("New Chart &File..."), QKeySequence(), [this] { files_->NewFile(); });
    auto* save =
        action(QStringLiteral("&Save Chart"), QKeySequence::Save, [this] { SaveChart(false); });
    auto* save_as = action(QStringLiteral("Save Chart &To File..."), QKeySequence::SaveAs,
                           [this] { SaveChart(true); });
    auto* merge =
        action(QStringLiteral("&Merge Chart Folder..."), QKeySequence(), [this] { MergeFolder(); });
    auto* import =
        action(QStringLiteral("&Import Charts..."), QKeySequence(), [this] { ImportCharts(); });
    auto* export_charts =
        action(QStringLiteral("E&xport Charts..."), QKeySequence(), [this] { ExportCharts(); });
    auto* picture = action(QStringLiteral("Save &Picture..."), QKeySequence(tr("Ctrl+E")),
                           [this] { ExportPicture(); });
    auto* preview =
        action(QStringLiteral("Print Pre&view..."), QKeySequence(), [this] { PrintCurrent(true); });
    auto* print =
        action(QStringLiteral("&Print..."), QKeySequence::Print, [this] { PrintCurrent(false); });
    auto* prefs = action(QStringLiteral("P&references..."), QKeySequence::Preferences,
                         [this] { ShowPreferences(); });
    auto* quit = action(QStringLiteral("&Quit"), QKeySequence::Quit, [this] { close(); });

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(new_chart);
    file->addSeparator();
    file->addAction(open_file);
    file->addAction(new_file);
    file->addAction(save);
    file->addAction(save_as);
    file->addSeparator();
    file->addAction(merge);
    file->addAction(import);
    file->addAction(export_charts);
    file->addSeparator();
    file->addAction(picture);
    file->addAction(preview);
    file->addAction(print);
    file->addSeparator();
    file->addAction(prefs);
    file->addAction(quit);

    auto* edit = action(QStringLiteral("&Edit Chart..."), QKeySequence(tr("Ctrl+D")),
                        [this] { EditChart(); });
    auto* transits = action(QStringLiteral("&Transits Bi-wheel..."), QKeySequence(tr("Ctrl+T")),
                            [this] { TransitWheel(); });
    auto* synastry = action(QStringLiteral("&Synastry With Selected Chart"),
                            QKeySequence(tr("Ctrl+Y")), [this] { SynastryWheel(); });
    auto* listing = action(QStringLiteral("Chart &Listing"), QKeySequence(tr("Ctrl+L")),
                           [this] { ShowListing(); });
    QMenu* chart = menuBar()->addMenu(QStringLiteral("&Chart"));
    chart->addAction(edit);
    chart->addAction(transits);
    chart->addAction(synastry);
    chart->addSeparator();
    QMenu* derived = chart->addMenu(QStringLiteral("&Derived Charts"));
    struct Derivation {
        const char* text;
        int chart_class;
        int kind;  // 0: the progressed-angle method of the settings
        Needs needs;
    };
    const Derivation derivations[] = {
        {"&Secondary Progressions...", astro::kClassSecondary, 0, Needs::kTarget},
        {"&Tertiary Progressions...", astro::kClassTertiary, 0, Needs::kTarget},
        {"&Minor Progressions...", astro::kClassMinor, 0, Needs::kTarget},
        {"Solar &Arc Directions...", astro::kClassDirected, astro::kKindSolarArc, Needs::kTarget},
        {"Midpoint &Composite", astro::kClassCombined, astro::kKindMidpoints, Needs::kSecond},
        {"&Davison Relationship", astro::kClassCombined, astro::kKindDavison, Needs::kSecond},
        {"&Harmonic...", astro::kClassHarmonic, astro::kKindNatal, Needs::kHarmonic},
    };
    for (const Derivation& d : derivations) {
        auto* a = action(QString::fromUtf8(d.text), QKeySequence(),
                         [this, d] { DeriveChart(d.chart_class, d.kind, d.needs); });
        derived->addAction(a);
        derived_actions_.push_back(a);
    }
    chart->addSeparator();
    chart->addAction(listing);

    QMenu* dynamic = menuBar()->addMenu(QStringLiteral("&Dynamic"));
    const auto job_action = [&](const QString& text, const QKeySequence& keys, auto job) {
        auto* a = action(text, keys, job);
        dynamic->addAction(a);
        derived_actions_.push_back(a);
        return a;
    };
    job_action(QStringLiteral("Dynamic &Report..."), QKeySequence(tr("Ctrl+R")),
               [this] { DynamicReport(); });
    job_action(QStringLiteral("&Returns..."), QKeySequence(), [this] { ReturnCharts(); });
    job_action(QStringLiteral("&Eclipse Search..."), QKeySequence(), [this] { EclipseSearch(); });
    job_action(QStringLiteral("&Void of Course Moon..."), QKeySequence(),
               [this] { VoidOfCourse(); });
    dynamic->addAction(
        action(QStringLiteral("&Lunar Phases..."), QKeySequence(), [this] { LunarPhases(); }));

    QMenu* reports_menu = menuBar()->addMenu(QStringLiteral("&Reports"));
    for (const reports::ReportKind& kind : reports::ReportKinds()) {
        auto* a = action(ReportMenuText(kind.title), QKeySequence(),
                         [this, name = kind.name] { TextReport(name); });
        a->setObjectName(QStringLiteral("report-") + ToQ(kind.name));
        reports_menu->addAction(a);
        derived_actions_.push_back(a);
    }

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    auto* kinds = new QActionGroup(this);
    const auto kind_action = [this, kinds, view](const QString& text, drawing::DrawKind kind,
                                                 const QKeySequence& keys) {
        auto* a = new QAction(text, kinds);
        a->setCheckable(true);
        a->setShortcut(keys);
        a->setData(static_cast<int>(kind));
        connect(a, &QAction::triggered, this, [this, kind] {
            if (ChartView* current = CurrentChartView()) {
                current->SetKind(kind);
            }
        });
        view->addAction(a);
        return a;
    };
    wheel_action_ = kind_action(QStringLiteral("&Wheel"), drawing::DrawKind::kWheel,
                                QKeySequence(tr("Ctrl+1")));
    dial_action_ =
        kind_action(QStringLiteral("&Dial"), drawing::DrawKind::kDial, QKeySequence(tr("Ctrl+2")));
    grid_action_ = kind_action(QStringLiteral("Aspect &Grid"), drawing::DrawKind::kGrid,
                               QKeySequence(tr("Ctrl+3")));
    wheel_action_->setChecked(true);
    view->addSeparator();
    auto* style =
        action(QStringLiteral("Wheel &Style..."), QKeySequence(), [this] { ChooseViewFile(0); });
    auto* aspect_set =
        action(QStringLiteral("&Aspect Set..."), QKeySequence(), [this] { ChooseViewFile(1); });
    auto* points =
        action(QStringLiteral("&Points..."), QKeySequence(), [this] { ChooseViewFile(2); });
    view->addAction(style);
    view->addAction(aspect_set);
    view->addAction(points);
    view->addSeparator();
    view->addAction(files_dock_->toggleViewAction());

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(action(QStringLiteral("&About Meridia"), QKeySequence(), [this] {
        QMessageBox::about(this, QStringLiteral("About Meridia"),
                           QStringLiteral("Meridia %1\nAn astrology workstation.")
                               .arg(ToQ(startup::ProgramVersion())));
    }));

    QToolBar* bar = addToolBar(QStringLiteral("Main"));
    bar->setObjectName(QStringLiteral("MainToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(new_chart);
    bar->addAction(open_file);
    bar->addAction(save);
    bar->addSeparator();
    bar->addAction(edit);
    bar->addAction(transits);
    bar->addAction(synastry);
    bar->addAction(listing);
    bar->addSeparator();
    bar->addAction(picture);
    bar->addAction(print);

    chart_actions_ = {save,   save_as,    picture,       preview,      print,
                      edit,   transits,   synastry,      listing,      style,
                      points, aspect_set, wheel_action_, dial_action_, grid_action_};
}

void MainWindow::UpdateActions() {
    const bool chart = CurrentChartView() != nullptr;
    for (QAction* a : chart_actions_) {
        a->setEnabled(chart);
    }
    for (QAction* a : derived_actions_) {
        a->setEnabled(chart);
    }
    // Printing also serves report views.
    const bool report = qobject_cast<ReportView*>(tabs_->currentWidget()) != nullptr;
    for (QAction* a : chart_actions_) {
        if (a->text().contains(QStringLiteral("Print"))) {
            a->setEnabled(chart || report);
        }
    }
    if (ChartView* current = CurrentChartView()) {
        setWindowTitle(QStringLiteral("Meridia - ") + current->Title());
        QAction* kind = current->kind() == drawing::DrawKind::kDial   ? dial_action_
                        : current->kind() == drawing::DrawKind::kGrid ? grid_action_
                                                                      : wheel_action_;
        kind->setChecked(true);
    } else {
        setWindowTitle(QStringLiteral("Meridia"));
    }
}

ChartView* MainWindow::CurrentChartView() const {
    return qobject_cast<ChartView*>(tabs_->currentWidget());
}

void MainWindow::UseSlot(int slot) { ++slot_users_[slot]; }

void MainWindow::ReleaseSlot(int slot) {
    auto it = slot_users_.find(slot);
    if (it == slot_users_.end()) {
        return;
    }
    if (--it->second <= 0) {
        slot_users_.erase(it);
        comments_.erase(slot);
        events_.erase(slot);
        astro::Slot(slot).chart_serial = 0;  // the slot is free again
    }
}

int MainWindow::OpenChart(const astro::ChartRecord& record, const std::string& file_path,
                          int number, const std::string& comment,
                          std::vector<charts::ChartEvent> events) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto slot = charts::OpenChartRecord(record, file_path, number, "");
    QApplication::restoreOverrideCursor();
    if (!slot.ok()) {
        slot.status().Show(startup::kExclamation);
        return -1;
    }
    comments_[*slot] = comment;
    events_[*slot] = std::move(events);
    ShowCharts({*slot});
    return *slot;
}

ChartView* MainWindow::ShowCharts(const std::vector<int>& slots) {
    auto* view = new ChartView(slots);
    for (const int slot : slots) {
        UseSlot(slot);
    }
    connect(view, &ChartView::StatusText, status_label_, &QLabel::setText);
    const int index = tabs_->addTab(view, view->Title());
    tabs_->setCurrentIndex(index);
    UpdateActions();
    return view;
}

ReportView* MainWindow::ShowReport(const QString& title, const QString& text) {
    auto* view = new ReportView(title, text);
    const int index = tabs_->addTab(view, title);
    tabs_->setCurrentIndex(index);
    UpdateActions();
    return view;
}

void MainWindow::CloseTab(int index) {
    QWidget* widget = tabs_->widget(index);
    tabs_->removeTab(index);
    if (auto* view = qobject_cast<ChartView*>(widget)) {
        for (const int slot : view->chart_slots()) {
            ReleaseSlot(slot);
        }
    }
    delete widget;
    UpdateActions();
}

void MainWindow::ApplyCommandLine(const startup::CommandLine& command_line) {
    if (!command_line.load_file.empty()) {
        const int number = std::max(1, command_line.chart_number);
        if (files_->OpenFile(command_line.load_file, number)) {
            files_->OpenSelected();
        }
    }
    if (command_line.load_file.empty()) {
        if (const auto current = charts::CurrentChartFile()) {
            files_->OpenFile(*current);
        }
    }
    if (command_line.list_mode) {
        files_dock_->show();
        files_dock_->raise();
    }
    if (command_line.verbose) {
        const auto& log = startup::CurrentSession().Get<startup::StartupState>().log_lines;
        QString text;
        for (const std::string& line : log) {
            text += ToQ(line) + '\n';
        }
        ShowReport(QStringLiteral("Start-up log"), text);
    }
}

void MainWindow::NewChart() {
    ChartEntry entry(this);
    if (entry.exec() == QDialog::Accepted) {
        OpenChart(entry.record(), {}, 0, entry.comment(), entry.events());
    }
}

void MainWindow::EditChart() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    const int slot = view->chart_slots().front();
    ChartEntry entry(this);
    entry.SetRecord(astro::Slot(slot).record, comments_[slot]);
    entry.SetEvents(events_[slot]);
    if (entry.exec() != QDialog::Accepted) {
        return;
    }
    // The chart is calculated again in its own slot, so every view that shows it follows.
    const startup::Status status = charts::CalculateChartRecord(entry.record(), slot);
    if (!status.ok()) {
        status.Show(startup::kExclamation);
        return;
    }
    comments_[slot] = entry.comment();
    events_[slot] = entry.events();
    for (int i = 0; i < tabs_->count(); ++i) {
        if (auto* other = qobject_cast<ChartView*>(tabs_->widget(i))) {
            tabs_->setTabText(i, other->Title());
            other->update();
        }
    }
    UpdateActions();
}

void MainWindow::SaveChart(bool choose_file) {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    const int slot = view->chart_slots().front();
    std::filesystem::path file = files_->path();
    if (choose_file || file.empty()) {
        const QString chosen = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Chart To File"), ToQ(charts::ChartsFolder().string()),
            QStringLiteral("Chart files (*.MDcht *.cht);;All files (*)"), nullptr,
            QFileDialog::DontConfirmOverwrite);
        if (chosen.isEmpty()) {
            return;
        }
        file = chosen.toStdString();
        if (!std::filesystem::exists(file)) {
            const auto created = charts::CreateNewChartFile(file, charts::kVersionCurrent, "");
            if (!created.ok()) {
                created.status().Show(startup::kExclamation);
                return;
            }
            file = *created;
        }
    }
    charts::SaveChartRequest request;
    request.file = file;
    request.comment = comments_[slot];
    request.events = events_[slot];
    const charts::SaveChartResult result = charts::SaveCalculatedChart(slot, request);
    if (result.status == charts::SaveStatus::kSaved) {
        if (files_->path() == file) {
            files_->Reload(result.number);
        } else {
            files_->OpenFile(file, result.number);
        }
        status_label_->setText(QStringLiteral("Saved as chart %1 of %2")
                                   .arg(result.number)
                                   .arg(ToQ(file.filename().string())));
    } else if (result.status == charts::SaveStatus::kFailed) {
        startup::ShowMessage("The chart could not be saved in " + file.string(),
                             startup::kExclamation, "Save Chart To Disk");
    }
}

void MainWindow::TransitWheel() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    const int base = view->chart_slots().front();
    const astro::ChartRecord& radix = astro::Slot(base).record;
    // The transits of now at the radix place, on the machine's clock; the form lets the user
    // change the moment before OK.
    const QDateTime now = QDateTime::currentDateTime();
    const astro::CompactDateTime local = {static_cast<std::int16_t>(now.date().year()),
                                          static_cast<std::uint8_t>(now.date().month()),
                                          static_cast<std::uint8_t>(now.date().day()),
                                          static_cast<std::uint8_t>(now.time().hour()),
                                          static_cast<std::uint8_t>(now.time().minute()),
                                          0};
    const astro::ChartRecord transit =
        charts::TransitsRecord(radix, local, static_cast<float>(-now.offsetFromUtc() / 3600.0));
    ChartEntry entry(this);
    entry.setWindowTitle(QStringLiteral("Transits to ") + ToQ(radix.data.name));
    entry.SetRecord(transit, {});
    if (entry.exec() != QDialog::Accepted) {
        return;
    }
    const auto slot = charts::OpenChartRecord(entry.record(), "", 0, "");
    if (!slot.ok()) {
        slot.status().Show(startup::kExclamation);
        return;
    }
    ShowCharts({base, *slot});
}

void MainWindow::SynastryWheel() {
    ChartView* view = CurrentChartView();
    const std::vector<int> numbers = files_->SelectedNumbers();
    if (view == nullptr || numbers.empty()) {
        startup::ShowMessage("Select the partner's chart in the chart file list first.",
                             startup::kInformation, "Synastry");
        return;
    }
    const auto partner = charts::LoadChartByNumber(files_->path(), numbers.front());
    if (!partner.ok()) {
        partner.status().Show(startup::kExclamation);
        return;
    }
    const auto slot =
        charts::OpenChartRecord(partner->record, files_->path().string(), numbers.front(), "");
    if (!slot.ok()) {
        slot.status().Show(startup::kExclamation);
        return;
    }
    comments_[*slot] = partner->comment;
    ShowCharts({view->chart_slots().front(), *slot});
}

void MainWindow::ShowListing() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    QString text;
    for (const int slot : view->chart_slots()) {
        text += ToQ(charts::ChartListing(astro::Slot(slot))) + '\n';
    }
    ShowReport(view->Title() + QStringLiteral(" - listing"), text);
}

void MainWindow::ExportPicture() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    QString filter;
    QString chosen = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Picture"), ToQ(charts::ChartsFolder().parent_path().string()),
        PictureFilter(), &filter);
    if (chosen.isEmpty()) {
        return;
    }
    if (QFileInfo(chosen).suffix().isEmpty()) {
        chosen += filter.contains(QStringLiteral("svg"))   ? QStringLiteral(".svg")
                  : filter.contains(QStringLiteral("pdf")) ? QStringLiteral(".pdf")
                                                           : QStringLiteral(".png");
    }
    const startup::Status status = view->ExportPicture(chosen, 1000);
    if (!status.ok()) {
        status.Show(startup::kExclamation);
        return;
    }
    status_label_->setText(QStringLiteral("Picture saved: ") + chosen);
}

void MainWindow::PrintCurrent(bool preview) {
    QWidget* current = tabs_->currentWidget();
    auto* chart = qobject_cast<ChartView*>(current);
    auto* report = qobject_cast<ReportView*>(current);
    if (chart == nullptr && report == nullptr) {
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    const auto print = [chart, report](QPrinter* target) {
        if (chart != nullptr) {
            chart->PrintTo(*target);
        } else {
            report->PrintTo(*target);
        }
    };
    if (preview) {
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, print);
        dialog.exec();
        return;
    }
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) {
        print(&printer);
    }
}

void MainWindow::ShowPreferences() {
    frmPrefs prefs(this);
    if (prefs.exec() == QDialog::Accepted) {
        for (int i = 0; i < tabs_->count(); ++i) {
            tabs_->widget(i)->update();
        }
    }
}

void MainWindow::MergeFolder() {
    const QString source = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Merge Chart Files From"), ToQ(charts::ChartsFolder().string()));
    if (source.isEmpty()) {
        return;
    }
    const QString target = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Merge Chart Files Into"), ToQ(charts::ChartsFolder().string()));
    if (target.isEmpty()) {
        return;
    }
    const auto totals = charts::MergeChartFolders(source.toStdString(), target.toStdString());
    if (!totals.ok()) {
        totals.status().Show(startup::kExclamation);
        return;
    }
    status_label_->setText(QStringLiteral("Merged %1 files, %2 charts brought in")
                               .arg(totals->files)
                               .arg(totals->charts));
}

void MainWindow::ImportCharts() {
    const QString from = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import Charts"), ToQ(charts::ChartsFolder().string()),
        QStringLiteral("Chart files (*.tsl *.cht *.MDcht);;All files (*)"));
    if (from.isEmpty()) {
        return;
    }
    const QString to = QFileDialog::getSaveFileName(
        this, QStringLiteral("Import Into Chart File"), ToQ(charts::ChartsFolder().string()),
        QStringLiteral("Chart files (*.MDcht)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (to.isEmpty()) {
        return;
    }
    const auto copied = charts::TransferCharts(from.toStdString(), to.toStdString());
    if (!copied.ok()) {
        copied.status().Show(startup::kExclamation);
        return;
    }
    files_->OpenFile(charts::CurrentFormatName(to.toStdString()));
    status_label_->setText(QStringLiteral("%1 charts imported").arg(*copied));
}

void MainWindow::ExportCharts() {
    if (!files_->HasFile()) {
        startup::ShowMessage("Open the chart file to export first.", startup::kInformation,
                             "Export Charts");
        return;
    }
    const QString to = QFileDialog::getSaveFileName(this, QStringLiteral("Export Charts"),
                                                    ToQ(charts::ChartsFolder().string()),
                                                    QStringLiteral("Block format (*.tsl)"));
    if (to.isEmpty()) {
        return;
    }
    const auto copied = charts::TransferCharts(files_->path(), to.toStdString());
    if (!copied.ok()) {
        copied.status().Show(startup::kExclamation);
        return;
    }
    status_label_->setText(QStringLiteral("%1 charts exported").arg(*copied));
}

void MainWindow::DeriveChart(int chart_class, int kind, Needs needs) {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    astro::SubsidiaryRequest request;
    request.record.chart_class = static_cast<std::uint8_t>(chart_class);
    request.record.chart_kind =
        static_cast<std::uint8_t>(kind != 0 ? kind : charts::DefaultProgressedKind());
    request.base_slot = view->chart_slots().front();
    std::optional<charts::ChartEntry> target;
    int opened_partner = -1;
    switch (needs) {
        case Needs::kTarget: {
            // The moment the base chart is progressed or directed to, at its place and zone.
            const QDate today = QDate::currentDate();
            bool ok = false;
            const QString date =
                QInputDialog::getText(this, QStringLiteral("Derived Chart"),
                                      QStringLiteral("Target date:"), QLineEdit::Normal,
                                      ToQ(tf::FormatDate(today.day(), today.month(), today.year(),
                                                         tf::CalendarMode::kAutomatic)),
                                      &ok);
            if (!ok || date.trimmed().isEmpty()) {
                return;
            }
            target.emplace();
            target->date = date.trimmed().toStdString();
            target->time = "12:00";
            target->field_prefix = "";
            target->refusal_title = "Derived Chart";
            break;
        }
        case Needs::kSecond: {
            if (view->chart_slots().size() > 1) {
                request.other_slots.push_back(view->chart_slots()[1]);
                break;
            }
            const std::vector<int> numbers = files_->SelectedNumbers();
            if (numbers.empty()) {
                startup::ShowMessage(
                    "Select the second chart in the chart file list, or show the two charts "
                    "as a bi-wheel first.",
                    startup::kInformation, "Derived Chart");
                return;
            }
            const auto partner = charts::LoadChartByNumber(files_->path(), numbers.front());
            if (!partner.ok()) {
                partner.status().Show(startup::kExclamation);
                return;
            }
            const auto opened = charts::OpenChartRecord(partner->record, files_->path().string(),
                                                        numbers.front(), "Derived Chart");
            if (!opened.ok()) {
                opened.status().Show(startup::kExclamation);
                return;
            }
            opened_partner = *opened;
            request.other_slots.push_back(opened_partner);
            break;
        }
        case Needs::kHarmonic: {
            bool ok = false;
            const double harmonic = QInputDialog::getDouble(this, QStringLiteral("Harmonic Chart"),
                                                            QStringLiteral("Harmonic number:"), 5.0,
                                                            1.0, 1000.0, 2, &ok);
            if (!ok) {
                return;
            }
            request.harmonic = harmonic;
            break;
        }
        case Needs::kNothing:
            break;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto derived = charts::OpenDerivedChartOfSlots(request, target, "Derived Chart");
    QApplication::restoreOverrideCursor();
    if (opened_partner > 0) {
        astro::Slot(opened_partner).chart_serial = 0;  // only the derived chart stays open
    }
    if (!derived.ok()) {
        derived.status().Show(startup::kExclamation);
        return;
    }
    astro::ChartRecord& record = astro::Slot(derived->slot).record;
    if (record.data.name.empty()) {
        record.data.name = charts::DerivedChartName(astro::Slot(request.base_slot).record.data.name,
                                                    chart_class, record.chart_kind);
    }
    ShowCharts({derived->slot});
}

void MainWindow::DynamicReport() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    DynamicEntry entry(astro::Slot(view->chart_slots().front()).record, this);
    if (entry.exec() != QDialog::Accepted || !entry.result()) {
        return;
    }
    auto* report = new DynamicView(std::move(*entry.result()));
    connect(report, &DynamicView::NewReportRequested, this, [this] { DynamicReport(); });
    tabs_->setCurrentIndex(tabs_->addTab(report, report->Title()));
    UpdateActions();
}

void MainWindow::ReturnCharts() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    // The job's charts are freed when this ends, except those chosen to be shown.
    JobSlots slots;
    Returns returns_dialog(astro::Slot(view->chart_slots().front()).record, this);
    if (returns_dialog.exec() != QDialog::Accepted || !returns_dialog.result()) {
        return;
    }
    ReturnSelect select(*returns_dialog.result(), this);
    if (select.exec() != QDialog::Accepted) {
        return;
    }
    for (const int slot : select.ChosenSlots()) {
        slots.Keep(slot);
        ShowCharts({slot});
    }
}

void MainWindow::EclipseSearch() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    EclFind find(
        astro::Slot(view->chart_slots().front()).record,
        [this](const astro::ChartRecord& record) { OpenChart(record); }, this);
    find.exec();
}

void MainWindow::LunarPhases() {
    ChartView* view = CurrentChartView();
    const astro::ChartRecord chart =
        view != nullptr ? astro::Slot(view->chart_slots().front()).record : astro::ChartRecord();
    MoonReportEntry entry(MoonReportEntry::Kind::kLunarPhases, chart, this, view != nullptr);
    if (entry.exec() != QDialog::Accepted) {
        return;
    }
    if (const auto report = entry.Run()) {
        ShowReport(report->first, report->second);
        for (const astro::ChartRecord& record : entry.created_charts()) {
            OpenChart(record);
        }
    }
}

void MainWindow::VoidOfCourse() {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    MoonReportEntry entry(MoonReportEntry::Kind::kVoidOfCourse,
                          astro::Slot(view->chart_slots().front()).record, this);
    if (entry.exec() != QDialog::Accepted) {
        return;
    }
    if (const auto report = entry.Run()) {
        ShowReport(report->first, report->second);
    }
}

void MainWindow::TextReport(const std::string& kind) {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    reports::ReportJob job;
    job.kind = kind;
    job.first.record = astro::Slot(view->chart_slots().front()).record;
    if (view->chart_slots().size() > 1) {
        job.second.emplace();
        job.second->record = astro::Slot(view->chart_slots()[1]).record;
    }
    std::optional<reports::ReportWriter> writer;
    {
        JobSlots slots;
        writer = RunCoreJob<reports::ReportWriter>(
            this, QStringLiteral("Report"), OnCancel::kDiscard, [&job](JobProgress& progress) {
                progress.Report("Generating report...", -1);
                return reports::RunReportJob(job);
            });
    }
    if (!writer) {
        return;
    }
    const reports::ReportKind* found = reports::FindReportKind(kind);
    ShowReport(view->Title() + QStringLiteral(" - ") + ToQ(found != nullptr ? found->title : kind),
               ToQ(writer->Text()));
}

void MainWindow::ChooseViewFile(int which) {
    ChartView* view = CurrentChartView();
    if (view == nullptr) {
        return;
    }
    const std::filesystem::path user = startup::CurrentSession().folders().user_files;
    static const char* const kFolders[] = {"Wheels & Dials", "Aspects", "Points & Colors"};
    static const char* const kCaptions[] = {"Wheel Style", "Aspect Set", "Point Selection"};
    static const char* const kFilters[] = {
        "Wheel and dial styles (*.wh1 *.wh2 *.wh3 *.wh4 *.wh5 *.di1 *.di2 *.di3 *.di4 *.di5)",
        "Aspect sets (*.asp)", "Point selections (*.pts)"};
    const auto index = static_cast<std::size_t>(which);
    const QString chosen = QFileDialog::getOpenFileName(this, QString::fromUtf8(kCaptions[index]),
                                                        ToQ((user / kFolders[index]).string()),
                                                        QString::fromUtf8(kFilters[index]));
    if (chosen.isEmpty()) {
        return;
    }
    const drawing::WheelRequest& current = view->request();
    std::string style = current.style;
    std::string aspect_set = current.aspect_set;
    std::string points = current.points;
    (which == 0 ? style : which == 1 ? aspect_set : points) = chosen.toStdString();
    view->SetChoices(style, aspect_set, points);
}

namespace {

constexpr std::string_view kDesktopFile = "MDDesktop.ini";
constexpr std::string_view kPlacementSection = "Form Main";
// The stored window states: normal and maximised.
constexpr long kStateNormal = 0;
constexpr long kStateMaximised = 2;

long ReadPlacement(std::string_view key, long fallback) {
    return std::get<long>(startup::ReadTypedSetting(kPlacementSection, key,
                                                    startup::SettingType::kLong, fallback,
                                                    std::filesystem::path(kDesktopFile)));
}

}  // namespace

void MainWindow::RestorePlacement() {
    const QRect normal = geometry();
    const long width = ReadPlacement("Width", normal.width());
    const long height = ReadPlacement("Height", normal.height());
    if (width >= 200 && height >= 150 && width <= 20000 && height <= 20000) {
        resize(static_cast<int>(width), static_cast<int>(height));
    }
    const long left = ReadPlacement("Left", -1);
    const long top = ReadPlacement("Top", -1);
    if (left >= 0 && top >= 0 && left <= 20000 && top <= 20000) {
        move(static_cast<int>(left), static_cast<int>(top));
    }
    if (ReadPlacement("State", kStateNormal) == kStateMaximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void MainWindow::SavePlacement() const {
    const std::filesystem::path file(kDesktopFile);
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    const std::pair<std::string_view, long> values[] = {
        {"State", isMaximized() ? kStateMaximised : kStateNormal},
        {"Left", normal.x()},
        {"Top", normal.y()},
        {"Width", normal.width()},
        {"Height", normal.height()}};
    for (const auto& [key, value] : values) {
        startup::WriteTypedSetting(kPlacementSection, key, value, file);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    SavePlacement();
    event->accept();
}

}  // namespace meridia::ui
