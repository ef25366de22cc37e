#include "diag/faketree.h"
#include "rfidctl.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace
{

QProcessEnvironment machine(const FakeTree &tree)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RFID_DIAG_ROOT"), tree.root());
    return env;
}

TEST(Devices, NoReaderIsNoFailure)
{
    FakeTree tree;
    tree.usbDevice(QStringLiteral("1-1"), 0x046d, 0xc52b, QStringLiteral("Receiver"));
    tree.hidraw(0, QStringLiteral("1-1"), 0x046d, 0xc52b, QStringLiteral("Keyboard"),
                {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0});
    const Outcome r = rfidctl({QStringLiteral("devices")}, {}, machine(tree));
    EXPECT_EQ(r.exit, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("No HID reader found"))) << r.out.toStdString();
}

TEST(Devices, ReaderWithItsIdsPagesAndWhoHoldsIt)
{
    FakeTree tree;
    tree.usbDevice(QStringLiteral("1-2"), 0x1234, 0x5678, QStringLiteral("Card Reader"));
    tree.hidraw(3, QStringLiteral("1-2"), 0x1234, 0x5678, QStringLiteral("Example Card Reader"),
                {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0});
    tree.process(4242, QStringLiteral("other-tool"), {QStringLiteral("/dev/hidraw3")});
    const Outcome r = rfidctl({QStringLiteral("--json"), QStringLiteral("devices")}, {}, machine(tree));
    ASSERT_EQ(r.exit, 0) << r.err.toStdString();
    const QJsonArray devices = r.json().value(0).value(QStringLiteral("devices")).toArray();
    ASSERT_EQ(devices.size(), 1) << r.out.toStdString();
    const QJsonObject d = devices[0].toObject();
    EXPECT_EQ(d.value(QStringLiteral("path")).toString(), QStringLiteral("/dev/hidraw3"));
    EXPECT_EQ(d.value(QStringLiteral("vid_pid")).toString(), QStringLiteral("1234:5678"));
    EXPECT_EQ(d.value(QStringLiteral("usage_pages")).toArray(), QJsonArray{QStringLiteral("0xFF00")});
    EXPECT_EQ(d.value(QStringLiteral("product")).toString(), QStringLiteral("Example Card Reader"));
    const QJsonArray held = d.value(QStringLiteral("held_by")).toArray();
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("other-tool"));
}

} // namespace
