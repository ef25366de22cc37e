#include "sim/ptyuhfmodule.h"
#include "simtestutil.h"

#include <gtest/gtest.h>
#include <random>

namespace
{

// A reply must be silence or a whole frame within the reply area.
void expectWellFormed(const QByteArray &reply, const QByteArray &frame)
{
    if (reply.isEmpty())
        return;
    ASSERT_GE(reply.size(), 6) << frame.toHex().constData();
    ASSERT_LE(reply.size(), UsbTransport::kReplySize);
    EXPECT_EQ(uint8_t(reply[0]), 0xAA);
    EXPECT_EQ(int(reply.size()), uint8_t(reply[2]) + 5) << frame.toHex().constData();
    uint8_t x = 0;
    for (int i = 1; i < reply.size() - 2; ++i)
        x ^= uint8_t(reply[i]);
    EXPECT_EQ(x, uint8_t(reply[reply.size() - 2]));
    EXPECT_EQ(uint8_t(reply[reply.size() - 1]), 0xBB);
    EXPECT_TRUE(reply[3] == 0 || reply[3] == 1);
}

QByteArray randomBytes(std::mt19937 &rng, int n)
{
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(rng() & 0xFF);
    return b;
}

QByteArray hfFrame(uint8_t code, const QByteArray &data)
{
    return hex::toBytes(simtest::hfText(hex::byteText(code) + hex::fromBytes(data)));
}

const uint8_t kCodes[] = {0x06, 0x09, 0x0B, 0x0D, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x15, 0x17, 0x18, 0x19, 0x1A,
                          0x1B, 0x1C, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x80, 0x81, 0x82, 0x83,
                          0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0xB8, 0xBC, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5,
                          0xC6, 0xC7, 0xC8, 0xC9, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xE0, 0xE1, 0xE3};
const uint8_t kModuleCodes[] = {0x22, 0x0C, 0x49, 0x39, 0xC1, 0xC2, 0xC9, 0x00, 0xFF};

TEST(SimulatorFuzz, RandomFramesGetAWholeReplyOrSilence)
{
    for (const auto personality : {SimulatedReader::Personality::Keyboard, SimulatedReader::Personality::Hf}) {
        std::mt19937 rng(20240607);
        SimulatedReader r(personality);
        r.uhf().queueBlankTags(50);
        for (int i = 0; i < 6000; ++i) {
            QByteArray frame;
            switch (i % 4) {
            case 0: // raw noise, sometimes long
                frame = randomBytes(rng, int(rng() % 300));
                break;
            case 1: // a known command with random data
                frame = hfFrame(kCodes[rng() % std::size(kCodes)], randomBytes(rng, int(rng() % 40)));
                break;
            case 2: { // a well-formed module frame with random parameters, through the pass-through
                const QByteArray params = randomBytes(rng, int(rng() % 30));
                frame = hex::toBytes(simtest::uhfText(
                    simtest::moduleText(kModuleCodes[rng() % std::size(kModuleCodes)], hex::fromBytes(params))));
                break;
            }
            default: { // a valid frame with one byte changed
                frame = hfFrame(kCodes[rng() % std::size(kCodes)], randomBytes(rng, int(rng() % 20)));
                frame[int(rng() % frame.size())] = char(rng() & 0xFF);
                break;
            }
            }
            if (rng() % 50 == 0)
                r.failNextWith(uint8_t(rng()));
            if (rng() % 50 == 0)
                r.silenceNext();
            if (rng() % 80 == 0)
                r.uhf().layBlankTag();
            r.write(frame);
            const QByteArray reply = r.read(0);
            expectWellFormed(reply, frame);
            if (HasFailure())
                return;
        }
    }
}

TEST(SimulatorFuzz, SerialModuleSurvivesRandomBytes)
{
    std::mt19937 rng(7);
    UhfModule module;
    FaultPlan faults;
    PtyUhfModule serial(module, &faults);
    for (int i = 0; i < 5000; ++i) {
        QByteArray chunk = randomBytes(rng, int(rng() % 64));
        if (i % 3 == 0)
            chunk += hex::toBytes(simtest::moduleText(kModuleCodes[rng() % std::size(kModuleCodes)],
                                                      hex::fromBytes(randomBytes(rng, int(rng() % 10)))));
        const QByteArray out = serial.feed(chunk);
        // Every answer is made of module frames.
        if (!out.isEmpty()) {
            ASSERT_EQ(uint8_t(out[0]), 0xBB);
            ASSERT_EQ(uint8_t(out[out.size() - 1]), 0x7E);
        }
    }
    // After the noise a clean frame is still understood.
    // Enough filler to complete (and so discard) any frame the noise left half-begun.
    serial.feed(QByteArray(600, '\0'));
    const QByteArray reply = serial.feed(hex::toBytes("BB 00 C1 00 01 02 C4 7E"));
    ASSERT_GE(reply.size(), 8);
    EXPECT_EQ(hex::fromBytes(reply.right(8)), "BB01C1000102C57E");
}

} // namespace
