#include <QApplication>

#include <gtest/gtest.h>

// Every test executable runs offscreen with a real QApplication, so that fonts, images and widgets
// behave as in the station.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
