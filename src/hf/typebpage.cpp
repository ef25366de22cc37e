#include "hf/typebpage.h"

#include "base/clock.h"
#include "base/hex.h"
#include "link/readerlink.h"
#include "pagekit/guard.h"
#include "pagekit/pagehost.h"
#include "pagekit/repeatloop.h"
#include "pagekit/replycheck.h"
#include "pagekit/widgets.h"
#include "protocol/typeb.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace
{

const QString kDone = QStringLiteral("操作成功   ");
const QString kFailed = QStringLiteral("操作失败   ");
const QString kIdFailed = QStringLiteral("读卡号操作失败   ");

} // namespace

QString TypeBPage::sendDataStatus(const QString &code)
{
    // Send data's own texts: each carries its CR LF, and 80 and 8F differ from falsereason.
    static const struct {
        const char *code, *line;
    } table[] = {
        {"80", "参数设置成功.....\r\n"},
        {"81", "参数设置失败....\r\n"},
        {"82", "通讯超时 ....\r\n"},
        {"83", "卡不存在....\r\n"},
        {"84", "接收卡数据出错....\r\n"},
        {"85", "输入参数或者输入命令格式错误....\r\n"},
        {"87", "未知的错误....\r\n"},
        {"89", "The parameter of the command or the Format of the command Erro...\r\n"},
        {"8A", "在块初始化中出现错误...\r\n"},
        {"8B", "在防冲突过程中得到错误的序列号....\r\n"},
        {"8C", "密码认证没通过....\r\n"},
        {"8F", "Reader received unknown command....\r\n"},
        {"90", "卡不支持这个命令....\r\n"},
        {"91", "命令格式有错误....\r\n"},
        {"92", "在命令的FLAG参数中，不支持OPTION 模式....\r\n"},
        {"93", "要操作的BLOCK不存在....\r\n"},
        {"94", "要操作的对象已经别锁定，不能进行修改....\r\n"},
        {"95", "锁定操作不成功....\r\n"},
        {"96", "写操作不成功....\r\n"},
    };
    for (const auto &t : table)
        if (code == QLatin1String(t.code))
            return QString::fromUtf8(t.line);
    return {};
}

TypeBPage::TypeBPage(PageHost &host, QWidget *parent) : Page("TabSheet5", host, parent) {}

void TypeBPage::build()
{
    requestButton = ui::button("Button31", QStringLiteral("卡请求"));
    // The repeat boxes take caption, pause and kind of wait from their rows of the repeat table.
    requestRepeatBox = repeatBox(RepeatBoxId::TypeBRequest, host(), [this] { Button31Click(); });
    // Present but never usable: nothing enables them and no handler hangs on them.
    anticollisionButton = ui::button("Button32", QStringLiteral("防冲突"));
    anticollisionButton->setEnabled(false);
    cardIdEdit = ui::edit("Edit76", QStringLiteral("41 30 0A 10"));
    cardIdEdit->setToolTip(QStringLiteral("insert card number"));
    attribButton = ui::button("Button33", QStringLiteral("Attrib"));
    resetButton = ui::button("Button34", QStringLiteral("复位卡"));
    resetButton->setEnabled(false);
    dataEdit = ui::edit("Edit77", QStringLiteral("05 00 00"));
    dataEdit->setToolTip(QStringLiteral("data"));
    sendDataButton = ui::button("Button36", QStringLiteral("发送数据"));

    auto *typeB = ui::group("GroupBox21", QStringLiteral("ISO14443 Type-B Commands"), body());
    auto *b = new QGridLayout(typeB);
    b->setVerticalSpacing(8);
    b->addWidget(requestButton, 0, 0);
    b->addWidget(requestRepeatBox, 0, 1);
    b->addWidget(anticollisionButton, 0, 2);
    b->addWidget(ui::label("Label86", QStringLiteral("请输入卡ID号码：         ")), 1, 0, 1, 2);
    b->addWidget(cardIdEdit, 2, 0, 1, 2);
    b->addWidget(attribButton, 2, 2);
    b->addWidget(resetButton, 2, 3);
    b->addWidget(ui::label("Label87", QStringLiteral("数据：    ")), 3, 0, 1, 2);
    b->addWidget(dataEdit, 4, 0, 1, 2);
    b->addWidget(sendDataButton, 4, 2);
    b->setColumnStretch(4, 1);

    idNumberButton = ui::button("Button19", QStringLiteral("读取"));
    idNumberRepeatBox = repeatBox(RepeatBoxId::IdNumber, host(), [this] { Button19Click(); });
    fileIdButton = ui::button("Button22", QStringLiteral("读取"));
    fileIdRepeatBox = repeatBox(RepeatBoxId::IdFileId, host(), [this] { Button22Click(); });
    auto *idCard = ui::group("GroupBox22", QStringLiteral("第二代居民身份证"), body());
    auto *c = new QGridLayout(idCard);
    c->setVerticalSpacing(8);
    c->addWidget(ui::label("Label35", QStringLiteral("读身份证ID号：     ")), 0, 0);
    c->addWidget(idNumberButton, 0, 1);
    c->addWidget(idNumberRepeatBox, 0, 2);
    c->addWidget(ui::label("Label36", QStringLiteral("读身份证文件ID号：   ")), 1, 0);
    c->addWidget(fileIdButton, 1, 1);
    c->addWidget(fileIdRepeatBox, 1, 2);
    c->setColumnStretch(3, 1);

    auto *layout = new QVBoxLayout(body());
    layout->addWidget(typeB);
    layout->addWidget(idCard);
    layout->addStretch(1);

    guard::onClick(requestButton, [this] { Button31Click(); });
    guard::onClick(attribButton, [this] { Button33Click(); });
    guard::onClick(sendDataButton, [this] { Button36Click(); });
    guard::onClick(idNumberButton, [this] { Button19Click(); });
    guard::onClick(fileIdButton, [this] { Button22Click(); });
}

void TypeBPage::Button31Click()
{
    namespace tb = protocol::typeb;
    const auto r = tb::parseRequest(host().link().exchange(tb::request()).reply);
    const LogSink log = [this](const QString &line) { host().log(line); };
    if (!report(r, {stampedCrLf(kNoDataHf), stampedCrLf(kDone), stamped(kFailed), stampedCrLf(kOtherHf)}, log))
        return;
    // The card's answer to the request: its length byte, then the answer itself.
    log(QStringLiteral("卡片复位数据的长度为:") + (r.value.length ? hex::byteText(*r.value.length) : QString()));
    log(QStringLiteral("返回操作后的数据为:") + hex::fromBytes(r.value.data) + kCrLf);
}

void TypeBPage::Button33Click()
{
    namespace tb = protocol::typeb;
    const QByteArray card = hex::bytesField(cardIdEdit->text(), QStringLiteral("The card ID"), 1, tb::kMaxSendBytes);
    const auto r = protocol::ack(host().link().exchange(tb::attrib(card)).reply);
    report(r,
           {stampedCrLf(kNoDataHf), stampedCrLf(QStringLiteral("操作成功、复位成功   ")), stamped(kFailed),
            stampedCrLf(kOtherHf)},
           [this](const QString &line) { host().log(line); });
}

void TypeBPage::Button36Click()
{
    namespace tb = protocol::typeb;
    const QByteArray data = hex::bytesField(dataEdit->text(), QStringLiteral("The data"), 0, tb::kMaxSendBytes);
    ReaderLink &link = host().link();
    link.clearReply();
    const QByteArray reply = link.exchange(tb::sendData(data)).reply;
    const auto r = tb::parseSendData(reply);
    if (r.ok()) {
        host().log(kDone + timeStamp());
        host().log(QStringLiteral("操作后的数据串为：") + hex::fromBytes(r.value.data) + kCrLf);
        return;
    }
    host().log(kFailed + timeStamp());
    if (reply.isEmpty()) {
        host().log(QStringLiteral("无数据接收..\r\n"));
        return;
    }
    // Send data's own texts for the byte after the status, whatever the status was.
    const auto code = protocol::ReaderReply(reply).byte(4);
    const QString line = code ? sendDataStatus(hex::byteText(*code)) : QString();
    if (!line.isEmpty())
        host().log(line);
}

void TypeBPage::readIdCard(bool fileId)
{
    namespace tb = protocol::typeb;
    const auto r = tb::parseIdNumber(host().link().exchange(fileId ? tb::idFileId() : tb::idNumber()).reply);
    const LogSink log = [this](const QString &line) { host().log(line); };
    if (!report(r, {stampedCrLf(kNoDataHf), stamped(kDone), stamped(kIdFailed), stampedCrLf(kOtherHf)}, log))
        return;
    // Eight bytes after the length byte; fewer when the reply is short.
    log(QStringLiteral("返回卡号为:") + hex::fromBytes(r.value.number) + kCrLf);
}

void TypeBPage::Button19Click()
{
    readIdCard(false);
}

void TypeBPage::Button22Click()
{
    readIdCard(true);
}
