#include "link/readerlink.h"
#include "link/waits.h"
#include "support/bodyrequest.h"
#include "support/fakehid.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QByteArray kOkReply("\xAA\x00\x01\x00\x01\xBB", 6);
const QString kAbsent = QStringLiteral("No USB reader is plugged in.");
const QString kGone = QStringLiteral("The USB reader went away (unplugged, or its USB connection failed).");
const QString kDenied = QStringLiteral("No permission to open /dev/hidraw0");

// The reader is plugged in and out between commands; each command goes through the link as
// a page's would.
TEST(Plugging, EachCommandFindsTheReaderAsItIsNow)
{
    waits::resetForTests();
    auto owned = std::make_unique<FakeHidOpener>();
    FakeHidOpener &opener = *owned;
    HidTransport usb(std::move(owned));
    ReaderLink link(usb);
    QStringList lines, failures;
    QObject::connect(&link, &ReaderLink::notice, [&](const QString &l) { lines << l; });
    QObject::connect(&link, &ReaderLink::readerFailed, [&](const QString &why) { failures << why; });
    FakeHid *device = nullptr;

    // Before any command: the probe finds nothing there, and says nothing in the log.
    link.probe();
    waits::waitUntil(2000, [&] { return link.presence() != ReaderPresence::Unknown; });
    EXPECT_EQ(link.presence(), ReaderPresence::Absent);
    EXPECT_EQ(link.presenceWhy(), kAbsent);

    enum class Do { Nothing, Plug, Unplug, Deny };
    struct Step {
        const char *what;
        Do action;
        bool answered;
        ReaderPresence presence;
        QString why;
        QStringList lines;
    } steps[] = {
        {"no reader yet", Do::Nothing, false, ReaderPresence::Absent, kAbsent, {kWriteFailed}},
        {"plugged in after start", Do::Plug, true, ReaderPresence::Present, {}, {}},
        {"unplugged", Do::Unplug, false, ReaderPresence::Absent, kGone, {kWriteFailed}},
        {"still out", Do::Nothing, false, ReaderPresence::Absent, kAbsent, {kWriteFailed}},
        {"back in", Do::Plug, true, ReaderPresence::Present, {}, {}},
        {"out again", Do::Unplug, false, ReaderPresence::Absent, kGone, {kWriteFailed}},
        {"in, but closed to us", Do::Deny, false, ReaderPresence::Unreachable, kDenied, {kDenied, kWriteFailed}},
        {"still closed: said once", Do::Nothing, false, ReaderPresence::Unreachable, kDenied, {kWriteFailed}},
        {"opened at last", Do::Plug, true, ReaderPresence::Present, {}, {}},
    };
    quint64 failed = 0;
    for (const Step &s : steps) {
        switch (s.action) {
        case Do::Plug:
            opener.why.clear();
            device = opener.plug();
            device->echo = kOkReply;
            break;
        case Do::Unplug:
            device->unplug();
            break;
        case Do::Deny:
            // A probe finds out first; the exchange still says why in the log.
            opener.why = kDenied;
            link.probe();
            waits::waitUntil(2000, [&] { return link.presence() == ReaderPresence::Unreachable; });
            break;
        case Do::Nothing:
            break;
        }
        lines.clear();
        failures.clear();
        const QByteArray reply = link.exchange(bodyRequest(QByteArray("\x80", 1), 200)).reply;
        EXPECT_EQ(reply.isEmpty(), !s.answered) << s.what;
        EXPECT_EQ(link.presence(), s.presence) << s.what;
        EXPECT_EQ(link.presenceWhy(), s.why) << s.what;
        EXPECT_EQ(lines, s.lines) << s.what;
        failed += s.answered ? 0 : 1;
        EXPECT_EQ(link.readerFailures(), failed) << s.what;
        EXPECT_EQ(failures, s.answered ? QStringList{} : QStringList{s.why}) << s.what;
    }
}

// A reader that answers is never reported missing by a probe that was overtaken by it.
TEST(Plugging, AProbeOvertakenByAnExchangeIsNotBelieved)
{
    waits::resetForTests();
    auto owned = std::make_unique<FakeHidOpener>();
    owned->plug()->echo = kOkReply;
    HidTransport usb(std::move(owned));
    ReaderLink link(usb);
    link.probe();
    EXPECT_EQ(link.exchange(bodyRequest(QByteArray("\x80", 1), 200)).reply, kOkReply);
    waits::waitUntil(100, [] { return false; });
    EXPECT_EQ(link.presence(), ReaderPresence::Present);
}

} // namespace
