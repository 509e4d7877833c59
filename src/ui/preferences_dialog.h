// The preferences (`frmPrefs`): the settings of the [Meridia] section that the chart entry,
// the calculation, the formats, the place lookup and the wheels read, edited in one dialog and
// saved through the settings store when confirmed.
#pragma once

#include <QDialog>
#include <map>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace meridia::ui {

// NOLINTNEXTLINE(readability-identifier-naming): the dialog keeps the program's own name.
class frmPrefs : public QDialog {
    Q_OBJECT
public:
    explicit frmPrefs(QWidget* parent = nullptr);

    // Puts the dialog's values into the session's settings and saves them; false when the
    // settings file could not be written (its message has been shown).
    bool Apply();

    void accept() override;

private:
    QComboBox* house_ = nullptr;
    QComboBox* zodiac_ = nullptr;
    std::map<std::string, QCheckBox*> flags_;
    std::map<std::string, QLineEdit*> texts_;
};

}  // namespace meridia::ui
