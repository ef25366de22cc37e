#include "base/clock.h"
#include "base/hex.h"
#include "link/waits.h"
#include "pagekit/replycheck.h"
#include "protocol/errorcodes.h"

#include "support/fixedclock.h"

#include <gtest/gtest.h>

namespace
{

using Stamp = FixedClockTest;

TEST_F(Stamp, ReplyCheckOutcomes)
{
    const ReplyTexts texts{stampedCrLf("NODATA "), stamped("OK "), stamped("FAIL "), stampedCrLf(kOtherHf)};
    struct Case {
        const char *reply;
        protocol::Status outcome;
        QStringList lines;
    } cases[] = {
        {"", protocol::Status::NoReply, {"NODATA 01:07:09 PM\r\n"}},
        {"AA00010001BB", protocol::Status::Success, {"OK 01:07:09 PM"}},
        {"AA00020183 80BB", protocol::Status::Refused, {"FAIL 01:07:09 PM", "卡不存在....\r\n"}},
        {"AA0002017780BB", protocol::Status::Refused, {"FAIL 01:07:09 PM", "\r\n"}},
        {"AA00010201BB", protocol::Status::Damaged, {QString(kOtherHf) + "01:07:09 PM\r\n"}},
        {"AA000", protocol::Status::Damaged, {QString(kOtherHf) + "01:07:09 PM\r\n"}},
    };
    for (const Case &c : cases) {
        QStringList got;
        const QByteArray reply = hex::toBytes(QString::fromLatin1(c.reply));
        EXPECT_EQ(checkReply(reply, texts, [&](const QString &l) { got << l; }), c.outcome) << c.reply;
        EXPECT_EQ(got, c.lines) << c.reply;
    }
}

} // namespace
