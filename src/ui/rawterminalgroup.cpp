#include "ui/rawterminalgroup.h"

#include "base/errors.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/repeatloop.h"
#include "pagekit/widgets.h"
#include "ui/filedialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpression>

namespace
{
const QString kCrLf2 = QStringLiteral("\r\n");
const QString kLoadTitle = QStringLiteral("载入数据！");
// The box holds one frame of at most 255 bytes; a file far larger is not a send box.
constexpr qint64 kMaxLoadBytes = 4 * 1024 * 1024;
} // namespace

RawTerminalGroup::RawTerminalGroup(PageHost &host, QWidget *parent)
    : QGroupBox(QStringLiteral("发送信息"), parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox5"));

    sendBox = ui::named(new QPlainTextEdit(QStringLiteral("AA 00 03 85 01 78 ff BB")), "Memo1");
    sendBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sendBox->setFixedHeight(70);
    sendButton = ui::button("Button3", QStringLiteral("发送数据"));
    loadButton = ui::button("Button6", QStringLiteral("载入数据"));
    emptyButton = ui::button("Button7", QStringLiteral("清空发送框"));
    saveButton = ui::button("Button5", QStringLiteral("另存为"));
    const RepeatDef &autoSend = repeatDef(RepeatBoxId::RawSend);
    autoSendBox = ui::checkBox(autoSend.box, QString::fromUtf8(autoSend.caption));
    periodEdit = ui::edit("Edit6", QStringLiteral("1000"));
    periodEdit->setMaximumWidth(60);
    serialSendRadio = ui::radio("RadioButton37", QStringLiteral("串口发送"), true);
    usbSendRadio = ui::radio("RadioButton38", QStringLiteral("USB发送"));

    auto *period = new QHBoxLayout;
    period->addWidget(autoSendBox);
    period->addSpacing(8);
    period->addWidget(ui::label("Label6", QStringLiteral("周期：")));
    period->addWidget(periodEdit);
    period->addWidget(ui::label("Label7", QStringLiteral("毫秒      ")));
    period->addStretch(1);
    period->addWidget(serialSendRadio);
    period->addWidget(usbSendRadio);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {sendButton, loadButton, emptyButton, saveButton})
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sendBox);
    layout->addLayout(period);
    layout->addLayout(buttons);

    guard::onClick(sendButton, [this] { Button3Click(); });
    guard::onClick(loadButton, [this] { Button6Click(); });
    guard::onClick(emptyButton, [this] { Button7Click(); });
    guard::onClick(saveButton, [this] { Button5Click(); });
    RepeatBox repeat = repeatRow(
        RepeatBoxId::RawSend, [this] { Button3Click(); }, [this] { return periodMs(); });
    repeat.log = [this](const QString &line) { host_.log(line); };
    bindRepeat(autoSendBox, host_.link(), std::move(repeat));
    if (autoSend.endsOnTabChange)
        host_.endOnTabChange(autoSendBox);

    setVisible(false);
}

int RawTerminalGroup::periodMs() const
{
    const int ms = hex::StrToInt(periodEdit->text());
    if (ms < 0)
        throw UserError(
            QStringLiteral("'%1' is not a valid period: give the milliseconds as 0 or more").arg(periodEdit->text()));
    return ms;
}

QStringList RawTerminalGroup::sendBoxLines() const
{
    QString text = sendBox->toPlainText();
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

void RawTerminalGroup::setSendBoxLines(const QStringList &lines)
{
    sendBox->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList RawTerminalGroup::linesOf(const QByteArray &file)
{
    QByteArray bytes = file;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QString text = QString::fromUtf8(bytes);
    // Not UTF-8 (it would not come back the same): take the bytes one for one rather than
    // lose them to replacement characters.
    if (text.toUtf8() != bytes)
        text = QString::fromLatin1(bytes);
    if (text.isEmpty())
        return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void RawTerminalGroup::Button3Click()
{
    // The period is read first, so that a refused one sends nothing.
    const int ms = periodMs();
    host_.link().SendHex(sendBoxLines().join(kCrLf2));
    host_.link().Delayy(ms);
}

void RawTerminalGroup::Button6Click()
{
    const QString path = filedialogs::choose(this, {filedialogs::Request::Kind::Open, kLoadTitle, QString()});
    if (path.isEmpty())
        return;
    setSendBoxLines(linesOf(filedialogs::readWhole(path, kMaxLoadBytes)));
}

void RawTerminalGroup::Button7Click()
{
    sendBox->clear();
}

void RawTerminalGroup::Button5Click()
{
    const QString path = filedialogs::choose(this, filedialogs::saveReceivedData());
    if (path.isEmpty())
        return;
    QString text;
    for (const QString &line : sendBoxLines())
        text += line + kCrLf2;
    filedialogs::writeWhole(path, text.toUtf8());
}
