#include "ui/rawterminalgroup.h"

RawTerminalGroup::RawTerminalGroup(PageHost &host, QWidget *parent)
    : QGroupBox(QStringLiteral("发送信息"), parent), host_(host)
{
    setObjectName(QStringLiteral("GroupBox5"));
    setVisible(false);
}
