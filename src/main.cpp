// Corvane: interactive 2.5-D gravity modelling.
#include "app/command_line.h"
#include "app/tcorvane.h"
#include "io/safe_file.h"
#include "platform/qt_platform.h"
#include "version.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>

#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>

int main(int argc, char** argv)
{
    // Answered before anything needs a display.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const corvane::CommandLine asked = corvane::parseCommandLine(raw);
    if (asked.help) {
        std::puts(corvane::UsageLine);
        return 0;
    }
    if (asked.version) {
        std::printf("corvane %s\n", corvane::CorvaneVersion);
        return 0;
    }

    QApplication app(argc, argv);
    // Qt takes the whole locale from the environment; numbers in files and
    // boxes are always written and read with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Corvane"));

    auto platform = std::make_unique<corvane::QtPlatform>();
    corvane::QtPlatform& qtPlatform = *platform;
    corvane::Tcorvane window(std::move(platform));
    qtPlatform.setParentWindow(&window);
    window.enableRecovery(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    window.show();
    // Qt has taken its own options (-display, -style ...) out by now.
    const QString file = corvane::parseCommandLine(QApplication::arguments()).file;
    // Temporaries that a save cut short by a crash left behind go now.
    corvane::removeStaleTemporaries(".");
    if (!file.isEmpty())
        corvane::removeStaleTemporaries(QFile::encodeName(QFileInfo(file).absolutePath()).toStdString());
    // The recovery offer and the file's messages belong over the window, so
    // they wait (a little) until the window is on the screen.
    int tries = 0;
    std::function<void()> startUp = [&] {
        if (window.windowHandle() && !window.windowHandle()->isExposed() && ++tries < 100) {
            QTimer::singleShot(20, &window, startUp);
            return;
        }
        window.startUp(file);
    };
    QTimer::singleShot(0, &window, startUp);
    return app.exec();
}
