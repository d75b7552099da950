#pragma once
// Text needs the application's fonts; no window is shown.
#include <QGuiApplication>

namespace corvane::bench {

inline void ensureApplication()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "corvane_bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

}  // namespace corvane::bench
