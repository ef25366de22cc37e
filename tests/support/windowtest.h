#pragma once

#include "base/hex.h"
#include "base/clock.h"
#include "link/waits.h"
#include "support/faketransport.h"
#include "pagekit/guard.h"
#include "ui/logpane.h"
#include "pagekit/page.h"
#include "ui/tform1.h"

#include <QDateTime>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// The main window under the settings every window test needs: the clock fixed at
// 2024-03-05 13:07:09 (stamps read "01:07:09 PM"), errors recorded instead of shown in a
// message box, modal windows not run. Everything is put back after the test so that nothing
// leaks into the next one.
struct WindowTestBase : ::testing::Test {
    QStringList errors;
    std::unique_ptr<TForm1> form;

    void TearDown() override
    {
        form.reset();
        guard::setErrorDisplay({});
        guard::setModalRunner({});
        appclock::setSource({});
        waits::resetForTests();
    }
    QStringList log() const { return form->logPane->lines(); }
    template <class W> W *find(const char *name) const { return form->findChild<W *>(QString::fromLatin1(name)); }

protected:
    void installSettings()
    {
        waits::resetForTests();
        appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9)); });
        guard::setErrorDisplay([this](const QString &m) { errors << m; });
        guard::setModalRunner([](QDialog *) {});
    }
    void openWindow(UsbTransport &reader)
    {
        installSettings();
        form = std::make_unique<TForm1>(reader);
        buildPages(*form);
    }

public:
    // The hidden pages make their controls on their first show; the tests use them at once.
    static void buildPages(TForm1 &window)
    {
        for (Page *page : window.findChildren<Page *>())
            page->ensureBuilt();
    }
};

// The main window on a fake reader.
struct WindowTest : WindowTestBase {
    FakeTransport usb;
    void SetUp() override { openWindow(usb); }
};

// A reader's reply frame AA 00 LEN STATUS DATA XOR BB around status and data (hex text).
inline QString replyFrame(const QString &status, const QString &data)
{
    const QByteArray d = hex::toBytes(status + data);
    int x = int(d.size());
    for (char c : d)
        x ^= uint8_t(c);
    return QStringLiteral("AA00") + hex::byteText(int(d.size())) + hex::fromBytes(d) + hex::byteText(x) +
           QStringLiteral("BB");
}

// A reply of exactly length bytes for the reply-length sweeps: AA 00 LEN STATUS as far as the
// length reaches, then bytes that all differ, so a field found in the reply really comes from
// it.
inline QByteArray sweepReply(int length, const char *status)
{
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(char(0x40 + i));
    if (length > 0)
        bytes[0] = char(0xAA);
    if (length > 1)
        bytes[1] = 0;
    if (length > 2)
        bytes[2] = char(qMax(0, length - 5));
    if (length > 3)
        bytes[3] = char(hex::toBytes(QString::fromLatin1(status))[0]);
    return bytes;
}

// Whether field is whole bytes of replyHex: found at a byte boundary, not across two bytes.
inline bool isPieceOf(const QString &field, const QString &replyHex)
{
    for (qsizetype at = replyHex.indexOf(field); at >= 0; at = replyHex.indexOf(field, at + 1))
        if (at % 2 == 0)
            return true;
    return false;
}
