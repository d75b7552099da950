// Shared entry point: a QApplication exists for every test program, so widget,
// painter and clipboard tests run alike (headless under the offscreen platform).
#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");   // as the program does
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
