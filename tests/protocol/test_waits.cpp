#include "base/hex.h"
#include "protocol/commandtable.h"
#include "protocol/iso15693.h"
#include "protocol/keyboard.h"
#include "protocol/mifare.h"
#include "protocol/system.h"
#include "protocol/typeb.h"
#include "protocol/uhf.h"
#include "protocol/ultralight.h"
#include "protocol/wifi.h"
#include "protocol/workmodes.h"

#include <gtest/gtest.h>

namespace
{

using namespace protocol;

TEST(CommandTable, EveryRowHasAWait)
{
    for (const CommandInfo &row : commandTable())
        EXPECT_GT(row.waitMs, 0) << row.name;
}

// Each command's wait as the pages have always waited for it, carried by the request its
// builder makes; the voice and the HF reading-mode switches take only what comes.
TEST(Requests, CarryTheirCommandsWait)
{
    const QByteArray uid(8, '\x11');
    struct Case {
        Request request;
        int waitMs;
        WaitRule rule;
    } cases[] = {
        {hfsystem::readIdentity(), 300, WaitRule::Whole},
        {hfsystem::readingMode(true), 300, WaitRule::TakeReplied},
        {mifare::readBlocks({}, 1, 0, QByteArray(6, '\xFF')), 500, WaitRule::Whole},
        {mifare::halt(), 300, WaitRule::Whole},
        {ultralight::readPages(false, 4), 800, WaitRule::Whole},
        {ultralight::readSerial(false), 300, WaitRule::Whole},
        {typeb::sendData(QByteArray(2, '\x00')), 600, WaitRule::Whole},
        {typeb::idNumber(), 1000, WaitRule::Whole},
        {iso15693::inventory(), 1000, WaitRule::Whole},
        {iso15693::read(iso15693::kFlagsAddressed, 0, 1, uid), 500, WaitRule::Whole},
        {keyboard::readingMode(true), 300, WaitRule::Whole},
        {keyboard::voice(true), 300, WaitRule::TakeReplied},
        {wifi::scan(), 2000, WaitRule::Whole},
        {uhf::readerMode(uhf::ReaderMode::Tid), 300, WaitRule::Whole},
        {uhf::inventory(), 500, WaitRule::Whole},
        {workmodes::usbHid(), 300, WaitRule::Whole},
    };
    for (const Case &c : cases) {
        ASSERT_GE(c.request.row, 0) << c.request.bytes.toHex().constData();
        const CommandInfo &row = commandTable()[size_t(c.request.row)];
        EXPECT_EQ(c.request.waitMs, c.waitMs) << row.name;
        EXPECT_EQ(c.request.waitRule, c.rule) << row.name;
    }
}

// A frame typed by hand is traced as the one command it matches; where several families share
// a code, or none has it, no row is picked and the trace names them all.
TEST(Requests, TypedFramesTakeTheOneRowTheyMatch)
{
    struct Case {
        const char *bytes;
        Route route;
        const char *row; // nullptr: none
    } cases[] = {
        {"8C", Route::Reader, "list WiFi networks"},
        {"AA 00 01 8C 8D BB", Route::Raw, "list WiFi networks"},
        {"AA 00 02 CD 01 CE BB", Route::Raw, "voice on"},
        {"BB 00 22 00 00 22 7E", Route::Raw, "inventory"},
        {"83", Route::Reader, nullptr}, // the HF reader's identity or the keyboard format
        {"77", Route::Reader, nullptr},
        {"", Route::Raw, nullptr},
    };
    for (const Case &c : cases) {
        const Request r = typedRequest(hex::toBytes(QString::fromLatin1(c.bytes)), c.route);
        EXPECT_EQ(r.bytes, hex::toBytes(QString::fromLatin1(c.bytes))) << c.bytes;
        EXPECT_EQ(r.waitMs, kTypedFrameWaitMs) << c.bytes;
        EXPECT_FALSE(r.family) << c.bytes;
        if (!c.row) {
            EXPECT_EQ(r.row, -1) << c.bytes;
            continue;
        }
        ASSERT_GE(r.row, 0) << c.bytes;
        EXPECT_STREQ(commandTable()[size_t(r.row)].name, c.row) << c.bytes;
    }
}

} // namespace
