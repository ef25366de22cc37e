#include "base/hex.h"
#include "link/readerlink.h"
#include "protocol/frames.h"
#include "protocol/system.h"
#include "support/fixedclock.h"

#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

// How an exchange ended, as the link returns it: every outcome from what the transport brings.
namespace
{

using Outcome = protocol::Exchange::Outcome;

// Hands back the scripted reply at once, or never: no reader, a reader gone mid-exchange and
// a silent one are all one field away.
struct ScriptedUsb : UsbTransport {
    std::optional<UsbReply> reply; // nothing: the transport never answers
    bool wholeFrameWritten = true; // else reply.written as scripted
    QList<QByteArray> sent;

    void start(const QByteArray &frame, int, Done done) override
    {
        sent << frame;
        if (!reply)
            return;
        UsbReply r = *reply;
        if (wholeFrameWritten)
            r.written = int(frame.size());
        done(r);
    }
    QString description() const override { return QStringLiteral("scripted reader"); }
};

UsbReply readerSends(const char *hexText)
{
    UsbReply r;
    r.frame = hex::toBytes(QString::fromLatin1(hexText));
    return r;
}

UsbReply goneAfterWriting()
{
    UsbReply r;
    r.gone = true;
    return r;
}

using ExchangeOutcomes = FixedClockTest;

TEST_F(ExchangeOutcomes, EachWayAnExchangeCanEnd)
{
    enum class Then { Nothing, NoReader, GoneBeforeWriting, NeverAnswers, AnotherCommandInside, TooLong };
    struct Case {
        const char *name;
        UsbReply reply;
        Then then;
        Outcome outcome;
        const char *kept; // the reply the exchange keeps, as hex
        std::optional<uint8_t> errorCode;
    } cases[] = {
        {"success, bytes after the frame cut", readerSends("AA 00 02 00 11 13 BB 99"), Then::Nothing, Outcome::Answered,
         "AA0002001113BB", std::nullopt},
        {"refused with its code", readerSends("AA 00 02 01 83 80 BB"), Then::Nothing, Outcome::Refused,
         "AA0002018380BB", uint8_t(0x83)},
        {"refused without a code", readerSends("AA 00 01 01 00 BB"), Then::Nothing, Outcome::Refused, "AA00010100BB",
         std::nullopt},
        {"check byte wrong", readerSends("AA 00 01 00 07 BB"), Then::Nothing, Outcome::Damaged, "AA00010007BB",
         std::nullopt},
        {"unknown status byte", readerSends("AA 00 01 05 04 BB"), Then::Nothing, Outcome::Damaged, "AA00010504BB",
         std::nullopt},
        {"no status byte at all", readerSends("AA 00 00 00 BB"), Then::Nothing, Outcome::Damaged, "AA000000BB",
         std::nullopt},
        {"cut short", readerSends("AA 00 05 00 11"), Then::Nothing, Outcome::Damaged, "AA00050011", std::nullopt},
        {"silence", readerSends(""), Then::Nothing, Outcome::NoAnswer, "", std::nullopt},
        {"no reader", {}, Then::NoReader, Outcome::NoReader, "", std::nullopt},
        {"gone before the write", goneAfterWriting(), Then::GoneBeforeWriting, Outcome::Gone, "", std::nullopt},
        {"gone after the write", goneAfterWriting(), Then::Nothing, Outcome::Gone, "", std::nullopt},
        {"never answered", {}, Then::NeverAnswers, Outcome::NoAnswer, "", std::nullopt},
        {"another command inside its wait", {}, Then::AnotherCommandInside, Outcome::Superseded, "", std::nullopt},
        {"too long to send", {}, Then::TooLong, Outcome::TooLong, "", std::nullopt},
    };
    for (const Case &c : cases) {
        waits::resetForTests();
        ScriptedUsb usb;
        usb.reply = c.reply;
        usb.wholeFrameWritten = c.then != Then::NoReader && c.then != Then::GoneBeforeWriting;
        if (c.then == Then::NeverAnswers || c.then == Then::AnotherCommandInside)
            usb.reply.reset();
        ReaderLink link(usb);
        protocol::Request request = protocol::hfsystem::readIdentity();
        request.waitMs = 50;
        if (c.then == Then::TooLong)
            request.bytes = QByteArray(frames::kMaxFrameBytes, '\x83');
        if (c.then == Then::AnotherCommandInside)
            QTimer::singleShot(5, [&] {
                protocol::Request inner = protocol::hfsystem::readIdentity();
                inner.waitMs = 20;
                link.exchange(inner);
            });
        std::optional<protocol::Exchange> traced;
        QObject::connect(&link, &ReaderLink::exchanged, [&](const protocol::Exchange &e) {
            if (!traced)
                traced = e; // the first to end; the command inside ends before its outer one
        });

        const protocol::Exchange e = link.exchange(request);
        EXPECT_EQ(e.outcome, c.outcome) << c.name;
        EXPECT_EQ(hex::fromBytes(e.reply), c.kept) << c.name;
        EXPECT_EQ(e.errorCode, c.errorCode) << c.name;
        EXPECT_EQ(e.row, request.row) << c.name;
        EXPECT_EQ(e.time, appclock::now()) << c.name;
        EXPECT_EQ(e.sent, c.then == Then::TooLong ? frames::hf(0, request.bytes) : usb.sent.value(0)) << c.name;
        EXPECT_EQ(usb.sent.size(), c.then == Then::TooLong                ? 0
                                   : c.then == Then::AnotherCommandInside ? 2
                                                                          : 1)
            << c.name;
        if (c.then != Then::AnotherCommandInside) {
            ASSERT_TRUE(traced) << c.name;
            EXPECT_EQ(traced->outcome, e.outcome) << c.name << ": the trace sees what the caller sees";
        }
    }
}

} // namespace
