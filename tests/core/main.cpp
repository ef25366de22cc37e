#include <QCoreApplication>
#include <gtest/gtest.h>

// The test main of the layers below the window: an application object for the event loop and
// timers, and no widgets at all.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
