#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// No widgets here: the file layer runs under the command line too. The user's data folder
// points into a folder of the test's own.
int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!home.isValid())
        return 3;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
