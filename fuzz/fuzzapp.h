#pragma once
// The GUI application a fuzz target needs for fonts and text layout, made
// once on the first input (libFuzzer calls no setup of its own).
#include <QGuiApplication>

inline void ensureFuzzApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "mirka_fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}
