#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Test programs of the widget-free libraries: an event loop and timers, no window system. The
// simulated field's state (and that of every rfidctl run from here) goes to a folder of the
// test's own.
int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 3;
    qputenv("XDG_STATE_HOME", QFile::encodeName(home.filePath(QStringLiteral("state"))));
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
