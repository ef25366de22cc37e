#pragma once

#include "ui/page.h"

class TypeBPage : public Page
{
    Q_OBJECT
public:
    explicit TypeBPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("ISO14443B"); }
};
