#pragma once

#include <QGroupBox>

class PageHost;

// "发送信息": the raw terminal (GroupBox5), hidden on the serial page.
class RawTerminalGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit RawTerminalGroup(PageHost &host, QWidget *parent = nullptr);

private:
    PageHost &host_;
};
