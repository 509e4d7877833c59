// A started session for the window tests: a fresh session with a recording message sink, its
// user-files folder in the test's temporary folder filled with the factory files, a fixed
// current year and day-first dates.
#pragma once

#include <QString>
#include <string>

#include "startup/startup.h"
#include "support/test_session.h"
#include "textformats/date_text.h"

namespace meridia::testing {

class UiTest : public SessionTest {
protected:
    UiTest() {
        startup::StartupOptions options;
        started_ = startup::StartSession(options);
        textformats::FixCurrentYear(2024);
        session().settings().SetBool("DateOrderMDY", false);
        sink().Clear();
    }
    ~UiTest() override { textformats::FixCurrentYear(std::nullopt); }

    bool started_ = false;
};

inline QString Q(const char* text) { return QString::fromUtf8(text); }

}  // namespace meridia::testing
