// Drawing text needs a GUI application: one off-screen application for the whole test binary.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

namespace {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app_ = new QGuiApplication(argc_, argv_);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[16] = "test_drawing";
    char* argv_[2] = {name_, nullptr};
    QGuiApplication* app_ = nullptr;
};

// Registered before main runs: gtest_main runs every test inside the environment.
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
