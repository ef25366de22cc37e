#pragma once

#include "link/hextext.h"
#include "link/timestamp.h"
#include "link/waits.h"
#include "support/faketransport.h"
#include "ui/guard.h"
#include "ui/logpane.h"
#include "ui/tform1.h"

#include <QDateTime>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// The main window on a fake reader, under the settings every window test needs: the clock
// fixed at 2024-03-05 13:07:09 (stamps read "01:07:09 PM"), errors recorded instead of shown
// in a message box, modal windows not run. Everything is put back after the test so that
// nothing leaks into the next one.
struct WindowTest : ::testing::Test {
    FakeTransport usb;
    QStringList errors;
    std::unique_ptr<TForm1> form;

    void SetUp() override
    {
        installSettings();
        form = std::make_unique<TForm1>(usb);
    }
    void TearDown() override
    {
        form.reset();
        guard::setErrorDisplay({});
        guard::setModalRunner({});
        appclock::setSource({});
        waits::resetForTests();
    }
    QStringList log() const { return form->RichEdit1->lines(); }
    template <class W> W *find(const char *name) const { return form->findChild<W *>(QString::fromLatin1(name)); }

protected:
    void installSettings()
    {
        waits::resetForTests();
        appclock::setSource([] { return QDateTime(QDate(2024, 3, 5), QTime(13, 7, 9)); });
        guard::setErrorDisplay([this](const QString &m) { errors << m; });
        guard::setModalRunner([](QDialog *) {});
    }
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
