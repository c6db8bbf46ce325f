#pragma once
#include <QApplication>

// One QApplication for a test program, made on first use.
inline QApplication& GuiTestApp() {
    static int argc = 1;
    static char name[] = "glimra_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
