#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Corvane for Windows"));
    window.resize(652, 486);
    window.show();
    return app.exec();
}
