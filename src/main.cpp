// Corvane: interactive 2.5-D gravity modelling.
#include "app/tcorvane.h"
#include "platform/qt_platform.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));

    auto platform = std::make_unique<corvane::QtPlatform>();
    corvane::QtPlatform& qtPlatform = *platform;
    corvane::Tcorvane window(std::move(platform));
    qtPlatform.setParentWindow(&window);
    window.show();
    return app.exec();
}
