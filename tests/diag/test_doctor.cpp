#include "diag/doctor.h"
#include "diag/serialbridges.h"
#include "faketree.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>

namespace
{

using diag::Severity;

const std::vector<uint8_t> vendorPage = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0};
const std::vector<uint8_t> keyboard = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0};
const std::vector<uint8_t> securityKey = {0x06, 0xD0, 0xF1, 0x09, 0x01, 0xA1, 0x01, 0xC0};
const std::vector<uint8_t> keyboardThenVendor = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0xC0, 0x06,
                                                 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0xC0};
constexpr uint dialout = 20;
const char *const groupFile = "root:x:0:\ndialout:x:20:\nalice:x:1000:\n";
const QString installedRule = QStringLiteral("/usr/lib/udev/rules.d/60-rfid-workbench.rules");

struct Machine {
    FakeTree tree;
    FakeNodes nodes;
    diag::Identity user{QStringLiteral("alice"), 1000, {1000}};
    QString installPrefix = QStringLiteral("/usr/local");
    qint64 selfPid = 31337;

    void reader(uint16_t pid = 0x5678, const std::vector<uint8_t> &descriptor = vendorPage)
    {
        tree.usbDevice(QStringLiteral("1-2"), 0x1234, pid, QStringLiteral("Card Reader"), QStringLiteral("Example"));
        tree.hidraw(0, QStringLiteral("1-2"), 0x1234, pid, QStringLiteral("Example Card Reader"), descriptor);
    }
    void ch340(const QString &tty = QStringLiteral("ttyUSB0"))
    {
        tree.usbDevice(QStringLiteral("1-3"), 0x1a86, 0x7523, QStringLiteral("USB Serial"));
        if (!tty.isEmpty())
            tree.serialPort(tty, QStringLiteral("1-3"));
    }
    void board() // a CDC-ACM board whose IDs the rule does not list
    {
        tree.usbDevice(QStringLiteral("1-4"), 0x2341, 0x0043, QStringLiteral("Uno"));
        tree.serialPort(QStringLiteral("ttyACM0"), QStringLiteral("1-4"));
    }
    void rule() { tree.file(installedRule); }

    QList<diag::Finding> run()
    {
        if (!QFile::exists(tree.root() + QStringLiteral("/etc/group")))
            tree.file(QStringLiteral("/etc/group"), groupFile);
        diag::DoctorOptions options;
        options.root = tree.root();
        options.user = user;
        options.nodes = std::make_shared<FakeNodes>(nodes);
        options.installPrefix = installPrefix;
        options.ruleName = QStringLiteral("60-rfid-workbench.rules");
        options.packageFile = QStringLiteral("rfid-workbench_2.7_amd64.deb");
        options.selfPid = selfPid;
        return diag::Doctor(options).run();
    }
};

struct Expected {
    const char *check;
    Severity severity;
    const char *text; // must appear in the finding's text; may be empty
};

struct Case {
    const char *name;
    std::function<void(Machine &)> setup;
    std::vector<Expected> expected;
    std::vector<const char *> absent; // checks that must not be reported
};

const diag::Finding *find(const QList<diag::Finding> &findings, const char *check)
{
    for (const diag::Finding &f : findings)
        if (f.check == QLatin1String(check))
            return &f;
    return nullptr;
}

QString dump(const QList<diag::Finding> &findings)
{
    QString text;
    for (const diag::Finding &f : findings)
        text += QStringLiteral("[%1] ").arg(f.check) + diag::formatFinding(f);
    return text;
}

const std::vector<Case> cases = {
    {"no USB at all",
     [](Machine &m) { QDir(m.tree.root() + QStringLiteral("/sys/bus/usb")).removeRecursively(); },
     {{"no-reader", Severity::Error, "no USB bus at all"}, {"udev-rule", Severity::Warning, "not installed"}},
     {"reader-ok"}},
    {"USB devices but no reader",
     [](Machine &m) {
         m.tree.usbDevice(QStringLiteral("1-1"), 0x1111, 0x2222, QStringLiteral("Keyboard"), QStringLiteral("Acme"));
         m.tree.hidraw(0, QStringLiteral("1-1"), 0x1111, 0x2222, QStringLiteral("Acme Keyboard"), keyboard);
         m.tree.usbDevice(QStringLiteral("1-5"), 0x3333, 0x4444, QStringLiteral("Security Key"));
         m.tree.hidraw(1, QStringLiteral("1-5"), 0x3333, 0x4444, QStringLiteral("Security Key"), securityKey);
         // A touchpad on I2C with a vendor collection is not taken for a reader.
         m.tree.hidraw(2, QStringLiteral("1-6"), 0x5555, 0x6666, QStringLiteral("Touchpad"), vendorPage, 0x0018);
     },
     {{"no-reader", Severity::Error, "1111:2222 Keyboard (Acme)"},
      {"no-reader", Severity::Error, "/dev/hidraw1 3333:4444 \"Security Key\": 0xf1d0"},
      {"no-reader", Severity::Error, "/dev/hidraw2 5555:6666 \"Touchpad\": 0xff00"}},
     {"hidraw-permission"}},
    {"reader that can be opened",
     [](Machine &m) {
         m.reader();
         m.rule();
         m.nodes.nodes[QStringLiteral("/dev/hidraw0")] = FakeNodes::device(false, true, 0, 0600);
     },
     {{"reader-ok", Severity::Ok, "1234:5678 \"Example Card Reader\" at /dev/hidraw0"},
      {"udev-rule", Severity::Ok, "/usr/lib/udev/rules.d/60-rfid-workbench.rules"}},
     {"no-reader", "hidraw-permission"}},
    {"reader closed, rule missing: the install commands",
     [](Machine &m) {
         m.reader();
         m.nodes.nodes[QStringLiteral("/dev/hidraw0")] = FakeNodes::device(false, false, 0, 0600);
     },
     {{"hidraw-permission", Severity::Error, "sudo apt install ./rfid-workbench_2.7_amd64.deb"},
      {"hidraw-permission", Severity::Error, "owner root, group root, mode 0600"}},
     {"udev-rule", "reader-ok"}},
    {"reader closed, rule installed under a prefix udev does not read",
     [](Machine &m) {
         m.installPrefix = QStringLiteral("/opt/rfid/");
         m.reader();
         m.tree.file(QStringLiteral("/opt/rfid/lib/udev/rules.d/60-rfid-workbench.rules"));
         m.nodes.nodes[QStringLiteral("/dev/hidraw0")] = FakeNodes::device(false, false, 0, 0600);
     },
     {{"hidraw-permission", Severity::Error,
       "sudo ln -s /opt/rfid/lib/udev/rules.d/60-rfid-workbench.rules /etc/udev/rules.d/"}},
     {"udev-rule"}},
    {"reader closed although the rule is installed",
     [](Machine &m) {
         m.reader();
         m.rule();
         m.nodes.nodes[QStringLiteral("/dev/hidraw0")] = FakeNodes::device(false, false, 0, 0600);
     },
     {{"hidraw-permission", Severity::Error, "udevadm trigger --subsystem-match=hidraw"},
      {"udev-rule", Severity::Ok, ""}},
     {}},
    {"reader whose first collection is a keyboard's",
     [](Machine &m) {
         m.reader(0xabcd, keyboardThenVendor);
         m.rule();
         m.nodes.nodes[QStringLiteral("/dev/hidraw0")] = FakeNodes::device(false, false, 0, 0600);
     },
     {{"hidraw-permission", Severity::Error, "ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"abcd\""}},
     {"no-reader"}},
    {"reader unplugged while looking",
     [](Machine &m) { m.reader(); },
     {{"reader-vanished", Severity::Info, "/dev/hidraw0 is gone"}},
     {"hidraw-permission", "no-reader"}},
    {"rule switched off by a link to /dev/null",
     [](Machine &m) {
         m.rule();
         m.tree.link(QStringLiteral("/etc/udev/rules.d/60-rfid-workbench.rules"), QStringLiteral("/dev/null"));
     },
     {{"udev-rule", Severity::Warning, "sudo rm /etc/udev/rules.d/60-rfid-workbench.rules"}},
     {}},
    {"earlier rule that opened every hidraw device",
     [](Machine &m) {
         m.rule();
         m.tree.file(QStringLiteral("/etc/udev/rules.d/70-rfid-workbench.rules"));
     },
     {{"udev-rule-old", Severity::Warning, "sudo rm /etc/udev/rules.d/70-rfid-workbench.rules"},
      {"udev-rule", Severity::Ok, ""}},
     {}},
    {"serial port of a group the user is not in",
     [](Machine &m) {
         m.ch340();
         m.nodes.nodes[QStringLiteral("/dev/ttyUSB0")] = FakeNodes::device(true, false, dialout, 0660);
     },
     {{"serial-group", Severity::Error, "sudo usermod -aG dialout alice"},
      {"serial-group", Severity::Error, "ttyUSB0 (1a86:7523 USB Serial)"},
      {"serial-group", Severity::Error, "WCH CH340/CH341 adapters"}},
     {"serial-ok"}},
    {"serial port: added to the group after logging in",
     [](Machine &m) {
         m.tree.file(QStringLiteral("/etc/group"), "dialout:x:20:bob,alice\n");
         m.board();
         m.nodes.nodes[QStringLiteral("/dev/ttyACM0")] = FakeNodes::device(true, false, dialout, 0660);
     },
     {{"serial-group", Severity::Error, "newgrp dialout"}},
     {"serial-ok"}},
    {"serial port that can be opened",
     [](Machine &m) {
         m.user.gids.append(dialout);
         m.board();
         m.nodes.nodes[QStringLiteral("/dev/ttyACM0")] = FakeNodes::device(true, true, dialout, 0660);
     },
     {{"serial-ok", Severity::Ok, "ttyACM0 (2341:0043 Uno)"}},
     {"serial-group", "port-busy"}},
    {"a regular file where the port should be",
     [](Machine &m) {
         m.tree.file(QStringLiteral("/dev/ttyUSB0"), "AT\r\n");
         diag::NodeStatus plain;
         plain.exists = true;
         plain.readWrite = true;
         m.nodes.nodes[QStringLiteral("/dev/ttyUSB0")] = plain;
     },
     {{"not-a-terminal", Severity::Error, "sudo rm /dev/ttyUSB0"}},
     {"serial-ok", "port-busy"}},
    {"port unplugged while looking",
     [](Machine &m) { m.ch340(QStringLiteral("ttyUSB1")); },
     {{"port-vanished", Severity::Info, "ttyUSB1 (1a86:7523 USB Serial) went away"}},
     {"serial-ok", "serial-group", "not-a-terminal"}},
    {"port held by another program, not by this one",
     [](Machine &m) {
         m.ch340();
         m.nodes.nodes[QStringLiteral("/dev/ttyUSB0")] = FakeNodes::device(true, true, dialout, 0660);
         m.tree.process(4242, QStringLiteral("minicom"),
                        {QStringLiteral("/dev/pts/1"), QStringLiteral("/dev/ttyUSB0")});
         m.tree.process(m.selfPid, QStringLiteral("rfid-workbench"), {QStringLiteral("/dev/ttyUSB0")});
     },
     {{"port-busy", Severity::Warning, "/dev/ttyUSB0 is open in minicom (pid 4242);"},
      {"port-busy", Severity::Warning, "kill 4242"}},
     {}},
    {"unreadable and odd /proc entries are passed over",
     [](Machine &m) {
         m.ch340();
         m.nodes.nodes[QStringLiteral("/dev/ttyUSB0")] = FakeNodes::device(true, true, dialout, 0660);
         m.tree.file(QStringLiteral("/proc/self/comm"), "x\n"); // not a pid
         m.tree.file(QStringLiteral("/proc/77/status"));        // no comm, no fd
         m.tree.file(QStringLiteral("/proc/78/comm"), "odd\n");
         m.tree.file(QStringLiteral("/proc/78/fd"), "not a folder");      // fd is a file
         m.tree.process(79, QString(), {QStringLiteral("/dev/ttyUSB0")}); // comm empty
         m.tree.link(QStringLiteral("/proc/80/fd/3"), QStringLiteral("/dev/ttyUSB0"));
     },
     {{"port-busy", Severity::Warning, "process 79, process 80"}},
     {}},
    {"ModemManager and an adapter the rule does not keep from it",
     [](Machine &m) {
         m.rule();
         m.board();
         m.ch340();
         m.tree.process(600, QStringLiteral("ModemManager"));
         m.nodes.nodes[QStringLiteral("/dev/ttyACM0")] = FakeNodes::device(true, true, dialout, 0660);
         m.nodes.nodes[QStringLiteral("/dev/ttyUSB0")] = FakeNodes::device(true, true, dialout, 0660);
     },
     {{"modemmanager", Severity::Warning, "Not kept from it: ttyACM0 (2341:0043 Uno)."},
      {"modemmanager", Severity::Warning, "sudo systemctl disable --now ModemManager"}},
     {}},
    {"ModemManager, the rule and a known adapter only",
     [](Machine &m) {
         m.rule();
         m.ch340();
         m.tree.process(600, QStringLiteral("ModemManager"));
         m.nodes.nodes[QStringLiteral("/dev/ttyUSB0")] = FakeNodes::device(true, true, dialout, 0660);
     },
     {{"serial-ok", Severity::Ok, ""}},
     {"modemmanager"}},
    {"brltty took the adapter",
     [](Machine &m) {
         m.ch340(QString());
         m.tree.process(700, QStringLiteral("brltty"));
     },
     {{"brltty", Severity::Error, "1a86:7523 USB Serial is plugged in but has no serial port"},
      {"brltty", Severity::Error, "sudo systemctl mask brltty-udev.service"}},
     {}},
    {"brltty running, no adapter yet",
     [](Machine &m) { m.tree.process(700, QStringLiteral("brltty")); },
     {{"brltty", Severity::Warning, "pid 700"}},
     {}},
};

TEST(Doctor, EachFindingFromAFakeMachine)
{
    for (const Case &c : cases) {
        Machine machine;
        c.setup(machine);
        const QList<diag::Finding> findings = machine.run();
        const QString all = dump(findings);
        for (const Expected &e : c.expected) {
            const diag::Finding *f = find(findings, e.check);
            ASSERT_NE(f, nullptr) << c.name << ": no " << e.check << " in\n" << all.toStdString();
            EXPECT_EQ(f->severity, e.severity) << c.name << ": " << e.check;
            const QString text = diag::formatFinding(*f);
            EXPECT_TRUE(text.contains(QString::fromUtf8(e.text))) << c.name << ": " << text.toStdString();
        }
        for (const char *check : c.absent)
            EXPECT_EQ(find(findings, check), nullptr) << c.name << ": unexpected " << check << " in\n"
                                                      << all.toStdString();
        // Each check speaks at most once per device: the same summary never twice.
        QSet<QString> summaries;
        for (const diag::Finding &f : findings) {
            EXPECT_FALSE(summaries.contains(f.summary)) << c.name << ": twice: " << f.summary.toStdString();
            summaries.insert(f.summary);
        }
    }
}

TEST(Doctor, RootComesFromTheEnvironment)
{
    qputenv("RFID_DIAG_ROOT", "/nonexistent/machine");
    const diag::DoctorOptions options = diag::DoctorOptions::forThisProcess();
    qunsetenv("RFID_DIAG_ROOT");
    EXPECT_EQ(options.root, "/nonexistent/machine");
    EXPECT_EQ(diag::DoctorOptions::forThisProcess().root, "/");
    // A root with nothing in it at all: findings, not a crash.
    const QList<diag::Finding> findings = diag::Doctor(options).run();
    ASSERT_NE(find(findings, "no-reader"), nullptr);
    EXPECT_EQ(diag::worstSeverity(findings), Severity::Error);
}

TEST(Doctor, TheRuleListsTheSameAdaptersAsTheChecks)
{
    QFile rules(QStringLiteral(RFID_RULES_TEMPLATE));
    ASSERT_TRUE(rules.open(QIODevice::ReadOnly)) << RFID_RULES_TEMPLATE;
    const QString text = QString::fromUtf8(rules.readAll());
    QSet<QString> inRule, inChecks;
    const char *pattern =
        R"re(ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", ENV\{RFID_SERIAL_BRIDGE\}="1")re";
    const QRegularExpression line(QString::fromLatin1(pattern));
    for (auto it = line.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        inRule.insert(m.captured(1) + QLatin1Char(':') + m.captured(2));
    }
    for (const diag::SerialBridge &b : diag::serialBridges())
        inChecks.insert(
            QStringLiteral("%1:%2").arg(b.vid, 4, 16, QLatin1Char('0')).arg(b.pid, 4, 16, QLatin1Char('0')));
    EXPECT_FALSE(inRule.isEmpty());
    EXPECT_EQ(inRule, inChecks);
}

} // namespace
