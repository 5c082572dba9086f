// One QApplication for every test program, offscreen unless a display is asked for.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("嘉穗进销存"));
    QApplication::setApplicationDisplayName(QStringLiteral("嘉穗进销存"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
