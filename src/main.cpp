// Corvane: interactive 2.5-D gravity modelling.
#include "app/tcorvane.h"
#include "platform/qt_platform.h"

#include <QApplication>

#include <clocale>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Qt takes the whole locale from the environment; numbers in files and
    // boxes are always written and read with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Corvane"));

    auto platform = std::make_unique<corvane::QtPlatform>();
    corvane::QtPlatform& qtPlatform = *platform;
    corvane::Tcorvane window(std::move(platform));
    qtPlatform.setParentWindow(&window);
    window.show();
    return app.exec();
}
