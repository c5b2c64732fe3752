#pragma once
// One QApplication for a GUI test executable, made on first use and kept to the end of the run.

#include <QApplication>

namespace display::testing {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "display_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

} // namespace display::testing
