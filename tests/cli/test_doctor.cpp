#include "diag/faketree.h"
#include "rfidctl.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{

// A reader whose node only root may open, no udev rule, a modem manager running: the machine
// of a new user. Root may open the node, so there only the warnings remain.
TEST(Doctor, NamesTheFixAndFailsOnlyOnAnError)
{
    const bool root = ::geteuid() == 0;
    FakeTree tree;
    tree.process(600, QStringLiteral("ModemManager"));
    tree.usbDevice(QStringLiteral("1-2"), 0x1234, 0x5678, QStringLiteral("Card Reader"));
    tree.hidraw(3, QStringLiteral("1-2"), 0x1234, 0x5678, QStringLiteral("Example Card Reader"),
                {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0});
    ASSERT_TRUE(QFile::setPermissions(tree.root() + QStringLiteral("/dev/hidraw3"), QFileDevice::Permissions()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RFID_DIAG_ROOT"), tree.root());

    const Outcome text = rfidctl({QStringLiteral("doctor")}, {}, env);
    EXPECT_EQ(text.exit, root ? 0 : 1);
    EXPECT_TRUE(text.out.contains(QStringLiteral("ModemManager")) && text.out.contains(QStringLiteral("fix: ")) &&
                text.out.contains(QStringLiteral("  sudo ")))
        << text.out.toStdString();
    EXPECT_EQ(text.out.contains(QStringLiteral("error: ")), !root);

    const Outcome json = rfidctl({QStringLiteral("--json"), QStringLiteral("doctor")}, {}, env);
    EXPECT_EQ(json.exit, text.exit);
    const QJsonObject record = json.json().value(0);
    EXPECT_EQ(record.value(QStringLiteral("ok")).toBool(), root);
    bool named = false;
    for (const QJsonValue &f : record.value(QStringLiteral("findings")).toArray())
        named |= f[QStringLiteral("check")] == QStringLiteral("hidraw-permission") &&
                 f[QStringLiteral("severity")] == QStringLiteral("error") &&
                 !f[QStringLiteral("commands")].toArray().isEmpty();
    EXPECT_EQ(named, !root) << json.out.toStdString();
}

} // namespace
