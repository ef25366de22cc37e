#include <QCoreApplication>
#include <gtest/gtest.h>

// Test programs of the widget-free libraries: an event loop and timers, no window system.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
