#pragma once

#include "ui/page.h"

class WifiPage : public Page
{
    Q_OBJECT
public:
    explicit WifiPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("Wifi Settings"); }
};
