#include "serial/linesettings.h"
#include "serial/receivedecoder.h"

#include <functional>
#include <gtest/gtest.h>

namespace
{

comm::ReceiveOptions options(bool marked, bool replace, char replacement, bool dropNull)
{
    comm::ReceiveOptions o;
    o.marked = marked;
    o.replace = replace;
    o.replacement = replacement;
    o.dropNull = dropNull;
    return o;
}

} // namespace

TEST(ReceiveDecoder, UndoesTheDriversMarks)
{
    const struct {
        const char *what;
        comm::ReceiveOptions options;
        const char *raw; // hex
        const char *out; // hex
    } rows[] = {
        {"plain bytes pass", options(true, false, 0, false), "01027E", "01027E"},
        {"a doubled FF is one FF", options(true, false, 0, false), "FFFF01FFFF", "FF01FF"},
        {"an error keeps the byte", options(true, false, 0, false), "41FF004342", "414342"},
        {"an error is replaced", options(true, true, '?', false), "41FF004342", "413F42"},
        {"a break is a NUL", options(true, false, 0, false), "FF0000", "00"},
        {"a break is dropped with nulls", options(true, false, 0, true), "FF000041", "41"},
        {"nulls dropped", options(false, false, 0, true), "00410000", "41"},
        {"nulls kept", options(false, false, 0, false), "004100", "004100"},
        {"unmarked FF FF stays", options(false, false, 0, false), "FFFF00", "FFFF00"},
        {"stray FF before other byte kept", options(true, false, 0, false), "FF41", "FF41"},
        {"replacement by NUL is dropped too", options(true, true, 0, true), "FF0041", ""},
    };
    for (const auto &row : rows) {
        ReceiveDecoder d;
        d.setOptions(row.options);
        const QByteArray raw = QByteArray::fromHex(row.raw);
        QByteArray out;
        d.feed(raw.constData(), raw.size(), out);
        EXPECT_EQ(out.toHex().toUpper(), QByteArray(row.out)) << row.what;
    }
}

TEST(ReceiveDecoder, AMarkSplitAcrossReads)
{
    // Each cut position of the same stream gives the same bytes.
    const QByteArray raw = QByteArray::fromHex("01FFFF02FF0003FFFF");
    for (int cut = 0; cut <= raw.size(); ++cut) {
        ReceiveDecoder d;
        d.setOptions(options(true, true, 'x', false));
        QByteArray out;
        d.feed(raw.constData(), cut, out);
        EXPECT_LE(out.size(), cut);
        const qsizetype before = out.size();
        const qsizetype held = d.held();
        d.feed(raw.constData() + cut, raw.size() - cut, out);
        EXPECT_LE(out.size() - before, raw.size() - cut + held);
        EXPECT_EQ(out.toHex().toUpper(), QByteArray("01FF02"
                                                    "78"
                                                    "FF"))
            << cut;
    }
}

TEST(ReceiveOptions, PackRoundTrip)
{
    for (const auto &o : {options(true, false, 0, false), options(false, true, char(0xA5), true),
                          options(true, true, char(0xFF), true)}) {
        const comm::ReceiveOptions back = comm::ReceiveOptions::unpack(o.pack());
        EXPECT_EQ(back.marked, o.marked);
        EXPECT_EQ(back.replace, o.replace);
        EXPECT_EQ(back.replacement, o.replacement);
        EXPECT_EQ(back.dropNull, o.dropNull);
    }
}

TEST(ReadTiming, TimeOutsMapOntoTheReadThreadsWaits)
{
    const quint32 kMax = 0xFFFFFFFFu;
    const struct {
        quint32 interval, multiplier, constant;
        int first, gap, total;
    } rows[] = {
        {100, 0, 0, -1, 100, -1},                     // the main window: first byte without limit, 100 ms gap
        {0, 0, 0, -1, -1, -1},                        // only a full buffer ends the block
        {50, 0, 500, 500, 50, 500},                   // a constant bounds the block
        {0, 1, 0, 2048, -1, 2048},                    // the multiplier counts per byte asked for
        {20, 2, 100, 4196, 20, 4196},                 // both
        {kMax, 0, 0, -1, 0, -1},                      // what is there, once something is
        {kMax, kMax, 300, 300, 0, 300},               // up to 300 ms for the first byte, then at once
        {10, kMax, kMax, 2147483647, 10, 2147483647}, // clamped, no overflow
    };
    for (const auto &row : rows) {
        const comm::ReadTiming t = comm::readTiming(row.interval, row.multiplier, row.constant);
        EXPECT_EQ(t.first, row.first) << row.interval << '/' << row.multiplier << '/' << row.constant;
        EXPECT_EQ(t.gap, row.gap) << row.interval << '/' << row.multiplier << '/' << row.constant;
        EXPECT_EQ(t.total, row.total) << row.interval << '/' << row.multiplier << '/' << row.constant;
    }
}

TEST(LineSettings, CharacterFormatAndFlowControl)
{
    const struct {
        const char *what;
        std::function<void(LineSettings &)> set;
        tcflag_t cflagMask, cflag;
    } rows[] = {
        {"8N1", [](LineSettings &) {}, CSIZE | PARENB | PARODD | CMSPAR | CSTOPB, CS8},
        {"5 bits", [](LineSettings &s) { s.ByteSize = TByteSize::_5; }, CSIZE, CS5},
        {"6 bits", [](LineSettings &s) { s.ByteSize = TByteSize::_6; }, CSIZE, CS6},
        {"7 bits", [](LineSettings &s) { s.ByteSize = TByteSize::_7; }, CSIZE, CS7},
        {"odd", [](LineSettings &s) { s.Parity = TParity::Odd; }, PARENB | PARODD | CMSPAR, PARENB | PARODD},
        {"even", [](LineSettings &s) { s.Parity = TParity::Even; }, PARENB | PARODD | CMSPAR, PARENB},
        {"mark", [](LineSettings &s) { s.Parity = TParity::Mark; }, PARENB | PARODD | CMSPAR, PARENB | PARODD | CMSPAR},
        {"space", [](LineSettings &s) { s.Parity = TParity::Space; }, PARENB | PARODD | CMSPAR, PARENB | CMSPAR},
        {"1.5 stop", [](LineSettings &s) { s.StopBits = TStopBits::_1_5; }, CSTOPB, CSTOPB},
        {"2 stop", [](LineSettings &s) { s.StopBits = TStopBits::_2; }, CSTOPB, CSTOPB},
        {"cts", [](LineSettings &s) { s.Outx_CtsFlow = true; }, CRTSCTS, CRTSCTS},
        {"rts handshake", [](LineSettings &s) { s.RtsControl = TRtsControl::RtsHandshake; }, CRTSCTS, CRTSCTS},
        {"rts toggle is no handshake", [](LineSettings &s) { s.RtsControl = TRtsControl::RtsTransmissionAvailable; },
         CRTSCTS, 0},
    };
    for (const auto &row : rows) {
        LineSettings s;
        row.set(s);
        termios t{};
        // A device that reported every flag set: the settings must clear what they do not want.
        t.c_cflag = ~tcflag_t(0) & ~tcflag_t(CBAUD | CIBAUD);
        t.c_iflag = ~tcflag_t(0);
        t.c_lflag = ~tcflag_t(0);
        t.c_oflag = ~tcflag_t(0);
        comm::toTermios(s, t);
        EXPECT_EQ(t.c_cflag & row.cflagMask, row.cflag) << row.what;
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL)) << row.what;
        EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) << row.what;
        EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IGNPAR | IGNBRK | BRKINT)) << row.what;
        EXPECT_FALSE(t.c_oflag & OPOST) << row.what;
    }
}
