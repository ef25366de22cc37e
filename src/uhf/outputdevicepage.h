#pragma once

#include "ui/page.h"

class OutputDevicePage : public Page
{
    Q_OBJECT
public:
    explicit OutputDevicePage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("Prefix &suffix Data Input"); }
};
