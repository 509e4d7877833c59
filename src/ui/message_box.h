// The windowed program's message sink: every message of the core (ShowMessage) appears in a
// modal message box with the style's buttons, icon and default button, and the button the user
// pressed goes back to the caller.
#pragma once

#include "startup/messages.h"

class QWidget;

namespace meridia::ui {

class MessageBoxSink : public startup::MessageSink {
public:
    int Show(const startup::Message& message) override;
};

// The window that message boxes are centred on (the main window once it exists).
void SetMessageParent(QWidget* parent);

}  // namespace meridia::ui
