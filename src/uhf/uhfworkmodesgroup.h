#pragma once

#include <QGroupBox>

class PageHost;

// The UHF module's work modes over the serial line (GroupBox38).
class UhfWorkModesGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit UhfWorkModesGroup(PageHost &host, QWidget *parent = nullptr);

private:
    PageHost &host_;
};
