#include "ui/preferences_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <array>

#include "startup/messages.h"
#include "startup/name_tables.h"
#include "startup/session.h"
#include "startup/settings_store.h"

namespace meridia::ui {

namespace {

struct FlagSetting {
    const char* key;
    const char* label;
};

constexpr std::array<FlagSetting, 12> kFlags = {{
    {"TrueNode", "True node (rather than mean)"},
    {"TrueBlackMoon", "True Black Moon"},
    {"Parallax", "Moon parallax (topocentric Moon)"},
    {"DateOrderMDY", "Dates month first (Dec 31 1992)"},
    {"Clock12Hour", "12-hour clock (9:05 pm)"},
    {"ShowStatedCalendar", "Show dates in their stated calendar"},
    {"AutoTimezone", "Look places up when leaving the place fields"},
    {"ACSEmbedded", "Use the world atlas for place lookups"},
    {"AspectLines", "Aspect lines in wheels"},
    {"AspectGlyphs", "Aspect glyphs in wheels"},
    {"NonPropHouses", "Equal-sized houses in wheels"},
    {"SaveOnExit", "Save settings on exit"},
}};

struct TextSetting {
    const char* key;
    const char* label;
};

constexpr std::array<TextSetting, 8> kTexts = {{
    {"ChartFileName", "Chart file"},
    {"PlaceFileName", "Place file"},
    {"PointFileName", "Displayed points"},
    {"AspPntFileName", "Aspecting points"},
    {"ColAspFileName", "Aspect colours"},
    {"ColPntFileName", "Point colours"},
    {"ColSgnFileName", "Sign colours"},
    {"ScreenFont", "Screen font"},
}};

}  // namespace

frmPrefs::frmPrefs(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPrefs"));
    setWindowTitle(QStringLiteral("Preferences"));
    const auto& settings = startup::CurrentSession().settings();
    const auto& names = startup::Names();

    auto* calc = new QGroupBox(QStringLiteral("Calculation"));
    auto* calc_form = new QFormLayout(calc);
    house_ = new QComboBox;
    for (int code = 1; code <= startup::kHouseSystemCount; ++code) {
        house_->addItem(QString::fromStdString(names.HouseSystemName(code)), code);
    }
    house_->setCurrentIndex(house_->findData(settings.GetInt("HouseSystem")));
    calc_form->addRow(QStringLiteral("House system"), house_);
    zodiac_ = new QComboBox;
    for (int code = 0; code < startup::kZodiacCount; ++code) {
        zodiac_->addItem(QString::fromStdString(names.ZodiacName(code)), code);
    }
    zodiac_->setCurrentIndex(zodiac_->findData(settings.GetInt("Ayanamsa")));
    calc_form->addRow(QStringLiteral("Zodiac"), zodiac_);

    auto* options = new QGroupBox(QStringLiteral("Options"));
    auto* options_layout = new QVBoxLayout(options);
    for (const FlagSetting& flag : kFlags) {
        auto* box = new QCheckBox(QString::fromUtf8(flag.label));
        box->setChecked(settings.GetBool(flag.key));
        flags_[flag.key] = box;
        options_layout->addWidget(box);
    }

    auto* files = new QGroupBox(QStringLiteral("Default files and fonts"));
    auto* files_form = new QFormLayout(files);
    for (const TextSetting& text : kTexts) {
        auto* edit = new QLineEdit(QString::fromStdString(settings.GetString(text.key)));
        texts_[text.key] = edit;
        files_form->addRow(QString::fromUtf8(text.label), edit);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmPrefs::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmPrefs::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(calc);
    left->addWidget(files);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(options);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
}

bool frmPrefs::Apply() {
    auto& settings = startup::CurrentSession().settings();
    settings.SetInt("HouseSystem", house_->currentData().toInt());
    settings.SetInt("Ayanamsa", zodiac_->currentData().toInt());
    for (const auto& [key, box] : flags_) {
        settings.SetBool(key, box->isChecked());
    }
    for (const auto& [key, edit] : texts_) {
        settings.SetString(key, edit->text().trimmed().toStdString());
    }
    if (!startup::SaveSettings()) {
        startup::ShowMessage(
            "The settings could not be saved in " + startup::SettingsFilePath({}).string(),
            startup::kExclamation, "Preferences");
        return false;
    }
    return true;
}

void frmPrefs::accept() {
    if (Apply()) {
        QDialog::accept();
    }
}

}  // namespace meridia::ui
