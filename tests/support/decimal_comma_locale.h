// Runs a test under a locale whose decimal separator is a comma (de_DE.UTF-8, made by
// scripts/setup.sh), for both the C library and C++ streams, as the windowed program may run.
// Numbers in files and settings must not change under it.
#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

namespace meridia::testing {

class DecimalCommaLocale {
public:
    DecimalCommaLocale() : old_c_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        EXPECT_TRUE(active_) << "the de_DE.UTF-8 locale is missing: run scripts/setup.sh";
        if (active_) {
            old_cpp_ = std::locale::global(std::locale("de_DE.UTF-8"));
            EXPECT_EQ(std::string(std::localeconv()->decimal_point), ",");
        }
    }
    ~DecimalCommaLocale() {
        if (active_) {
            std::locale::global(old_cpp_);
        }
        std::setlocale(LC_ALL, old_c_.c_str());
    }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool active() const { return active_; }

private:
    std::string old_c_;
    std::locale old_cpp_;
    bool active_ = false;
};

}  // namespace meridia::testing
