#pragma once

#include "pagekit/page.h"

#include <QComboBox>

class ConnectionGroup;
class RawTerminalGroup;
class UhfWorkModesGroup;
class OptionGroups;

// "Serial port function": the connection group, the UHF work modes, and the hidden parts
// (the device address list setadd, the raw terminal, the option groups).
class SerialPage : public Page
{
    Q_OBJECT
public:
    explicit SerialPage(PageHost &host, QWidget *parent = nullptr);
    ~SerialPage() override;
    QString caption() const override { return QStringLiteral("Serial port function"); }

    QComboBox *addressList{};
    ConnectionGroup *connection{};
    RawTerminalGroup *terminal{};
    UhfWorkModesGroup *workModes{};
    OptionGroups *options{};

protected:
    void build() override;
};
