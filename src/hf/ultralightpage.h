#pragma once

#include "ui/page.h"

class UltralightPage : public Page
{
    Q_OBJECT
public:
    explicit UltralightPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("Ultralight"); }
};
