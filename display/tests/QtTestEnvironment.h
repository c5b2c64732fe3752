#pragma once
// One QApplication for a GUI test executable, created before the first test runs. Include from exactly
// one source file of the executable.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace display_test {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "cantrel_gui_test";
        static char* argv[] = {name, nullptr};
        App = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { App.reset(); }
    std::unique_ptr<QApplication> App;
};

inline ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace display_test
