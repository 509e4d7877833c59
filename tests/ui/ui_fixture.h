// A started session for the window tests: a fresh session with a recording message sink, its
// user-files folder in the test's temporary folder filled with the factory files, a fixed
// current year and day-first dates.
#pragma once

#include <QString>
#include <string>

#include "astro/chart_record.h"
#include "charts/chart_entry.h"
#include "startup/startup.h"
#include "support/test_session.h"
#include "textformats/date_text.h"
#include "ui/windowed_app.h"

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

// The sample chart of the README as the entry form builds it.
inline astro::ChartRecord SampleRecord() {
    const charts::ChartEntry entry = ui::SampleEntry();
    auto record = charts::BuildChartRecord(entry);
    EXPECT_TRUE(record.ok());
    return *record;
}

}  // namespace meridia::testing
