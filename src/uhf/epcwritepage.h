#pragma once

#include "ui/page.h"

class EpcWritePage : public Page
{
    Q_OBJECT
public:
    explicit EpcWritePage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("UHF Write Card"); }
};
