#pragma once

#include "ui/page.h"

class S50Page : public Page
{
    Q_OBJECT
public:
    explicit S50Page(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("S50/S70"); }
};
