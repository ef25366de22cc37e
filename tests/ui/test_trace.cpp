#include "base/hex.h"
#include "protocol/frames.h"
#include "support/windowtest.h"
#include "uhf/keyboardoutputpage.h"
#include "uhf/outputdevicepage.h"
#include "ui/tracelog.h"
#include "ui/tracewindow.h"

#include <QAction>
#include <QComboBox>
#include <QTableView>
#include <gtest/gtest.h>

namespace
{

struct Trace : WindowTest {
};

// The frame trace sees every exchange the pages make, decoded, newest last; the family filter
// narrows it, and the text it copies and saves is one line per exchange.
TEST_F(Trace, ListsEveryExchangeDecodedAndFiltersByFamily)
{
    usb.responder = [](const QByteArray &) { return hex::toBytes("AA 00 01 00 01 BB"); };
    form->keyboardPage->setFormatButton->click();    // keyboard: set format
    form->outputDevicePage->intervalButton->click(); // output device: interval
    form->findChild<QAction *>("ToolsFrameTrace")->trigger();
    ASSERT_TRUE(form->frameTrace);
    TraceWindow &w = *form->frameTrace;
    ASSERT_EQ(form->traceLog->rowCount(), 2);
    EXPECT_EQ(form->traceLog->index(0, TraceLog::Command).data().toString(), "set output format");
    EXPECT_EQ(form->traceLog->index(1, TraceLog::Family).data().toString(), "Output device");
    EXPECT_EQ(form->traceLog->index(1, TraceLog::Sent).data().toString(), "AA 00 02 C1 0A C9 BB");

    w.familyFilter->setCurrentIndex(w.familyFilter->findText("Output device"));
    EXPECT_EQ(w.table->model()->rowCount(), 1);
    const QString text = w.text(false);
    EXPECT_EQ(text.count('\n'), 1);
    EXPECT_TRUE(text.contains("Output device: set search interval | out AA 00 02 C1 0A C9 BB | in AA 00 01 00 01 BB"))
        << text.toStdString();
    w.familyFilter->setCurrentIndex(0);
    EXPECT_EQ(w.table->model()->rowCount(), 2);
}

TEST(TraceLog, KeepsTheLastTenThousand)
{
    TraceLog log;
    protocol::Exchange r;
    const auto frame = [](int i) { return frames::hf(0, QByteArray(1, char(0x80)) + QByteArray::number(i)); };
    for (int i = 0; i < TraceLog::kCapacity + 5; ++i) {
        r.sent = frame(i);
        log.append(r);
    }
    ASSERT_EQ(log.rowCount(), TraceLog::kCapacity);
    const auto sent = [&](int row) { return log.index(row, TraceLog::Sent).data().toString().remove(' '); };
    EXPECT_EQ(sent(0), hex::fromBytes(frame(5))) << "the five oldest went first";
    EXPECT_EQ(sent(TraceLog::kCapacity - 1), hex::fromBytes(frame(TraceLog::kCapacity + 4)));
}

} // namespace
