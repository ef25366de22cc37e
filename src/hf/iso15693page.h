#pragma once

#include "ui/page.h"

class Iso15693Page : public Page
{
    Q_OBJECT
public:
    explicit Iso15693Page(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("ISO15693"); }
};
